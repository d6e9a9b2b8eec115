#include "model/ExtensionTexts.h"
#include "io/vlxXMLDOM.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"

#include <gtest/gtest.h>

namespace {

using NS = KnownNamespace;

// Reads every element child of the document's root into the item's iTunes extension, as the
// feed reader does, with the prefix the document declared.
void readInto(VLXItems &item, const QString &prefix, const QString &elements)
{
    const QString uri = knownNamespaces::uri(NS::iTunes);
    item.XMLExtensions()->createExtensionWithNamespace(prefix, uri);
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"%2\" "
                                       "xmlns:other=\"urn:other\">%3</r>")
                            .arg(prefix, uri, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_NE(root, nullptr);
    const auto extension = item.XMLExtensions()->iTunesExtension();
    ASSERT_NE(extension, nullptr);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension->parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}

// The texts a read item answers must be those of writing its iTunes elements and parsing them
// again, which is what an extension whose text was set as a whole answers.
void expectSameAsWritten(const QString &prefix, const QString &elements, const QStringList &paths)
{
    VLXItems read;
    readInto(read, prefix, elements);
    VLXItems written;
    written.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"),
                                                          knownNamespaces::uri(NS::iTunes));
    written.XMLExtensions()->iTunesExtension()->setRawXML(
        read.XMLExtensions()->iTunesExtension()->rawXML());
    const ExtensionTexts fromRead(*read.XMLExtensions());
    const ExtensionTexts fromWritten(*written.XMLExtensions());
    for (const QString &path : paths)
        EXPECT_EQ(fromRead.text(NS::iTunes, path), fromWritten.text(NS::iTunes, path))
            << qPrintable(elements) << " at " << qPrintable(path);
}

} // namespace

TEST(ExtensionTexts, ReadElementsAnswerAsTheWrittenXML)
{
    const QStringList paths {QStringLiteral("author"),      QStringLiteral("subtitle"),
                             QStringLiteral("explicit"),    QStringLiteral("summary"),
                             QStringLiteral("owner/email"), QStringLiteral("owner")};
    // Plain elements, in the document's own prefix and in another one, with attributes that
    // hold '>' and '/', empty elements and repeated names (the first one counts).
    const QString plain = QStringLiteral(
        "<p:author>Jane Doe</p:author>\n  <p:explicit/>"
        "<p:subtitle kind=\"a > b/\">Short / sweet</p:subtitle><p:author>Second</p:author>");
    expectSameAsWritten(QStringLiteral("itunes"),
                        QString(plain).replace(QStringLiteral("p:"), QStringLiteral("itunes:")),
                        paths);
    expectSameAsWritten(QStringLiteral("it"),
                        QString(plain).replace(QStringLiteral("p:"), QStringLiteral("it:")), paths);
    // ...and those are answered from the kept text, not by parsing it again.
    VLXItems item;
    readInto(item, QStringLiteral("it"),
             QString(plain).replace(QStringLiteral("p:"), QStringLiteral("it:")));
    EXPECT_EQ(item.XMLExtensions()->iTunesExtension()->plainChildText(QStringLiteral("author")),
              std::optional<QString>(QStringLiteral("Jane Doe")));

    // Elements the kept text alone cannot answer for: references, CDATA, surrounding blanks,
    // line breaks, nesting, comments and foreign prefixed attributes.
    for (const QString &odd :
         {QStringLiteral("<it:author>Tom &amp; Jerry</it:author>"),
          QStringLiteral(
              "<it:summary><![CDATA[<b>bold</b>]]></it:summary><it:author>A</it:author>"),
          QStringLiteral("<it:author>  padded </it:author>"),
          QStringLiteral("<it:summary>two\nlines</it:summary>"),
          QStringLiteral("<it:owner><it:email>o@example.com</it:email></it:owner>"
                         "<it:email>outer@example.com</it:email>"),
          QStringLiteral("<it:author>A<!-- note --></it:author>"),
          QStringLiteral("<it:author other:flag=\"1\">Flagged</it:author>"),
          QStringLiteral("<it:subtitle>mentions CDATA here</it:subtitle>")}) {
        expectSameAsWritten(QStringLiteral("it"),
                            odd + QStringLiteral("<it:explicit>no</it:explicit>"),
                            paths + QStringList {QStringLiteral("email")});
    }
}

TEST(ExtensionTexts, EditedTextIsReadAfterTheEdit)
{
    VLXItems item;
    readInto(item, QStringLiteral("itunes"), QStringLiteral("<itunes:author>Old</itunes:author>"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::iTunes, QStringLiteral("author")),
              QStringLiteral("Old"));
    item.XMLExtensions()->iTunesExtension()->setRawXML(
        QStringLiteral("<itunes:author>New</itunes:author>"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::iTunes, QStringLiteral("author")),
              QStringLiteral("New"));
    EXPECT_EQ(ExtensionTexts(*item.XMLExtensions()).text(NS::iTunes, QStringLiteral("subtitle")),
              QString());
}

TEST(ExtensionTexts, ReadElementsAreKeptUnderTheCanonicalPrefix)
{
    VLXItems item;
    readInto(item, QStringLiteral("it"),
             QStringLiteral("<it:author>Jane</it:author>\n<it:explicit/>"
                            "<it:image href=\"a>b/\" />"
                            "<it:summary>x &amp; y</it:summary>"
                            "<it:owner><it:name>O</it:name></it:owner>"
                            "<it:keywords xmlns:it=\"%1\">k</it:keywords>"
                            "<it:subtitle><![CDATA[<b>x</b>\n  y]]></it:subtitle>"
                            "<it:block><![CDATA[a</item>b]]></it:block>")
                 .arg(knownNamespaces::uri(NS::iTunes)));
    EXPECT_EQ(item.XMLExtensions()->iTunesExtension()->rawXML(),
              QStringLiteral("<itunes:author>Jane</itunes:author><itunes:explicit/>"
                             "<itunes:image href=\"a&gt;b/\"/>"
                             "<itunes:summary>x &amp; y</itunes:summary><itunes:owner>\n"
                             "    <itunes:name>O</itunes:name>\n</itunes:owner>"
                             "<itunes:keywords xmlns:itunes=\"%1\">k</itunes:keywords>"
                             "<itunes:subtitle><![CDATA[<b>x</b>\n  y]]></itunes:subtitle>"
                             "<itunes:block><![CDATA[a</item>\nb]]></itunes:block>")
                  .arg(knownNamespaces::uri(NS::iTunes)));
}
