#include "model/extensionManagerScope.h"
#include "extensionTestSupport.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"

using extensionManagerScopeTest = ExtensionTest;

namespace {
const QString kSy = QStringLiteral("http://purl.org/rss/1.0/modules/syndication/");
const QString kCF = QStringLiteral("http://www.microsoft.com/schemas/rss/core/2005");
const QString kITunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");

// One feed's parts as the feed puts them together.
struct FeedParts
{
    std::shared_ptr<extensionManagerScope> scope = std::make_shared<extensionManagerScope>();
    extensionManagerChannel channel;
    extensionManagerImage image;
    extensionManagerItem item;
    FeedParts()
    {
        channel.setScope(scope);
        image.setScope(scope);
        item.setScope(scope);
    }
};
} // namespace

TEST_F(extensionManagerScopeTest, ItemElementsNeverWipeTheChannelsExtensions)
{
    FeedParts feed;
    FeedElement channelOwner;
    FeedElement itemOwner;
    for (const vlxXMLNode *node : elements(QStringLiteral(
             "<rss><sy:updatePeriod>daily</sy:updatePeriod><cf:treatAs>l</cf:treatAs></rss>")))
        feed.channel.parseXMLNodeIfMine(node, channelOwner);
    const auto sy = feed.channel.syndicationExtension();
    const auto cf = feed.channel.microsoftCFExtension();
    ASSERT_TRUE(sy && cf);
    EXPECT_EQ(channelOwner.repairCount(), 2);

    // sy and cf have no item class: each such element repeats the repair on the item, lands in
    // the item's user-defined extension, and leaves the channel's extensions as they were.
    for (const vlxXMLNode *node : elements(QStringLiteral(
             "<rss><sy:updateBase>b</sy:updateBase><cf:x>1</cf:x><sy:other>o</sy:other></rss>")))
        feed.item.parseXMLNodeIfMine(node, itemOwner);
    EXPECT_EQ(itemOwner.repairCount(), 3);
    EXPECT_EQ(feed.channel.syndicationExtension(), sy);
    EXPECT_EQ(sy->buildXML(QString()),
              QStringLiteral("<sy:updatePeriod>daily</sy:updatePeriod>\n"));
    EXPECT_EQ(feed.channel.microsoftCFExtension(), cf);
    EXPECT_EQ(cf->buildXML(QString()), QStringLiteral("<cf:treatAs>l</cf:treatAs>\n"));
    EXPECT_FALSE(feed.item.syndicationExtensionUsed());
    EXPECT_FALSE(feed.item.microsoftCFExtensionUsed());
    EXPECT_TRUE(feed.item.unknownExtension()->rawXML().contains(QStringLiteral(
        "<sy:updateBase xmlns:sy=\"http://purl.org/rss/1.0/modules/syndication/\">")));
    EXPECT_EQ(feed.channel.notWellSupportedArray().size(), 0);
}

TEST_F(extensionManagerScopeTest, RepairReachesTheWholeFeedAndNothingElse)
{
    FeedParts feed;
    FeedParts otherFeed;
    otherFeed.channel.createExtensionWithNamespace(QStringLiteral("itunes"), kITunes);
    otherFeed.channel.iTunesExtension()->setRawXML(
        QStringLiteral("<itunes:author>kept</itunes:author>"));
    const auto loose = std::make_unique<extensionManagerItem>(); // no feed yet
    const auto copy = feed.channel.copy();

    FeedElement owner;
    feed.item.parseXMLNodeIfMine(
        elements(QStringLiteral("<rss><itunes:duration>1:00</itunes:duration></rss>")).at(0),
        owner);
    EXPECT_TRUE(feed.item.iTunesExtensionUsed());
    EXPECT_TRUE(feed.channel.iTunesExtensionUsed());
    EXPECT_FALSE(feed.image.iTunesExtensionUsed()); // no image class: nothing to create
    EXPECT_EQ(owner.errorList(),
              QStringList {QStringLiteral("Automatic Repair::Add missing namespace declaration "
                                          "(itunes)")});

    EXPECT_FALSE(copy->iTunesExtensionUsed());
    EXPECT_FALSE(loose->iTunesExtensionUsed());
    EXPECT_EQ(otherFeed.channel.iTunesExtension()->rawXML(),
              QStringLiteral("<itunes:author>kept</itunes:author>"));

    // A second element of the now-declared namespace repairs nothing.
    feed.item.parseXMLNodeIfMine(
        elements(QStringLiteral("<rss><itunes:block>no</itunes:block></rss>")).at(0), owner);
    EXPECT_EQ(owner.repairCount(), 1);
}

