#include "AppFixture.h"

#include "app/Controller.h"
#include "app/LoadRunner.h"
#include "app/OutputActions.h"
#include "app/SortSheet.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/sortTags.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {
class SortSheetTest : public AppFixture
{
protected:
    Vellumcast &openCafe()
    {
        return openInWindow(readFile(QStringLiteral(VLX_TEST_DATA_DIR "/feeds/cafe-podcast.xml")));
    }
    static SortSheet *openSheet(Vellumcast &window)
    {
        window.command("sortOpen")->trigger();
        return window.window()->findChild<SortSheet *>("sortWindow");
    }
    static QComboBox *menu(SortSheet *sheet, const char *name)
    {
        return sheet->findChild<QComboBox *>(QLatin1String(name));
    }
    static QStringList entries(QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
    static void choose(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // Sorts through the sheet as the user does.
    static void sortOn(Vellumcast &window, const QString &field, const QString &type,
                       const QString &direction)
    {
        SortSheet *sheet = openSheet(window);
        ASSERT_NE(sheet, nullptr);
        choose(menu(sheet, "sortField"), field);
        if (!type.isEmpty())
            choose(menu(sheet, "sortType"), type);
        choose(menu(sheet, "sortDirection"), direction);
        sheet->findChild<QAbstractButton *>("sortSort")->click();
    }
    static QStringList titles(Vellumcast &window)
    {
        QStringList list;
        for (const auto &item : window.currentFeed()->arrayOfItems())
            list << item->title();
        return list;
    }
};

const QStringList kListOrder
    = {"Zwölf \"Boxkämpfer\" jagen Viktor", "Ärger im Büro", "Ein Brief aus 東京"};
} // namespace

TEST_F(SortSheetTest, TheMenusListTheCoreElementsThenTheExtensionsAndProposeTheirComparison)
{
    Vellumcast &window = openCafe();
    SortSheet *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isModal());
    const QStringList fields = entries(menu(sheet, "sortField"));
    EXPECT_EQ(fields.mid(0, 9),
              QStringList({"author", "category", "comments", "description", "guid", "link",
                           "pubDate", "source", "title"}));
    EXPECT_TRUE(fields.contains("itunes:duration"));
    EXPECT_TRUE(fields.contains("ex:rating"));
    EXPECT_EQ(entries(menu(sheet, "sortType")), QStringList({"Alphabetic", "Numeric", "Date"}));
    EXPECT_EQ(entries(menu(sheet, "sortDirection")), QStringList({"Ascending", "Descending"}));
    for (const char *name : {"sortField", "sortType", "sortDirection"})
        EXPECT_EQ(menu(sheet, name)->currentIndex(), 0) << name;

    choose(menu(sheet, "sortField"), "pubDate");
    EXPECT_EQ(menu(sheet, "sortType")->currentText(), "Date");
    choose(menu(sheet, "sortField"), "itunes:duration");
    EXPECT_EQ(menu(sheet, "sortType")->currentText(), "Numeric");
    choose(menu(sheet, "sortField"), "ex:rating");
    EXPECT_EQ(menu(sheet, "sortType")->currentText(), "Alphabetic");
    sheet->findChild<QAbstractButton *>("sortCancel")->click();
    EXPECT_EQ(titles(window), kListOrder);
    EXPECT_FALSE(window.isDocumentEdited());

