#include "extensions/mscf/microsoftCFChannel.h"
#include "extensions/mscf/microsoftCFChannelPrefs.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <gtest/gtest.h>

// The Common Feed list information of a channel: reading under any prefix and letter case,
// writing under "cf", the repairs after reading, the checks and what copies keep.

namespace {

const QString kCF = QStringLiteral("http://www.microsoft.com/schemas/rss/core/2005");

ListInfoItem entry(const char *type, const char *ns, const char *element, const char *dataType,
                   const char *label, const char *isDefault = "no")
{
    ListInfoItem made;
    made.setType(QLatin1String(type));
    made.setNS(QLatin1String(ns));
    made.setElement(QLatin1String(element));
    made.setDataType(QLatin1String(dataType));
    made.setLabel(QString::fromUtf8(label));
    made.setSortDefault(QLatin1String(isDefault));
    return made;
}

// A feed of two items whose channel carries the elements given; the namespaces declared are the
// Common Feed one under `prefix`, and iTunes.
std::shared_ptr<VLXFeed> readFeed(const QString &channelElements, const QString &prefix = "cf",
                                  const QString &itemElements = QString())
{
    const QString text
        = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:%1=\"%2\" "
                         "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
                         "<title>T</title><link>http://example.com/</link><description>D"
                         "</description>%3<item><title>A</title>%4</item><item><title>B</title>"
                         "</item></channel></rss>\n")
              .arg(prefix, kCF, channelElements, itemElements);
    VLXParseFeed reader;
    EXPECT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    return reader.feed();
}

std::shared_ptr<microsoftCFChannel> channelOf(const VLXFeed &feed)
{
    return std::dynamic_pointer_cast<microsoftCFChannel>(
        feed.XMLExtensions()->knownExtension(KnownNamespace::microsoftCF));
}

QStringList labels(const microsoftCFChannel &channel)
{
    QStringList result;
    for (const ListInfoItem &item : channel.listInfo())
        result.append(item.label() + QLatin1Char('/') + item.sortDefault());
    return result;
}

} // namespace

TEST(microsoftCFChannel, WritesTreatAsAndTheEntriesUnderItsOwnPrefix)
{
    microsoftCFChannel channel;
    channel.setTreatAs(QStringLiteral("list"));
    channel.setListInfo({entry("sort", "", "", "", "Relevance", "yes"),
                         entry("sort", "", "title", "text", "Title"),
                         entry("group", "http://example.com/ns", "x", "", "X & Y")});
    EXPECT_EQ(channel.buildXML(QStringLiteral("  ")),
              QStringLiteral("  <cf:treatAs>list</cf:treatAs>\n"
                             "  <cf:listinfo>\n"
                             "      <cf:sort label=\"Relevance\" default=\"yes\"/>\n"
                             "      <cf:sort element=\"title\" data-type=\"text\" label=\"Title\" "
                             "default=\"no\"/>\n"
                             "      <cf:group ns=\"http://example.com/ns\" element=\"x\" "
                             "label=\"X &amp; Y\"/>\n"
                             "  </cf:listinfo>\n"));
    EXPECT_FALSE(channel.isEmpty());

    // treatAs alone writes its line and leaves the object empty; no entries, no listinfo.
    channel.setListInfo({});
    EXPECT_EQ(channel.buildXML(QString()), QStringLiteral("<cf:treatAs>list</cf:treatAs>\n"));
    EXPECT_TRUE(channel.isEmpty());
    EXPECT_EQ(channel.extensionName(), QStringLiteral("cf"));
    EXPECT_EQ(channel.displayName(), QStringLiteral("MS-SLE"));
    EXPECT_EQ(microsoftCFChannel::classDescriptionOfNamespace(),
              QStringLiteral("cf||%1||1||MS-SLE||").arg(kCF));
}

TEST(microsoftCFChannel, NamesMatchInAnyCaseAndOnlyYesOrTrueMakeTheDefault)
{
    const auto feed = readFeed(
        QStringLiteral("<MS:treatAs> list&#32; </MS:treatAs><MS:LISTINFO>\n  <MS:Sort "
                       "default=\" TRUE \" element=\"title\" data-type=\"text\" label=\"A\"/>\n"
                       "  <!-- note -->\n  <MS:sort default=\"true\" label=\"B\"/>"
                       "<MS:sort default=\"1\" label=\"C\" element=\"link\"/>"
                       "<MS:sort default=\" yes \" label=\"D &amp; E\"/><other/></MS:LISTINFO>"
                       "<MS:listinfo/>"),
        QStringLiteral("MS"));
    const auto channel = channelOf(*feed);
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->treatAs(), QStringLiteral("list"));
    EXPECT_EQ(labels(*channel), (QStringList {"A/no", "B/yes", "C/no", "D & E/yes"}));
    EXPECT_EQ(channel->listInfo().at(0).element(), QStringLiteral("title"));
    EXPECT_EQ(channel->listInfo().at(0).dataType(), QStringLiteral("text"));

    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(QStringLiteral("xmlns:cf=\"%1\"").arg(kCF)));
    EXPECT_FALSE(written.contains(QStringLiteral("MS:")));
    EXPECT_TRUE(written.contains(
        QStringLiteral("<cf:sort element=\"title\" data-type=\"text\" label=\"A\" default=\"no\"/>")));
    EXPECT_TRUE(written.contains(QStringLiteral("<cf:sort label=\"B\" default=\"yes\"/>")));
    EXPECT_EQ(written.count(QStringLiteral("<cf:listinfo>")), 1);
}

