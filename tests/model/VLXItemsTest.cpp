#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "platform/Clock.h"
#include "platform/KeyedArchiver.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

#include <QTimeZone>

namespace {

// Pins "now" for one test and gives the system clock back after it.
class PinnedClock
{
public:
    explicit PinnedClock(const QDateTime &when)
    {
        Clock::setInstance(std::make_shared<FixedClock>(when));
    }
    ~PinnedClock() { Clock::setInstance(nullptr); }
};

QString rfc822(const QDateTime &local)
{
    // English names whatever the user's locale: build the text by hand.
    static const char *const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const kMonths[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = local.offsetFromUtc() / 60;
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(kDays[local.date().dayOfWeek() - 1]))
        .arg(local.date().day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonths[local.date().month() - 1]))
        .arg(local.date().year())
        .arg(local.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
        .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TEST(VLXItems, FreshItemValidatesToExactlyFourEntries)
{
    VLXFeed feed;
    auto item = std::make_shared<VLXItems>();
    feed.addItem(item);
    item->validate(&feed);
    EXPECT_EQ(
        item->listOfErrors(true, true, true),
        (QStringList {QStringLiteral("Validate Error::Both the item title and description can "
                                     "not both be blank"),
                      QStringLiteral("Validate Error::Item link can not be blank"),
                      QStringLiteral("Validate Warning::The item pubDate should not be blank"),
                      QStringLiteral("Validate Warning::Use of the \"GUID\" is recommended")}));
    EXPECT_EQ(item->parseXMLErrorCount(), 2);
    EXPECT_EQ(item->parseXMLWarnCount(), 2);

    const QList<MessageGroup> tree = item->parseXMLErrorList(true, true, true);
    ASSERT_EQ(tree.size(), 1);
    EXPECT_EQ(tree.first().title(), QStringLiteral("Item - \"\""));
    item->clearParseXMLErrorList();
    EXPECT_TRUE(item->parseXMLErrorList(true, true, true).isEmpty());
}

TEST(VLXItems, SourceAndEnclosureCompleteness)
{
    VLXItems item;
    item.setSource(QStringLiteral("Elsewhere"));
    item.setEnclosureAttrURL(QStringLiteral("http://example.com/a.mp3"));
    item.setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item.setCategory({categoryElement(QStringLiteral(""), QStringLiteral("d1")),
                      categoryElement(QStringLiteral(""), QStringLiteral("d2"))});
    item.validate(nullptr);
    const QStringList entries = item.listOfErrors(true, true, false);
    EXPECT_TRUE(entries.contains(
        QStringLiteral("Validate Error::Item Source URL is required when Item Source is used")));
    EXPECT_TRUE(entries.contains(
        QStringLiteral("Validate Warning::When Item Enclosure is used the Length is required")));
    EXPECT_EQ(entries.count(QStringLiteral("Validate Error::Item Category must not be blank if "
                                           "Category Domain is used")),
              1);

    VLXItems other;
    other.setSourceAttr(QStringLiteral("http://example.com/feed"));
    other.setEnclosureAttrLength(QStringLiteral(" 123"));
    other.validate(nullptr);
    const QStringList more = other.listOfErrors(true, true, false);
    EXPECT_TRUE(more.contains(
        QStringLiteral("Validate Error::Item Source is required when Item Source is used")));
    EXPECT_TRUE(more.contains(QStringLiteral("Validate Error::Item Enclosure Length has an invalid "
                                             "character, only digits 0 through 9 are allowed")));
}

TEST(VLXItems, FieldRules)
{
    VLXError error;
    EXPECT_FALSE(VLXItems::validateGUID(QStringLiteral(" "), 1, &error));
    EXPECT_TRUE(error.isWarning());
    EXPECT_EQ(error.code(), 3);
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("GUID is recommended"));
    EXPECT_TRUE(VLXItems::validateGUID(QStringLiteral("not a url"), 0, nullptr));
    EXPECT_FALSE(VLXItems::validateGUID(QStringLiteral("not a url"), 1, &error));
    EXPECT_FALSE(error.isWarning());
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Item GUID MUST be a valid URL when \"isPermaLink\" is marked"));

    EXPECT_TRUE(VLXItems::validateEnclosureAttrURL(QStringLiteral(""), nullptr, false));
    EXPECT_FALSE(VLXItems::validateEnclosureAttrURL(QStringLiteral(""), &error, true));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Item Enclosure URL can not be blank in an iTunes podcast"));
    EXPECT_TRUE(
        VLXItems::validateEnclosureAttrURL(QStringLiteral("http://e.com/a.m4a"), nullptr, true));
    EXPECT_FALSE(
        VLXItems::validateEnclosureAttrURL(QStringLiteral("http://e.com/a.ogg"), &error, true));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Item Enclosure URL does not specify an iTunes supported media type"));

    EXPECT_FALSE(VLXItems::validateEnclosureAttrLength(QStringLiteral(" 123"), nullptr));
    EXPECT_TRUE(VLXItems::validateEnclosureAttrLength(QStringLiteral("   "), nullptr));
    EXPECT_FALSE(VLXItems::validateAuthor(QStringLiteral("nobody"), nullptr));
    EXPECT_TRUE(VLXItems::validateAuthor(QStringLiteral("a@b.c"), nullptr));

    // The log form of a warning-domain failure counts a warning.
    VLXItems item;
    item.validateAndLogGUID(QStringLiteral(""), 0);
    EXPECT_EQ(item.warnCount(), 1);
    EXPECT_EQ(item.errorCount(), 0);
}

