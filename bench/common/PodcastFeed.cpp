#include "common/PodcastFeed.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"

namespace PodcastFeed {

// A podcast episode as real feeds carry them: HTML in the description (escaped when written),
// an enclosure, a guid, a date and a category.
std::shared_ptr<VLXItems> episode(int i, int descriptionRepeats)
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("Episode %1: Tom & Jerry's \"best\" moments").arg(i));
    QString description;
    for (int r = 0; r < descriptionRepeats; ++r)
        description += QStringLiteral("<p>In this episode we talk about feeds, enclosures and "
                                      "the <a href=\"http://example.com/%1\">show notes</a>; "
                                      "listeners wrote in with questions.</p>\n")
                           .arg(i);
    item->setDescriptionElement(description);
    item->setLink(
        QStringLiteral("http://example.com/episodes/%1?utm_source=feed&utm_medium=rss").arg(i));
    item->setAuthor(QStringLiteral("host@example.com (The Host)"));
    categoryElement category;
    category.setCategoryString(QStringLiteral("Technology"));
    item->setCategory({category});
    item->setEnclosureAttrURL(QStringLiteral("http://media.example.com/episodes/%1.mp3").arg(i));
    item->setEnclosureAttrLength(QString::number(20000000 + i));
    item->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item->setGUID(QStringLiteral("http://example.com/episodes/%1").arg(i));
    item->setGUIDAttr(1);
    item->setPubDate(
        QStringLiteral("Mon, 02 Mar 2026 09:%1:00 +0000").arg(i % 60, 2, 10, QLatin1Char('0')));
    return item;
}

std::unique_ptr<VLXFeed> podcast(int items, int descriptionRepeats)
{
    auto feed = std::make_unique<VLXFeed>();
    feed->setTitle(QStringLiteral("The Example Show"));
    feed->setDescriptionElement(QStringLiteral("A weekly show about examples."));
    feed->setLink(QStringLiteral("http://example.com/"));
    feed->setLanguage(QStringLiteral("en-us"));
    feed->setCopyright(QStringLiteral("(c) 2026 Example & Co"));
    feed->image()->setURL(QStringLiteral("http://example.com/logo.png"));
    feed->image()->setTitle(QStringLiteral("The Example Show"));
    feed->image()->setLink(QStringLiteral("http://example.com/"));
    for (int i = 0; i < items; ++i)
        feed->addItem(episode(i, descriptionRepeats));
    return feed;
}

} // namespace PodcastFeed

namespace PodcastFeed {

QByteArray document(int items, bool mediaGroups)
{
    QByteArray feed;
    feed.reserve(qsizetype(items) * 2400 + 4096);
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
            "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
            "xmlns:podcast=\"https://podcastindex.org/namespace/1.0\""
        + QByteArray(mediaGroups ? " xmlns:media=\"http://search.yahoo.com/mrss/\"" : "")
        + ">\n"
          "  <channel>\n"
          "    <title>Benchmark Radio</title>\n"
          "    <link>http://bench.example.com/</link>\n"
          "    <description>Generated episodes for timing the reader.</description>\n"
          "    <language>en-us</language>\n"
          "    <pubDate>Mon, 07 Dec 2026 06:00:00 +0000</pubDate>\n"
          "    <itunes:author>Bench Host</itunes:author>\n"
          "    <itunes:explicit>no</itunes:explicit>\n"
          "    <itunes:category text=\"Technology\"/>\n"
          "    <podcast:locked owner=\"host@example.com\">no</podcast:locked>\n";
    for (int n = 1; n <= items; ++n) {
        const QByteArray num = QByteArray::number(n);
        feed += "    <item>\n"
                "      <title>Episode "
            + num
            + ": signals &amp; noise</title>\n"
              "      <link>http://bench.example.com/episodes/"
            + num
            + "</link>\n"
              "      <description>&lt;p&gt;Show notes for episode "
            + num
            + ", with links and a few words about the guests.&lt;/p&gt;&lt;p&gt;We talk about "
              "feeds, enclosures and the &lt;a href=\"http://bench.example.com/notes/"
            + num
            + "\"&gt;show notes&lt;/a&gt;; listeners wrote in with questions about "
              "podcasting, publishing and the tools we use every week.&lt;/p&gt;"
              "&lt;p&gt;Music by the house band.&lt;/p&gt;</description>\n"
              "      <enclosure url=\"http://media.example.com/audio/episode-"
            + num + ".mp3\" length=\"" + QByteArray::number(20000000 + n)
            + "\" type=\"audio/mpeg\"/>\n"
              "      <guid isPermaLink=\"false\">bench-episode-"
            + num
            + "</guid>\n"
              "      <pubDate>Mon, 07 Dec 2026 06:00:00 +0000</pubDate>\n"
              "      <itunes:author>Bench Host</itunes:author>\n"
              "      <itunes:duration>00:42:17</itunes:duration>\n"
              "      <itunes:subtitle>Episode "
            + num
            + " in brief</itunes:subtitle>\n"
              "      <itunes:summary>A summary of episode "
            + num
            + ": the news of the week, an interview and listener mail.</itunes:summary>\n"
              "      <itunes:explicit>no</itunes:explicit>\n"
              "      <content:encoded><![CDATA[<p>Full notes for episode "
            + num
            + ".</p><ul><li>First topic with <a href=\"http://bench.example.com/a\">a link</a>"
              "</li><li>Second topic, with a longer explanation of what was said and why it "
              "matters to people who publish feeds</li><li>Listener mail &amp; answers</li>"
              "<li>Corrections from last week</li></ul><p>Music by the house band. Thanks for "
              "listening, and see you next week. Write to us with questions, comments and "
              "ideas for future episodes; we read every message.</p>]]></content:encoded>\n"
              "      <podcast:transcript url=\"http://bench.example.com/episodes/"
            + num
            + ".vtt\" type=\"text/vtt\"/>\n"
              "      <podcast:chapters url=\"http://bench.example.com/episodes/"
            + num
            + ".json\" type=\"application/json+chapters\"/>\n"
              "    </item>\n";
        if (mediaGroups) {
            // Into the item just written, before its end tag.
            feed.chop(int(sizeof("    </item>\n")) - 1);
            feed += "      <media:group>\n"
                    "        <media:title>Episode "
                + num
                + "</media:title>\n"
                  "        <media:content url=\"http://media.example.com/audio/episode-"
                + num + ".mp3\" fileSize=\"" + QByteArray::number(20000000 + n)
                + "\" type=\"audio/mpeg\" medium=\"audio\" isDefault=\"true\" "
                  "bitrate=\"128\" duration=\"2537\"/>\n"
                  "        <media:content url=\"http://media.example.com/audio/episode-"
                + num + ".ogg\" fileSize=\"" + QByteArray::number(18000000 + n)
                + "\" type=\"audio/ogg\" medium=\"audio\" bitrate=\"112\" "
                  "duration=\"2537\"/>\n"
                  "      </media:group>\n"
                  "    </item>\n";
        }
    }
    feed += "  </channel>\n</rss>\n";
    return feed;
}

const QByteArray &largeDocument()
{
    static const QByteArray bytes = document(kLargeItems);
    return bytes;
}

} // namespace PodcastFeed
