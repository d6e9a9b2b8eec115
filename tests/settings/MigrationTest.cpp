#include "SettingsFixture.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/SettingsEquality.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"

namespace {

using GlobalMigration = SettingsFixture;
using FeedMigration = SettingsFixture;

// Opens the window's working copy on these stored values, runs the ladder, accepts it.
QVariantMap migrate(VLXPreferences &prefs)
{
    prefs.beginEditing(QStringLiteral("feed"));
    prefs.checkVersion();
    return prefs.displayedValues();
}

TEST_F(GlobalMigration, AStoreWithoutVersionRunsEveryStep)
{
    reload({{QStringLiteral("FD_AF_IF_GUID_Perma"), 1},
            {QStringLiteral("M_ShowParseResults"), 2},
            {QStringLiteral("FD_AF_IF_GUID_AutoGenerate"), 0}});
    migrate(*prefs);
    prefs->commitDisplayedValues();
    EXPECT_EQ(live().value(QStringLiteral("FD_Version")).toFloat(), 2.05f);
    EXPECT_EQ(live().value(QStringLiteral("FD_AF_IF_GUID_AutoGenerate")).toInt(), 1);
    EXPECT_EQ(live().value(QStringLiteral("M_ShowParseResults")).toInt(), 0);
    EXPECT_EQ(live().value(QStringLiteral("FD_AF_IF_GUID_Perma")).toInt(), 0);
    // Accepting the migrated values saves them at once.
    EXPECT_EQ(static_cast<float>(store->object(QStringLiteral("FD_Version")).toDouble()), 2.05f);
}

TEST_F(GlobalMigration, LiveDataSurvivesTheLadderRunningAgain)
{
    auto site = std::make_shared<VLXSite>();
    prefs->preferences().insert(QStringLiteral("Pub_Sites"),
                                QVariantList {KeyedArchivable::toVariant(site)});
    prefs->preferences().insert(QStringLiteral("OPML_Title"), QStringLiteral("My feeds"));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_Extensions"),
                                QVariantMap {{QStringLiteral("foo"), QStringLiteral("<foo:a/>")}});
    prefs->preferences().insert(QStringLiteral("FD_AF_AD_XMLComments"),
                                QVariantList {QStringLiteral("c")});
    for (int refresh = 0; refresh < 2; ++refresh) {
        const QVariantMap shown = migrate(*prefs); // not accepted: the ladder runs on each refresh
        EXPECT_EQ(shown.value(QStringLiteral("Pub_Sites")).toList().size(), 1);
        EXPECT_EQ(shown.value(QStringLiteral("OPML_Title")), QStringLiteral("My feeds"));
        EXPECT_EQ(shown.value(QStringLiteral("FD_AF_FF_EX_Extensions")).toMap().size(), 1);
        EXPECT_EQ(shown.value(QStringLiteral("FD_AF_AD_XMLComments")).toList().size(), 1);
        EXPECT_EQ(shown.value(QStringLiteral("FD_Version")).toFloat(), 2.05f);
        prefs->discardDisplayedValues();
    }
}

TEST_F(GlobalMigration, StepsRunFromTheStoredVersionComparedAfterWidening)
{
    struct Case
    {
        float stored;
        bool runs135; // detected by FD_AF_Namespaces reappearing
        bool runs175; // detected by FD_AF_AD_StylesheetCSS reappearing
        bool runs205; // detected by M_ShowParseResults reset
    };
    for (const Case &c : {Case {1.3f, true, true, true}, Case {1.7f, false, false, true},
                          Case {1.75f, false, false, true}, Case {1.85f, false, false, true},
                          Case {2.05f, false, false, false}, Case {2.0f, false, false, false},
                          Case {3.0f, false, false, false}, Case {0.5f, true, true, true}}) {
        reload({{QStringLiteral("FD_Version"), static_cast<double>(c.stored)},
                {QStringLiteral("M_ShowParseResults"), 2}});
        prefs->beginEditing(QStringLiteral("feed"));
        prefs->displayedValues().remove(QStringLiteral("FD_AF_Namespaces"));
        prefs->displayedValues().remove(QStringLiteral("FD_AF_AD_StylesheetCSS"));
        prefs->checkVersion();
        const QVariantMap &d = prefs->displayedValues();
        EXPECT_EQ(d.contains(QStringLiteral("FD_AF_Namespaces")), c.runs135) << c.stored;
        EXPECT_EQ(d.contains(QStringLiteral("FD_AF_AD_StylesheetCSS")), c.runs175) << c.stored;
        EXPECT_EQ(d.value(QStringLiteral("M_ShowParseResults")).toInt() == 0, c.runs205)
            << c.stored;
        EXPECT_EQ(d.value(QStringLiteral("FD_Version")).toFloat(), c.runs205 ? 2.05f : c.stored);
    }
}

