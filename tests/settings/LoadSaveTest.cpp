#include "SettingsFixture.h"

#include "model/VLXLogic.h"
#include "platform/KeyedArchiver.h"
#include "platform/PlistDefaultsStore.h"
#include "platform/SettingsEquality.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using LoadSave = SettingsFixture;

TEST_F(LoadSave, AnEmptyStoreLoadsTheDefaultsAndAnImmediateSaveWritesNothing)
{
    EXPECT_EQ(live().size(), 189);
    for (const QString &key : VLXPreferences::loadedKeys()) {
        EXPECT_TRUE(
            SettingsEquality::equal(live().value(key), VLXPreferences::defaultValues().value(key)))
            << key.toStdString();
    }
    ASSERT_EQ(feedEntries().size(), 1);
    EXPECT_EQ(feedEntries().at(0).toMap().size(), 89);
    EXPECT_EQ(feedEntries().at(0).toMap().value(VLXPreferences::kUniqueKey).toString(),
              QStringLiteral("BLANK"));

    prefs->savePreferencesToDefaults(prefs->preferences());
    EXPECT_TRUE(store->values().isEmpty());
}

TEST_F(LoadSave, StoredDefaultsAreRemovedAndOtherKeysLeftAlone)
{
    reload({{QStringLiteral("M_HidePath"), 1},
            {QStringLiteral("FD_AF_FF_Title"), QStringLiteral("")},
            {QStringLiteral("feedListKey"), QVariantList {QStringLiteral("x")}},
            {QStringLiteral("EncodeApos"), 1}});
    EXPECT_FALSE(live().contains(QStringLiteral("EncodeApos")));
    EXPECT_FALSE(VLXPreferences::objectForKey(QStringLiteral("EncodeApos")).isValid());
    prefs->savePreferencesToDefaults(prefs->preferences());
    EXPECT_FALSE(store->contains(QStringLiteral("M_HidePath")));
    EXPECT_FALSE(store->contains(QStringLiteral("FD_AF_FF_Title")));
    EXPECT_EQ(store->object(QStringLiteral("feedListKey")), QVariantList {QStringLiteral("x")});
    EXPECT_EQ(store->object(QStringLiteral("EncodeApos")), 1);
}

TEST_F(LoadSave, ValuesOfTheWrongKindOrUndecodableArchivesTakeTheirDefaults)
{
    reload(
        {{QStringLiteral("FD_AF_FF_Title"), 5},
         {QStringLiteral("M_HidePath"), QStringLiteral("zero")},
         {QStringLiteral("FD_Version"), QVariantList()},
         {QStringLiteral("FD_AF_Namespaces"), QStringLiteral("not a list")},
         {QStringLiteral("General_XMLNamespaces"), QVariantList {1, 2}},
         {QStringLiteral("FD_AF_FF_EX_Extensions"), QVariantList()},
         {QStringLiteral("Pub_Sites"), QByteArray("garbage")},
         {QStringLiteral("FD_AF_IF_Category_Array"), QStringLiteral("text")},
         {QStringLiteral("FD_AF_FF_EX_mrssChannel"), QByteArray("bplist00")},
         {QStringLiteral("FD_CF_Array"),
          QVariantList {QStringLiteral("not an entry"),
                        QVariantMap {{QStringLiteral("FD_CF_ArrayUniqueKey"), QStringLiteral("A")},
                                     {QStringLiteral("FD_CF_IF_Title"), 7},
                                     {QStringLiteral("FD_CF_IF_Link"), QStringLiteral("ok")}}}}});
    for (const char *key : {"FD_AF_FF_Title", "M_HidePath", "FD_Version", "FD_AF_Namespaces",
                            "General_XMLNamespaces", "FD_AF_FF_EX_Extensions", "Pub_Sites",
                            "FD_AF_IF_Category_Array", "FD_AF_FF_EX_mrssChannel"}) {
        EXPECT_TRUE(
            SettingsEquality::equal(live().value(QLatin1String(key)),
                                    VLXPreferences::defaultValues().value(QLatin1String(key))))
            << key;
    }
    ASSERT_EQ(feedEntries().size(), 1);
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Title"), QStringLiteral("A")),
              QString(QLatin1String("")));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Link"), QStringLiteral("A")),
              QStringLiteral("ok"));
}

