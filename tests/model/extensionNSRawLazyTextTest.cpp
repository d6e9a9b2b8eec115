#include "extensionTestSupport.h"
#include "model/UTF8Writer.h"
#include "model/extensionNSChannel.h"

#include <thread>

using namespace Qt::StringLiterals;

// Elements read without repair are kept in a compact form and laid out only when their text is
// asked for. Whatever asks, and whenever, the text and the written XML must be exactly those of
// laying each element out as it is read.
using extensionNSRawLazyTextTest = ExtensionTest;

namespace {

// Kept elements with escaping, CDATA, comments, instructions, nesting, line breaks and
// characters beyond ASCII.
const QStringList &keptDocuments()
{
    static const QStringList documents = {
        u"<x:a>1</x:a><x:b k=\"v\"/>"_s,
        u"<x:a k=\"&quot;q&quot; &amp; &lt;\">1 &lt; 2 &amp;&amp; 3 &gt; 2</x:a>"_s,
        u"<x:a><![CDATA[a\n   <b> & ]]></x:a><x:b><![CDATA[x]]></x:b>"_s,
        u"<x:a><!-- a <x:b> in a comment --></x:a><x:c>t<!--n-->u</x:c>"_s,
        u"<x:a><x:b>1</x:b><x:c><x:d/></x:c></x:a><x:e>2</x:e>"_s,
        u"<x:a>lead<x:b>1</x:b>tail</x:a><x:f>\ttab</x:f>"_s,
        u"<x:a k=\"one&#10;two\">two\nlines</x:a><x:b><?pi data?></x:b>"_s,
        u"<x:a>caf\u00e9 &#x4e2d; \U0001F600</x:a><x:a><item>i</item></x:a>"_s,
        // An element under a prefix the document bound elsewhere needs a declaration (a repair
        // of its own, made at once) between two kept the compact way.
        u"<x:a>1</x:a><y:b xmlns:y=\"urn:y\" y:k=\"v\">2</y:b><x:c>3</x:c>"_s,
    };
    return documents;
}

QString documentOf(const QString &inner)
{
    return u"<rss xmlns:x=\"urn:x\"><channel>%1</channel></rss>"_s.arg(inner);
}

// Reads the channel's element children into the extension; with eachAtOnce, the text is asked
// for after every element, which lays each one out as it is read.
void readInto(extensionNSRaw &raw, const QString &inner, bool eachAtOnce)
{
    const vlxXMLDOM dom(documentOf(inner));
    const vlxXMLNode *rss = dom.nodeNamed(u"rss"_s, vlxXMLDOM::Element, nullptr);
    const vlxXMLNode *channel = dom.nodeNamed(u"channel"_s, vlxXMLDOM::Element, rss);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(channel); ++i) {
        raw.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, channel));
        if (eachAtOnce)
            (void)raw.rawXML();
    }
}

QString written(const extensionNSRaw &raw, const QString &prefix)
{
    UTF8Writer out;
    raw.appendXML(out, prefix);
    return QString::fromUtf8(out.take());
}

} // namespace

TEST_F(extensionNSRawLazyTextTest, TextAskedForAfterTheDocumentIsGoneIsTheTextReadAtOnce)
{
    const QStringList prefixes = {QString(), u"        "_s, QString(80, u' ')};
    for (const QString &inner : keptDocuments()) {
        extensionNSChannel atOnce;
        atOnce.setExtensionName(u"x"_s);
        readInto(atOnce, inner, true);
        extensionNSChannel later;
        later.setExtensionName(u"x"_s);
        readInto(later, inner, false);
        EXPECT_TRUE(later.hasRawXML());
        EXPECT_EQ(later.parseXMLRepairCount(), atOnce.parseXMLRepairCount()) << qPrintable(inner);
        // Written before the text was ever asked for, and again after.
        for (const QString &prefix : prefixes) {
            EXPECT_EQ(written(later, prefix), written(atOnce, prefix)) << qPrintable(inner);
            EXPECT_EQ(later.buildXML(prefix), atOnce.buildXML(prefix)) << qPrintable(inner);
        }
        EXPECT_EQ(later.rawXML(), atOnce.rawXML()) << qPrintable(inner);
        for (const QString &prefix : prefixes)
            EXPECT_EQ(written(later, prefix), written(atOnce, prefix)) << qPrintable(inner);
    }
}

