#include "extensions/itunes/iTunesItem.h"
#include "common/TestSupport.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/itunes/iTunesItemPrefs.h"
#include "iTunesTestSupport.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

namespace {

using I = iTunesItem;
const QString &kURI = kITunesURI;

std::shared_ptr<iTunesItem> readItem(const QString &prefix, const QString &elements)
{
    auto item = std::make_shared<iTunesItem>();
    readElements(*item, prefix, elements);
    return item;
}

// An item of a feed whose iTunes extension is in use, with the duration given.
std::shared_ptr<VLXItems> episode(const QString &title, const QString &duration)
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(title);
    item->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"), kURI);
    std::dynamic_pointer_cast<iTunesItem>(item->XMLExtensions()->iTunesExtension())
        ->setDuration(duration);
    return item;
}

class iTunesItemSettings : public ::testing::Test
{
protected:
    void SetUp() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
    void TearDown() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
};

} // namespace

TEST(iTunesItem, DurationsAreReadInTheirNormalForm)
{
    struct Row
    {
        const char *read;
        const char *stored;
        const char *message; // nullptr: read silently
    } rows[] = {
        {"3600", "1:00:00",
         "Automatic Repair::Converted 3600 to a normalized HH:MM:SS format for the tag "
         "itunes:duration"},
        {"01:30", "1:30", nullptr},
        {"0:00:45", "0:45", nullptr},
        {"75:00", "1:15:00",
         "Automatic Repair::Converted 75:00 to a normalized HH:MM:SS format for the tag "
         "itunes:duration"},
        {" 1:5 ", "1:05", nullptr},
        {"1:2:3:4", "",
         "Validate Error::Unable to convert \"1:2:3:4\" to a valid HH:MM:SS format for the tag "
         "itunes:duration"},
        {"  ", "", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.read);
        // The message names the fixed tag whatever prefix the document uses.
        const auto item = readItem(
            QStringLiteral("pod"),
            QStringLiteral("<pod:duration>%1</pod:duration>").arg(QLatin1String(row.read)));
        EXPECT_EQ(item->duration(), QLatin1String(row.stored));
        EXPECT_EQ(item->listOfErrors(true, true, true),
                  row.message ? QStringList {QString::fromUtf8(row.message)} : QStringList());
    }
}

TEST(iTunesItem, DurationCheckAndTheTypedDuration)
{
    struct Row
    {
        const char *value;
        int code; // 0 passes
    } rows[] = {{"90", 3},  {"1:75", 3},  {"1:30", 0},    {"01:30", 0}, {"0:01:30", 0},
                {"abc", 0}, {"-5:30", 3}, {"1:2:3:4", 3}, {"", 1},      {" ", 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.value);
        VLXError error;
        EXPECT_EQ(I::validateDuration(QLatin1String(row.value), &error), row.code == 0);
        EXPECT_EQ(error.code(), row.code);
    }
    EXPECT_EQ(I::durationParts(QStringLiteral("-5:30")), (std::array<int, 3> {0, -5, 30}));

    // The quick judgement of the usual forms agrees with comparing against the normal form.
    QStringList durations
        = {"0",           "59",        "60",      "00:00",           "1:59:59",    "100:59:59",
           "12345:00:00", "0:60:00",   "1:00:60", "999999999:59:59", "1234567890", "1234567890:00",
           ":30",         "30:",       "1::30",   "1:30 ",           " 1:30",      "+1:30",
           "１:30",       "1:30:00:00"};
    for (int a = 0; a < 130; a += 7) {
        for (int b = 0; b < 130; b += 11) {
            durations << QStringLiteral("%1:%2").arg(a).arg(b, 2, 10, QLatin1Char('0'))
                      << QStringLiteral("%1:%2:%3").arg(b).arg(a).arg(a + b)
                      << QString::number(a * b);
        }
    }
    for (const QString &duration : std::as_const(durations)) {
        SCOPED_TRACE(duration.toStdString());
        EXPECT_EQ(I::sameAsNormalForm(duration),
                  I::durationParts(duration)
                      == I::durationParts(VLXLogic::convertStringToHHMMSS(duration)));
    }

    const ExtensionField &field = I::classDescriptor().field(I::kDuration);
    QString typed = QStringLiteral(" 90 ");
    EXPECT_TRUE(FieldExtensionBase::leaveField(field, typed, nullptr));
    EXPECT_EQ(typed, QStringLiteral("1:30"));
    typed = QStringLiteral("1:2:3:4");
    EXPECT_FALSE(FieldExtensionBase::leaveField(field, typed, nullptr));
    typed = QStringLiteral("  ");
    EXPECT_TRUE(FieldExtensionBase::leaveField(field, typed, nullptr));
    EXPECT_EQ(typed, QString());
}

