#include "PropertyListBombs.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>

namespace {

class Point : public KeyedArchivable
{
public:
    int x = 0;
    QString label;
    QVariant child;
    bool refuse = false;

    QString archiveClassName() const override { return QStringLiteral("TestPoint"); }
    void encodeWithCoder(KeyedArchiver &coder) const override
    {
        coder.encodeInt(x, QStringLiteral("x"));
        coder.encodeString(label, QStringLiteral("label"));
        coder.encodeObject(child, QStringLiteral("child"));
        coder.encodeBool(refuse, QStringLiteral("refuse"));
    }
    bool initWithCoder(const KeyedUnarchiver &coder) override
    {
        x = static_cast<int>(coder.decodeIntForKey(QStringLiteral("x")));
        label = coder.decodeStringForKey(QStringLiteral("label"));
        child = coder.decodeObjectForKey(QStringLiteral("child"));
        return !coder.decodeBoolForKey(QStringLiteral("refuse"));
    }
};

[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("TestPoint"), [] { return std::make_shared<Point>(); });

std::shared_ptr<Point> point(int x, const QString &label)
{
    auto p = std::make_shared<Point>();
    p->x = x;
    p->label = label;
    return p;
}

TEST(KeyedArchiver, ObjectsListsAndNestedObjectsRoundTrip)
{
    auto outer = point(-1, QStringLiteral("outer"));
    outer->child
        = QVariantMap {{QStringLiteral("$class"), QStringLiteral("looks like an object")},
                       {QStringLiteral("inner"), KeyedArchivable::toVariant(point(7, {}))}};
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(
        QVariantList {KeyedArchivable::toVariant(outer), QStringLiteral("plain")});
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("bplist"));

    const QVariantList back = KeyedUnarchiver::unarchiveObjectWithData(bytes).toList();
    ASSERT_EQ(back.size(), 2);
    const auto restored = KeyedArchivable::objectAs<Point>(back.at(0));
    ASSERT_TRUE(restored);
    EXPECT_NE(restored.get(), outer.get());
    EXPECT_EQ(restored->x, -1);
    EXPECT_EQ(restored->label, QStringLiteral("outer"));
    const QVariantMap child = restored->child.toMap();
    EXPECT_EQ(child.value(QStringLiteral("$class")).toString(),
              QStringLiteral("looks like an object"));
    const auto inner = KeyedArchivable::objectAs<Point>(child.value(QStringLiteral("inner")));
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->x, 7);
    EXPECT_EQ(back.at(1).toString(), QStringLiteral("plain"));
}

TEST(KeyedArchiver, TheSameObjectGivesTheSameBytes)
{
    const QVariant a = KeyedArchivable::toVariant(point(3, QStringLiteral("z")));
    const QVariant b = KeyedArchivable::toVariant(point(3, QStringLiteral("z")));
    EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(a),
              KeyedArchiver::archivedDataWithRootObject(b));
    EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(QVariantList()),
              KeyedArchiver::archivedDataWithRootObject(QVariantList()));
}

TEST(KeyedUnarchiver, BadDataAndUnknownClassesGiveNull)
{
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(QByteArray("junk")).isValid());
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(QByteArray()).isValid());
    // A property list that is not one of our archives.
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(
                     PropertyList::serialize(QVariantMap {{QStringLiteral("$top"), 1}},
                                             PropertyList::Format::Binary))
                     .isValid());

    QVariantMap unknown {{QStringLiteral("$class"), QStringLiteral("NoSuchClass")}};
    QVariantMap archive {{QStringLiteral("$archiver"), KeyedArchiver::kArchiverName},
                         {QStringLiteral("$version"), 1},
                         {QStringLiteral("$top"), QVariantList {unknown}}};
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(
                     PropertyList::serialize(archive, PropertyList::Format::Binary))
                     .isValid());

    auto refusing = point(1, {});
    refusing->refuse = true;
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(KeyedArchiver::archivedDataWithRootObject(
                                                              KeyedArchivable::toVariant(refusing)))
                     .isValid());
}

