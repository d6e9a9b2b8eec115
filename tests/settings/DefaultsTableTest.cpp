#include "platform/KeyedArchivable.h"
#include "platform/KeyedUnarchiver.h"
#include "settings/VLXPreferences.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

using Kind = VLXPreferences::Kind;

int countKind(const QStringList &keys, Kind kind, bool perFeed = false)
{
    int n = 0;
    for (const QString &key : keys) {
        const auto k
            = perFeed ? VLXPreferences::kindOfPerFeedKey(key) : VLXPreferences::kindOfKey(key);
        if (k == kind)
            ++n;
    }
    return n;
}

TEST(DefaultsTable, CountsAndKinds)
{
    EXPECT_EQ(VLXPreferences::defaultValues().size(), 190);
    EXPECT_EQ(VLXPreferences::globalKeys().size(), 190);
    EXPECT_EQ(VLXPreferences::FDCFdefaultValues().size(), 89);
    EXPECT_EQ(VLXPreferences::perFeedKeys().size(), 89);

    const QStringList &loaded = VLXPreferences::loadedKeys();
    EXPECT_EQ(loaded.size(), 189);
    EXPECT_FALSE(loaded.contains(QStringLiteral("EncodeApos")));
    EXPECT_TRUE(VLXPreferences::defaultValues().contains(QStringLiteral("EncodeApos")));
    EXPECT_EQ(countKind(loaded, Kind::Text), 126);
    EXPECT_EQ(countKind(loaded, Kind::Integer) + countKind(loaded, Kind::Flag), 45);
    EXPECT_EQ(countKind(loaded, Kind::Float), 1);
    EXPECT_EQ(countKind(loaded, Kind::TextArray), 7);
    EXPECT_EQ(countKind(loaded, Kind::Dictionary), 3);
    EXPECT_EQ(countKind(loaded, Kind::ObjectArray), 4);
    EXPECT_EQ(countKind(loaded, Kind::Object), 2);
    EXPECT_EQ(countKind(loaded, Kind::EntryArray), 1);

    const QStringList &perFeed = VLXPreferences::perFeedKeys();
    EXPECT_EQ(countKind(perFeed, Kind::ArchivedData, true), 2);
    EXPECT_EQ(countKind(perFeed, Kind::Date, true), 1);
    EXPECT_EQ(countKind(perFeed, Kind::Float, true), 1);
    EXPECT_EQ(countKind(perFeed, Kind::TextArray, true), 2);
    EXPECT_EQ(countKind(perFeed, Kind::Dictionary, true), 1);
}

TEST(DefaultsTable, TheGlobalFeedArrayHoldsThePerFeedTableItself)
{
    const QVariantList array
        = VLXPreferences::defaultValues().value(QStringLiteral("FD_CF_Array")).toList();
    ASSERT_EQ(array.size(), 1);
    const QVariantMap entry = array.at(0).toMap();
    EXPECT_EQ(entry.value(QStringLiteral("FD_CF_ArrayUniqueKey")).toString(),
              QStringLiteral("BLANK"));
    EXPECT_TRUE(entry.isSharedWith(VLXPreferences::FDCFdefaultValues()));
    EXPECT_EQ(&VLXPreferences::FDCFdefaultValues(), &VLXPreferences::FDCFdefaultValues());
}

TEST(DefaultsTable, KeySpellings)
{
    const QVariantMap &g = VLXPreferences::defaultValues();
    const QVariantMap &f = VLXPreferences::FDCFdefaultValues();
    EXPECT_TRUE(g.contains(QStringLiteral("PrefFD_AF_IM_Title")));
    EXPECT_FALSE(g.contains(QStringLiteral("FD_AF_IM_Title")));
    EXPECT_TRUE(g.contains(QStringLiteral("FD_AF_IM_EX_DCTitle")));
    EXPECT_FALSE(g.contains(QStringLiteral("PrefFD_AF_IM_EX_DCTitle")));
    for (const char *key : {"FD_AF_SD_F_DataTo", "FD_AF_SD_I_DataTo"}) {
        EXPECT_TRUE(g.contains(QLatin1String(key)));
        EXPECT_FALSE(g.contains(QString(QLatin1String(key))
                                    .replace(QStringLiteral("DataTo"), QStringLiteral("DateTo"))));
    }
    EXPECT_TRUE(f.contains(QStringLiteral("FD_CF_SD_F_DataTo")));
    EXPECT_FALSE(f.contains(QStringLiteral("FD_CF_SD_F_DateTo")));
    EXPECT_TRUE(g.contains(QStringLiteral("FD_AF_FF_EX_ITCOwnerEmail")));
    EXPECT_FALSE(g.contains(QStringLiteral("FD_AF_FF_EX_ITCOwnerEMail")));
    EXPECT_TRUE(g.contains(QStringLiteral("OPML_OwnerEMail")));
    EXPECT_FALSE(g.contains(QStringLiteral("OPML_OwnerEmail")));
    for (int hour = 0; hour < 24; ++hour)
        EXPECT_TRUE(g.contains(
            QStringLiteral("FD_AF_FF_SkipHoursHr%1").arg(hour, 2, 10, QLatin1Char('0'))));
    EXPECT_FALSE(g.contains(QStringLiteral("FD_AF_FF_SkipHoursHr24")));
    EXPECT_FALSE(g.contains(QStringLiteral("FD_AF_FF_SkipHoursHr5")));
    EXPECT_TRUE(g.contains(QStringLiteral("M_ReturnIsNL")));
    EXPECT_TRUE(g.contains(QStringLiteral("FD_AF_AD_Stylesheet")));
}

