// The document on its own, without any window: edits through the field table, undo and redo,
// the automatic dates, loading and the feed list's storage.
#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "document/FeedListEntry.h"
#include "document/FeedListModel.h"
#include "document/FieldChange.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "platform/Clock.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ShownText.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QString kOldDate = QStringLiteral("Mon, 07 Dec 2026 09:00:00 +0000");

QString feedWithItems(int count)
{
    QString items;
    for (int i = 0; i < count; ++i)
        items += QStringLiteral("<item><title>Item %1</title><link>https://example.org/%1</link>"
                                "<description>About %1</description>"
                                "<guid>https://example.org/%1</guid><pubDate>%2</pubDate></item>")
                     .arg(i)
                     .arg(kOldDate);
    return QStringLiteral(
               "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Old</title>"
               "<link>https://example.org/</link><description>d</description>"
               "<pubDate>%1</pubDate>%2</channel></rss>\n")
        .arg(kOldDate, items);
}

class FeedDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        Clock::setInstance(
            std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC)));
        entry = FeedListEntry::make("f.xml", "file:///tmp/f.xml", false);
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        AlertService::setInstance(nullptr);
    }
    void load(int items)
    {
        ASSERT_TRUE(document.load(feedWithItems(items), entry, {}).loaded());
        ASSERT_FALSE(document.isEdited());
    }
    // The user action is over: its records form one step.
    void endAction() { document.undoManager()->closeGroup(); }
    VLXUndoManager &undo() { return *document.undoManager(); }

    std::shared_ptr<ScriptedAlertService> alerts;
    FeedListEntry entry;
    FeedDocument document;
};
} // namespace

TEST_F(FeedDocumentTest, AChannelFieldIsOneStepThatPutsBackItsDateAndTheBox)
{
    load(1);
    document.setAutoPubDate(true);
    QSignalSpy changed(&document, &FeedDocument::fieldChanged);
    EXPECT_TRUE(document.editField("Feeds_Required_Title", -1, "New"));
    endAction();
    const QString refreshed = document.feed()->pubDate();
    EXPECT_EQ(document.feed()->title(), "New");
    EXPECT_TRUE(refreshed.contains("08 Dec 2026")) << refreshed.toStdString();
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "Feed Title");
    EXPECT_TRUE(document.isEdited());
    // The views hear of the field and of the date it refreshed.
    QStringList outlets;
    for (const QList<QVariant> &call : changed)
        outlets << call.at(2).toString();
    EXPECT_EQ(outlets, (QStringList {"Feeds_Required_Title", "Feeds_Required_PubDate"}));

    // A date typed by hand ends automatic dating; undoing the title puts the box back as it was
    // before the title's edit.
    document.setAutoPubDate(false);
    undo().undo();
    EXPECT_EQ(document.feed()->title(), "Old");
    EXPECT_EQ(document.feed()->pubDate(), kOldDate);
    EXPECT_TRUE(document.autoPubDate());
    EXPECT_FALSE(document.isEdited());
    undo().redo();
    EXPECT_EQ(document.feed()->title(), "New");
    EXPECT_EQ(document.feed()->pubDate(), refreshed);
    EXPECT_FALSE(document.autoPubDate());

    // The same value again, or a field nobody knows, changes nothing.
    EXPECT_FALSE(document.editField("Feeds_Required_Title", -1, "New"));
    EXPECT_FALSE(document.editField("No_Such_Field", -1, "x"));
    endAction();
    EXPECT_EQ(undo().count(), 1);
}

