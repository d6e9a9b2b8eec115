#include "extensions/trackback/trackBackItem.h"
#include "common/TestSupport.h"
#include "extensions/trackback/trackBackChannel.h"
#include "extensions/trackback/trackBackChannelPrefs.h"
#include "extensions/trackback/trackBackItemPrefs.h"
#include "io/VLXParseFeed.h"
#include "model/VLXError.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <gtest/gtest.h>

// The trackback elements of an item (ping, about URLs) and the empty channel class.

namespace {

const QString kTB = QStringLiteral("http://madskills.com/public/xml/rss/module/trackback/");

std::shared_ptr<VLXFeed> readFeed(const QString &itemElements, const QString &prefix = "trackback",
                                  const QString &channelElements = QString())
{
    const QString text
        = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:%1=\"%2\">"
                         "<channel><title>T</title><link>http://example.com/</link>"
                         "<description>D</description>%3<item><title>A</title>%4</item>"
                         "</channel></rss>\n")
              .arg(prefix, kTB, channelElements, itemElements);
    VLXParseFeed reader;
    EXPECT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    return reader.feed();
}

std::shared_ptr<trackBackItem> itemExtension(const VLXFeed &feed, int index = 0)
{
    return std::dynamic_pointer_cast<trackBackItem>(
        feed.itemAtIndex(index)->XMLExtensions()->knownExtension(KnownNamespace::trackBack));
}

} // namespace

TEST(trackBackItem, ReadsUnderAnyPrefixAndWritesUnderItsOwn)
{
    const auto feed = readFeed(
        QStringLiteral("<tb:ping> http://first.example/ </tb:ping><tb:Ping>http://a.example/p?x=1"
                       "&amp;y=2</tb:Ping><tb:about>http://one.example/</tb:about>"
                       "<tb:about> </tb:about><tb:about>http://two.example/&#97;</tb:about>"),
        QStringLiteral("tb"));
    const auto tb = itemExtension(*feed);
    ASSERT_TRUE(tb);
    // The first ping stands and the second is kept as read; an empty about entry is kept, but
    // not written.
    EXPECT_EQ(tb->pingString(), QStringLiteral("http://first.example/"));
    EXPECT_EQ(tb->aboutString(), (QStringList {"http://one.example/", "", "http://two.example/a"}));
    EXPECT_EQ(tb->buildXML(QStringLiteral("  ")),
              QStringLiteral("  <trackback:ping>http://first.example/</trackback:ping>\n"
                             "  <trackback:about>http://one.example/</trackback:about>\n"
                             "  <trackback:about>http://two.example/a</trackback:about>\n"
                             "<trackback:Ping>http://a.example/p?x=1&amp;y=2</trackback:Ping>\n"));
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(QStringLiteral("xmlns:trackback=\"%1\"").arg(kTB)));
    EXPECT_FALSE(written.contains(QStringLiteral("tb:")));

    // Only about URLs: no ping line. A URL that would break the XML is written safely.
    trackBackItem alone;
    alone.setAboutString({QStringLiteral("http://x.example/?a=<b>&c")});
    EXPECT_EQ(alone.buildXML(QString()),
              QStringLiteral("<trackback:about>http://x.example/?a=%3Cb%3E&amp;c"
                             "</trackback:about>\n"));
    trackBackItem nothing;
    nothing.setAboutString({QString()});
    EXPECT_FALSE(nothing.isEmpty());
    EXPECT_EQ(nothing.buildXML(QString()), QString());
    EXPECT_TRUE(trackBackItem().isEmpty());
}

TEST(trackBackItem, ThePingRuleAndTheAboutURLsAtValidation)
{
    VLXError error;
    EXPECT_TRUE(trackBackItem::validatePingString(QStringLiteral("   "), &error));
    EXPECT_TRUE(trackBackItem::validatePingString(QStringLiteral("http://example.com/tb"), &error));
    EXPECT_FALSE(trackBackItem::validatePingString(QStringLiteral("example.com"), &error));
    EXPECT_EQ(error.code(), 1);
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Ping URL is invalid"));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("The TrackBack \"Ping URL\" does not appear to be valid"));

    trackBackItem item;
    item.validate(nullptr, nullptr);
    EXPECT_TRUE(item.listOfErrors(true, true, true).isEmpty()) << "nothing when empty";
    item.setPingString(QStringLiteral("example.com"));
    item.setAboutString({QStringLiteral("http://ok.example/"), QStringLiteral(" "),
                         QStringLiteral("not a url")});
    item.validate(nullptr, nullptr);
    EXPECT_EQ(item.listOfErrors(true, true, true),
              (QStringList {
                  "Validate Error::The TrackBack \"Ping URL\" does not appear to be valid",
                  "Validate Error::The TrackBack About URL \"not a url\" does not appear to be "
                  "valid"}));
    EXPECT_EQ(item.errorCount(), 2);
}