TEST(DefaultsTable, NonZeroDefaults)
{
    const QVariantMap &g = VLXPreferences::defaultValues();
    const QVariantMap &f = VLXPreferences::FDCFdefaultValues();
    EXPECT_EQ(f.value(QStringLiteral("FTP_CF_PasswordToKeychain")).toInt(), -1);
    for (const char *key : {"M_HidePath", "M_UseKeychain", "FD_AF_IF_GUID_AutoGenerate",
                            "FD_AF_SD_F_X_Val", "FD_AF_SD_I_X_Val"})
        EXPECT_EQ(g.value(QLatin1String(key)).toInt(), 1) << key;
    for (const char *key : {"FD_CF_IF_GUID_AutoGenerate", "FD_CF_SD_F_X_Val", "FD_CF_SD_I_X_Val"})
        EXPECT_EQ(f.value(QLatin1String(key)).toInt(), 1) << key;
    EXPECT_EQ(g.value(QStringLiteral("FD_Version")).metaType().id(), QMetaType::Float);
    EXPECT_EQ(g.value(QStringLiteral("FD_Version")).toFloat(), 0.0f);
    EXPECT_EQ(f.value(QStringLiteral("FD_CF_Version")).metaType().id(), QMetaType::Float);
    EXPECT_EQ(f.value(QStringLiteral("FD_CF_SD_Enabled")).metaType().id(), QMetaType::Bool);
    EXPECT_EQ(f.value(QStringLiteral("OPML_CF_LastSaved")).toDateTime().toSecsSinceEpoch(), 0);
    EXPECT_TRUE(
        g.value(QStringLiteral("FD_AF_FF_Docs")).toString().endsWith(QStringLiteral("/tech/rss")));
    EXPECT_EQ(g.value(QStringLiteral("FD_AF_FF_Title")).toString(), QString(QLatin1String("")));
    EXPECT_FALSE(g.value(QStringLiteral("FD_AF_FF_Title")).toString().isNull());
}

TEST(DefaultsTable, ArchivedPerFeedDefaultsDecode)
{
    const QVariantMap &f = VLXPreferences::FDCFdefaultValues();
    const QVariant categories = KeyedUnarchiver::unarchiveObjectWithData(
        f.value(QStringLiteral("FD_CF_IF_Category_Array")).toByteArray());
    EXPECT_EQ(categories.metaType().id(), QMetaType::QVariantList);
    EXPECT_TRUE(categories.toList().isEmpty());
}

TEST(DefaultsTable, MediaDefaultsComeFromTheClassRegistry)
{
    // Until the Media RSS classes register, the registry yields nothing and so do the defaults.
    for (const char *name : {"mrssChannel", "mrssItem"}) {
        const QString key
            = QStringLiteral("FD_AF_%1_EX_%2")
                  .arg(QLatin1String(name) == QLatin1String("mrssChannel") ? QStringLiteral("FF")
                                                                           : QStringLiteral("IF"),
                       QLatin1String(name));
        const QVariant value = VLXPreferences::defaultValues().value(key);
        const bool registered = KeyedUnarchiver::isClassRegistered(QLatin1String(name));
        EXPECT_EQ(KeyedArchivable::isObject(value), registered) << key.toStdString();
        if (registered) {
            EXPECT_EQ(KeyedArchivable::fromVariant(value)->archiveClassName(), QLatin1String(name));
        }
    }
}

} // namespace