TEST(microsoftCFChannel, ReadingRepairsTheOldITunesURIAndDropsForeignNamespaces)
{
    const auto feed = readFeed(QStringLiteral(
        "<cf:listinfo><cf:sort label=\"Def\" default=\"yes\" ns=\"http://gone.example/\"/>"
        "<cf:sort ns=\"http://www.itunes.com/DTDs/Podcast-1.0.dtd\" element=\"duration\" "
        "data-type=\"number\" label=\"Length\"/>"
        "<cf:group ns=\"http://gone.example/\" element=\"x\" label=\"Gone\"/>"
        "<cf:sort element=\"pubDate\" data-type=\"date\" label=\"Date\"/></cf:listinfo>"),
        QStringLiteral("cf"), QStringLiteral("<itunes:duration>3:00</itunes:duration>"));
    const auto channel = channelOf(*feed);
    ASSERT_TRUE(channel);
    EXPECT_EQ(labels(*channel), (QStringList {"Def/yes", "Length/no", "Date/no"}));
    EXPECT_EQ(channel->listInfo().at(1).ns(),
              QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd"));
    const QStringList messages = channel->listOfErrors(true, true, true);
    EXPECT_TRUE(messages.contains(
        QStringLiteral("Automatic Repair::Update iTunes DTDURL to the current value")));
    EXPECT_TRUE(messages.contains(QStringLiteral(
        "Automatic Repair::Removed sort items that used a namespace (http://gone.example/) that "
        "is not in this feed")));
    EXPECT_EQ(channel->repairCount(), 2);

    // A feed without items says nothing about its sortable elements: nothing is dropped.
    VLXFeed empty;
    microsoftCFChannel lone;
    lone.setListInfo({entry("sort", "", "title", "text", "T")});
    lone.finalProcessing(&empty);
    EXPECT_EQ(lone.listInfo().size(), 1);
}

TEST(microsoftCFChannel, EachEntryMustBeSortableInItsNamespace)
{
    const auto feed = readFeed(QString());
    microsoftCFChannel channel;
    channel.setListInfo({entry("sort", "", "", "", "Def", "yes"),
                         entry("sort", "", "title", "text", "Title"),
                         entry("sort", "", "bogus", "text", "Bogus"),
                         entry("group", "", "nothing", "", "Nothing"),
                         entry("sort", "http://elsewhere.example/", "y", "text", "Elsewhere")});
    channel.validate(feed.get());
    const QStringList messages = channel.listOfErrors(true, true, true);
    EXPECT_EQ(messages,
              (QStringList {
                  "Validate Error::The element \"bogus\" in the namespace \"\" is not sortable in "
                  "this feed",
                  "Validate Error::The element \"nothing\" in the namespace \"\" is not sortable "
                  "in this feed"}));
    EXPECT_EQ(channel.errorCount(), 2);
}

TEST(microsoftCFChannel, CopiesAndArchivesKeepTheEntriesButNotTheDefaultSort)
{
    microsoftCFChannel channel;
    channel.setTreatAs(QStringLiteral("list"));
    channel.setListInfo({entry("sort", "", "", "", "Newest", "yes"),
                         entry("group", "urn:a", "b", "", "B")});
    channel.setDefaultSortNS(QString());
    channel.setDefaultSortElement(QStringLiteral("pubDate"));
    channel.setDefaultSortDataType(QStringLiteral("date"));
    VLXFeed feed;
    channel.updateSortString(feed);
    ASSERT_EQ(channel.sortFieldString(), QStringLiteral("pubDate"));

    const auto copy = std::dynamic_pointer_cast<microsoftCFChannel>(channel.copyExtension());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->treatAs(), QStringLiteral("list"));
    EXPECT_EQ(copy->listInfo(), channel.listInfo());
    EXPECT_FALSE(copy->defaultSortElement());
    EXPECT_FALSE(copy->sortFieldString());

    const QByteArray data = KeyedArchiver::archivedDataWithRootObject(
        KeyedArchivable::toVariant(std::static_pointer_cast<KeyedArchivable>(copy)));
    const auto back = KeyedArchivable::objectAs<microsoftCFChannel>(
        KeyedUnarchiver::unarchiveObjectWithData(data));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->listInfo(), channel.listInfo());
    EXPECT_EQ(back->listInfo().at(1).description(),
              QStringLiteral("type=group, ns=urn:a, element=b, dataType=, label=B, default=no"));
    EXPECT_FALSE(back->defaultSortNS());

    microsoftCFChannelPrefs twin;
    EXPECT_FALSE(twin.allowsUndo());
    EXPECT_EQ(twin.archiveClassName(), QStringLiteral("microsoftCFChannelPrefs"));
    EXPECT_TRUE(KeyedUnarchiver::isClassRegistered(QStringLiteral("ListInfoItem")));
}
