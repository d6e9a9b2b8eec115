#include "extensions/FieldExtensionBase.h"
#include "extensions/dc/DublinCoreRows.h"
#include "model/ExtensionTexts.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

namespace {

using NS = KnownNamespace;

// Reads every element child of the document's root into the item's Dublin Core extension, as the
// feed reader does, with the prefix the document declared.
void readInto(VLXItems &item, const QString &prefix, const QString &elements)
{
    const QString uri = knownNamespaces::uri(NS::dublinCore);
    item.XMLExtensions()->createExtensionWithNamespace(prefix, uri);
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"%2\" "
                                       "xmlns:other=\"urn:other\">%3</r>")
                            .arg(prefix, uri, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_NE(root, nullptr);
    const auto extension = item.XMLExtensions()->dublinCoreExtension();
    ASSERT_NE(extension, nullptr);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension->parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}

// The texts a read item answers must be those of writing its Dublin Core elements and parsing them
// again.
void expectSameAsWritten(const QString &prefix, const QString &elements, const QStringList &paths)
{
    VLXItems read;
    readInto(read, prefix, elements);
    VLXItems written;
    written.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"),
                                                          knownNamespaces::uri(NS::dublinCore));
    readInto(written, QStringLiteral("dc"),
             read.XMLExtensions()->dublinCoreExtension()->buildXML(QString()));
    const ExtensionTexts fromRead(*read.XMLExtensions());
    const ExtensionTexts fromWritten(*written.XMLExtensions());
    for (const QString &path : paths)
        EXPECT_EQ(fromRead.text(NS::dublinCore, path), fromWritten.text(NS::dublinCore, path))
            << qPrintable(elements) << " at " << qPrintable(path);
}

} // namespace

TEST(ExtensionTexts, ReadElementsAnswerAsTheWrittenXML)
{
    const QStringList paths {QStringLiteral("creator"),         QStringLiteral("title"),
                             QStringLiteral("rights"),          QStringLiteral("description"),
                             QStringLiteral("relation/source"), QStringLiteral("relation")};
    // Plain elements, in the document's own prefix and in another one, with attributes that
    // hold '>' and '/', empty elements and repeated names (the first one counts).
    const QString plain = QStringLiteral(
        "<p:creator>Jane Doe</p:creator>\n  <p:rights/>"
        "<p:title kind=\"a > b/\">Short / sweet</p:title><p:creator>Second</p:creator>");
    expectSameAsWritten(QStringLiteral("dc"),
                        QString(plain).replace(QStringLiteral("p:"), QStringLiteral("dc:")), paths);
    expectSameAsWritten(QStringLiteral("d"),
                        QString(plain).replace(QStringLiteral("p:"), QStringLiteral("d:")), paths);
    // ...and those are answered from the fields, not by writing and parsing them again; of a
    // repeated element the first value stands (the repeat is kept and written after it).
    VLXItems item;
    readInto(item, QStringLiteral("d"),
             QString(plain).replace(QStringLiteral("p:"), QStringLiteral("d:")));
    EXPECT_EQ(item.XMLExtensions()->dublinCoreExtension()->elementText(QStringLiteral("creator")),
              std::optional<QString>(QStringLiteral("Jane Doe")));

    // Elements the kept text alone cannot answer for: references, CDATA, surrounding blanks,
    // line breaks, nesting, comments and foreign prefixed attributes.
    for (const QString &odd :
         {QStringLiteral("<d:creator>Tom &amp; Jerry</d:creator>"),
          QStringLiteral(
              "<d:description><![CDATA[<b>bold</b>]]></d:description><d:creator>A</d:creator>"),
          QStringLiteral("<d:creator>  padded </d:creator>"),
          QStringLiteral("<d:description>two\nlines</d:description>"),
          QStringLiteral("<d:relation><d:source>o@example.com</d:source></d:relation>"
                         "<d:source>outer@example.com</d:source>"),
          QStringLiteral("<d:creator>A<!-- note --></d:creator>"),
          QStringLiteral("<d:creator other:flag=\"1\">Flagged</d:creator>"),
          QStringLiteral("<d:title>mentions CDATA here</d:title>")}) {
        expectSameAsWritten(QStringLiteral("d"), odd + QStringLiteral("<d:rights>no</d:rights>"),
                            paths + QStringList {QStringLiteral("source")});
    }
}

