#include "io/VLXRSSWriter.h"
#include "extensions/itunes/iTunesItem.h"
#include "io/VLXParseFeed.h"

#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "platform/Clock.h"
#include "xml/vlxXMLDOM.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// Pins "now" for the lastBuildDate line and the future-item rule.
class VLXRSSWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_clock = std::make_shared<FixedClock>(
            QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), QTimeZone::utc()));
        Clock::setInstance(m_clock);
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    static std::shared_ptr<VLXItems> item(const QString &title)
    {
        auto result = std::make_shared<VLXItems>();
        result->setTitle(title);
        return result;
    }

    static QString itemsWritten(const VLXFeed &feed, bool noFuture, bool limit, int n)
    {
        const QString xml = feed.buildXML(noFuture, limit, n);
        QStringList titles;
        qsizetype at = 0;
        while ((at = xml.indexOf(QLatin1String("            <title>"), at)) >= 0) {
            at += 19;
            titles.append(xml.mid(at, xml.indexOf(u'<', at) - at));
        }
        return titles.join(u',');
    }

    std::shared_ptr<FixedClock> m_clock;
};

} // namespace

TEST_F(VLXRSSWriterTest, EmptyFeedIsExactlyTheMinimalDocument)
{
    VLXFeed feed;
    const QString expected = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<rss  version=\"2.0\">\n"
                                            "    <channel>\n"
                                            "        <title></title>\n"
                                            "        <description></description>\n"
                                            "        <lastBuildDate>%1</lastBuildDate>\n"
                                            "        <generator>%2</generator>\n"
                                            "    </channel>\n"
                                            "</rss>\n")
                                 .arg(SmartDate::feedAutoPubDate(), VLXRSSWriter::generatorText());
    EXPECT_EQ(feed.buildXML(), expected);
    EXPECT_TRUE(VLXRSSWriter::generatorText().startsWith(QLatin1String("Vellumcast Mac v")));

    // The build date is the time of writing, never a value held by the model.
    feed.setLastBuildDate(QStringLiteral("Mon, 01 Jan 2001 00:00:00 +0000"));
    const QString first = feed.buildXML();
    EXPECT_FALSE(first.contains(QLatin1String("2001")));
    m_clock->advance(1);
    EXPECT_NE(feed.buildXML(), first);
}