TEST(iTunesItem, WriterGoldens)
{
    iTunesItem item;
    EXPECT_EQ(item.buildXML(QStringLiteral("            ")), QString());
    EXPECT_TRUE(item.isEmpty());
    item.validate(nullptr, nullptr);
    EXPECT_TRUE(item.errorList().isEmpty());

    item.setExplicit(-1);
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<itunes:explicit>clean</itunes:explicit>\n"));
    item.setExplicit(0);
    item.setSubtitle(QString(300, u's'));
    item.setDuration(QString(300, u'9'));
    item.setAuthor(QStringLiteral("  "));
    item.setBlock(1);
    EXPECT_EQ(item.buildXML(QString()),
              "<itunes:subtitle>" + QString(255, u's') + "</itunes:subtitle>\n<itunes:duration>"
                  + QString(300, u'9')
                  + "</itunes:duration>\n<itunes:author>  </itunes:author>\n"
                    "<itunes:block>yes</itunes:block>\n<itunes:explicit>no</itunes:explicit>\n");
}

TEST(iTunesItem, ReaderKeepsSubtitleAndSummaryUntrimmed)
{
    const auto item = readItem(
        QStringLiteral("itunes"),
        QStringLiteral(
            "<itunes:subtitle> Sub </itunes:subtitle><itunes:summary> Sum"
            "</itunes:summary><itunes:block>Yes</itunes:block>"
            "<itunes:explicit>yes</itunes:explicit><itunes:keywords> a, b "
            "</itunes:keywords><itunes:author> &lt;i&gt;A&lt;/i&gt; </itunes:author>"
            "<itunes:category text=\"Arts\"/><itunes:subtitle> Later </itunes:subtitle>"));
    // The first of a repeated element stands.
    EXPECT_EQ(item->subtitle(), QStringLiteral(" Sub "));
    EXPECT_EQ(item->summary(), QStringLiteral(" Sum"));
    EXPECT_EQ(item->block(), 1);
    EXPECT_EQ(item->explicitValue(), 1);
    EXPECT_EQ(item->keywords(), QStringLiteral("a, b"));
    EXPECT_EQ(item->author(), QStringLiteral("A"));
    EXPECT_EQ(item->listOfErrors(false, false, true),
              QStringList {"Automatic Repair::Removed illegal HTML from the iTunes tag "
                           "itunes:author"});
}

TEST(iTunesItem, ValidationLogsInOrderWithTheAuthorAsAWarning)
{
    iTunesItem item;
    item.setAuthor(QString(256, u'a'));
    item.setKeywords(QStringLiteral("a b"));
    item.validate(nullptr, nullptr);
    EXPECT_EQ(item.listOfErrors(true, true, true),
              (QStringList {"Validate Error::You must enter an iTunes subtitle for this item.",
                            "Validate Error::You must enter an iTunes summary for this item.",
                            "Validate Error::You must enter a duration for this item.",
                            "Validate Error::The iTunes Keywords should use commas to separate "
                            "the words or phrases",
                            "Validate Warning::The iTunes \"Author\" is limited to 255 "
                            "characters, it has 256."}));
    EXPECT_EQ(item.errorCount(), 4);
    EXPECT_EQ(item.warnCount(), 1);
}

