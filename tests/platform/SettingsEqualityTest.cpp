#include "platform/SettingsEquality.h"
#include "platform/KeyedArchivable.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

class Dummy : public KeyedArchivable
{
public:
    QString archiveClassName() const override { return QStringLiteral("Dummy"); }
    void encodeWithCoder(KeyedArchiver &) const override { }
    bool initWithCoder(const KeyedUnarchiver &) override { return true; }
};

TEST(SettingsEquality, NumbersCompareByValueAcrossKinds)
{
    EXPECT_TRUE(SettingsEquality::equal(false, 0));
    EXPECT_TRUE(SettingsEquality::equal(true, qint64(1)));
    EXPECT_TRUE(SettingsEquality::equal(1, 1.0));
    EXPECT_TRUE(SettingsEquality::equal(2.05f, static_cast<double>(2.05f)));
    EXPECT_FALSE(SettingsEquality::equal(2.05f, 2.05));
    EXPECT_FALSE(SettingsEquality::equal(-1, QVariant(quint64(18446744073709551615ULL))));
    EXPECT_FALSE(SettingsEquality::equal(0, QString(QLatin1String("0"))));
}

TEST(SettingsEquality, CollectionsTextDataAndDates)
{
    EXPECT_TRUE(SettingsEquality::equal(QVariantList {QStringLiteral("a"), 1},
                                        QVariantList {QStringLiteral("a"), true}));
    EXPECT_TRUE(SettingsEquality::equal(QStringList {QStringLiteral("a")},
                                        QVariantList {QStringLiteral("a")}));
    EXPECT_FALSE(SettingsEquality::equal(QVariantList {1, 2}, QVariantList {2, 1}));
    EXPECT_TRUE(SettingsEquality::equal(QVariantMap {{QStringLiteral("k"), 0}},
                                        QVariantMap {{QStringLiteral("k"), false}}));
    EXPECT_FALSE(SettingsEquality::equal(QVariantMap {{QStringLiteral("k"), 0}},
                                         QVariantMap {{QStringLiteral("j"), 0}}));
    EXPECT_FALSE(SettingsEquality::equal(QVariantList(), QVariantMap()));
    EXPECT_FALSE(SettingsEquality::equal(QByteArray("a"), QString(QLatin1String("a"))));
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(100, Qt::UTC);
    EXPECT_TRUE(SettingsEquality::equal(utc, utc.toOffsetFromUtc(3600)));
    EXPECT_TRUE(SettingsEquality::equal(QVariant(), QVariant()));
    EXPECT_FALSE(SettingsEquality::equal(QVariant(), QString(QLatin1String(""))));
}

TEST(SettingsEquality, ModelObjectsOnlyEqualThemselves)
{
    const ArchivableRef one = std::make_shared<Dummy>();
    const ArchivableRef two = std::make_shared<Dummy>();
    const QVariant a = KeyedArchivable::toVariant(one);
    EXPECT_TRUE(SettingsEquality::equal(a, KeyedArchivable::toVariant(one)));
    EXPECT_FALSE(SettingsEquality::equal(a, KeyedArchivable::toVariant(two)));
    EXPECT_TRUE(SettingsEquality::equal(QVariantList {a}, QVariantList {a}));
}

} // namespace
