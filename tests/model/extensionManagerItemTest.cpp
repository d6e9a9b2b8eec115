#include "model/extensionManagerItem.h"
#include "common/TestSupport.h"
#include "extensionTestSupport.h"
#include "model/extensionManagerChannel.h"

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
    EXPECT_EQ(manager.trackBackExtension()->buildXML(QString()),
              QStringLiteral("<trackback:ping>http://x/</trackback:ping>\n"));
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

TEST_F(extensionManagerItemTest, CopiesOfUntouchedSlotsAreIndependentFreshObjects)
{
    extensionManagerItem original;
    const auto copy = original.copy();
    original.iTunesExtension()->setRawXML(QStringLiteral("<itunes:author>A</itunes:author>"));
    original.unknownExtension()->setRawXML(QStringLiteral("<odd>1</odd>"));

    EXPECT_NE(copy->iTunesExtension(), original.iTunesExtension());
    EXPECT_TRUE(copy->iTunesExtension()->rawXML().isEmpty());
    EXPECT_EQ(copy->iTunesExtension()->extensionName(), QStringLiteral("itunes"));
    EXPECT_TRUE(copy->unknownExtension()->rawXML().isEmpty());
    EXPECT_EQ(copy->unknownExtension()->extensionName(), QStringLiteral("User Defined"));
    // A slot stays the same object once it is made.
    EXPECT_EQ(copy->iTunesExtension(), copy->iTunesExtension());
    EXPECT_EQ(copy->unknownExtension(), copy->unknownExtension());

    // Copying after the original's slots were made copies what they hold.
    const auto later = original.copy();
    EXPECT_EQ(later->iTunesExtension()->rawXML(), original.iTunesExtension()->rawXML());
    EXPECT_NE(later->iTunesExtension(), original.iTunesExtension());
    EXPECT_EQ(later->unknownExtension()->rawXML(), QStringLiteral("<odd>1</odd>"));
}

TEST_F(extensionManagerItemTest, EmptiedSlotsStayEmptyWhetherOrNotTheyWereEverRead)
{
    const QString itunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");
    extensionManagerItem manager;
    manager.createExtensionWithNamespace(QStringLiteral("itunes"), itunes);
    manager.deleteExtensionNamed(QStringLiteral("itunes"));
    EXPECT_FALSE(manager.iTunesExtensionUsed());
    EXPECT_EQ(manager.iTunesExtension(), nullptr);
    EXPECT_EQ(manager.copy()->iTunesExtension(), nullptr);

    // Emptied before anything read it.
    manager.setCreativeCommonsExtension(nullptr);
    EXPECT_EQ(manager.creativeCommonsExtension(), nullptr);
    EXPECT_EQ(manager.copy()->creativeCommonsExtension(), nullptr);
    manager.setCreativeCommonsExtensionUsed(true);
    EXPECT_EQ(manager.countOfExtensions(), 0);

    // Deleting an unused namespace leaves its slot as it was.
    manager.deleteExtensionNamed(QStringLiteral("media"));
    EXPECT_TRUE(manager.mediaRSSExtension());

    // A given extension replaces an untouched slot with a copy of it.
    extensionManagerItem source;
    source.dublinCoreExtension()->setRawXML(QStringLiteral("<dc:creator>J</dc:creator>"));
    manager.setDublinCoreExtension(source.dublinCoreExtension());
    EXPECT_NE(manager.dublinCoreExtension(), source.dublinCoreExtension());
    EXPECT_EQ(manager.dublinCoreExtension()->rawXML(),
              QStringLiteral("<dc:creator>J</dc:creator>"));
}

TEST_F(extensionManagerItemTest, UserDefinedExtensionAnswersTheSameWhetherOrNotItWasTouched)
{
    auto answers = [](extensionManagerItem &manager) {
        manager.validate(nullptr, nullptr);
        QStringList out;
        out << manager.buildXML(QStringLiteral("    "))
            << QString::number(manager.countOfExtensions())
            << QString::number(manager.parseXMLWarnCount())
            << TestSupport::exportedBy(QStringLiteral("t ~~~ItemTitle~~~"), manager);
        out << manager.arrayOfExtensionNames();
        QVariantList messages;
        for (const MessageGroup &group : manager.parseXMLErrorList(true, true, true))
            messages.append(group.toVariant());
        return std::make_pair(out, messages);
    };
    for (bool used : {false, true}) {
        extensionManagerItem untouched;
        extensionManagerItem touched;
        (void)touched.unknownExtension();
        untouched.setUnknownExtensionUsed(used);
        touched.setUnknownExtensionUsed(used);
        EXPECT_EQ(answers(untouched), answers(touched)) << "used " << used;
    }

    // With text it warns once per validation and writes its XML; replacing or deleting it
    // gives a fresh, empty one.
    FeedElement item;
    extensionManagerItem manager;
    manager.parseXMLNodeIfMine(elements(QStringLiteral("<rss><odd>1</odd></rss>")).at(0), item);
    manager.validate(nullptr, nullptr);
    EXPECT_EQ(manager.parseXMLWarnCount(), 1);
    EXPECT_EQ(manager.buildXML(QString()), QStringLiteral("<odd>1</odd>\n"));
    EXPECT_EQ(manager.parseXMLErrorList(true, true, true).first().entries().size(), 1);
    manager.createExtensionWithNamespace(QStringLiteral("User Defined"), QString());
    EXPECT_TRUE(manager.unknownExtensionUsed());
    EXPECT_EQ(manager.parseXMLWarnCount(), 0);
    EXPECT_TRUE(manager.buildXML(QString()).isEmpty());
    manager.unknownExtension()->setRawXML(QStringLiteral("<odd>2</odd>"));
    manager.deleteExtensionNamed(QStringLiteral("User Defined"));
    EXPECT_FALSE(manager.unknownExtensionUsed());
    EXPECT_TRUE(manager.unknownExtension()->rawXML().isEmpty());
}

