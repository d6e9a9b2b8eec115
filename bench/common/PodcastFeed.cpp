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

namespace {

// Python's random.Random(key) for what the typical podcast draws: the Mersenne Twister set up
// by init_by_array({key}), choices and ranges by rejection sampling on the fewest bits.
class PythonRandom
{
public:
    explicit PythonRandom(quint32 key)
    {
        initState(19650218u);
        int i = 1;
        for (int k = kN; k > 0; --k) {
            m_mt[i] = (m_mt[i] ^ ((m_mt[i - 1] ^ (m_mt[i - 1] >> 30)) * 1664525u)) + key;
            if (++i >= kN) {
                m_mt[0] = m_mt[kN - 1];
                i = 1;
            }
        }
        for (int k = kN - 1; k > 0; --k) {
            m_mt[i] = (m_mt[i] ^ ((m_mt[i - 1] ^ (m_mt[i - 1] >> 30)) * 1566083941u)) - quint32(i);
            if (++i >= kN) {
                m_mt[0] = m_mt[kN - 1];
                i = 1;
            }
        }
        m_mt[0] = 0x80000000u;
    }
    // A number in [0, n), n below 2^32.
    quint32 below(quint32 n)
    {
        const int bits = 32 - qCountLeadingZeroBits(n);
        quint32 r;
        do
            r = next() >> (32 - bits);
        while (r >= n);
        return r;
    }
    qint64 between(qint64 low, qint64 high) { return low + below(quint32(high - low + 1)); }

private:
    static constexpr int kN = 624;
    void initState(quint32 s)
    {
        m_mt[0] = s;
        for (int i = 1; i < kN; ++i)
            m_mt[i] = 1812433253u * (m_mt[i - 1] ^ (m_mt[i - 1] >> 30)) + quint32(i);
        m_index = kN;
    }
    quint32 next()
    {
        if (m_index >= kN) {
            for (int k = 0; k < kN; ++k) {
                const quint32 y = (m_mt[k] & 0x80000000u) | (m_mt[(k + 1) % kN] & 0x7fffffffu);
                m_mt[k] = m_mt[(k + 397) % kN] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
            }
            m_index = 0;
        }
        quint32 y = m_mt[m_index++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        return y ^ (y >> 18);
    }
    quint32 m_mt[kN];
    int m_index = kN;
};

} // namespace

namespace PodcastFeed {

namespace {
QByteArray two(qint64 n)
{
    return QByteArray::number(n).rightJustified(2, '0');
}

// The words of the typical podcast, drawn from the fixed sequence, and its other draws.
class TypicalDraws
{
public:
    const char *word() { return kWords[m_random.below(kWordCount)]; }
    void appendWords(QByteArray &out, int count)
    {
        for (int w = 0; w < count; ++w) {
            if (w > 0)
                out += ' ';
            out += word();
        }
    }
    QByteArray between(qint64 low, qint64 high)
    {
        return QByteArray::number(m_random.between(low, high));
    }
    // A duration "h:mm:ss" under three hours.
    QByteArray duration()
    {
        // One draw a statement: the operands of + are evaluated in no set order.
        QByteArray text = between(0, 2) + ':';
        text += two(m_random.between(0, 59)) + ':';
        text += two(m_random.between(0, 59));
        return text;
    }

private:
    static constexpr const char *kWords[]
        = {"alpha", "beta",  "gamma", "delta",   "episode", "podcast", "news", "show",
           "talk",  "music", "tech",  "science", "history", "story",   "world"};
    static constexpr quint32 kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    PythonRandom m_random {42};
};
} // namespace

QByteArray typicalPubDate(int i)
{
    static const char *const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const kMonths[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return kDays[i % 7] + QByteArray(", ") + two(1 + i % 28) + ' ' + kMonths[i % 12] + " 20"
        + QByteArray::number(10 + i % 15) + ' ' + two(i % 24) + ':' + two(i % 60) + ":00 +0000";
}

void restoreTypicalDates(VLXFeed &feed)
{
    for (int i = 0; i < feed.countOfItems(); ++i)
        feed.itemAtIndex(i)->setPubDate(QString::fromLatin1(typicalPubDate(i)));
}

QByteArray typicalDocument(int items)
{
    TypicalDraws draws;
    QByteArray feed;
    feed.reserve(qsizetype(items) * 2350 + 4096);
    const auto words = [&](int count) { draws.appendWords(feed, count); };
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
            "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
            "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
            "xmlns:media=\"http://search.yahoo.com/mrss/\">\n<channel>\n"
            "<title>Synthetic Show</title>\n<link>http://example.com/</link>\n"
            "<description>A generated feed &amp; nothing more</description>\n"
            "<language>en-us</language>\n"
            "<itunes:author>Generator</itunes:author><itunes:explicit>no</itunes:explicit>\n"
            "<itunes:category text=\"Technology\"><itunes:category text=\"Tech News\"/>"
            "</itunes:category>\n<image><url>http://example.com/i.png</url>"
            "<title>Synthetic Show</title><link>http://example.com/</link></image>\n";
    for (int i = 0; i < items; ++i) {
        const QByteArray n = QByteArray::number(i);
        feed += "<item>\n<title>Episode " + n + ": ";
        words(5);
        feed += "</title>\n<link>http://example.com/ep/" + n + "</link>\n<description>";
        words(40);
        feed += " &lt;b&gt;bold&lt;/b&gt; ";
        words(20);
        feed += "</description>\n<content:encoded><![CDATA[<p>";
        words(150);
        feed += "</p><p><a href=\"http://example.com/" + n
            + "\">more</a></p>]]></content:encoded>\n<guid isPermaLink=\"false\">ep-"
            + n.rightJustified(8, '0') + "</guid>\n<pubDate>" + typicalPubDate(i)
            + "</pubDate>\n<author>host@example.com (Host)</author>\n<category>";
        feed += draws.word();
        feed += "</category>\n<enclosure url=\"http://example.com/media/" + n + ".mp3\" length=\"";
        feed += draws.between(1000000, 100000000) + "\" type=\"audio/mpeg\"/>\n<itunes:duration>";
        feed += draws.duration() + "</itunes:duration>\n<itunes:subtitle>";
        words(8);
        feed += "</itunes:subtitle><itunes:summary>";
        words(30);
        feed += "</itunes:summary>\n<dc:creator>Host " + QByteArray::number(i % 7)
            + "</dc:creator>\n<media:content url=\"http://example.com/media/" + n
            + ".mp3\" fileSize=\"1234\" type=\"audio/mpeg\"/>\n</item>\n";
    }
    feed += "</channel>\n</rss>\n";
    return feed;
}

QByteArray typicalAtomDocument(int items)
{
    TypicalDraws draws;
    QByteArray feed;
    feed.reserve(qsizetype(items) * 2000 + 4096);
    const auto words = [&](int count) { draws.appendWords(feed, count); };
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<feed xmlns=\"http://www.w3.org/2005/Atom\" "
            "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n"
            "<title>Synthetic Show</title>\n<subtitle>A generated feed &amp; nothing more"
            "</subtitle>\n<link href=\"http://example.com/\"/>\n"
            "<link rel=\"self\" type=\"application/atom+xml\" href=\"http://example.com/atom\"/>\n"
            "<id>urn:uuid:synthetic-show</id>\n<updated>2026-01-01T00:00:00Z</updated>\n"
            "<author><name>Host</name><email>host@example.com</email></author>\n"
            "<logo>http://example.com/i.png</logo>\n"
            "<itunes:author>Generator</itunes:author><itunes:explicit>no</itunes:explicit>\n";
    for (int i = 0; i < items; ++i) {
        const QByteArray n = QByteArray::number(i);
        feed += "<entry>\n<title>Episode " + n + ": ";
        words(5);
        feed += "</title>\n<link href=\"http://example.com/ep/" + n + "\"/>\n<id>urn:uuid:ep-"
            + n.rightJustified(8, '0') + "</id>\n<updated>20" + QByteArray::number(10 + i % 15)
            + '-' + two(1 + i % 12) + '-' + two(1 + i % 28) + 'T' + two(i % 24) + ':' + two(i % 60)
            + ":00Z</updated>\n<summary>";
        // Text: a summary that names markup, as show summaries do.
        words(40);
        feed += " &amp; the &lt;b&gt; tag ";
        words(20);
        feed += "</summary>\n";
        // Show notes, escaped HTML in most entries and XHTML in every fourth.
        const bool xhtml = i % 4 == 3;
        feed += xhtml ? "<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p>"
                      : "<content type=\"html\">&lt;p&gt;";
        words(150);
        feed += xhtml ? "</p><p><a href=\"http://example.com/" + n + "\">more</a></p></div>"
                      : "&lt;/p&gt;&lt;p&gt;&lt;a href=\"http://example.com/" + n
                + "\"&gt;more&lt;/a&gt;&lt;/p&gt;";
        feed += "</content>\n<category term=\"";
        feed += draws.word();
        feed += "\"/>\n<link rel=\"enclosure\" href=\"http://example.com/media/" + n
            + ".mp3\" length=\"";
        feed += draws.between(1000000, 100000000) + "\" type=\"audio/mpeg\"/>\n<itunes:duration>";
        feed += draws.duration() + "</itunes:duration>\n<itunes:subtitle>";
        words(8);
        feed += "</itunes:subtitle>\n</entry>\n";
    }
    feed += "</feed>\n";
    return feed;
}

} // namespace PodcastFeed