TEST_F(VLXRSSWriterTest, ChannelChildrenInOrderWithTheirEscaping)
{
    VLXFeed feed;
    feed.setTitle(QStringLiteral("Tom & Jerry"));
    feed.setDescriptionElement(QString(21, u'<'));
    feed.setLink(QStringLiteral("http://example.com/a b?x=1&y=2"));
    categoryElement plain;
    plain.setCategoryString(QStringLiteral("News"));
    categoryElement withDomain;
    withDomain.setCategoryString(QStringLiteral("a<b"));
    withDomain.setCategoryDomainString(QStringLiteral("http://d.example/?a&b"));
    feed.setCategory({plain, withDomain});
    feed.setCloudAttrDomain(QStringLiteral("rpc.example.com"));
    feed.setCloudAttrPath(QStringLiteral("/RPC2?a=1&b=\"2\""));
    feed.setCopyright(QStringLiteral("(c) A & B"));
    feed.setDocs(QStringLiteral("http://blogs.law.harvard.edu/tech/rss"));
    feed.setLanguage(QStringLiteral("en-us"));
    feed.setEditor(QStringLiteral("ed@example.com (Ed)"));
    feed.setPubDate(QStringLiteral("Sat, 14 Mar 2026 10:00:00 +0000"));
    feed.setSkipDays(0, 1);
    feed.setSkipDays(6, 1);
    feed.setSkipHours(23, 1);
    feed.setSkipHours(0, 1);
    feed.setRating(QStringLiteral("PICS"));
    feed.setTextInputAttrTitle(QStringLiteral("Search"));
    feed.setTextInputAttrLink(QStringLiteral("http://example.com/s?q&r"));
    feed.setTTL(QStringLiteral("60"));
    feed.setWebMaster(QStringLiteral("web@example.com"));
    feed.setXMLComments({QStringLiteral("first"), QStringLiteral("second")});
    feed.setStyleSheet(QStringLiteral("style.xsl"));
    feed.setStyleSheetCSS(QStringLiteral("style.css"));

    const QString expected
        = QStringLiteral(
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!-- first -->\n"
              "<!-- second -->\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"style.xsl\" version=\"1.0\"?>\n"
              "<?xml-stylesheet type=\"text/css\" href=\"style.css\" version=\"1.0\"?>\n"
              "<rss  version=\"2.0\">\n"
              "    <channel>\n"
              "        <title>Tom &amp; Jerry</title>\n"
              "        <description><![CDATA[%1]]></description>\n"
              "        <link>http://example.com/a%20b?x=1&amp;y=2</link>\n"
              "        <category>News</category>\n"
              "        <category  domain=\"http://d.example/?a&amp;b\">a&lt;b</category>\n"
              "        <cloud domain=\"rpc.example.com\" path=\"/RPC2?a=1&amp;b=&quot;2&quot;\"  >"
              "</cloud>\n"
              "        <copyright>(c) A &amp; B</copyright>\n"
              "        <docs>http://blogs.law.harvard.edu/tech/rss</docs>\n"
              "        <language>en-us</language>\n"
              "        <lastBuildDate>%2</lastBuildDate>\n"
              "        <managingEditor>ed@example.com (Ed)</managingEditor>\n"
              "        <pubDate>Sat, 14 Mar 2026 10:00:00 +0000</pubDate>\n"
              "        <skipDays>\n"
              "            <day>Sunday</day>\n"
              "            <day>Saturday</day>\n"
              "        </skipDays>\n"
              "        <skipHours>\n"
              "            <hour>0</hour>\n"
              "            <hour>23</hour>\n"
              "        </skipHours>\n"
              "        <rating>PICS</rating>\n"
              "        <textInput>\n"
              "            <title>Search</title>\n"
              "            <link>http://example.com/s?q&amp;r</link>\n"
              "        </textInput>\n"
              "        <ttl>60</ttl>\n"
              "        <webMaster>web@example.com</webMaster>\n"
              "        <generator>%3</generator>\n"
              "    </channel>\n"
              "</rss>\n")
              .arg(QString(21, u'<'), SmartDate::feedAutoPubDate(), VLXRSSWriter::generatorText());
    EXPECT_EQ(feed.buildXML(), expected);
}