TEST_F(FeedDocumentTest, AnItemEditUndoneWhileAnotherItemIsShownRestoresThatItemAndItsDate)
{
    load(6);
    document.setAutoPubDate(true);
    document.setShownItem(3);
    EXPECT_TRUE(document.editField("Items_Required_Description", 3, "Changed"));
    endAction();
    const VLXItems &three = *document.item(3);
    EXPECT_EQ(three.descriptionElement(), "Changed");
    const QString refreshed = three.pubDate();
    EXPECT_NE(refreshed, kOldDate);
    // The item has a title: its description leaves the feed's date alone.
    EXPECT_EQ(document.feed()->pubDate(), kOldDate);
    EXPECT_EQ(undo().undoActionName(), "Item Description");

    document.setShownItem(5);
    QSignalSpy changed(&document, &FeedDocument::fieldChanged);
    undo().undo();
    EXPECT_EQ(three.descriptionElement(), "About 3");
    EXPECT_EQ(three.pubDate(), kOldDate);
    EXPECT_EQ(document.item(5)->descriptionElement(), "About 5");
    EXPECT_EQ(document.item(5)->pubDate(), kOldDate);
    EXPECT_EQ(document.shownItem(), 5) << "undo does not change what is shown";
    // The views hear of item 3's fields, never of the item shown.
    QStringList itemOutlets;
    for (const QList<QVariant> &call : changed) {
        if (call.at(0).value<FieldScope>() != FieldScope::Item)
            continue;
        EXPECT_EQ(call.at(1).toInt(), 3);
        itemOutlets << call.at(2).toString();
    }
    EXPECT_TRUE(itemOutlets.contains("Items_Required_Description"));
    EXPECT_TRUE(itemOutlets.contains("Items_Required_PubDate"));
    undo().redo();
    EXPECT_EQ(three.descriptionElement(), "Changed");
    EXPECT_EQ(three.pubDate(), refreshed);
}

TEST_F(FeedDocumentTest, ImageFieldsAndTheItemListAreUndoneOnTheModel)
{
    load(3);
    EXPECT_TRUE(document.editField("Image_Required_Width", -1, "88"));
    endAction();
    EXPECT_EQ(undo().undoActionName(), "Feed Image Width");
    EXPECT_EQ(document.image()->width(), "88");
    undo().undo();
    EXPECT_EQ(document.image()->width(), "");
    undo().redo();
    EXPECT_EQ(document.image()->width(), "88");

    // A changed item list comes back whole, and the row recorded is shown again.
    QSignalSpy list(&document, &FeedDocument::itemListChanged);
    document.registerUndo(FieldChange::items(document, 2), "Delete Item");
    document.feed()->removeItemAtIndex(2);
    document.itemsChanged(1);
    endAction();
    ASSERT_EQ(document.itemCount(), 2);
    undo().undo();
    ASSERT_EQ(document.itemCount(), 3);
    EXPECT_EQ(document.item(2)->title(), "Item 2");
    EXPECT_EQ(list.last().at(0).toInt(), 2);
    undo().redo();
    EXPECT_EQ(document.itemCount(), 2);
}

TEST_F(FeedDocumentTest, GUIDSkipFlagsAndLanguageHaveTheirOwnSteps)
{
    load(2);
    const int perma = document.item(0)->GUIDAttr();
    document.editGUID(0, "https://example.org/1", perma ? 0 : 1);
    endAction();
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, "GUID Not Unique");
    EXPECT_NE(document.item(0)->GUIDAttr(), perma);
    document.editSkipFlag(true, 5, 1);
    endAction();
    EXPECT_EQ(undo().undoActionName(), "Skip Hours");
    document.editField("Feeds_Optional_Language", -1, "en-us");
    endAction();
    EXPECT_EQ(undo().undoActionName(), "Feed Language");
    undo().undo();
    undo().undo();
    EXPECT_EQ(document.feed()->language(), "");
    EXPECT_EQ(document.feed()->skipHours(5), 0);
    EXPECT_EQ(undo().undoActionName(), "Item GUID");
    undo().undo();
    EXPECT_EQ(document.item(0)->GUID(), "https://example.org/0");
    EXPECT_EQ(document.item(0)->GUIDAttr(), perma);
    // Redo puts back the edit, its isPermaLink with it.
    undo().redo();
    EXPECT_EQ(document.item(0)->GUID(), "https://example.org/1");
    EXPECT_NE(document.item(0)->GUIDAttr(), perma);
}