TEST(VLXItems, EnclosureLengthIsFormattedFrom64BitValues)
{
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("1023")), QStringLiteral("1023 B "));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("1024")), QStringLiteral("1 KB"));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("abc")), QStringLiteral("0 B "));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("")), QStringLiteral(""));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("2048")), QStringLiteral("2 KB"));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("1048575")), QStringLiteral("1023 KB"));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("  42abc")), QStringLiteral("42 B "));
    // A 3 GB file is 3 GB, not a value cut to 32 bits.
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("3221225472")), QStringLiteral("3 GB"));
    EXPECT_EQ(VLXItems::formatByteCount(QStringLiteral("99999999999999999999999")),
              QStringLiteral("7 EB"));

    VLXItems item;
    item.setEnclosureAttrLength(QStringLiteral("5368709120"));
    EXPECT_EQ(item.enclosureAttrLengthFormatted(), QStringLiteral("5 GB"));
}

TEST(VLXItems, FutureMeansAfterTheEndOfTodayInLocalTime)
{
    const QDate day(2024, 3, 31); // a daylight-saving change day in much of Europe
    PinnedClock clock(QDateTime(day, QTime(9, 0), Qt::LocalTime));
    VLXItems item;
    EXPECT_FALSE(item.isInFuture());
    item.setPubDate(rfc822(QDateTime(day, QTime(23, 59), Qt::LocalTime)));
    EXPECT_FALSE(item.isInFuture()) << item.pubDate().toStdString();
    item.setPubDate(rfc822(QDateTime(day.addDays(1), QTime(0, 0, 1), Qt::LocalTime)));
    EXPECT_TRUE(item.isInFuture()) << item.pubDate().toStdString();
    item.setPubDate(rfc822(QDateTime(day.addDays(1), QTime(0, 0, 0), Qt::LocalTime)));
    EXPECT_FALSE(item.isInFuture()) << item.pubDate().toStdString();

    const QDate autumn(2024, 10, 27);
    PinnedClock later(QDateTime(autumn, QTime(9, 0), Qt::LocalTime));
    item.setPubDate(rfc822(QDateTime(autumn, QTime(23, 30), Qt::LocalTime)));
    EXPECT_FALSE(item.isInFuture()) << item.pubDate().toStdString();
}

TEST(VLXItems, CopyIsDeep)
{
    VLXItems item;
    item.setTitle(QStringLiteral("t"));
    item.setGUID(QStringLiteral("g"));
    item.addCategory(categoryElement(QStringLiteral("c"), QStringLiteral("d")));
    item.addXMLComments({QStringLiteral("note")});
    item.recordError(QStringLiteral("e"));
    const std::shared_ptr<VLXItems> copy = item.copy();
    EXPECT_EQ(copy->GUID(), QStringLiteral("g"));
    EXPECT_EQ(copy->errorCount(), 1);
    EXPECT_NE(copy->XMLExtensions(), item.XMLExtensions());
    copy->replaceCategory(categoryElement(QStringLiteral("x"), QStringLiteral("")), 0);
    EXPECT_EQ(item.category().first().categoryString(), QStringLiteral("c"));
    item.setLastUploaded(QDateTime());
    EXPECT_EQ(item.lastUploaded().toSecsSinceEpoch(), 0);
}

