#include "model/extensionNSItem.h"
#include "extensionTestSupport.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"

using extensionNSItemTest = ExtensionTest;

namespace {
QVariantMap texts(const QString &name, const QString &text)
{
    return {{name, text}};
}
} // namespace

TEST_F(extensionNSItemTest, PlacesTakeTheirDefaultTextsFromTheirOwnSettings)
{
    VLXPreferences::setObjectForKey(texts(QStringLiteral("abc"), QString()),
                                    QStringLiteral("FD_AF_FF_EX_Extensions"));
    VLXPreferences::setObjectForKey(texts(QStringLiteral("abc"), QStringLiteral("<abc:i/>")),
                                    QStringLiteral("FD_AF_IM_EX_Extensions"));

    extensionNSChannel channel;
    channel.setExtensionName(QStringLiteral("abc"));
    channel.setRawXML(QStringLiteral("<abc:kept/>"));
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.rawXML(), QStringLiteral("<abc:kept/>"));

    extensionNSImage image;
    image.setExtensionName(QStringLiteral("abc"));
    image.populateWithDefaults(QString());
    EXPECT_EQ(image.rawXML(), QStringLiteral("<abc:i/>"));
    EXPECT_EQ(image.rawXMLHelpAnchor(), QStringLiteral("ImageRawXML"));
    EXPECT_EQ(channel.rawXMLHelpAnchor(), QStringLiteral("FeedRawXML"));
}

TEST_F(extensionNSItemTest, ItemDefaultsPreferTheFeedsOwnEntry)
{
    const QString feed = QStringLiteral("FEED-1");
    VLXPreferences::setObjectForKey(texts(QStringLiteral("abc"), QStringLiteral("<abc:all/>")),
                                    QStringLiteral("FD_AF_IF_EX_Extensions"));

    extensionNSItem item;
    item.setExtensionName(QStringLiteral("abc"));
    item.populateWithDefaults(feed);
    EXPECT_EQ(item.rawXML(), QStringLiteral("<abc:all/>"));

    VLXPreferences::setObjectForKey(texts(QStringLiteral("abc"), QStringLiteral("<abc:own/>")),
                                    QStringLiteral("FD_CF_IF_EX_Extensions"), feed);
    extensionNSItem second;
    second.setExtensionName(QStringLiteral("abc"));
    second.populateWithDefaults(feed);
    EXPECT_EQ(second.rawXML(), QStringLiteral("<abc:own/>"));
    // Without a feed only the all-feeds text counts.
    extensionNSItem third;
    third.setExtensionName(QStringLiteral("abc"));
    third.populateWithDefaults(QString());
    EXPECT_EQ(third.rawXML(), QStringLiteral("<abc:all/>"));
}

TEST_F(extensionNSItemTest, SortTagsComeFromElementsWithText)
{
    extensionNSItem item;
    item.setExtensionName(QStringLiteral("geo"));
    item.setDTDURL(QStringLiteral("urn:geo"));
    item.setRawXML(QStringLiteral("<geo:lat>1</geo:lat><geo:empty></geo:empty>"
                                  "<geo:point><geo:x>1</geo:x></geo:point>"));
    const QVariantMap catalogue = item.findSortableTags();
    ASSERT_EQ(catalogue.keys(), QStringList {QStringLiteral("geo")});
    const QVariantMap record = catalogue.value(QStringLiteral("geo")).toMap();
    EXPECT_EQ(record.value(QStringLiteral("displayName")).toString(), QStringLiteral("\"geo\""));
    EXPECT_EQ(record.value(QStringLiteral("DTDURL")).toString(), QStringLiteral("urn:geo"));
    EXPECT_FALSE(record.value(QStringLiteral("wellSupported")).toBool());
    const QVariantMap tags = record.value(QStringLiteral("sortTags")).toMap();
    EXPECT_EQ(tags.keys(), (QStringList {QStringLiteral("lat"), QStringLiteral("point")}));
    EXPECT_FALSE(
        tags.value(QStringLiteral("lat")).toMap().value(QStringLiteral("children")).toBool());
    EXPECT_TRUE(
        tags.value(QStringLiteral("point")).toMap().value(QStringLiteral("children")).toBool());
}

TEST_F(extensionNSItemTest, SortTagsOfShortOrUnprefixedNamesAreWhole)
{
    // The kept elements need not carry the extension's own prefix: a long extension name over
    // short element names, and an element without any prefix.
    extensionNSItem item;
    item.setExtensionName(QStringLiteral("averylongprefix"));
    item.setRawXML(QStringLiteral("<a:b>1</a:b><plain>2</plain>"));
    const QVariantMap tags = item.findSortableTags()
                                 .value(QStringLiteral("averylongprefix"))
                                 .toMap()
                                 .value(QStringLiteral("sortTags"))
                                 .toMap();
    EXPECT_EQ(tags.keys(), (QStringList {QStringLiteral("b"), QStringLiteral("plain")}));
}

TEST_F(extensionNSItemTest, RawItemExtensionValidatesLikeAnyRawOne)
{
    extensionNSItem userDefined;
    userDefined.setRawXML(QStringLiteral("<odd/>"));
    userDefined.validate(nullptr, nullptr);
    EXPECT_EQ(userDefined.warnCount(), 1);
}