TEST(ExtensionTexts, EditedTextIsReadAfterTheEdit)
{
    VLXItems item;
    readInto(item, QStringLiteral("dc"), QStringLiteral("<dc:creator>Old</dc:creator>"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::dublinCore, QStringLiteral("creator")),
              QStringLiteral("Old"));
    FieldExtensionBase::from(item.XMLExtensions()->dublinCoreExtension().get())
        ->setText(DublinCoreRows::kCreator, QStringLiteral("New"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::dublinCore, QStringLiteral("creator")),
              QStringLiteral("New"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::dublinCore, QStringLiteral("title")),
              QString());
}

TEST(ExtensionTexts, ReadElementsAreKeptUnderTheCanonicalPrefix)
{
    // Read under the document's prefix, the values are written under the namespace's own, with
    // their markup escaped and their CDATA sections resolved; elements of other names are no
    // Dublin Core values and are kept as they were read, under the namespace's own prefix too.
    VLXItems item;
    readInto(item, QStringLiteral("d"),
             QStringLiteral("<d:creator>Jane</d:creator>\n<d:rights/>"
                            "<d:identifier href=\"a>b/\" />"
                            "<d:description>x &amp; y</d:description>"
                            "<d:unknown><d:type>O</d:type></d:unknown>"
                            "<d:subject xmlns:d=\"%1\">k</d:subject>"
                            "<d:title><![CDATA[<b>x</b>\n  y]]></d:title>"
                            "<d:format><![CDATA[a</item>b]]></d:format>")
                 .arg(knownNamespaces::uri(NS::dublinCore)));
    EXPECT_EQ(item.XMLExtensions()->dublinCoreExtension()->buildXML(QString()),
              QStringLiteral("<dc:title>&lt;b&gt;x&lt;/b&gt;\n  y</dc:title>\n"
                             "<dc:description>x &amp; y</dc:description>\n"
                             "<dc:subject>k</dc:subject>\n"
                             "<dc:creator>Jane</dc:creator>\n"
                             "<dc:format>a&lt;/item&gt;b</dc:format>\n"
                             "<dc:unknown>\n    <dc:type>O</dc:type>\n</dc:unknown>\n"));
    EXPECT_EQ(item.XMLExtensions()->dublinCoreExtension()->rawXML(),
              QStringLiteral("<dc:unknown>\n    <dc:type>O</dc:type>\n</dc:unknown>"));
}

TEST(ExtensionTexts, KeptElementsAreWrittenExactlyAsLaidOutAgain)
{
    // Flat elements are kept as read, others laid out; written into a document, either comes out
    // as laying the kept text out again at the writer's level gives.
    const QStringList elements = {
        QStringLiteral("<d:creator>Jane</d:creator>"),
        QStringLiteral("<d:rights/>"),
        QStringLiteral("<d:identifier href=\"a>b/\" />"),
        QStringLiteral("<d:relation><d:type>O</d:type></d:relation>"),
        QStringLiteral("<d:title><![CDATA[<b>x</b> y]]></d:title>"),
        QStringLiteral("<d:title><![CDATA[<b>x</b>\n  y]]></d:title>"),
        QStringLiteral("<d:format><![CDATA[a</item>b]]></d:format>"),
        QStringLiteral("<d:subject>one\ntwo</d:subject>"),
    };
    QStringList documents = elements;
    documents.append(elements.join(QString()));
    documents.append(elements.first() + elements.at(4) + elements.at(1));
    for (const QString &document : documents) {
        VLXItems item;
        readInto(item, QStringLiteral("d"), document);
        const auto &extension = *item.XMLExtensions()->dublinCoreExtension();
        for (const QString &prefix : {QString(), QStringLiteral("        "), QString(12, u' ')}) {
            UTF8Writer out;
            extension.appendXML(out, prefix);
            EXPECT_EQ(QString::fromUtf8(out.take()), extension.buildXML(prefix))
                << qPrintable(document) << " at " << prefix.size();
        }
    }
}