TEST(VLXItems, SeldomUsedFieldsStartEmptyAndCopyApart)
{
    VLXItems item;
    for (const QString *field : {&item.source(), &item.sourceAttr(), &item.comments(),
                                 &item.sortingString(), &item.localEnclosureFilePath()}) {
        EXPECT_TRUE(field->isEmpty());
        EXPECT_FALSE(field->isNull());
    }
    EXPECT_EQ(item.sortingNumber(), 0);
    item.setComments(QString());
    EXPECT_TRUE(item.comments().isNull());
    EXPECT_FALSE(item.source().isNull());

    item.setSource(QStringLiteral("s"));
    item.setSortingNumber(2.5);
    const std::shared_ptr<VLXItems> copy = item.copy();
    copy->setSource(QStringLiteral("other"));
    copy->setSortingNumber(-1);
    copy->setLocalEnclosureFilePath(QStringLiteral("/tmp/x"));
    EXPECT_EQ(item.source(), QStringLiteral("s"));
    EXPECT_EQ(item.sortingNumber(), 2.5);
    EXPECT_TRUE(item.localEnclosureFilePath().isEmpty());
    EXPECT_TRUE(copy->comments().isNull());
    EXPECT_EQ(copy->sortingNumber(), -1);
}

TEST(VLXItems, ArchiveRoundTripKeepsTheNineteenValues)
{
    VLXItems item;
    item.setTitle(QStringLiteral("t"));
    item.setDescriptionElement(QStringLiteral("<b>d</b>"));
    item.setLink(QStringLiteral("http://e.com/"));
    item.setPubDate(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    item.addCategory(categoryElement(QStringLiteral("c"), QStringLiteral("dom")));
    item.setGUID(QStringLiteral("g"));
    item.setGUIDAttr(1);
    item.setSource(QStringLiteral("s"));
    item.setSourceAttr(QStringLiteral("http://s/"));
    item.setIncludeEnclosure(1);
    item.setEnclosureAttrURL(QStringLiteral("http://e.com/a.mp3"));
    item.setEnclosureAttrLength(QStringLiteral("3221225472"));
    item.setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item.setAuthor(QStringLiteral("a@e.com"));
    item.setComments(QStringLiteral("http://e.com/c"));
    item.setXMLComments({QStringLiteral("one"), QStringLiteral("two")});
    item.setLocalEnclosureFilePath(QStringLiteral("/tmp/a.mp3"));
    item.setLastUploaded(QDateTime::fromSecsSinceEpoch(1234567, Qt::UTC));
    item.setSortingString(QStringLiteral("key"));
    item.recordRepair(QStringLiteral("r"));

    const QByteArray data = item.archivedData();
    ASSERT_FALSE(data.isEmpty());
    const std::shared_ptr<VLXItems> back = VLXItems::fromArchivedData(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->title(), item.title());
    EXPECT_EQ(back->descriptionElement(), item.descriptionElement());
    EXPECT_EQ(back->link(), item.link());
    EXPECT_EQ(back->pubDate(), item.pubDate());
    ASSERT_EQ(back->category().size(), 1);
    EXPECT_EQ(back->category().first().categoryDomainString(), QStringLiteral("dom"));
    EXPECT_EQ(back->GUID(), item.GUID());
    EXPECT_EQ(back->GUIDAttr(), 1);
    EXPECT_EQ(back->source(), item.source());
    EXPECT_EQ(back->sourceAttr(), item.sourceAttr());
    EXPECT_EQ(back->includeEnclosure(), 1);
    EXPECT_EQ(back->enclosureAttrURL(), item.enclosureAttrURL());
    EXPECT_EQ(back->enclosureAttrLength(), item.enclosureAttrLength());
    EXPECT_EQ(back->enclosureAttrType(), item.enclosureAttrType());
    EXPECT_EQ(back->author(), item.author());
    EXPECT_EQ(back->comments(), item.comments());
    EXPECT_EQ(back->XMLComments(), item.XMLComments());
    EXPECT_EQ(back->localEnclosureFilePath(), item.localEnclosureFilePath());
    EXPECT_EQ(back->lastUploaded().toSecsSinceEpoch(), 1234567);
    EXPECT_EQ(back->listOfErrors(true, true, true), item.listOfErrors(true, true, true));
    EXPECT_EQ(back->sortingString(), QStringLiteral(""));
    // The same item archives to the same bytes again.
    EXPECT_EQ(back->archivedData(), data);

    EXPECT_FALSE(VLXItems::fromArchivedData(QByteArray("not an archive")));
}

TEST(VLXItems, MalformedLocalFileEntriesAreSkipped)
{
    VLXItems item;
    item.setEnclosureAttrURL(QStringLiteral("http://e.com/a.mp3"));
    item.setLocalEnclosureFilePath(QStringLiteral("/kept"));
    QVariantMap info;
    info.insert(QStringLiteral("http://e.com/a.mp3"), QStringLiteral("just a text"));
    item.setEnclosureLocalFileInfo(info);
    info.insert(QStringLiteral("http://e.com/a.mp3"), QVariantList {QStringLiteral("/only-path")});
    item.setEnclosureLocalFileInfo(info);
    EXPECT_EQ(item.localEnclosureFilePath(), QStringLiteral("/kept"));
    info.insert(QStringLiteral("http://e.com/a.mp3"), QVariantList {QStringLiteral("/new"), 17});
    item.setEnclosureLocalFileInfo(info);
    EXPECT_EQ(item.localEnclosureFilePath(), QStringLiteral("/new"));
    EXPECT_EQ(item.lastUploaded().toSecsSinceEpoch(), 0);
}

TEST(VLXItems, SortKeysComeFromTheWrittenElements)
{
    VLXItems item;
    item.setTitle(QStringLiteral("Fish & Chips"));
    item.setPubDate(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    item.setSortStringToField(QStringLiteral("title"));
    EXPECT_EQ(item.sortingString(), QStringLiteral("Fish & Chips"));
    item.setSortNumberToField(QStringLiteral("pubDate"));
    EXPECT_EQ(item.sortingNumber(), 1136193072.0);
    item.setSortStringToField(QStringLiteral("comments"));
    EXPECT_EQ(item.sortingString(), QStringLiteral(""));

    EXPECT_EQ(
        VLXItems::sortNumberForText(QStringLiteral("itunes:duration"), QStringLiteral("1:30")), 90);
    EXPECT_EQ(
        VLXItems::sortNumberForText(QStringLiteral("itunes:duration"), QStringLiteral("1:00:00")),
        3600);
    EXPECT_EQ(VLXItems::sortNumberForText(QStringLiteral("other"), QStringLiteral(" 12.5kg")),
              12.5);
    EXPECT_EQ(VLXItems::sortNumberForText(QStringLiteral("other"), QStringLiteral("nan")), 0);
}

namespace {

// Each test of the defaults gets its own settings over an in-memory store.
class VLXItemsDefaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>(QVariantMap {}));
        Clock::setInstance(std::make_shared<FixedClock>(
            QDateTime(QDate(2024, 5, 6), QTime(10, 11, 12), Qt::LocalTime)));
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    static void setPerFeed(const char *key, const QVariant &value)
    {
        VLXPreferences::setObjectForKey(value, QLatin1String(key), kFeed);
    }
    static void setAllFeeds(const char *key, const QVariant &value)
    {
        VLXPreferences::setObjectForKey(value, QLatin1String(key));
    }

    static inline const QString kFeed = QStringLiteral("FEED-1");
};

} // namespace