TEST_F(VLXRSSWriterTest, ItemChildrenAndTheBlankLineAfterEachItem)
{
    VLXFeed feed;
    auto full = item(QStringLiteral("One"));
    full->setXMLComments({QStringLiteral("note")});
    full->setDescriptionElement(QStringLiteral("<b>bold</b>"));
    full->setLink(QStringLiteral("http://example.com/1"));
    full->setAuthor(QStringLiteral("a@example.com"));
    categoryElement category;
    category.setCategoryString(QStringLiteral("Cat"));
    full->setCategory({category});
    full->setComments(QStringLiteral("http://example.com/1#c"));
    full->setEnclosureAttrURL(QStringLiteral("http://example.com/1.mp3?a&b"));
    full->setEnclosureAttrLength(QStringLiteral("12"));
    full->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    full->setGUID(QStringLiteral("g"));
    full->setGUIDAttr(0);
    full->setPubDate(QStringLiteral("Fri, 13 Mar 2026 08:00:00 +0000"));
    full->setSource(QStringLiteral("Elsewhere"));
    full->setSourceAttr(QStringLiteral("http://e.example/?a&b"));
    feed.addItem(full);
    auto bare = item(QString());
    bare->setGUID(QStringLiteral("http://example.com/2"));
    bare->setGUIDAttr(1);
    // A length or type holding "&" or '"' must not make the document unreadable.
    bare->setEnclosureAttrURL(QStringLiteral("http://example.com/2.m4a"));
    bare->setEnclosureAttrType(QStringLiteral("audio/x-m4a; a=\"b&c\""));
    feed.addItem(bare);

    const QString xml = feed.buildXML();
    const QString expectedItems = QStringLiteral(
        "        <item>\n"
        "            <!-- note -->\n"
        "            <title>One</title>\n"
        "            <description>&lt;b&gt;bold&lt;/b&gt;</description>\n"
        "            <link>http://example.com/1</link>\n"
        "            <author>a@example.com</author>\n"
        "            <category>Cat</category>\n"
        "            <comments>http://example.com/1#c</comments>\n"
        "            <enclosure url=\"http://example.com/1.mp3?a&amp;b\" length=\"12\" "
        "type=\"audio/mpeg\"></enclosure>\n"
        "            <guid isPermaLink=\"false\">g</guid>\n"
        "            <pubDate>Fri, 13 Mar 2026 08:00:00 +0000</pubDate>\n"
        "            <source url=\"http://e.example/?a&amp;b\">Elsewhere</source>\n"
        "        </item>\n"
        "\n"
        "        <item>\n"
        "            <title></title>\n"
        "            <description></description>\n"
        "            <enclosure url=\"http://example.com/2.m4a\" "
        "type=\"audio/x-m4a; a=&quot;b&amp;c&quot;\"></enclosure>\n"
        "            <guid isPermaLink=\"true\">http://example.com/2</guid>\n"
        "        </item>\n"
        "\n"
        "    </channel>\n");
    EXPECT_TRUE(xml.contains(expectedItems)) << xml.toStdString();
    // Read again, what the writer wrote needs no repair.
    QStringList repairs;
    EXPECT_TRUE(VLXParseFeed::repairText(xml, &repairs).isSharedWith(xml));

    // The item's own form: the children only, each at the indent given.
    EXPECT_EQ(bare->buildXML(QStringLiteral("  ")).section(u'\n', 0, 0),
              QStringLiteral("  <title></title>"));

    // The document reads back with the decoded attribute values.
    vlxXMLDOM dom(xml);
    ASSERT_NE(dom.xmlTree(), nullptr) << dom.errorDescription().toStdString();
    const vlxXMLNode *rss = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
    const vlxXMLNode *channel = dom.nodeNamed(QStringLiteral("channel"), vlxXMLDOM::Element, rss);
    ASSERT_NE(channel, nullptr);
    QStringList types;
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(channel); ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, channel);
        if (vlxXMLDOM::nameOfNode(child) != QLatin1String("item"))
            continue;
        const vlxXMLNode *enclosure
            = dom.nodeNamed(QStringLiteral("enclosure"), vlxXMLDOM::Element, child);
        types.append(vlxXMLDOM::attributeOfNode(enclosure, QStringLiteral("type")));
    }
    EXPECT_EQ(types, QStringList({"audio/mpeg", "audio/x-m4a; a=\"b&c\""}));
}

TEST_F(VLXRSSWriterTest, ImageElementOnlyWhenItHasSomething)
{
    VLXFeed feed;
    EXPECT_EQ(feed.image()->buildXML(QStringLiteral("    ")), QString());
    EXPECT_FALSE(feed.buildXML().contains(QLatin1String("<image>")));

    feed.image()->setWidth(QStringLiteral("88"));
    EXPECT_EQ(feed.image()->buildXML(QStringLiteral("  ")),
              QStringLiteral("  <image>\n      <width>88</width>\n  </image>\n"));

    feed.image()->setURL(QStringLiteral("http://example.com/i.png"));
    feed.image()->setTitle(QStringLiteral("A & B"));
    feed.image()->setXMLComments({QStringLiteral("pic")});
    EXPECT_TRUE(
        feed.buildXML().contains(QStringLiteral("        <image>\n"
                                                "            <!-- pic -->\n"
                                                "            <url>http://example.com/i.png</url>\n"
                                                "            <title>A &amp; B</title>\n"
                                                "            <width>88</width>\n"
                                                "        </image>\n")));
}

