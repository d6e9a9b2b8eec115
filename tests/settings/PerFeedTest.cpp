#include "SettingsFixture.h"

#include "platform/SettingsEquality.h"
#include "settings/ExtensionDefaultsObject.h"
#include "settings/VLXSite.h"

namespace {

using PerFeed = SettingsFixture;

const QString kTitle = QStringLiteral("FD_CF_IF_Title");

QVariantMap entryFor(const QString &id, const QVariantMap &values = {})
{
    QVariantMap entry = values;
    entry.insert(VLXPreferences::kUniqueKey, id);
    return entry;
}

TEST_F(PerFeed, ReadingAFeedWithoutEntryGivesTheDefaultAndCreatesNothing)
{
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PasswordToKeychain"),
                                           QStringLiteral("new")),
              -1);
    EXPECT_FALSE(
        VLXPreferences::objectForKey(QStringLiteral("NoSuchKey"), QStringLiteral("new")).isValid());
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QString()), QString(QLatin1String("")));
    EXPECT_EQ(feedEntries().size(), 1);
    EXPECT_FALSE(prefs->FDCF_dict());
}

TEST_F(PerFeed, WritesKeepEntriesSparse)
{
    VLXPreferences::setObjectForKey(QStringLiteral("T"), kTitle, QStringLiteral("A"));
    ASSERT_EQ(feedEntries().size(), 2);
    EXPECT_EQ(feedEntries().at(1).toMap(),
              entryFor(QStringLiteral("A"), {{kTitle, QStringLiteral("T")}}));
    EXPECT_TRUE(store->contains(VLXPreferences::kFeedArray)); // saved at once

    VLXPreferences::setObjectForKey(QString(QLatin1String("")), kTitle, QStringLiteral("A"));
    EXPECT_EQ(feedEntries().at(1).toMap(), entryFor(QStringLiteral("A")));

    VLXPreferences::setObjectForKey(QStringLiteral("T2"), kTitle, QStringLiteral("A"));
    VLXPreferences::setObjectForKey(QVariant(), kTitle, QStringLiteral("A"));
    EXPECT_EQ(feedEntries().at(1).toMap(), entryFor(QStringLiteral("A")));
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")),
              QString(QLatin1String("")));
}

TEST_F(PerFeed, AFullEntryReadsLikeItsSparseForm)
{
    QVariantMap full = VLXPreferences::FDCFdefaultValues();
    full.insert(VLXPreferences::kUniqueKey, QStringLiteral("F"));
    full.insert(kTitle, QStringLiteral("full"));
    reload({{VLXPreferences::kFeedArray,
             QVariantList {full,
                           entryFor(QStringLiteral("S"), {{kTitle, QStringLiteral("sparse")}})}}});
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("F")), QStringLiteral("full"));
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("S")), QStringLiteral("sparse"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_SD_I_X_Val"), QStringLiteral("S")),
              1);
    EXPECT_TRUE(
        SettingsEquality::equal(prefs->setCFPreferences(full),
                                entryFor(QStringLiteral("F"), {{kTitle, QStringLiteral("full")}})));
    // The template's identifier is the one value dropped from a sparse entry.
    EXPECT_EQ(prefs->setCFPreferences(VLXPreferences::FDCFdefaultValues()), QVariantMap());
}

TEST_F(PerFeed, TheOneFeedCacheFillsOnReadAndEmptiesOnWrite)
{
    reload({{VLXPreferences::kFeedArray,
             QVariantList {entryFor(QStringLiteral("A"), {{kTitle, QStringLiteral("a")}}),
                           entryFor(QStringLiteral("B"), {{kTitle, QStringLiteral("b")}})}}});
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")), QStringLiteral("a"));
    ASSERT_TRUE(prefs->FDCF_dict());
    EXPECT_EQ(prefs->FDCF_dict()->size(), 89);

    // The cache answers until something empties it.
    prefs->preferences().insert(VLXPreferences::kFeedArray, QVariantList());
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")), QStringLiteral("a"));
    reload({{VLXPreferences::kFeedArray,
             QVariantList {entryFor(QStringLiteral("A"), {{kTitle, QStringLiteral("a")}})}}});

    VLXPreferences::objectForKey(kTitle, QStringLiteral("A"));
    VLXPreferences::setObjectForKey(QStringLiteral("a2"), kTitle, QStringLiteral("A"));
    EXPECT_FALSE(prefs->FDCF_dict());
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")), QStringLiteral("a2"));
}