TEST_F(VLXItemsDefaults, BuiltInDefaultsGiveAnAutomaticGuidAndTheCurrentTime)
{
    const auto item = VLXItems::initWithUniqueString(kFeed);
    EXPECT_EQ(item->title(), QStringLiteral(""));
    EXPECT_EQ(item->link(), QStringLiteral(""));
    EXPECT_TRUE(item->category().isEmpty());
    EXPECT_TRUE(item->GUID().endsWith(QLatin1String("-VLX")));
    EXPECT_TRUE(VLXLogic::isAutoGenGUID(item->GUID()));
    EXPECT_EQ(item->GUIDAttr(), 0);
    EXPECT_EQ(VLXLogic::InternetDateTime(item->pubDate()), double(Clock::now().toSecsSinceEpoch()));
}

TEST_F(VLXItemsDefaults, PerFeedValuesWinAndGroupsAreNeverMixed)
{
    setAllFeeds("FD_AF_IF_Title", QStringLiteral("all title"));
    setPerFeed("FD_CF_IF_Title", QStringLiteral("feed title"));
    setAllFeeds("FD_AF_IF_Author", QStringLiteral("all@example.com"));
    // Source: the per-feed url alone makes the per-feed pair the one used.
    setPerFeed("FD_CF_IF_Source_URL", QStringLiteral("http://feed/source"));
    setAllFeeds("FD_AF_IF_Source_Source", QStringLiteral("all source"));
    // Enclosure: the per-feed type alone makes the per-feed triple the one used.
    setPerFeed("FD_CF_IF_Enclosure_Type", QStringLiteral("audio/mpeg"));
    setAllFeeds("FD_AF_IF_Enclosure_URL", QStringLiteral("http://all/a.mp3"));
    setAllFeeds("FD_AF_IF_Enclosure_Length", QStringLiteral("12"));
    setAllFeeds("FD_AF_IF_GUID_AutoGenerate", 0);
    setPerFeed("FD_CF_IF_GUID_AutoGenerate", 0);

    const auto item = VLXItems::initWithUniqueString(kFeed);
    EXPECT_EQ(item->title(), QStringLiteral("feed title"));
    EXPECT_EQ(item->author(), QStringLiteral("all@example.com"));
    EXPECT_EQ(item->sourceAttr(), QStringLiteral("http://feed/source"));
    EXPECT_EQ(item->source(), QStringLiteral(""));
    EXPECT_EQ(item->enclosureAttrType(), QStringLiteral("audio/mpeg"));
    EXPECT_EQ(item->enclosureAttrURL(), QStringLiteral(""));
    EXPECT_EQ(item->enclosureAttrLength(), QStringLiteral(""));
    EXPECT_EQ(item->GUID(), QStringLiteral(""));

    setAllFeeds("FD_AF_IF_GUID_GUID", QStringLiteral("http://all/guid"));
    setAllFeeds("FD_AF_IF_GUID_Perma", 1);
    const auto withGuid = VLXItems::initWithUniqueString(kFeed);
    EXPECT_EQ(withGuid->GUID(), QStringLiteral("http://all/guid"));
    EXPECT_EQ(withGuid->GUIDAttr(), 1);
}