TEST_F(GlobalMigration, CategoryConversion)
{
    // The channel's and the items' defaults alike.
    for (const QString &area : {QStringLiteral("FD_AF_FF"), QStringLiteral("FD_AF_IF")}) {
        SCOPED_TRACE(area.toStdString());
        const auto categoriesAfter = [this, &area](const QString &category, const QString &domain,
                                                   const QVariantList &list) {
            reload({{QStringLiteral("FD_Version"), 1.75}});
            prefs->preferences().insert(area + "_Category_Category", category);
            prefs->preferences().insert(area + "_Category_Domain", domain);
            prefs->preferences().insert(area + "_Category_Array", list);
            return migrate(*prefs).value(area + "_Category_Array").toList();
        };
        EXPECT_TRUE(
            categoriesAfter(QStringLiteral("News"), QString(QLatin1String("")), {}).isEmpty());
        const QVariantList converted
            = categoriesAfter(QStringLiteral("News"), QStringLiteral("urn:d"), {});
        ASSERT_EQ(converted.size(), 1);
        const auto element = KeyedArchivable::objectAs<categoryElement>(converted.at(0));
        ASSERT_TRUE(element);
        EXPECT_EQ(element->categoryString(), QStringLiteral("News"));
        EXPECT_EQ(element->categoryDomainString(), QStringLiteral("urn:d"));
        const QVariantList existing {
            KeyedArchivable::toVariant(std::make_shared<categoryElement>())};
        EXPECT_TRUE(SettingsEquality::equal(
            categoriesAfter(QStringLiteral("News"), QStringLiteral("urn:d"), existing), existing));
        // The old texts stay.
        EXPECT_EQ(prefs->displayedValues().value(area + "_Category_Category"),
                  QStringLiteral("News"));
    }
}

TEST_F(FeedMigration, ANewFeedEndsWithOnlyItsIdentifierAndVersion)
{
    const int syncs = store->syncCount();
    const int before = store->writeCount(VLXPreferences::kFeedArray);
    VLXPreferences::checkVersion(QStringLiteral("F"));
    EXPECT_EQ(store->writeCount(VLXPreferences::kFeedArray) - before, 43); // one save per write
    EXPECT_EQ(store->syncCount() - syncs, 1); // but the file is written once
    ASSERT_EQ(feedEntries().size(), 2);
    const QVariantMap entry = feedEntries().at(1).toMap();
    EXPECT_EQ(entry.size(), 2);
    EXPECT_EQ(entry.value(VLXPreferences::kUniqueKey), QStringLiteral("F"));
    EXPECT_EQ(entry.value(QStringLiteral("FD_CF_Version")).metaType().id(), QMetaType::Float);
    EXPECT_EQ(entry.value(QStringLiteral("FD_CF_Version")).toFloat(), 2.05f);

    // Later calls only read.
    VLXPreferences::checkVersion(QStringLiteral("F"));
    EXPECT_EQ(store->writeCount(VLXPreferences::kFeedArray) - before, 43);
}

TEST_F(FeedMigration, StepsRunFromTheEntrysVersion)
{
    // Counted in writes, each saved at once: from 1.45 the steps 1.55, 1.65, 1.85 and 2.05 make
    // 3 + 17 + 2 + 2 writes; from 1.35 the step 1.45 adds 4 and 1.55 always follows.
    for (const auto &[version, writes] :
         {std::pair {1.45f, 24}, std::pair {1.35f, 28}, std::pair {1.3f, 38}, std::pair {1.85f, 2},
          std::pair {2.0f, 0}, std::pair {2.5f, 0}}) {
        reload({{VLXPreferences::kFeedArray,
                 QVariantList {QVariantMap {
                     {VLXPreferences::kUniqueKey, QStringLiteral("F")},
                     {QStringLiteral("FD_CF_Version"), static_cast<double>(version)}}}}});
        const int before = store->writeCount(VLXPreferences::kFeedArray);
        VLXPreferences::checkVersion(QStringLiteral("F"));
        EXPECT_EQ(store->writeCount(VLXPreferences::kFeedArray) - before, writes) << version;
    }
}

TEST_F(FeedMigration, NonEmptyValuesAndCategoryLists)
{
    const QByteArray oneCategory
        = KeyedArchiver::archivedDataWithRootObject(QVariantList {KeyedArchivable::toVariant(
            std::make_shared<categoryElement>(QStringLiteral("x"), QStringLiteral("y")))});
    reload(
        {{VLXPreferences::kFeedArray,
          QVariantList {
              QVariantMap {{VLXPreferences::kUniqueKey, QStringLiteral("F")},
                           {QStringLiteral("FD_CF_IF_Title"), QStringLiteral("kept")},
                           {QStringLiteral("FD_CF_IF_Category_Category"), QStringLiteral("c")},
                           {QStringLiteral("FD_CF_IF_Category_Domain"), QStringLiteral("d")},
                           {QStringLiteral("FD_CF_IF_Category_Array"), oneCategory}},
              QVariantMap {{VLXPreferences::kUniqueKey, QStringLiteral("G")},
                           {QStringLiteral("FD_CF_IF_Category_Category"), QStringLiteral("c")},
                           {QStringLiteral("FD_CF_IF_Category_Domain"), QStringLiteral("d")}}}}});
    VLXPreferences::checkVersion(QStringLiteral("F"));
    VLXPreferences::checkVersion(QStringLiteral("G"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Title"), QStringLiteral("F")),
              QStringLiteral("kept"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Category_Array"),
                                           QStringLiteral("F")),
              oneCategory);
    const QVariantList converted
        = KeyedUnarchiver::unarchiveObjectWithData(
              VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Category_Array"),
                                           QStringLiteral("G"))
                  .toByteArray())
              .toList();
    ASSERT_EQ(converted.size(), 1);
    EXPECT_EQ(KeyedArchivable::objectAs<categoryElement>(converted.at(0))->categoryString(),
              QStringLiteral("c"));
}

} // namespace