TEST_F(VLXRSSWriterTest, ItemLimitAndTheNoFutureRule)
{
    VLXFeed feed;
    for (int i = 1; i <= 5; ++i)
        feed.addItem(item(QStringLiteral("I%1").arg(i)));
    EXPECT_EQ(itemsWritten(feed, false, false, 2), "I1,I2,I3,I4,I5");
    EXPECT_EQ(itemsWritten(feed, false, true, 2), "I1,I2");
    EXPECT_EQ(itemsWritten(feed, false, true, -2), "I5,I4");
    EXPECT_EQ(itemsWritten(feed, false, true, -9), "I5,I4,I3,I2,I1");
    // A limit of 0 means no limit, as in the template export.
    EXPECT_EQ(itemsWritten(feed, false, true, 0), "I1,I2,I3,I4,I5");

    // Tomorrow (by the pinned clock) is in the future; the limit counts the remaining items.
    feed.itemAtIndex(0)->setPubDate(QStringLiteral("Sun, 15 Mar 2026 12:00:00 +0000"));
    feed.itemAtIndex(3)->setPubDate(QStringLiteral("Sat, 14 Mar 2026 12:00:00 +0000"));
    EXPECT_EQ(itemsWritten(feed, true, false, 0), "I2,I3,I4,I5");
    EXPECT_EQ(itemsWritten(feed, true, true, 2), "I2,I3");
    EXPECT_EQ(itemsWritten(feed, false, true, 2), "I1,I2");
    // Writing never changes the model.
    EXPECT_EQ(feed.countOfItems(), 5);
    EXPECT_EQ(feed.buildXML(), feed.buildXML(false, false, 0));
}

TEST_F(VLXRSSWriterTest, NamespacesOfExtensionsInUse)
{
    VLXFeed feed;
    feed.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("ex"),
                                                       QStringLiteral("http://example.com/ns"));
    const QString xml = feed.buildXML();
    EXPECT_TRUE(
        xml.contains(QLatin1String("\n<rss xmlns:ex=\"http://example.com/ns\" version=\"2.0\">\n")))
        << xml.toStdString();

    // Elements the image and the items keep are written under the rss element too: a namespace
    // they hold and the channel does not is declared after the channel's; a prefix only once.
    feed.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("ex"),
                                                       QStringLiteral("http://example.com/ns"));
    auto first = item(QStringLiteral("one"));
    first->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("geo"),
                                                         QStringLiteral("urn:geo"));
    first->XMLExtensions()->setITunesExtensionUsed(true);
    feed.addItem(first);
    auto second = item(QStringLiteral("two"));
    second->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("geo"),
                                                          QStringLiteral("urn:other"));
    feed.addItem(second);
    feed.image()->XMLExtensions()->setDublinCoreExtensionUsed(true);
    EXPECT_TRUE(feed.buildXML().contains(QLatin1String(
        "\n<rss xmlns:ex=\"http://example.com/ns\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" xmlns:geo=\"urn:geo\" "
        "version=\"2.0\">\n")))
        << feed.buildXML().toStdString();
    // Only the items written count.
    EXPECT_FALSE(feed.buildXML(false, true, -1).contains(QLatin1String("xmlns:itunes")));
}

// The apostrophe choice is made once for the whole document, extension fields included.
TEST_F(VLXRSSWriterTest, ExtensionFieldsTakeTheWritersApostrophes)
{
    VLXFeed feed;
    auto one = item(QStringLiteral("it's"));
    one->XMLExtensions()->setITunesExtensionUsed(true);
    std::dynamic_pointer_cast<iTunesItem>(one->XMLExtensions()->iTunesExtension())
        ->setSubtitle(QStringLiteral("it's"));
    feed.addItem(one);
    for (const bool apos : {false, true}) {
        const QString xml = QString::fromUtf8(VLXRSSWriter(apos).document(feed, false, false, 0));
        const QString text = apos ? QStringLiteral("it&apos;s") : QStringLiteral("it's");
        EXPECT_TRUE(xml.contains(QStringLiteral("<title>%1</title>").arg(text))) << apos;
        EXPECT_TRUE(xml.contains(QStringLiteral("<itunes:subtitle>%1</itunes:subtitle>").arg(text)))
            << xml.toStdString();
    }
}

