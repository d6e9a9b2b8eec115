#include "extensions/mscf/microsoftCFChannel.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <gtest/gtest.h>

// The default sort kept beside the list: the item field it names, whether the items follow it
// and sorting them so.

namespace {

const QString kITunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");

// Items in the order given: title, pubDate and iTunes duration.
std::shared_ptr<VLXFeed> podcast(const QList<std::tuple<QString, QString, QString>> &items)
{
    QString body;
    for (const auto &[title, date, duration] : items)
        body += QStringLiteral("<item><title>%1</title><pubDate>%2</pubDate>"
                               "<itunes:duration>%3</itunes:duration></item>")
                    .arg(title, date, duration);
    const QString text
        = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:itunes=\"%1\">"
                         "<channel><title>T</title><link>http://example.com/</link>"
                         "<description>D</description>%2</channel></rss>\n")
              .arg(kITunes, body);
    VLXParseFeed reader;
    EXPECT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    return reader.feed();
}

QStringList titles(const VLXFeed &feed)
{
    QStringList result;
    for (const auto &item : feed.arrayOfItems())
        result.append(item->title());
    return result;
}

ListInfoItem defaultSort()
{
    ListInfoItem made;
    made.setType(QStringLiteral("sort"));
    made.setLabel(QStringLiteral("Default"));
    made.setSortDefault(QStringLiteral("yes"));
    return made;
}

void setDefault(microsoftCFChannel &channel, const QString &ns, const QString &element,
                const QString &type)
{
    channel.setDefaultSortNS(ns);
    channel.setDefaultSortElement(element);
    channel.setDefaultSortDataType(type);
}

} // namespace

TEST(microsoftCFSort, TheFieldIsTheBareCoreNameOrThePrefixedExtensionName)
{
    const auto feed = podcast({{"B", "Mon, 07 Dec 2026 09:00:00 +0000", "1:00"}});
    microsoftCFChannel channel;
    channel.setListInfo({defaultSort()});
    // Nothing stored: no field.
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.sortFieldString());

    setDefault(channel, QString(), QStringLiteral("pubDate"), QStringLiteral("date"));
    channel.updateSortString(*feed);
    EXPECT_EQ(channel.sortFieldString(), QStringLiteral("pubDate"));

    setDefault(channel, kITunes, QStringLiteral("duration"), QStringLiteral("number"));
    channel.updateSortString(*feed);
    EXPECT_EQ(channel.sortFieldString(), QStringLiteral("itunes:duration"));

    // A namespace the feed does not use, or a first entry that is not the default: no field.
    setDefault(channel, QStringLiteral("http://elsewhere.example/"), QStringLiteral("x"),
               QStringLiteral("text"));
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.sortFieldString());
    setDefault(channel, QString(), QStringLiteral("title"), QStringLiteral("text"));
    ListInfoItem group;
    group.setType(QStringLiteral("group"));
    channel.setListInfo({group, defaultSort()});
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.sortFieldString());
    // Without a field the items count as following it, and nothing is sorted.
    EXPECT_TRUE(channel.itemsFollowDefaultSort(*feed));
    EXPECT_FALSE(channel.sortItemsByDefaultSort(*feed));
}

TEST(microsoftCFSort, DatesNewestFirstTextsAscendingOtherwiseAscendingNumbers)
{
    const auto feed = podcast({{"b", "Mon, 07 Dec 2026 09:00:00 +0000", "10:00"},
                               {"c", "Wed, 09 Dec 2026 09:00:00 +0000", "2:00"},
                               {"a", "Tue, 08 Dec 2026 09:00:00 +0000", "1:00:00"}});
    microsoftCFChannel channel;
    channel.setListInfo({defaultSort()});

    setDefault(channel, QString(), QStringLiteral("pubDate"), QStringLiteral("date"));
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.itemsFollowDefaultSort(*feed));
    EXPECT_TRUE(channel.sortItemsByDefaultSort(*feed));
    EXPECT_EQ(titles(*feed), (QStringList {"c", "a", "b"}));
    EXPECT_TRUE(channel.itemsFollowDefaultSort(*feed));
    EXPECT_FALSE(channel.sortItemsByDefaultSort(*feed));

    setDefault(channel, QString(), QStringLiteral("title"), QStringLiteral("text"));
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.itemsFollowDefaultSort(*feed));
    EXPECT_TRUE(channel.sortItemsByDefaultSort(*feed));
    EXPECT_EQ(titles(*feed), (QStringList {"a", "b", "c"}));

    // "number" and any other type: ascending numbers (durations read as seconds).
    setDefault(channel, kITunes, QStringLiteral("duration"), QStringLiteral("number"));
    channel.updateSortString(*feed);
    EXPECT_FALSE(channel.itemsFollowDefaultSort(*feed));
    EXPECT_TRUE(channel.sortItemsByDefaultSort(*feed));
    EXPECT_EQ(titles(*feed), (QStringList {"c", "b", "a"}));
    EXPECT_TRUE(channel.itemsFollowDefaultSort(*feed));
}