TEST_F(extensionManagerScopeTest, ManagersLeaveTheirScopeWhenTheyGo)
{
    auto scope = std::make_shared<extensionManagerScope>();
    {
        extensionManagerItem item;
        item.setScope(scope);
        EXPECT_TRUE(scope->contains(&item));
        const auto copy = item.copy();
        copy->setScope(scope);
        EXPECT_FALSE(scope->contains(copy.get()));
    }
    EXPECT_TRUE(scope->members().isEmpty());
}

TEST_F(extensionManagerScopeTest, ItemUsesTheDocumentsPrefixOfAKnownNamespace)
{
    FeedParts feed;
    FeedElement owner;
    feed.channel.createExtensionsFromArray({QStringLiteral("xmlns:itms=\"%1\"").arg(kITunes)});
    // The reader hands each item the channel's declarations, which name the canonical prefix.
    feed.item.createExtensionsFromArray(feed.channel.arrayOfNamespaceDelecrations());
    for (const vlxXMLNode *node :
         elements(QStringLiteral("<rss xmlns:itms=\"%1\"><itms:duration>1:00</itms:duration></rss>")
                      .arg(kITunes)))
        feed.item.parseXMLNodeIfMine(node, owner);
    EXPECT_FALSE(feed.item.unknownExtensionUsed());
    EXPECT_EQ(owner.repairCount(), 0);
    EXPECT_EQ(feed.item.buildXML(QStringLiteral("            ")),
              QStringLiteral("            <itunes:duration>1:00</itunes:duration>\n"
                             "            <itunes:explicit>no</itunes:explicit>\n"));
}

TEST_F(extensionManagerScopeTest, DeclaredPrefixWinsOverAnotherNamespacesCanonicalOne)
{
    // The document binds "sy", a prefix with no item class, to Creative Commons.
    FeedParts feed;
    FeedElement owner;
    const QString cc = QStringLiteral("http://backend.userland.com/creativeCommonsRssModule");
    feed.channel.createExtensionsFromArray({QStringLiteral("xmlns:sy=\"%1\"").arg(cc)});
    for (const vlxXMLNode *node :
         elements(QStringLiteral("<rss xmlns:sy=\"%1\"><sy:license>http://l/</sy:license></rss>")
                      .arg(cc)))
        feed.item.parseXMLNodeIfMine(node, owner);
    EXPECT_TRUE(feed.item.creativeCommonsExtensionUsed());
    EXPECT_EQ(feed.item.buildXML(QString()),
              QStringLiteral("<creativeCommons:license>http://l/</creativeCommons:license>\n"));
}

TEST_F(extensionManagerScopeTest, MembersKeepTheOrderTheyJoinedIn)
{
    extensionManagerScope scope;
    extensionManagerChannel channel;
    extensionManagerImage image;
    extensionManagerItem first;
    extensionManagerItem second;
    scope.join(&channel);
    scope.join(&image);
    scope.join(&first);
    scope.join(&second);
    scope.join(&image); // joining twice changes nothing
    EXPECT_EQ(scope.members(), (QList<baseExtensionManager *> {&channel, &image, &first, &second}));

    scope.leave(&first);
    EXPECT_FALSE(scope.contains(&first));
    scope.join(&first); // a returning member goes to the end
    EXPECT_EQ(scope.members(), (QList<baseExtensionManager *> {&channel, &image, &second, &first}));
    scope.leave(&channel);
    scope.leave(&image);
    scope.leave(&second);
    scope.leave(&first);
    EXPECT_TRUE(scope.members().isEmpty());
}

TEST_F(extensionManagerScopeTest, ManyLeavingInAnyOrderKeepTheOthersInJoinOrder)
{
    extensionManagerScope scope;
    std::vector<extensionManagerItem> items(300);
    for (extensionManagerItem &item : items)
        scope.join(&item);
    // Every third from the back, then the first half of the rest: enough to close up holes.
    QList<baseExtensionManager *> expected;
    for (size_t i = items.size(); i-- > 0;) {
        if (i % 3 == 0)
            scope.leave(&items[i]);
    }
    for (size_t i = 0; i < 150; ++i)
        scope.leave(&items[i]);
    for (size_t i = 150; i < items.size(); ++i) {
        if (i % 3 != 0)
            expected.append(&items[i]);
    }
    EXPECT_EQ(scope.members(), expected);
    EXPECT_FALSE(scope.contains(&items[3]));
    EXPECT_TRUE(scope.contains(&items[299]));

    scope.join(&items[0]);
    expected.append(&items[0]);
    scope.leave(&items[151]);
    expected.removeOne(&items[151]);
    EXPECT_EQ(scope.members(), expected);
}