TEST_F(VLXItemsDefaults, CategoriesFallBackWhenTheStoredArchiveIsUnreadable)
{
    setAllFeeds("FD_AF_IF_Category_Array",
                QVariantList {KeyedArchivable::toVariant(
                    std::make_shared<categoryElement>(QStringLiteral("all"), QStringLiteral("")))});
    setPerFeed("FD_CF_IF_Category_Array", QByteArray("\x01\x02 definitely not an archive"));
    const auto item = VLXItems::initWithUniqueString(kFeed);
    ASSERT_EQ(item->category().size(), 1);
    EXPECT_EQ(item->category().first().categoryString(), QStringLiteral("all"));

    const QByteArray perFeed
        = KeyedArchiver::archivedDataWithRootObject(QVariantList {KeyedArchivable::toVariant(
            std::make_shared<categoryElement>(QStringLiteral("mine"), QStringLiteral("d")))});
    setPerFeed("FD_CF_IF_Category_Array", perFeed);
    const auto second = VLXItems::initWithUniqueString(kFeed);
    ASSERT_EQ(second->category().size(), 1);
    EXPECT_EQ(second->category().first().categoryString(), QStringLiteral("mine"));
}

TEST(VLXItems, SortKeyShortcutAgreesWithTheWrittenTree)
{
    const QStringList values = {QStringLiteral(""),
                                QStringLiteral("plain"),
                                QStringLiteral("Fish & \"Chips\" > 'peas'"),
                                QStringLiteral("a\r\nb"),
                                QStringLiteral("   "),
                                QStringLiteral(" padded "),
                                QStringLiteral("x<![CDATA[y]]>z"),
                                QStringLiteral("<b>bold</b>"),
                                QStringLiteral("tab\there"),
                                QStringLiteral("bell\x07"),
                                QStringLiteral("caf\u00e9 \U0001F600")};
    const QStringList fields
        = {QStringLiteral("title"),   QStringLiteral("description"), QStringLiteral("pubDate"),
           QStringLiteral("guid"),    QStringLiteral("author"),      QStringLiteral("source"),
           QStringLiteral("category")};
    for (const QString &value : values) {
        VLXItems item;
        item.setTitle(value);
        item.setDescriptionElement(value + value);
        item.setPubDate(value);
        item.setGUID(value);
        item.setAuthor(value);
        item.setSource(value);
        item.addCategory(categoryElement(value, QStringLiteral("")));
        for (const QString &field : fields) {
            QString fast, slow;
            const bool foundFast = item.sortTextForField(field, &fast, true);
            const bool foundSlow = item.sortTextForField(field, &slow, false);
            EXPECT_EQ(foundFast ? fast : QStringLiteral(""), foundSlow ? slow : QStringLiteral(""))
                << field.toStdString() << " of " << value.toStdString();
        }
    }
}