    // The rule behind the proposal, with element types as extensions declare them.
    QVariantMap catalogue = sortTags::coreSortTags();
    catalogue.insert("itunes",
                     sortTags::namespaceRecord("iTunes", "", true,
                                               {{"duration", sortTags::tag("number")},
                                                {"author", sortTags::tag("text")}}));
    catalogue.insert(
        "media",
        sortTags::namespaceRecord("Media", "", false, {{"rating", sortTags::tag("number")}}));
    catalogue.insert("dc",
                     sortTags::namespaceRecord("DC", "", true, {{"date", sortTags::tag("date")}}));
    EXPECT_EQ(SortSheet::comparisonForField(catalogue, "itunes:duration"), SortSheet::Numeric);
    EXPECT_EQ(SortSheet::comparisonForField(catalogue, "dc:date"), SortSheet::Date);
    EXPECT_EQ(SortSheet::comparisonForField(catalogue, "media:rating"), SortSheet::Alphabetic);
    EXPECT_EQ(SortSheet::comparisonForField(catalogue, "title"), SortSheet::Alphabetic);
    // Groups follow the channel's order of extensions; each is sorted on its own.
    EXPECT_EQ(SortSheet::fieldTitles(catalogue, {"media", "itunes", "dc"}).mid(9),
              QStringList({"media:rating", "itunes:author", "itunes:duration", "dc:date"}));
}

TEST_F(SortSheetTest, ASortIsOneUndoStepThatPutsBackTheOrderAndThePubDate)
{
    Vellumcast &window = openCafe();
    FeedDocument &document = *window.document();
    document.setAutoPubDate(true);
    const QString pubDate = window.currentFeed()->pubDate();
    window.outlet<VLXTableView>("Items_Required_Items")->selectRow(1);
    const int steps = window.undoManager()->count();

    sortOn(window, "pubDate", QString(), "Ascending");
    EXPECT_EQ(titles(window), QStringList({kListOrder[0], kListOrder[2], kListOrder[1]}));
    EXPECT_EQ(window.undoManager()->count(), steps + 1);
    EXPECT_EQ(window.undoManager()->undoActionName(), "Sort on <pubDate>");
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_NE(window.currentFeed()->pubDate(), pubDate) << "the automatic date moves on";
    // The item fields show the item that now stands at the selected row.
    EXPECT_EQ(window.outlet<QLineEdit>("Items_Required_Title")->text(), kListOrder[2]);

    window.undo();
    EXPECT_EQ(titles(window), kListOrder);
    EXPECT_EQ(window.currentFeed()->pubDate(), pubDate);
    EXPECT_FALSE(window.isDocumentEdited());
    window.redo();
    EXPECT_EQ(titles(window), QStringList({kListOrder[0], kListOrder[2], kListOrder[1]}));
    window.undo();

    // Durations as numbers: 5:00, 12:30, 1:02:03 (as text 1:02:03 would come first).
    sortOn(window, "itunes:duration", QString(), "Ascending");
    EXPECT_EQ(titles(window), QStringList({kListOrder[1], kListOrder[0], kListOrder[2]}));
    window.undo();
    EXPECT_EQ(titles(window), kListOrder);

    // Titles compared as text, descending: Ä comes after Z in code order.
    sortOn(window, "title", "Alphabetic", "Descending");
    EXPECT_EQ(titles(window), QStringList({kListOrder[1], kListOrder[0], kListOrder[2]}));
    window.undo();
    EXPECT_EQ(titles(window), kListOrder);
}

TEST_F(SortSheetTest, ItemsAlreadyInOrderLeaveNoUndoStepAndAFeedWithoutItemsCannotBeSorted)
{
    Vellumcast &window = openCafe();
    const QString pubDate = window.currentFeed()->pubDate();
    window.document()->setAutoPubDate(true);
    const int steps = window.undoManager()->count();
    sortOn(window, "link", QString(), "Ascending"); // /12, /13, /14
    EXPECT_EQ(titles(window), kListOrder);
    EXPECT_EQ(window.undoManager()->count(), steps);
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_EQ(window.currentFeed()->pubDate(), pubDate);
    EXPECT_TRUE(window.command("sortOpen")->isEnabled());

    // A feed always opens with an item; all of them can be deleted afterwards.
    window.currentFeed()->removeAllItems();
    window.document()->itemsChanged(-1);
    ASSERT_EQ(window.currentFeed()->countOfItems(), 0);
    window.validateCommands();
    EXPECT_FALSE(window.command("sortOpen")->isEnabled());
    window.output().sortOpen();
    const SortSheet *sheet = window.window()->findChild<SortSheet *>("sortWindow");
    EXPECT_TRUE(!sheet || !sheet->isVisible());
}