TEST_F(extensionNSRawLazyTextTest, KeptTextReadsAsTheDocumentHadIt)
{
    extensionNSChannel raw;
    raw.setExtensionName(u"x"_s);
    readInto(raw, keptDocuments().at(1) + keptDocuments().at(2) + keptDocuments().at(7), false);
    EXPECT_EQ(raw.rawXML(),
              u"<x:a k=\"&quot;q&quot; &amp; &lt;\">1 &lt; 2 &amp;&amp; 3 &gt; 2</x:a>"
              "<x:a><![CDATA[a\n   <b> & ]]></x:a><x:b><![CDATA[x]]></x:b>"
              "<x:a>caf\u00e9 \u4e2d \U0001F600</x:a>"
              // The layout breaks the line after an item's end tag wherever it stands.
              "<x:a>\n    <item>i</item>\n\n</x:a>"_s);
    // A repair is logged as the element is read, never again when the text is built.
    extensionNSChannel repaired;
    repaired.setExtensionName(u"x"_s);
    readInto(repaired, u"<x:a>1</x:a><x:b z:k=\"v\">2</x:b><x:c/>"_s, false);
    EXPECT_EQ(repaired.parseXMLRepairCount(), 1);
    EXPECT_EQ(repaired.rawXML(), u"<x:a>1</x:a><x:b>2</x:b><x:c/>"_s);
    EXPECT_EQ(repaired.parseXMLRepairCount(), 1);
}

TEST_F(extensionNSRawLazyTextTest, CopiesAndArchivesOfUnbuiltTextStandOnTheirOwn)
{
    const QString inner = keptDocuments().at(4);
    extensionNSChannel reference;
    reference.setExtensionName(u"x"_s);
    readInto(reference, inner, true);

    extensionNSChannel source;
    source.setExtensionName(u"x"_s);
    readInto(source, inner, false);
    const auto copy = source.copyExtension();
    QVariantMap archive;
    source.encodeWithCoder(archive);
    // The original is edited; what was copied or archived before still holds the text read.
    source.setRawXML(u"<x:new/>"_s);
    EXPECT_EQ(copy->rawXML(), reference.rawXML());
    EXPECT_EQ(written(*copy, u"    "_s), written(reference, u"    "_s));
    extensionNSChannel restored;
    restored.initWithCoder(archive);
    EXPECT_EQ(restored.rawXML(), reference.rawXML());
    EXPECT_EQ(source.rawXML(), u"<x:new/>"_s);

    // A copy of text never built is built on its own; the original stays unbuilt and equal.
    extensionNSChannel other;
    other.setExtensionName(u"x"_s);
    readInto(other, inner, false);
    const auto otherCopy = other.copyExtension();
    EXPECT_EQ(otherCopy->rawXML(), reference.rawXML());
    otherCopy->addRawXMLString(u"<x:more/>"_s);
    EXPECT_EQ(written(other, QString()), written(reference, QString()));
    EXPECT_EQ(other.rawXML(), reference.rawXML());
}

TEST_F(extensionNSRawLazyTextTest, EditsReplaceOrFollowUnbuiltText)
{
    extensionNSChannel raw;
    raw.setExtensionName(u"x"_s);
    int heard = 0;
    raw.addChangeListener([&heard] { ++heard; });
    readInto(raw, u"<x:a>1</x:a><!-- skipped --><x:b/>"_s, false);
    EXPECT_EQ(heard, 2); // one for each element read

    // Setting the very text it holds is no change.
    raw.setRawXML(u"<x:a>1</x:a><x:b/>"_s);
    EXPECT_EQ(heard, 2);

    extensionNSChannel appended;
    appended.setExtensionName(u"x"_s);
    readInto(appended, u"<x:a>1</x:a>"_s, false);
    appended.addRawXMLString(u"<x:b>2</x:b>"_s);
    readInto(appended, u"<x:c>3</x:c>"_s, false);
    EXPECT_EQ(appended.rawXML(), u"<x:a>1</x:a><x:b>2</x:b><x:c>3</x:c>"_s);

    raw.setRawXML(u"<x:z>new</x:z>"_s);
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(raw.rawXML(), u"<x:z>new</x:z>"_s);
    EXPECT_EQ(written(raw, u"    "_s), u"    <x:z>new</x:z>\n"_s);
    raw.setRawXML(QString());
    EXPECT_FALSE(raw.hasRawXML());
    EXPECT_EQ(written(raw, u"    "_s), QString());
}

TEST_F(extensionNSRawLazyTextTest, ReadersOnSeveralThreadsGetTheSameText)
{
    QString inner;
    for (const QString &document : keptDocuments())
        inner += document;
    extensionNSChannel reference;
    reference.setExtensionName(u"x"_s);
    readInto(reference, inner, true);
    for (int round = 0; round < 20; ++round) {
        extensionNSChannel raw;
        raw.setExtensionName(u"x"_s);
        readInto(raw, inner, false);
        QString texts[4];
        QString writtens[4];
        std::vector<std::thread> readers;
        for (int i = 0; i < 4; ++i) {
            readers.emplace_back([&raw, &texts, &writtens, i] {
                // Half write before asking for the text, half after.
                if (i % 2)
                    writtens[i] = written(raw, u"    "_s);
                texts[i] = raw.rawXML();
                if (!(i % 2))
                    writtens[i] = written(raw, u"    "_s);
            });
        }
        for (std::thread &reader : readers)
            reader.join();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(texts[i], reference.rawXML());
            EXPECT_EQ(writtens[i], written(reference, u"    "_s));
        }
    }
}
