// What a feed's rss, channel and media:content elements carry that the program does not read
// (xml:base, xml:lang, schema locations, other tools' attributes, elements beside the channel)
// is written back on the same element, and from the first save on a reopen and save changes
// nothing.

#include "FeedReadTest.h"
#include "common/StrictXML.h"
#include "platform/Clock.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

class UnreadAttributes : public FeedReadTest
{
protected:
    void SetUp() override
    {
        FeedReadTest::SetUp();
        Clock::setInstance(std::make_shared<FixedClock>(
            QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), QTimeZone::utc())));
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        FeedReadTest::TearDown();
    }
};

// With a pubDate: a channel without one takes the time of the first save.
const QString kChannel = u"<title>t</title><link>sub/</link><description>d</description>"
                         u"<pubDate>Sat, 14 Mar 2026 15:09:26 +0000</pubDate>"_s;

} // namespace

TEST_F(UnreadAttributes, AreWrittenBackOnTheirElementAndStayThroughASecondSave)
{
    struct Case
    {
        const char *name;
        QString document;
        QStringList written; // each a part of the first save
    };
    const Case cases[] = {
        {"attributes of rss",
         u"<rss version=\"2.0\" xml:base=\"http://example.com/base/\" "
         u"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         u"xsi:noNamespaceSchemaLocation=\"rss.xsd\" note=\"a &amp; &quot;b&quot;&#10;c\">"
         u"<channel>%1</channel></rss>"_s.arg(kChannel),
         {u" version=\"2.0\" xml:base=\"http://example.com/base/\" "
          u"xsi:noNamespaceSchemaLocation=\"rss.xsd\" note=\"a &amp; &quot;b&quot;&#10;c\">\n"_s,
          u"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""_s}},
        {"languages and white space",
         u"<rss version=\"2.0\" xml:lang=\"en\"><channel xml:lang=\"de-DE\" xml:space=\"preserve\">"
         u"%1</channel></rss>"_s.arg(kChannel),
         {u"<rss  version=\"2.0\" xml:lang=\"en\">\n    <channel xml:lang=\"de-DE\" "
          u"xml:space=\"preserve\">\n"_s}},
        {"a prefix declared on the channel",
         u"<rss version=\"2.0\"><channel xmlns:a=\"urn:a\" a:id=\"7\">%1</channel></rss>"_s.arg(
             kChannel),
         {u"<channel xmlns:a=\"urn:a\" a:id=\"7\">\n"_s}},
        {"a media:content",
         u"<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\"><channel>%1"
         u"<item xmlns:x=\"urn:x\"><title>i</title><media:content url=\"http://example.com/a.mp3\" "
         u"foo=\"bar\" type=\"audio/mpeg\" xml:lang=\"en\" x:id=\"7\"/></item></channel></rss>"_s
             .arg(kChannel),
         {u"<media:content url=\"http://example.com/a.mp3\" type=\"audio/mpeg\" xmlns:x=\"urn:x\" "
          u"foo=\"bar\" xml:lang=\"en\" x:id=\"7\" />\n"_s}},
        {"elements beside the channel",
         u"<rss version=\"2.0\" xmlns:access=\"http://www.bloglines.com/about/specs/fac-1.0\">"
         u"<access:restriction relationship=\"deny\"/><channel>%1</channel>"
         u"<x:after xmlns:x=\"urn:x\">kept</x:after></rss>"_s.arg(kChannel),
         {u"\">\n    <access:restriction "
          u"xmlns:access=\"http://www.bloglines.com/about/specs/fac-1.0\" "
          u"relationship=\"deny\"/>\n    <channel>\n"_s,
          u"    </channel>\n    <x:after xmlns:x=\"urn:x\">kept</x:after>\n</rss>\n"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(read(c.document), 0);
        const QString first = feed().buildXML();
        EXPECT_EQ(StrictXML::problem(first.toUtf8()).toStdString(), "") << first.toStdString();
        for (const QString &part : c.written)
            EXPECT_TRUE(first.contains(part)) << part.toStdString() << "\nin\n"
                                              << first.toStdString();
        // A copy of the feed (as undo and find keep it) writes the same.
        EXPECT_EQ(feed().copy()->buildXML(), first);
        ASSERT_EQ(read(first), 0);
        EXPECT_EQ(feed().buildXML().toStdString(), first.toStdString());
    }
}
