#include "platform/PropertyList.h"
#include "platform/SettingsEquality.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

QVariant roundTrip(const QVariant &value, PropertyList::Format format)
{
    bool ok = false;
    const QByteArray bytes = PropertyList::serialize(value, format, &ok);
    EXPECT_TRUE(ok);
    bool parsed = false;
    const QVariant back = PropertyList::parse(bytes, &parsed);
    EXPECT_TRUE(parsed);
    return back;
}

class PropertyListFormats : public ::testing::TestWithParam<PropertyList::Format>
{
};

TEST_P(PropertyListFormats, NegativeIntegersSurviveTheUnsignedStorage)
{
    for (qint64 n :
         {qint64(-1), qint64(-2147483648LL), qint64(0), qint64(1), qint64(-99999999999LL)}) {
        const QVariant back = roundTrip(QVariant(n), GetParam());
        ASSERT_TRUE(SettingsEquality::isNumber(back));
        EXPECT_EQ(back.toLongLong(), n);
    }
}

TEST_P(PropertyListFormats, FloatVersionsComeBackBitForBit)
{
    const QVariant back = roundTrip(QVariant(2.05f), GetParam());
    EXPECT_EQ(static_cast<float>(back.toDouble()), 2.05f);
    EXPECT_NE(back.toDouble(), 2.05); // stored widened, not rounded to the double 2.05
}

TEST_P(PropertyListFormats, DatesKeepTheirInstantAcrossThe2001Epoch)
{
    const QDateTime epoch = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const QDateTime later = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    EXPECT_EQ(roundTrip(epoch, GetParam()).toDateTime().toSecsSinceEpoch(), 0);
    EXPECT_EQ(roundTrip(later, GetParam()).toDateTime().toSecsSinceEpoch(), 1700000000);
}

TEST_P(PropertyListFormats, NestedCollectionsRoundTrip)
{
    QVariantMap entry {{QStringLiteral("text"), QStringLiteral("héllo")},
                       {QStringLiteral("flag"), true},
                       {QStringLiteral("data"), QByteArray("\x00\x01\xff", 3)},
                       {QStringLiteral("list"), QVariantList {1, QStringLiteral("two"), 3.5}},
                       {QStringLiteral("empty"), QVariantMap()}};
    const QVariant back = roundTrip(QVariantList {entry, QString(QLatin1String(""))}, GetParam());
    EXPECT_TRUE(SettingsEquality::equal(back, QVariantList {entry, QString(QLatin1String(""))}));
}

INSTANTIATE_TEST_SUITE_P(Both, PropertyListFormats,
                         ::testing::Values(PropertyList::Format::Xml, PropertyList::Format::Binary),
                         [](const auto &info) {
                             return info.param == PropertyList::Format::Xml ? "Xml" : "Binary";
                         });

TEST(PropertyList, NonPropertyListValuesAreRefused)
{
    bool ok = true;
    EXPECT_TRUE(PropertyList::serialize(QVariant(), PropertyList::Format::Xml, &ok).isEmpty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(PropertyList::isPropertyListValue(QVariantList {QVariant()}));
}

TEST(PropertyList, GarbageParsesAsNothing)
{
    for (const QByteArray &bytes :
         {QByteArray("not a plist"), QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a"),
          QByteArray("bplist00\xff\xff\xff", 11), QByteArray()}) {
        bool ok = true;
        EXPECT_FALSE(PropertyList::parse(bytes, &ok).isValid());
        EXPECT_FALSE(ok);
    }
}

TEST(PropertyList, EmbeddedNulCharactersAreRefusedNotFatal)
{
    // libplist aborts on such strings; they must be turned away before it sees them.
    QByteArray binary = PropertyList::serialize(
        QVariantMap {{QStringLiteral("kQ"), QStringLiteral("xQy")}}, PropertyList::Format::Binary);
    QByteArray badValue = binary;
    badValue.replace("xQy", QByteArray("x\0y", 3));
    QByteArray badKey = binary;
    badKey.replace("kQ", QByteArray("k\0", 2));
    static const char xml[] = "<?xml version=\"1.0\"?><plist><dict><key>a</key><string>x\0y"
                              "</string></dict></plist>";
    const QByteArray badXml(xml, sizeof(xml) - 1);
    for (const QByteArray &bytes : {badValue, badKey, badXml, binary.left(binary.size() - 1)}) {
        bool ok = true;
        EXPECT_FALSE(PropertyList::parse(bytes, &ok).isValid());
        EXPECT_FALSE(ok);
    }
    bool ok = false;
    EXPECT_EQ(PropertyList::parse(binary, &ok).toMap().value(QStringLiteral("kQ")),
              QStringLiteral("xQy"));
    EXPECT_TRUE(ok);
}

} // namespace