TEST(KeyedUnarchiver, TypedReadsOfMissingOrMistypedKeysGiveEmptyValues)
{
    QVariantMap fields {{QStringLiteral("$class"), QStringLiteral("TestPoint")},
                        {QStringLiteral("x"), QStringLiteral("not a number")},
                        {QStringLiteral("label"), 12}};
    QVariantMap archive {{QStringLiteral("$archiver"), KeyedArchiver::kArchiverName},
                         {QStringLiteral("$version"), 1},
                         {QStringLiteral("$top"), fields}};
    const auto p = KeyedArchivable::objectAs<Point>(KeyedUnarchiver::unarchiveObjectWithData(
        PropertyList::serialize(archive, PropertyList::Format::Binary)));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->x, 0);
    EXPECT_EQ(p->label, QString(QLatin1String("")));
    EXPECT_FALSE(p->child.isValid());
}

TEST(KeyedUnarchiver, RegistryMakesObjectsByName)
{
    EXPECT_TRUE(KeyedUnarchiver::isClassRegistered(QStringLiteral("TestPoint")));
    EXPECT_TRUE(KeyedUnarchiver::makeObject(QStringLiteral("TestPoint")));
    EXPECT_FALSE(KeyedUnarchiver::makeObject(QStringLiteral("NoSuchClass")));
    EXPECT_FALSE(KeyedUnarchiver::registerClass(QString(), [] { return ArchivableRef(); }));
}

} // namespace

namespace {

// A class that keeps its fields in a plain dictionary, the way FeedElement archives itself.
class DictionaryBacked : public KeyedArchivable
{
public:
    QVariantMap fields;
    QString archiveClassName() const override { return QStringLiteral("TestDictionaryBacked"); }
    void encodeWithCoder(KeyedArchiver &coder) const override
    {
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            coder.encodeObject(it.value(), it.key());
    }
    bool initWithCoder(const KeyedUnarchiver &coder) override
    {
        fields = coder.decodedFields();
        return true;
    }
};

[[maybe_unused]] const bool kDictionaryBackedRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("TestDictionaryBacked"), [] { return std::make_shared<DictionaryBacked>(); });

TEST(KeyedUnarchiver, DecodedFieldsBridgeDictionaryBackedClasses)
{
    auto object = std::make_shared<DictionaryBacked>();
    object->fields = {{QStringLiteral("ErrorList"), QStringList {QStringLiteral("a::b")}},
                      {QStringLiteral("RepairCounter"), 2},
                      {QStringLiteral("Nested"), KeyedArchivable::toVariant(point(4, {}))}};
    const auto back
        = KeyedArchivable::objectAs<DictionaryBacked>(KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(object))));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fields.size(), 3);
    EXPECT_EQ(back->fields.value(QStringLiteral("ErrorList")).toStringList(),
              QStringList {QStringLiteral("a::b")});
    EXPECT_EQ(back->fields.value(QStringLiteral("RepairCounter")).toInt(), 2);
    ASSERT_TRUE(KeyedArchivable::objectAs<Point>(back->fields.value(QStringLiteral("Nested"))));
}

TEST(KeyedUnarchiver, ArchivesThatExpandFarBeyondOneObjectDecodeToNull)
{
    // An archive whose top value doubles eighteen times: 2^18 strings from a few hundred bytes.
    using namespace PropertyListBombs;
    const auto archiveOf = [](int levels) {
        QList<QByteArray> objects {dictionary({1, 2}, {3, 4}), asciiString("$archiver"),
                                   asciiString("$top"), asciiString("VellumcastKeyedArchive")};
        for (int i = 0; i < levels; ++i)
            objects.append(array({quint64(i + 5), quint64(i + 5)}));
        objects.append(asciiString("x"));
        return binary(objects);
    };
    EXPECT_EQ(KeyedUnarchiver::unarchiveObjectWithData(archiveOf(2)).toList().size(), 2);
    const QByteArray bomb = archiveOf(18);
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(bomb).isValid());
    // The limit of an archive is tighter than that of a whole settings file.
    bool ok = false;
    PropertyList::parse(bomb, &ok);
    EXPECT_TRUE(ok);
}

} // namespace