TEST_F(SortSheetTest, ALongSortRunsBehindTheProgressDialogAndItsCancelLeavesTheItems)
{
    // 2,500 items whose titles share few keys: where the equal ones land is the exchange rule's.
    QByteArray text = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Long</title>"
                      "<link>https://example.org/</link><description>d</description>";
    QStringList keys;
    for (int i = 0; i < 2500; ++i) {
        keys << QStringLiteral("k%1").arg((i * 7919) % 13);
        text += QStringLiteral("<item><title>%1</title><guid>g%2</guid></item>")
                    .arg(keys.last())
                    .arg(i)
                    .toUtf8();
    }
    Vellumcast &window = openInWindow(text + "</channel></rss>");
    ASSERT_EQ(window.currentFeed()->countOfItems(), 2500);
    const auto guids = [&window] {
        QStringList list;
        for (const auto &item : window.currentFeed()->arrayOfItems())
            list << item->GUID();
        return list;
    };
    const QStringList before = guids();
    // The rule on the texts themselves, as a list of guids.
    QList<std::pair<QString, QString>> plain;
    for (int i = 0; i < keys.size(); ++i)
        plain.append({keys.at(i), before.at(i)});
    for (qsizetype i = 0; i + 1 < plain.size(); ++i) {
        for (qsizetype j = i + 1; j < plain.size(); ++j) {
            if (QString::compare(plain.at(i).first, plain.at(j).first) < 0)
                plain.swapItemsAt(i, j);
        }
    }
    QStringList expected;
    for (const auto &entry : std::as_const(plain))
        expected << entry.second;

    LoadRunner::setDialogDelay(0);
    const auto restoreDelay = qScopeGuard([] {
        LoadRunner::setDialogDelay(250);
        LoadRunner::setStageObserver({});
    });
    // Cancel as soon as the dialog shows: nothing moves, no undo step.
    QString dialogTitle;
    QTimer press;
    // Set on the window's thread, read on the worker's: the worker never touches the dialog,
    // and once the sort is cancelled the observer lets every later report through, so it can
    // stay installed while a cancelled worker runs on to its next check.
    std::atomic<bool> dialogSeen = false;
    std::atomic<bool> cancelled = false;
    QObject::connect(&press, &QTimer::timeout, [&] {
        QDialog *dialog = window.loadRunner()->progressDialog();
        if (!dialog || !dialog->isVisible())
            return;
        press.stop();
        dialogSeen = true;
        dialogTitle = dialog->windowTitle();
        dialog->findChild<QAbstractButton *>("LoadProgressCancel")->click();
    });
    // The worker waits at its first report until the dialog was seen.
    LoadRunner::setStageObserver([&](LoadControl::Stage) {
        while (!dialogSeen && !cancelled)
            QThread::msleep(1);
    });
    press.start(2);
    const int steps = window.undoManager()->count();
    EXPECT_FALSE(window.output().sortItems("title", false, false));
    cancelled = true;
    EXPECT_EQ(dialogTitle, "Sorting Items");
    EXPECT_EQ(guids(), before);
    EXPECT_EQ(window.undoManager()->count(), steps);
    EXPECT_EQ(window.loadRunner()->progressDialog(), nullptr);

    // Run to its end: the order of the rule, one undo step that puts the items back.
    EXPECT_TRUE(window.output().sortItems("title", false, false));
    EXPECT_EQ(guids(), expected);
    EXPECT_EQ(window.undoManager()->undoActionName(), "Sort on <title>");
    window.undo();
    EXPECT_EQ(guids(), before);

    // Through the sheet, as the user sorts: the sheet closed by its Sort button goes while the
    // long sort runs, and the sort still ends in the same order.
    sortOn(window, "title", QString(), "Descending");
    QTest::qWait(50);
    EXPECT_EQ(guids(), expected);
    EXPECT_EQ(window.undoManager()->undoActionName(), "Sort on <title>");
    EXPECT_EQ(window.window()->findChild<SortSheet *>("sortWindow"), nullptr);
}