TEST(iTunesItem, EnclosureFileTypes)
{
    EXPECT_TRUE(I::checkURLForFileTypes(QStringLiteral("http://example.com/a.mp3?x=1")));
    EXPECT_TRUE(I::checkURLForFileTypes(QStringLiteral("ftp://example.com/b.m4b#t")));
    EXPECT_FALSE(I::checkURLForFileTypes(QStringLiteral("http://example.com/a.MP3")));
    EXPECT_FALSE(I::checkURLForFileTypes(QStringLiteral("a.mp3")));
    EXPECT_FALSE(I::checkURLForFileTypes(QStringLiteral("")));
    EXPECT_FALSE(I::checkURLForFileTypes(QStringLiteral("http://example.com/a.ogg")));
    // Plain web links are looked at where they stand: the same answers as a full reading.
    for (const auto &[link, accepted] : std::initializer_list<std::pair<const char *, bool>> {
             {"https://a.org/x/b.m4a", true},
             {"http://a.org/b.c/d", false},
             {"http://a.org/.mp3", false},
             {"http://a.org", false},
             {"http://a.org?x=/b.mp3", false},
             {"http://a.org/b.mp3?x=c.ogg", true},
             {"http://u@a.org/b.pdf", true},
             {"http://a.org/b.mp3/", false},
             {"http://a.org/b.mp3x", false},
         })
        EXPECT_EQ(I::checkURLForFileTypes(QString::fromLatin1(link)), accepted) << link;

    // Through the item model: only a feed that uses iTunes asks for its media types.
    VLXError error;
    EXPECT_TRUE(
        VLXItems::validateEnclosureAttrURL(QStringLiteral("http://x.org/a.ogg"), &error, false));
    EXPECT_TRUE(VLXItems::validateEnclosureAttrURL(QString(), &error, false));
    EXPECT_FALSE(VLXItems::validateEnclosureAttrURL(QString(), &error, true));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Item Enclosure URL can not be blank in an iTunes podcast"));
    EXPECT_FALSE(
        VLXItems::validateEnclosureAttrURL(QStringLiteral("http://x.org/a.ogg"), &error, true));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Item Enclosure URL does not specify an iTunes supported media type"));
    EXPECT_TRUE(
        VLXItems::validateEnclosureAttrURL(QStringLiteral("http://x.org/a.m4a"), &error, true));
    VLXItems item;
    item.setEnclosureAttrURL(QStringLiteral("http://x.org/a.ogg"));
    item.validateAndLogEnclosureAttrURL(item.enclosureAttrURL());
    EXPECT_TRUE(item.errorList().isEmpty());
    item.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"), kURI);
    item.validateAndLogEnclosureAttrURL(item.enclosureAttrURL());
    EXPECT_EQ(item.errorCount(), 1);

    const auto alerts = ScriptedAlertService::install();
    alerts->queueAnswer(AlertService::kOther);
    EXPECT_EQ(I::checkURLForFileTypesAndInform(QStringLiteral("http://x.org/a.ogg"),
                                               QStringLiteral("Enclosure: "), true),
              AlertService::kOther);
    EXPECT_EQ(I::checkURLForFileTypesAndInform(QStringLiteral("x.org/a.mp3"), QString(), false), 1);
    EXPECT_EQ(
        I::checkURLForFileTypesAndInform(QStringLiteral("http://x.org/a.mp3"), QString(), false),
        1);
    ASSERT_EQ(alerts->alerts().size(), 2);
    EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("Warning"));
    EXPECT_EQ(alerts->alerts().at(0).otherButton, QStringLiteral("More Info."));
    EXPECT_EQ(alerts->alerts().at(0).message,
              QStringLiteral("Enclosure: \"http://x.org/a.ogg\" does not seem to contain a valid "
                             "iTunes podcast media type (.m4a, .m4b, .mp3, .mov, .mp4, .m4v and "
                             ".pdf)."));
    EXPECT_EQ(alerts->alerts().at(1).style, Alert::Style::Critical);
    EXPECT_TRUE(alerts->alerts().at(1).message.endsWith(
        QStringLiteral("The URL should be in a format similar to "
                       "\"http://www.example.com/file.m4a\"")));
    AlertService::setInstance(nullptr);
}