TEST_F(VLXRSSWriterTest, EscapersAgreeWithTheSharedOnes)
{
    const VLXRSSWriter writer(false);
    const auto written = [](const auto &append) {
        UTF8Writer out;
        append(out);
        return QString::fromUtf8(out.take());
    };
    for (const QString &text :
         {QString(), QStringLiteral("plain"), QStringLiteral("a&b<c>d\"e'f"), QString(25, u'&'),
          QStringLiteral("]]>") + QString(30, u'<') + QStringLiteral("]]>x"),
          QStringLiteral("caf\u00e9 \u4e2d\u6587 & more text after the escapes")}) {
        EXPECT_EQ(written([&](UTF8Writer &out) { writer.appendEscaped(out, text); }),
                  VLXLogic::encodeSpecialXMLChars(text));
        EXPECT_EQ(written([&](UTF8Writer &out) { writer.appendBest(out, text); }),
                  VLXLogic::encodeDescriptionWithBestEncoding(text));
    }
    // Up to 20 characters to escape are escaped; from 21 on the text goes into a section.
    for (const auto &[text, best] :
         {std::pair {QString(20, u'&'), QStringLiteral("&amp;").repeated(20)},
          std::pair {QStringLiteral("a<b") + QString(19, u'>'),
                     QStringLiteral("a&lt;b") + QStringLiteral("&gt;").repeated(19)},
          std::pair {QString(21, u'&'), QStringLiteral("<![CDATA[") + QString(21, u'&') + "]]>"},
          std::pair {QStringLiteral("a<b") + QString(20, u'>'),
                     QStringLiteral("<![CDATA[a<b") + QString(20, u'>') + "]]>"}}) {
        EXPECT_EQ(written([&](UTF8Writer &out) { writer.appendBest(out, text); }), best);
        EXPECT_EQ(VLXLogic::encodeDescriptionWithBestEncoding(text), best);
    }
    EXPECT_EQ(written([](UTF8Writer &out) {
                  VLXRSSWriter(true).appendEscaped(out, QStringLiteral("it's"));
              }),
              QStringLiteral("it&apos;s"));
    // A link outside Latin-1 is not percent-escaped, yet must not break the markup.
    EXPECT_EQ(written([](UTF8Writer &out) {
                  VLXRSSWriter::appendSafeLink(
                      out, QStringLiteral("http://example.com/\u4e2d?a=\"<b>\"&c"));
              }),
              QStringLiteral("http://example.com/\u4e2d?a=&quot;&lt;b&gt;&quot;&amp;c"));
}

TEST(VLXRSSWriter, CharactersXMLCannotHoldAreLeftOut)
{
    const QChar high(0xD83D), low(0xDE00); // U+1F600 as a pair
    const auto encoded = [](const QString &text) {
        UTF8Writer out;
        out.append(text);
        return out.take();
    };
    const QString legal = QStringLiteral("a\tb\nc\rd\u007f") + high + low + QChar(0xFFFD)
        + QChar(0xE000) + QChar(0x7FF) + QChar(0x800);
    EXPECT_EQ(encoded(legal), legal.toUtf8());

    const QString text = QString(QChar(0x0)) + u'x' + QChar(0x1F) + high + u'y' + low
        + QChar(0xFFFE) + QChar(0xFFFF) + high + low + high;
    EXPECT_EQ(encoded(text), (QStringLiteral("xy") + high + low).toUtf8());
    // The same in a long text, where runs of plain characters are copied in blocks.
    const QString run(37, u'r');
    EXPECT_EQ(encoded(run + text + run + legal + run),
              (run + QStringLiteral("xy") + high + low + run + legal + run).toUtf8());

    // And in the document: a control character in a title does not make the feed unreadable.
    VLXFeed feed;
    feed.setTitle(QStringLiteral("bell\u0007 and \u0000null"));
    const QByteArray document = feed.buildXMLData();
    EXPECT_TRUE(document.contains("<title>bell and null</title>"));
    EXPECT_TRUE(vlxXMLDOM(document).xmlTree());
}
