#include "settings/SettingEmptiness.h"

#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

TEST(SettingEmptiness, TextsAndListsAreEmptyOnlyWithoutContent)
{
    for (const QVariant &empty : {QVariant(QString()), QVariant(QStringLiteral("")),
                                  QVariant(QVariantList()), QVariant(QStringList())}) {
        EXPECT_TRUE(SettingEmptiness::isEmptyTextOrList(empty));
        EXPECT_TRUE(SettingEmptiness::isEmptyCollectionOrText(empty));
        EXPECT_FALSE(SettingEmptiness::isNonEmptyCollectionOrText(empty));
    }
    for (const QVariant &full : {QVariant(QStringLiteral("x")), QVariant(QVariantList {1}),
                                 QVariant(QStringList {QStringLiteral("a")})}) {
        EXPECT_FALSE(SettingEmptiness::isEmptyTextOrList(full));
        EXPECT_FALSE(SettingEmptiness::isEmptyCollectionOrText(full));
        EXPECT_TRUE(SettingEmptiness::isNonEmptyCollectionOrText(full));
    }
}

TEST(SettingEmptiness, DictionariesCountOnlyForTheCollectionTests)
{
    EXPECT_FALSE(SettingEmptiness::isEmptyTextOrList(QVariant(QVariantMap())));
    EXPECT_TRUE(SettingEmptiness::isEmptyCollectionOrText(QVariant(QVariantMap())));
    EXPECT_TRUE(SettingEmptiness::isEmptyCollectionOrText(QVariant(QVariantHash())));
    EXPECT_TRUE(SettingEmptiness::isNonEmptyCollectionOrText(
        QVariant(QVariantMap {{QStringLiteral("k"), 1}})));
    EXPECT_FALSE(SettingEmptiness::isNonEmptyCollectionOrText(QVariant(QVariantHash())));
}

TEST(SettingEmptiness, OtherValuesAreNeitherEmptyNorFull)
{
    for (const QVariant &other :
         {QVariant(), QVariant(0), QVariant(false), QVariant(QByteArray())}) {
        EXPECT_FALSE(SettingEmptiness::isEmptyTextOrList(other));
        EXPECT_FALSE(SettingEmptiness::isEmptyCollectionOrText(other));
        EXPECT_FALSE(SettingEmptiness::isNonEmptyCollectionOrText(other));
    }
}