TEST_F(iTunesItemSettings, FeedDefaultsMaskAllFeedsDefaultsFieldByField)
{
    VLXPreferences::setObjectForKey(QStringLiteral("feed subtitle"), "FD_CF_IF_EX_ITISubtitle",
                                    QStringLiteral("F"));
    VLXPreferences::setObjectForKey(QStringLiteral("all subtitle"), "FD_AF_IF_EX_ITISubtitle");
    VLXPreferences::setObjectForKey(QStringLiteral("all summary"), "FD_AF_IF_EX_ITISummary");
    VLXPreferences::setObjectForKey(QStringLiteral("1"), "FD_AF_IF_EX_ITIExplicitStr");
    VLXPreferences::setObjectForKey(QStringLiteral("-1"), "FD_CF_IF_EX_ITIExplicitStr",
                                    QStringLiteral("F"));
    const auto item
        = VLXItems::initWithUniqueString(QStringLiteral("F"), {I::classDescriptionOfNamespace()});
    const auto itunes
        = std::dynamic_pointer_cast<iTunesItem>(item->XMLExtensions()->iTunesExtension());
    ASSERT_TRUE(itunes);
    ASSERT_TRUE(item->XMLExtensions()->iTunesExtensionUsed());
    EXPECT_EQ(itunes->subtitle(), QStringLiteral("feed subtitle"));
    EXPECT_EQ(itunes->summary(), QStringLiteral("all summary"));
    EXPECT_EQ(itunes->explicitValue(), -1);
    EXPECT_EQ(itunes->duration(), QString());

    iTunesItem elsewhere;
    elsewhere.populateWithDefaults(QStringLiteral("other feed"));
    EXPECT_EQ(elsewhere.subtitle(), QStringLiteral("all subtitle"));
    EXPECT_EQ(elsewhere.explicitValue(), 1);
}

TEST(iTunesItem, SortsByDurationInSeconds)
{
    VLXFeed feed;
    feed.addItem(episode(QStringLiteral("hour"), QStringLiteral("1:00:00")));
    feed.addItem(episode(QStringLiteral("ninety"), QStringLiteral("90")));
    feed.addItem(episode(QStringLiteral("ten minutes"), QStringLiteral("10:00")));
    feed.addItem(episode(QStringLiteral("none"), QString()));
    const QVariantMap tags = feed.findSortableTags();
    ASSERT_TRUE(tags.contains(QStringLiteral("itunes")));
    const QVariantMap itunes = tags.value(QStringLiteral("itunes")).toMap();
    EXPECT_EQ(itunes.value(QStringLiteral("displayName")),
              QStringLiteral("iTunes") + QChar(0x00AE));
    const QVariantMap sortable = itunes.value(QStringLiteral("sortTags")).toMap();
    EXPECT_EQ(sortable.keys(),
              (QStringList {"author", "duration", "explicit", "keywords", "subtitle", "summary"}));
    EXPECT_EQ(sortable.value("duration").toMap().value("type"), QStringLiteral("number"));

    ASSERT_TRUE(feed.sortItemsByNumberField(QStringLiteral("itunes:duration"), true));
    QStringList order;
    for (int i = 0; i < feed.countOfItems(); ++i)
        order.append(feed.itemAtIndex(i)->title());
    EXPECT_EQ(order, (QStringList {"none", "ninety", "ten minutes", "hour"}));
}

TEST(iTunesItem, TokensCopiesAndArchives)
{
    iTunesItem item;
    item.setSubtitle(QStringLiteral("S"));
    item.setDuration(QStringLiteral("1:30"));
    item.setExplicit(1);
    EXPECT_EQ(
        TestSupport::exportedBy(QStringLiteral("~~~FeediTunesSubtitle~~~ ~~~ItemiTunesDuration~~~ "
                                               "~~~FeediTunesExplicit~~~ ~~~FeediTunesBlocked~~~"),
                                item),
        QStringLiteral("S 1:30 YES NO"));

    auto episode = std::make_shared<VLXItems>();
    episode->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"), kURI);
    episode->XMLExtensions()->setITunesExtension(
        std::static_pointer_cast<extensionNSItem>(item.copyExtension()));
    const auto back = VLXItems::fromArchivedData(episode->archivedData());
    ASSERT_TRUE(back);
    const auto restored
        = std::dynamic_pointer_cast<iTunesItem>(back->XMLExtensions()->iTunesExtension());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->buildXML(QString()), item.buildXML(QString()));

    auto twin = std::make_shared<iTunesItemPrefs>();
    twin->setKeywords(QStringLiteral("k"));
    const auto twinBack
        = KeyedArchivable::objectAs<iTunesItemPrefs>(KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin))));
    ASSERT_TRUE(twinBack);
    EXPECT_EQ(twinBack->keywords(), QStringLiteral("k"));
    EXPECT_FALSE(twinBack->allowsUndo());
}
