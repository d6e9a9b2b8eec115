#include "model/extensionManagerItem.h"
#include "extensionTestSupport.h"

using extensionManagerItemTest = ExtensionTest;

namespace {
const QString kSy = QStringLiteral("http://purl.org/rss/1.0/modules/syndication/");
const QString kCF = QStringLiteral("http://www.microsoft.com/schemas/rss/core/2005");
const QString kTrackBack = QStringLiteral("http://madskills.com/public/xml/rss/module/trackback/");
} // namespace

TEST_F(extensionManagerItemTest, EveryItemSlotExistsButOnlyUsedOnesTakePart)
{
    extensionManagerItem manager;
    EXPECT_TRUE(manager.iTunesExtension());
    EXPECT_TRUE(manager.creativeCommonsExtension());
    EXPECT_EQ(manager.countOfExtensions(), 0);
    EXPECT_EQ(manager.mediaRSSExtension()->displayName(), QStringLiteral("Media"));
    EXPECT_EQ(manager.contentEncodedExtension()->displayName(), QStringLiteral("content"));

    manager.createExtensionWithNamespace(QStringLiteral("anything"), kSy);
    manager.createExtensionWithNamespace(QStringLiteral("cf"), QStringLiteral("urn:other"));
    manager.setSyndicationExtensionUsed(true);
    EXPECT_FALSE(manager.syndicationExtensionUsed());
    EXPECT_FALSE(manager.microsoftCFExtensionUsed());
    EXPECT_EQ(manager.countOfExtensions(), 0);
    EXPECT_TRUE(manager.notWellSupportedArray().isEmpty());
}

TEST_F(extensionManagerItemTest, TrackBackElementsAreKeptAtItemLevel)
{
    FeedElement item;
    extensionManagerItem manager;
    manager.createExtensionWithNamespace(QStringLiteral("trackback"), kTrackBack);
    manager.parseXMLNodeIfMine(
        elements(QStringLiteral("<rss><trackback:ping>http://x/</trackback:ping></rss>")).at(0),
        item);
    EXPECT_EQ(manager.trackBackExtension()->rawXML(),
              QStringLiteral("<trackback:ping>http://x/</trackback:ping>"));
    EXPECT_EQ(item.repairCount(), 0);
}

TEST_F(extensionManagerItemTest, ClearingLeavesAnUnusedUserDefinedExtensionAlone)
{
    extensionManagerItem manager;
    manager.unknownExtension()->recordWarning(QStringLiteral("left"));
    manager.clearParseXMLErrorList();
    EXPECT_EQ(manager.unknownExtension()->warnCount(), 1);
    manager.setUnknownExtensionUsed(true);
    manager.clearParseXMLErrorList();
    EXPECT_EQ(manager.unknownExtension()->warnCount(), 0);
}

TEST_F(extensionManagerItemTest, ValidationAndSortTagsWalkTheUsedExtensions)
{
    FeedElement item;
    extensionManagerItem manager;
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    manager.createExtensionWithNamespace(QStringLiteral("media"), QString());
    for (const vlxXMLNode *node : elements(QStringLiteral(
             "<rss><geo:lat>1</geo:lat><media:title>m</media:title><odd>1</odd></rss>")))
        manager.parseXMLNodeIfMine(node, item);
    manager.validate(nullptr, nullptr);
    // Only the user-defined extension with text reports anything.
    EXPECT_EQ(manager.parseXMLWarnCount(), 1);

    const QVariantMap tags = manager.findSortableTags();
    EXPECT_EQ(tags.keys(), (QStringList {QStringLiteral("geo"), QStringLiteral("media")}));
    EXPECT_EQ(tags.value(QStringLiteral("media")).toMap().value(QStringLiteral("displayName")),
              QStringLiteral("Media"));

    const auto copy = manager.copy();
    EXPECT_EQ(copy->findSortableTags(), tags);
    EXPECT_NE(copy->mediaRSSExtension(), manager.mediaRSSExtension());
}