TEST_F(extensionManagerItemTest, ItemsGivenTheSameOrOtherDeclarationsGetTheirOwnExtensions)
{
    const QString itunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");
    const QStringList first
        = {QStringLiteral("xmlns:itms=\"%1\"").arg(itunes), QStringLiteral("xmlns=\"urn:default\""),
           QStringLiteral("xmlns:geo=\"urn:geo\"")};
    QStringList second = first;
    second[2] = QStringLiteral("xmlns:geo=\"urn:geo2\"");

    extensionManagerItem a, b, c;
    a.createExtensionsFromArray(first);
    b.createExtensionsFromArray(second);
    c.createExtensionsFromArray(first);
    for (extensionManagerItem *manager : {&a, &b, &c}) {
        EXPECT_EQ(manager->arrayOfExtensionNames(),
                  (QStringList {QStringLiteral("itunes"), QStringLiteral("geo")}));
        EXPECT_EQ(manager->iTunesExtension()->extensionProcessingName(), QStringLiteral("itms"));
    }
    EXPECT_EQ(a.extensionDTDURLAtIndex(1), QStringLiteral("urn:geo"));
    EXPECT_EQ(b.extensionDTDURLAtIndex(1), QStringLiteral("urn:geo2"));
    EXPECT_EQ(c.extensionDTDURLAtIndex(1), QStringLiteral("urn:geo"));

    a.iTunesExtension()->setExtensionProcessingName(QStringLiteral("it"));
    a.setExtensionDTDURLAtIndex(QStringLiteral("urn:moved"), 1);
    EXPECT_EQ(c.iTunesExtension()->extensionProcessingName(), QStringLiteral("itms"));
    EXPECT_EQ(c.extensionDTDURLAtIndex(1), QStringLiteral("urn:geo"));
    extensionManagerItem d;
    d.createExtensionsFromArray(first);
    EXPECT_EQ(d.extensionDTDURLAtIndex(1), QStringLiteral("urn:geo"));
}

TEST_F(extensionManagerItemTest, ItemsListTheirFeedsNamespacesAndMakeOnlyThoseTheyUse)
{
    FeedElement owner;
    extensionManagerChannel channel;
    channel.createExtensionsFromArray(
        {QStringLiteral("xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\""),
         QStringLiteral("xmlns:geo=\"urn:geo\""), QStringLiteral("xmlns:foo=\"urn:foo\""),
         QStringLiteral("xmlns:bar=\"urn:bar\"")});
    extensionManagerItem used, untouched;
    used.takeNamespacesOf(channel);
    untouched.takeNamespacesOf(channel);
    // A shared list is visited once over the items that made none of it.
    extensionManagerItem other;
    other.takeNamespacesOf(channel);
    int visited = 0;
    QSet<const void *> seen;
    for (const extensionManagerItem *manager : {&untouched, &other})
        manager->forEachListedNamespace([&](const QString &, const QString &) { ++visited; },
                                        &seen);
    EXPECT_EQ(visited, 3);
    used.parseXMLNodeIfMine(
        elements(QStringLiteral("<rss xmlns:geo=\"urn:geo\"><geo:lat>1</geo:lat></rss>")).at(0),
        owner);
    // Copied while its list is still the feed's shared one (see below).
    const std::unique_ptr<extensionManagerItem> early = used.copy();
    const auto made = [](const extensionManagerItem &manager) {
        QStringList names;
        manager.forEachMadeListed(
            [&](const auto &listed) { names.append(listed->extensionName()); });
        return names;
    };
    EXPECT_EQ(made(used), QStringList {QStringLiteral("geo")});
    EXPECT_EQ(made(untouched), QStringList {});
    // Both list every namespace, as if each had been made.
    const QStringList all = {QStringLiteral("itunes"), QStringLiteral("geo"),
                             QStringLiteral("foo"), QStringLiteral("bar")};
    EXPECT_EQ(untouched.countOfExtensions(), 4);
    EXPECT_EQ(untouched.extensionNameAtIndex(2), QStringLiteral("foo"));
    EXPECT_EQ(used.arrayOfExtensionNames(), all);
    EXPECT_EQ(used.buildXML(QString()), QStringLiteral("<geo:lat>1</geo:lat>\n"));
    // Removing one makes nothing; a copy keeps what was made, apart, whether taken while the
    // list was shared or once it was made whole.
    untouched.deleteExtensionNamed(QStringLiteral("foo"));
    EXPECT_EQ(made(untouched), QStringList {});
    EXPECT_EQ(untouched.arrayOfExtensionNames(),
              (QStringList {QStringLiteral("itunes"), QStringLiteral("geo"), QStringLiteral("bar")}));
    const std::unique_ptr<extensionManagerItem> copy = used.copy();
    for (const auto *copied : {early.get(), copy.get()})
        copied->notWellSupportedArray().at(0)->setRawXML(QStringLiteral("<geo:long>2</geo:long>"));
    EXPECT_EQ(used.buildXML(QString()).toStdString(), "<geo:lat>1</geo:lat>\n");
}