TEST(trackBackItem, ExportCopiesAndArchives)
{
    trackBackItem item;
    item.setPingString(QStringLiteral("http://p.example/"));
    EXPECT_EQ(TestSupport::exportedBy(QStringLiteral("[~~~ItemTrackBackPing~~~|"
                                                     "~~~ItemTrackBackAbout~~~]"),
                                      item),
              QStringLiteral("[http://p.example/|]"));
    item.setAboutString({QStringLiteral("http://1.example/"), QStringLiteral("http://2.example/")});
    EXPECT_EQ(TestSupport::exportedBy(QStringLiteral("~~~ItemTrackBackAbout~~~"), item),
              QStringLiteral("http://1.example/"));

    const auto copy = std::dynamic_pointer_cast<trackBackItem>(item.copyExtension());
    ASSERT_TRUE(copy);
    item.addAboutString(QStringLiteral("http://3.example/"));
    EXPECT_EQ(copy->aboutString().size(), 2);

    QVariantMap fields;
    copy->encodeWithCoder(fields);
    EXPECT_EQ(fields.value(QStringLiteral("Ping")).toString(), QStringLiteral("http://p.example/"));
    EXPECT_EQ(fields.value(QStringLiteral("About")).toStringList(), copy->aboutString());
    const QByteArray data = KeyedArchiver::archivedDataWithRootObject(
        KeyedArchivable::toVariant(std::make_shared<trackBackItemPrefs>()));
    EXPECT_TRUE(KeyedArchivable::objectAs<trackBackItemPrefs>(
        KeyedUnarchiver::unarchiveObjectWithData(data)));
    EXPECT_FALSE(trackBackItemPrefs().allowsUndo());
    EXPECT_FALSE(trackBackChannelPrefs().allowsUndo());
}

TEST(trackBackItem, SortsByTheElementsAnItemHas)
{
    const struct
    {
        QString ping;
        QStringList about;
        QStringList tags;
    } cases[] = {
        {{}, {}, {}},
        {{}, {QString()}, {}},
        {QStringLiteral("http://p.example/"), {}, {"ping"}},
        {{}, {QStringLiteral("http://a.example/")}, {"about"}},
        {QStringLiteral("http://p.example/"),
         {QStringLiteral("http://a.example/")},
         {"about", "ping"}},
    };
    for (const auto &c : cases) {
        trackBackItem item;
        item.setPingString(c.ping);
        item.setAboutString(c.about);
        const QVariantMap entry
            = item.findSortableTags().value(QStringLiteral("trackback")).toMap();
        EXPECT_EQ(entry.value(QStringLiteral("sortTags")).toMap().keys(), c.tags)
            << c.ping.toStdString();
    }
    // A feed offers what any of its items has: here the second one's ping.
    const auto feed = readFeed(QStringLiteral(
        "</item><item><title>B</title><trackback:ping>http://p.example/</trackback:ping>"));
    ASSERT_EQ(feed->countOfItems(), 2);
    EXPECT_EQ(feed->findSortableTags()
                  .value(QStringLiteral("trackback"))
                  .toMap()
                  .value(QStringLiteral("sortTags"))
                  .toMap()
                  .keys(),
              QStringList {"ping"});
}

TEST(trackBackChannel, HasNoFieldsAndKeepsChannelElementsAsRead)
{
    EXPECT_EQ(trackBackChannel().buildXML(QStringLiteral("        ")), QString());
    const auto feed = readFeed(QStringLiteral("<trackback:about>http://i.example/</trackback:about>"),
                               QStringLiteral("trackback"),
                               QStringLiteral("<trackback:ping>http://c.example/</trackback:ping>"));
    const auto channel = feed->XMLExtensions()->knownExtension(KnownNamespace::trackBack);
    ASSERT_TRUE(std::dynamic_pointer_cast<trackBackChannel>(channel));
    EXPECT_EQ(channel->buildXML(QStringLiteral("        ")),
              QStringLiteral("        <trackback:ping>http://c.example/</trackback:ping>\n"));
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(QStringLiteral("<trackback:ping>http://c.example/</trackback:ping>")));
    EXPECT_TRUE(written.contains(QStringLiteral("<trackback:about>http://i.example/</trackback:about>")));
    EXPECT_EQ(trackBackChannel::classDescriptionOfNamespace(),
              QStringLiteral("trackback||%1||1||TrackBack||").arg(kTB));
    EXPECT_EQ(trackBackItem::classDescriptionOfNamespace(),
              QStringLiteral("trackback||%1||1||").arg(kTB));
}