TEST_F(PerFeed, RemovingEntriesEmptiesTheCache)
{
    reload({{VLXPreferences::kFeedArray,
             QVariantList {entryFor(QStringLiteral("A"), {{kTitle, QStringLiteral("a")}}),
                           entryFor(QStringLiteral("B")),
                           entryFor(QStringLiteral("A"), {{kTitle, QStringLiteral("dup")}})}}});
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")), QStringLiteral("a"));
    VLXPreferences::removeUniqueKey(QStringLiteral("A"));
    EXPECT_EQ(feedEntries(), QVariantList {entryFor(QStringLiteral("B"))});
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("A")),
              QString(QLatin1String("")));

    VLXPreferences::setObjectForKey(QStringLiteral("c"), kTitle, QStringLiteral("C"));
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("C")), QStringLiteral("c"));
    VLXPreferences::cleanupOrphans(QStringList {QStringLiteral("B")});
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("C")),
              QString(QLatin1String("")));
}

TEST_F(PerFeed, CleanupOrphansKeepsListedFeedsInListOrder)
{
    const QVariantList three {entryFor(QStringLiteral("1")), entryFor(QStringLiteral("2")),
                              entryFor(QStringLiteral("3"))};
    reload({{VLXPreferences::kFeedArray, three}});
    VLXPreferences::cleanupOrphans(
        QStringList {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("none")});
    EXPECT_EQ(feedEntries(), (QVariantList {three.at(1), three.at(0)}));
    EXPECT_EQ(store->object(VLXPreferences::kFeedArray).toList().size(), 2);

    VLXPreferences::cleanupOrphans(std::nullopt);
    EXPECT_FALSE(live().contains(VLXPreferences::kFeedArray));
    EXPECT_FALSE(store->contains(VLXPreferences::kFeedArray));
    // The next load starts again from the template entry.
    reload(store->values());
    EXPECT_EQ(feedEntries().size(), 1);
}

TEST_F(PerFeed, DiscardingTheWindowsEditsEmptiesTheCache)
{
    prefs->beginEditing(QStringLiteral("W"));
    QVariantMap &entry = prefs->editedFeedEntry();
    entry.insert(kTitle, QStringLiteral("unsaved"));
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("W")), QStringLiteral("unsaved"));
    prefs->discardDisplayedValues();
    EXPECT_EQ(VLXPreferences::objectForKey(kTitle, QStringLiteral("W")),
              QString(QLatin1String("")));
}

TEST_F(PerFeed, AcceptingTheWindowsEditsStoresTheSparseEntry)
{
    prefs->beginEditing(QStringLiteral("W"));
    prefs->editedFeedEntry().insert(kTitle, QStringLiteral("accepted"));
    prefs->displayedValues().insert(QStringLiteral("OPML_Title"), QStringLiteral("o"));
    prefs->commitDisplayedValues();
    EXPECT_EQ(live().value(QStringLiteral("OPML_Title")), QStringLiteral("o"));
    EXPECT_EQ(feedEntries().last().toMap(),
              entryFor(QStringLiteral("W"), {{kTitle, QStringLiteral("accepted")}}));
    // Accepted values are saved at once, not only at quit.
    EXPECT_TRUE(store->contains(QStringLiteral("OPML_Title")));
}

TEST_F(PerFeed, RevertToDefaultLeavesTheTablesUntouched)
{
    VLXPreferences::setObjectForKey(QStringLiteral("x"), kTitle, QStringLiteral("A"));
    prefs->beginEditing(QStringLiteral("A"));
    prefs->revertToDefault();
    prefs->commitDisplayedValues();
    EXPECT_EQ(live().value(QStringLiteral("EncodeApos")), 0);
    VLXPreferences::setObjectForKey(QStringLiteral("y"), kTitle, QStringLiteral("B"));
    EXPECT_EQ(VLXPreferences::defaultValues().value(VLXPreferences::kFeedArray).toList().size(), 1);
    EXPECT_EQ(VLXPreferences::FDCFdefaultValues().value(kTitle), QString(QLatin1String("")));
}