TEST(VLXItems, ExtensionsTravelWithArchivesAndCopiesOwnTheirs)
{
    VLXItems item;
    item.XMLExtensions()->createExtensionWithNamespace(
        QStringLiteral("dc"), QStringLiteral("http://purl.org/dc/elements/1.1/"));
    item.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("geo"),
                                                       QStringLiteral("urn:geo"));
    item.XMLExtensions()->dublinCoreExtension()->setRawXML(
        QStringLiteral("<dc:creator>J</dc:creator>"));
    item.XMLExtensions()->notWellSupportedArray().first()->setRawXML(
        QStringLiteral("<geo:lat>1</geo:lat>"));

    const std::shared_ptr<VLXItems> copy = item.copy();
    copy->XMLExtensions()->dublinCoreExtension()->setRawXML(
        QStringLiteral("<dc:creator>K</dc:creator>"));
    EXPECT_EQ(item.XMLExtensions()->dublinCoreExtension()->rawXML(),
              QStringLiteral("<dc:creator>J</dc:creator>"));

    const std::shared_ptr<VLXItems> back = VLXItems::fromArchivedData(item.archivedData());
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->XMLExtensions()->dublinCoreExtensionUsed());
    EXPECT_EQ(back->XMLExtensions()->arrayOfExtensionNames(),
              item.XMLExtensions()->arrayOfExtensionNames());
    EXPECT_EQ(back->XMLExtensions()->buildXML(QStringLiteral("    ")),
              item.XMLExtensions()->buildXML(QStringLiteral("    ")));
}

TEST(VLXItems, ArchivesAndCopiesDoNotDependOnWhichExtensionsWereRead)
{
    auto prepare = [](VLXItems &item) {
        item.setTitle(QStringLiteral("T"));
        item.XMLExtensions()->createExtensionWithNamespace(
            QStringLiteral("itunes"), QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd"));
        item.XMLExtensions()->iTunesExtension()->setRawXML(
            QStringLiteral("<itunes:author>A</itunes:author>"));
    };
    VLXItems untouched;
    VLXItems touched;
    prepare(untouched);
    prepare(touched);
    // Reading every slot and the user-defined extension makes them; none of them is in use.
    for (const auto &extension : {touched.XMLExtensions()->mediaRSSExtension(),
                                  touched.XMLExtensions()->dublinCoreExtension(),
                                  touched.XMLExtensions()->trackBackExtension(),
                                  touched.XMLExtensions()->unknownExtension()})
        ASSERT_TRUE(extension);

    EXPECT_EQ(untouched.archivedData(), touched.archivedData());
    EXPECT_EQ(untouched.copy()->archivedData(), touched.archivedData());
    EXPECT_EQ(untouched.buildXML(QStringLiteral("    ")), touched.buildXML(QStringLiteral("    ")));
    const std::shared_ptr<VLXItems> back = VLXItems::fromArchivedData(untouched.archivedData());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archivedData(), untouched.archivedData());
    EXPECT_EQ(back->XMLExtensions()->iTunesExtension()->rawXML(),
              QStringLiteral("<itunes:author>A</itunes:author>"));

    // The item's own tree is there when asked for, empty until it is written.
    ASSERT_TRUE(untouched.XMLFeed());
    EXPECT_FALSE(untouched.XMLFeed()->xmlTree());
    untouched.updateDOM();
    EXPECT_TRUE(untouched.XMLFeed()->nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr));
}