TEST_F(FeedDocumentTest, ALoadThatIsAbandonedOrNotMendedChangesNothing)
{
    load(1);
    const auto before = document.feed();
    const FeedListEntry other = FeedListEntry::make("broken.xml", "file:///tmp/broken.xml", false);
    const QString broken = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"></rss>\n";

    alerts->queueAnswer(AlertService::kAlternate); // "Abandon it"
    EXPECT_EQ(document.load(broken, other, {}).outcome, FeedDocument::LoadOutcome::Abandoned);
    // The alert says why, and so does the editor offered to mend the text.
    const QString why = "The feed's root element <rss> holds no <channel> element.";
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, "Not XML/RSS");
    EXPECT_EQ(alerts->alerts().last().message,
              "This file does not appear to be an XML/RSS file.  Would you like to try and fix "
              "it manually?\n\n"
                  + why);
    FeedDocument::Refusal told;
    FeedDocument::setSourceEditor([&told](const QString &, const FeedDocument::Refusal &refusal) {
        told = refusal;
        return std::optional<QString>();
    });
    alerts->queueAnswer(AlertService::kDefault); // "Manually fix it", then closed unsaved
    EXPECT_EQ(document.load(broken, other, {}).outcome, FeedDocument::LoadOutcome::Unsaved);
    EXPECT_EQ(told.reason, why);
    EXPECT_EQ(document.feed(), before);
    EXPECT_EQ(document.entry().uniqueIdentifier, entry.uniqueIdentifier);

    // Mended in the editor: loaded with its entry, and edited since the text changed.
    FeedDocument::setSourceEditor([](const QString &, const FeedDocument::Refusal &) {
        return std::optional<QString>(feedWithItems(0));
    });
    alerts->queueAnswer(AlertService::kDefault);
    const auto result = document.load(broken, other, {});
    FeedDocument::setSourceEditor({});
    EXPECT_TRUE(result.loaded());
    EXPECT_TRUE(result.mended);
    EXPECT_TRUE(result.itemAdded);
    EXPECT_EQ(document.entry().uniqueIdentifier, other.uniqueIdentifier);
    EXPECT_EQ(document.item(0)->title(), "(untitled)");
    EXPECT_TRUE(document.isEdited());
}