TEST_F(PerFeed, GlobalWritesAndResets)
{
    VLXPreferences::setObjectForKey(0, QStringLiteral("M_HidePath"));
    EXPECT_EQ(store->object(QStringLiteral("M_HidePath")), 0);
    VLXPreferences::setObjectForKey(QVariant(), QStringLiteral("M_HidePath"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("M_HidePath")), 1);
    EXPECT_FALSE(store->contains(QStringLiteral("M_HidePath")));
}

// Stands in for the Media RSS defaults objects, which come with their own module.
class MediaDefaults : public KeyedArchivable, public ExtensionDefaultsObject
{
public:
    explicit MediaDefaults(bool empty) : m_empty(empty) { }
    QString archiveClassName() const override { return QStringLiteral("TestMediaDefaults"); }
    void encodeWithCoder(KeyedArchiver &) const override { }
    bool initWithCoder(const KeyedUnarchiver &) override { return true; }
    bool isExtensionDefaultEmpty() const override { return m_empty; }

private:
    bool m_empty;
};

TEST_F(PerFeed, ExtensionEmptiness)
{
    for (const char *prefix : {"itunes", "media", "content", "sy", "dc", "creativeCommons", "raw"})
        EXPECT_TRUE(VLXPreferences::isExtensionEmpty(QLatin1String(prefix))) << prefix;

    prefs->preferences().insert(QStringLiteral("FD_AF_IF_EX_ITIExplicitStr"),
                                QStringLiteral("yes"));
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("itunes")));
    prefs->preferences().insert(QStringLiteral("FD_AF_IM_EX_DCCoverage"), QStringLiteral(" "));
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("dc")));
    prefs->preferences().insert(QStringLiteral("FD_AF_IF_EX_CCLicense"),
                                QVariantList {QStringLiteral("l")});
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("creativeCommons")));

    prefs->preferences().insert(
        QStringLiteral("FD_AF_IF_EX_Extensions"),
        QVariantMap {{QStringLiteral("User Defined"), QStringLiteral("<x/>")}});
    EXPECT_TRUE(VLXPreferences::isExtensionEmpty(QStringLiteral("User Defined")));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_Extensions"),
                                QVariantMap {{QStringLiteral("foo"), QStringLiteral("<foo:x/>")}});
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("foo")));
    EXPECT_TRUE(VLXPreferences::isExtensionEmpty(QStringLiteral("Foo")));

    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_mrssChannel"),
                                KeyedArchivable::toVariant(std::make_shared<MediaDefaults>(true)));
    prefs->preferences().insert(QStringLiteral("FD_AF_IF_EX_mrssItem"),
                                KeyedArchivable::toVariant(std::make_shared<MediaDefaults>(false)));
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("media")));
}

TEST_F(PerFeed, PublishingSites)
{
    EXPECT_FALSE(VLXPreferences::pubSiteWithID(QStringLiteral("x")));
    prefs->preferences().remove(QStringLiteral("Pub_Sites"));
    auto a = std::make_shared<VLXSite>();
    a->setFtpServer(QStringLiteral("Host"));
    a->setFtpUsername(QStringLiteral("me"));
    VLXPreferences::updatePubSite(a); // creates the list
    auto b = std::make_shared<VLXSite>();
    VLXPreferences::updatePubSite(b); // appends
    auto a2 = a->copy();
    a2->setSiteName(QStringLiteral("renamed"));
    VLXPreferences::updatePubSite(a2); // replaces in place
    const QVariantList sites = live().value(QStringLiteral("Pub_Sites")).toList();
    ASSERT_EQ(sites.size(), 2);
    EXPECT_EQ(KeyedArchivable::objectAs<VLXSite>(sites.at(0)), a2);
    EXPECT_EQ(VLXPreferences::pubSiteWithID(a->siteIdentifier()), a2);
    EXPECT_EQ(VLXPreferences::findPubSiteWithHost(QStringLiteral("Host"), QStringLiteral("me")),
              a2);
    EXPECT_FALSE(VLXPreferences::findPubSiteWithHost(QStringLiteral("host"), QStringLiteral("me")));
    EXPECT_FALSE(VLXPreferences::pubSiteWithID(QString()));
    EXPECT_FALSE(store->contains(QStringLiteral("Pub_Sites"))); // not saved by itself
}

} // namespace
