#include "PropertyListBombs.h"
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

// A value `levels` deep: lists around one string.
QVariant nestedValue(int levels)
{
    QVariant value = QStringLiteral("x");
    for (int i = 1; i < levels; ++i)
        value = QVariantList {value};
    return value;
}

QString refusal(const QByteArray &bytes)
{
    bool ok = true;
    QString problem;
    const QVariant value
        = PropertyList::parse(bytes, PropertyListGuard::Limits(), &ok, &problem);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(value.isValid());
    return problem;
}

TEST(PropertyListLimits, DeepNestingIsRefusedBeforeLibplistRecurses)
{
    // A hundred thousand levels overflow libplist's recursive parsers in both formats.
    using namespace PropertyListBombs;
    EXPECT_TRUE(refusal(nestedBinary(100000)).contains(QStringLiteral("deeper than 256")));
    EXPECT_TRUE(refusal(nestedXml(100000)).contains(QStringLiteral("deeper than 256")));
    // The limit is the same for writing and for both formats: 256 levels go and come back.
    for (auto format : {PropertyList::Format::Xml, PropertyList::Format::Binary}) {
        bool ok = false;
        const QByteArray deepest = PropertyList::serialize(nestedValue(256), format, &ok);
        ASSERT_TRUE(ok);
        EXPECT_TRUE(SettingsEquality::equal(PropertyList::parse(deepest, &ok), nestedValue(256)));
        EXPECT_TRUE(ok);
        PropertyList::serialize(nestedValue(257), format, &ok);
        EXPECT_FALSE(ok);
    }
    EXPECT_FALSE(refusal(nestedBinary(256)).isEmpty());
    EXPECT_FALSE(refusal(nestedXml(256)).isEmpty());
}

TEST(PropertyListLimits, SharedReferencesCountAsOftenAsTheyExpand)
{
    using namespace PropertyListBombs;
    // 24 levels of arrays that hold their child twice: under 500 bytes, 2^24 strings expanded.
    const QByteArray doubling = doublingBinary(24);
    EXPECT_LT(doubling.size(), 500);
    EXPECT_TRUE(refusal(doubling).contains(QStringLiteral("more than 1000000 values")));
    // One 100 KB text referred to a thousand times holds 100 MB once expanded.
    QList<quint64> refs(1000, 1);
    EXPECT_TRUE(refusal(binary({array(refs), asciiString(QByteArray(100000, 'a'))}))
                    .contains(QStringLiteral("more than 64 MB")));
    // Sharing within the limits reads as the copies it stands for.
    bool ok = false;
    EXPECT_EQ(PropertyList::parse(doublingBinary(3), &ok).toList().first().toList().size(), 2);
    EXPECT_TRUE(ok);
    const QVariant twice = PropertyList::parse(binary({array({1, 1}), asciiString("k")}), &ok);
    EXPECT_EQ(twice.toList(), (QVariantList {QStringLiteral("k"), QStringLiteral("k")}));
}

TEST(PropertyListLimits, ObjectsThatContainThemselvesAreRefused)
{
    using namespace PropertyListBombs;
    EXPECT_TRUE(refusal(binary({array({0})})).contains(QStringLiteral("contains itself")));
    // A cycle through a dictionary value two levels down.
    EXPECT_TRUE(refusal(binary({array({1}), dictionary({2}, {0}), asciiString("k")}))
                    .contains(QStringLiteral("contains itself")));
    // References outside the object table, and counts running past the table.
    EXPECT_FALSE(refusal(binary({array({7})})).isEmpty());
    QByteArray overlong = binary({array({0})});
    overlong[8] = char(0xAF);
    EXPECT_FALSE(refusal(overlong).isEmpty());
}

} // namespace