// Bytes that give no text in the encoding they declare are offered to be mended with every
// character that decodes; the mended feed is saved as UTF-8 with every one of them.
TEST_F(FeedDocumentTest, BytesThatGiveNoTextAreMendedAndSavedWithTheirCharacters)
{
    const QByteArray windows1251
        = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<rss version=\"2.0\"><channel>"
          "<title>\xCF\xF0\xE8\xE2\xE5\xF2\x98\xEC\xE8\xF0</title>"
          "<link>https://example.org/</link><description>d</description></channel></rss>\n";
    // Mended once: a text that is still no feed is closed unsaved.
    QString offered;
    int calls = 0;
    FeedDocument::setSourceEditor([&](const QString &text, const FeedDocument::Refusal &) {
        if (++calls > 1)
            return std::optional<QString>();
        offered = text;
        return std::optional<QString>(QString(text).replace(QChar(0xFFFD), u' '));
    });
    alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
    FeedDocument::Prepared prepared
        = FeedDocument::prepare(windows1251, QString(), {}, {}, nullptr);
    FeedDocument::setSourceEditor({});
    EXPECT_TRUE(offered.contains(QStringLiteral("<title>Привет\uFFFDмир</title>")))
        << offered.toStdString();
    ASSERT_TRUE(prepared.result.loaded());
    ASSERT_TRUE(document.finish(std::move(prepared), entry, {}).mended);
    EXPECT_EQ(document.feed()->title(), QStringLiteral("Привет мир"));

    const QTemporaryDir folder;
    QString problem;
    ASSERT_TRUE(document.writeTo(folder.filePath("feed.xml"), entry, &problem))
        << problem.toStdString();
    QFile saved(folder.filePath("feed.xml"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
        << bytes.left(60).toStdString();
    EXPECT_TRUE(bytes.contains(QStringLiteral("<title>Привет мир</title>").toUtf8()));
}

// The one who mends a refused text is told why as the alert told it: a reason of any length, or
// a parser's report of any length, is cut once, where the alert cuts it, and the alert shows it
// whole within what an alert shows uncut.
TEST_F(FeedDocumentTest, TheEditorIsToldTheReasonAsTheAlertShowsIt)
{
    const QString run(100000, u'x');
    const struct
    {
        const char *name;
        QVariantMap error;
        FeedDocument::Refusal refusal;
        int line;
        VLXParseFeed::Cause cause;
    } cases[] = {
        {"a reason", {}, {run, 4, VLXParseFeed::Cause::NotAFeed}, 4, VLXParseFeed::Cause::NotAFeed},
        {"a parser's report",
         {{QString::fromLatin1(vlxXMLDOM::kErrorLineNumberKey), 7},
          {QString::fromLatin1(vlxXMLDOM::kErrorDescriptionKey), run}},
         {},
         7,
         VLXParseFeed::Cause::NotWellFormed},
    };
    for (const auto &c : cases) {
        FeedDocument::Refusal told;
        FeedDocument::setSourceEditor([&told](const QString &, const FeedDocument::Refusal &why) {
            told = why;
            return std::optional<QString>();
        });
        alerts->clear();
        alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
        bool abandoned = true;
        FeedDocument::fixOrAbandon(c.error, c.refusal, QStringLiteral("<text/>"), &abandoned);
        FeedDocument::setSourceEditor({});
        EXPECT_FALSE(abandoned) << c.name;
        ASSERT_EQ(alerts->alerts().size(), 1) << c.name;
        const QString shown = alerts->alerts().first().message;
        EXPECT_LE(shown.size(), ShownText::kLongest) << c.name;
        EXPECT_TRUE(told.reason.contains(QChar(0x2026))) << c.name;
        // The reason names the line as the alert does; its words are the alert's.
        const QString words
            = c.error.isEmpty() ? told.reason : told.reason.section(QStringLiteral(": "), 1);
        EXPECT_TRUE(shown.contains(QStringLiteral("\n\n") + words)) << c.name;
        EXPECT_EQ(told.line, c.line) << c.name;
        EXPECT_EQ(told.cause, c.cause) << c.name;
    }
}

TEST_F(FeedDocumentTest, ASaveDatesAFeedWithoutAPubDateAndSavingACopyLeavesItUndated)
{
    const QTemporaryDir folder;
    const QString undated = feedWithItems(0).remove("<pubDate>" + kOldDate + "</pubDate>");
    for (const bool copy : {true, false}) {
        ASSERT_TRUE(document.load(undated, entry, {}).loaded());
        ASSERT_TRUE(document.feed()->pubDate().isEmpty());
        QString problem;
        ASSERT_TRUE(document.writeTo(folder.filePath("feed.xml"), entry, &problem, copy));
        const QString date = document.feed()->pubDate();
        EXPECT_TRUE(copy ? date.isEmpty() : date.contains("08 Dec 2026"))
            << copy << date.toStdString();
    }
}

TEST(FeedListModelTest, StoredEntriesComeBackAsTheyWereStored)
{
    MemoryDefaultsStore store;
    const QVariantMap full {{"feedFileName", "a.xml"},
                            {"feedURL", "file:///home/u/a.xml"},
                            {"isTransient", 0},
                            {"UniqueIdentifier", "A"},
                            {"LocalEnclosureFileInfo", QVariantMap {{"u", QVariantList {"p", 1}}}},
                            {"LastPublished", QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC)},
                            {"additionalFiles", QByteArray("archive")},
                            {"RecentImports", QVariantList {"x"}}};
    const QVariantMap plain {{"feedFileName", "b.xml"},
                             {"feedURL", "file:///home/u/b.xml"},
                             {"isTransient", 0},
                             {"UniqueIdentifier", "B"}};
    const QVariantMap fetched {{"feedFileName", "c.xml"},
                               {"feedURL", "https://example.org/c.xml"},
                               {"isTransient", 1},
                               {"UniqueIdentifier", "C"}};
    store.setObject(QVariantList {full, plain, fetched}, "feedListKey");
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    FeedListModel list;
    list.load(store);
    ASSERT_EQ(list.count(), 2) << "transient entries are not read back";
    EXPECT_EQ(list.entry(0).toMap(), full);
    EXPECT_EQ(list.entry(1).toMap(), plain);
    EXPECT_TRUE(list.save(store));
    EXPECT_EQ(store.array("feedListKey").value(), (QVariantList {full, plain}));
    EXPECT_EQ(list.rowOfURL("file:///home/u/b.xml"), 1);
    EXPECT_EQ(list.removeURL("file:///home/u/a.xml"), 1);
    EXPECT_EQ(list.rowOf("B"), 0);
}