TEST_F(LoadSave, KindsAreWrittenInTheirStoredForms)
{
    prefs->preferences().insert(QStringLiteral("FD_Version"), 2.05f);
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_SkipHoursHr05"), true);
    prefs->preferences().insert(
        QStringLiteral("FD_AF_FF_Category_Array"),
        QVariantList {KeyedArchivable::toVariant(
            std::make_shared<categoryElement>(QStringLiteral("c"), QStringLiteral("d")))});
    prefs->savePreferencesToDefaults(prefs->preferences());
    EXPECT_EQ(store->object(QStringLiteral("FD_Version")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(store->object(QStringLiteral("FD_AF_FF_SkipHoursHr05")).metaType().id(),
              QMetaType::LongLong);
    EXPECT_EQ(store->object(QStringLiteral("FD_AF_FF_Category_Array")).metaType().id(),
              QMetaType::QByteArray);
    // A non-empty list of model objects is never equal to its default, so it is written again.
    store->remove(QStringLiteral("FD_AF_FF_Category_Array"));
    prefs->savePreferencesToDefaults(prefs->preferences());
    EXPECT_TRUE(store->contains(QStringLiteral("FD_AF_FF_Category_Array")));
}

TEST_F(LoadSave, AMissingKeyInTheSavedDictionaryIsRemovedFromTheStore)
{
    reload({{QStringLiteral("OPML_Title"), QStringLiteral("mine")}});
    QVariantMap values = prefs->preferences();
    values.remove(QStringLiteral("OPML_Title"));
    prefs->savePreferencesToDefaults(values);
    EXPECT_FALSE(store->contains(QStringLiteral("OPML_Title")));
}

TEST(LoadSaveFile, EveryKindRoundTripsThroughARealPlistFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences &first = VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));

    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setFtpServer(QStringLiteral("ftp.example.org"));
    const QDateTime saved = QDateTime::fromSecsSinceEpoch(1234567890);
    QVariantMap &v = first.preferences();
    v.insert(QStringLiteral("OPML_Title"), QStringLiteral("Title ü"));
    v.insert(QStringLiteral("M_ShowParseResults"), 3);
    v.insert(QStringLiteral("FD_AF_FF_SkipHoursHr05"), 1);
    v.insert(QStringLiteral("FD_Version"), 1.85f);
    v.insert(QStringLiteral("FD_AF_AD_XMLComments"), QVariantList {QStringLiteral("c1")});
    v.insert(QStringLiteral("FD_AF_IF_EX_Extensions"),
             QVariantMap {{QStringLiteral("foo"), QStringLiteral("<foo:x/>")}});
    v.insert(QStringLiteral("FD_AF_IF_Category_Array"),
             QVariantList {KeyedArchivable::toVariant(std::make_shared<categoryElement>(
                 QStringLiteral("News"), QStringLiteral("urn:d")))});
    v.insert(QStringLiteral("Pub_Sites"), QVariantList {KeyedArchivable::toVariant(site)});
    first.savePreferencesToDefaults(v);
    VLXPreferences::setObjectForKey(saved, QStringLiteral("OPML_CF_LastSaved"),
                                    QStringLiteral("F1"));
    VLXPreferences::setObjectForKey(-1, QStringLiteral("FTP_CF_PasswordToKeychain"),
                                    QStringLiteral("F1"));
    VLXPreferences::setObjectForKey(0, QStringLiteral("FTP_CF_PasswordToKeychain"),
                                    QStringLiteral("F2"));
    ASSERT_TRUE(QFile::exists(path));

    VLXPreferences &second = VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    const QVariantMap &w = second.preferences();
    EXPECT_EQ(w.value(QStringLiteral("OPML_Title")).toString(), QStringLiteral("Title ü"));
    EXPECT_EQ(w.value(QStringLiteral("M_ShowParseResults")), 3);
    EXPECT_EQ(w.value(QStringLiteral("FD_AF_FF_SkipHoursHr05")).metaType().id(), QMetaType::Int);
    EXPECT_EQ(w.value(QStringLiteral("FD_Version")).metaType().id(), QMetaType::Float);
    EXPECT_EQ(w.value(QStringLiteral("FD_Version")).toFloat(), 1.85f);
    EXPECT_EQ(w.value(QStringLiteral("FD_AF_AD_XMLComments")).toList(),
              QVariantList {QStringLiteral("c1")});
    EXPECT_EQ(
        w.value(QStringLiteral("FD_AF_IF_EX_Extensions")).toMap().value(QStringLiteral("foo")),
        QStringLiteral("<foo:x/>"));
    const auto categories = w.value(QStringLiteral("FD_AF_IF_Category_Array")).toList();
    ASSERT_EQ(categories.size(), 1);
    const auto category = KeyedArchivable::objectAs<categoryElement>(categories.at(0));
    ASSERT_TRUE(category);
    EXPECT_EQ(category->categoryDomainString(), QStringLiteral("urn:d"));
    ASSERT_TRUE(VLXPreferences::pubSiteWithID(site->siteIdentifier()));
    EXPECT_EQ(VLXPreferences::pubSiteWithID(site->siteIdentifier())->ftpServer(),
              QStringLiteral("ftp.example.org"));
    EXPECT_EQ(
        VLXPreferences::objectForKey(QStringLiteral("OPML_CF_LastSaved"), QStringLiteral("F1"))
            .toDateTime(),
        saved);
    // -1 is this key's default, 0 is not: only the second feed's entry stores it.
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PasswordToKeychain"),
                                           QStringLiteral("F1"))
                  .toInt(),
              -1);
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PasswordToKeychain"),
                                           QStringLiteral("F2"))
                  .toInt(),
              0);
    // A stored -1 (written by hand or by an older version) reads back signed.
    QVariantList entries = w.value(VLXPreferences::kFeedArray).toList();
    QVariantMap f2 = entries.last().toMap();
    f2.insert(QStringLiteral("FTP_CF_PasswordToKeychain"), -1);
    f2.insert(QStringLiteral("FD_CF_IF_Title"), QStringLiteral("kept"));
    entries.last() = f2;
    second.preferences().insert(VLXPreferences::kFeedArray, entries);
    second.savePreferencesToDefaults(second.preferences());
    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PasswordToKeychain"),
                                           QStringLiteral("F2")),
              -1);

    // Saving the unchanged settings again keeps the file's content.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    VLXPreferences::sharedInstance().savePreferencesToDefaults(
        VLXPreferences::sharedInstance().preferences());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(LoadSave, SaveDefaultsWritesOnlyWhenTheLiveSettingsChanged)
{
    const int syncs = store->syncCount();
    VLXPreferences::saveDefaults();
    EXPECT_EQ(store->syncCount(), syncs);
    prefs->preferences().insert(QStringLiteral("OPML_Title"), QStringLiteral("x"));
    VLXPreferences::saveDefaults();
    EXPECT_EQ(store->object(QStringLiteral("OPML_Title")), QStringLiteral("x"));
    VLXPreferences::saveDefaults(); // origValues is not refreshed, so it saves again
    EXPECT_EQ(store->syncCount(), syncs + 2);
}

TEST_F(LoadSave, TheSharedInstanceIsOne)
{
    EXPECT_EQ(&VLXPreferences::sharedInstance(), &VLXPreferences::sharedInstance());
    EXPECT_EQ(&VLXPreferences::sharedInstance(), prefs);
}

} // namespace

TEST_F(LoadSave, TheEscaperReadsEncodeAposFromTheStoreItself)
{
    reload({});
    EXPECT_FALSE(VLXLogic::encodeApos());
    EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QStringLiteral("it's")), QStringLiteral("it's"));
    reload({{QStringLiteral("EncodeApos"), 1}});
    EXPECT_FALSE(live().contains(QStringLiteral("EncodeApos"))); // never a live setting
    EXPECT_TRUE(VLXLogic::encodeApos());
    EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QStringLiteral("it's")), QStringLiteral("it&apos;s"));
    reload({});
}
