#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesChannelPrefs.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/itunes/iTunesCategoryEdit.h"
#include "platform/Clock.h"
#include "ui/VLXBrowser.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDialog>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

const char *const kOldDate = "Mon, 07 Dec 2026 09:00:00 +0000";

// A podcast of five episodes whose channel has the categories given.
QByteArray podcast(const QByteArray &categories)
{
    QByteArray items;
    for (int n = 1; n <= 5; ++n)
        items += QStringLiteral("<item><title>E%1</title><link>https://example.org/%1</link>"
                                "<description>d</description><guid>https://example.org/%1</guid>"
                                "<pubDate>%2</pubDate><itunes:subtitle>S%1</itunes:subtitle>"
                                "<itunes:duration>1:00</itunes:duration></item>")
                     .arg(n)
                     .arg(QLatin1String(kOldDate))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>d</description><pubDate>"
        + QByteArray(kOldDate) + "</pubDate><itunes:subtitle>Old</itunes:subtitle>" + categories
        + items + "</channel></rss>\n";
}

} // namespace

class ITunesPaneTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Clock::setInstance(
            std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC)));
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        AppFixture::TearDown();
    }

    Vellumcast &open(const QByteArray &categories = {})
    {
        Vellumcast &window = openInWindow(podcast(categories));
        field<VLXCheckBox>("Feeds_Required_AutoPubDate")->click();
        return window;
    }
    template<typename T = QWidget> T *field(const char *name)
    {
        return controller->feedController()->outlet<T>(QLatin1String(name));
    }
    VLXUndoManager &undo() { return *controller->feedController()->undoManager(); }
    EditTracker &tracker() { return *controller->feedController()->editTracker(); }
    std::shared_ptr<iTunesChannel> channel()
    {
        return std::dynamic_pointer_cast<iTunesChannel>(
            controller->feedController()->currentFeed()->XMLExtensions()->iTunesExtension());
    }
    std::shared_ptr<iTunesItem> item(int row)
    {
        return std::dynamic_pointer_cast<iTunesItem>(controller->feedController()
                                                         ->currentFeed()
                                                         ->itemAtIndex(row)
                                                         ->XMLExtensions()
                                                         ->iTunesExtension());
    }
    // Gives the control the focus with its pages shown, as a click would.
    void focus(QWidget *widget)
    {
        for (QWidget *page = widget; page && page->parentWidget(); page = page->parentWidget()) {
            if (auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget()))
                stack->setCurrentWidget(page);
        }
        widget->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void type(const char *outlet, const QString &text, const char *leaveTo)
    {
        auto *line = field<VLXTextField>(outlet);
        focus(line);
        line->selectAll();
        QTest::keyClicks(line, text);
        focus(field(leaveTo));
    }
    QStringList categories()
    {
        QStringList shown;
        for (const iTunesCategory &entry : channel()->category())
            shown << entry.displayValue();
        return shown;
    }
};

TEST_F(ITunesPaneTest, ASubtitleEditIsOneUndoStepThatPutsBackTheDate)
{
    Vellumcast &window = open();
    ASSERT_TRUE(field("ITCSubtitle"));
    type("ITCSubtitle", QStringLiteral(" New <b>sub</b> "), "ITCKeywords");
    EXPECT_EQ(channel()->subtitle(), QStringLiteral("New sub"));
    EXPECT_EQ(field<VLXTextField>("ITCSubtitle")->text(), QStringLiteral("New sub"));
    const QString refreshed = window.currentFeed()->pubDate();
    EXPECT_NE(refreshed, QLatin1String(kOldDate));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("iTunes Subtitle"));

    window.undo();
    EXPECT_EQ(channel()->subtitle(), QStringLiteral("Old"));
    EXPECT_EQ(field<VLXTextField>("ITCSubtitle")->text(), QStringLiteral("Old"));
    EXPECT_EQ(window.currentFeed()->pubDate(), QLatin1String(kOldDate));
    window.redo();
    EXPECT_EQ(channel()->subtitle(), QStringLiteral("New sub"));
    EXPECT_EQ(window.currentFeed()->pubDate(), refreshed);

    // The check box and the pop-up are steps of their own.
    field<QAbstractButton>("ITCBlock")->click();
    EXPECT_EQ(channel()->block(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Blocked"));
    window.undo();
    EXPECT_EQ(channel()->block(), 0);
    EXPECT_FALSE(field<QAbstractButton>("ITCBlock")->isChecked());
}

TEST_F(ITunesPaneTest, TheSheetPreselectsAllAndAddsWhatIsChosen)
{
    Vellumcast &window = open("<itunes:category text=\"Arts\"/>");
    auto *table = field<VLXTableView>("ITCCategoryTable");
    ASSERT_TRUE(table);
    focus(table);
    table->selectRow(0);
    QString preselected;
    QTimer::singleShot(0, [&] {
        auto *sheet = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(sheet);
        const QModelIndex current = sheet->findChild<VLXBrowser *>("catBrowser")->currentIndex();
        preselected = current.parent().data().toString() + u'/' + current.data().toString();
        sheet->findChild<QPushButton *>("accept")->click();
    });
    field<QPushButton>("ITCCategory_Edit")->click();
    EXPECT_EQ(preselected, QStringLiteral("Arts/All"));
    EXPECT_EQ(categories(), QStringList {"Arts"}) << "the same choice changes nothing";
    EXPECT_EQ(undo().count(), 0);

    QTimer::singleShot(0, [] {
        auto *sheet = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(sheet);
        auto *browser = sheet->findChild<VLXBrowser *>("catBrowser");
        const QModelIndex leisure
            = browser->model()
                  ->match(browser->model()->index(0, 0), Qt::DisplayRole, "Leisure")
                  .value(0);
        browser->setCurrentIndex(browser->model()->index(3, 0, leisure));
        sheet->findChild<QPushButton *>("accept")->click();
    });
    field<QPushButton>("ITCCategory_Add")->click();
    EXPECT_EQ(categories(),
              (QStringList {"Arts", QStringLiteral("Leisure ") + QChar(0x23AE) + " Aviation"}));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add Category"));
    EXPECT_EQ(table->model()->rowCount(), 2);
    window.undo();
    EXPECT_EQ(categories(), QStringList {"Arts"});
    EXPECT_EQ(table->model()->rowCount(), 1);
}

TEST_F(ITunesPaneTest, DraggingTheFirstCategoryBelowTheThirdIsOneStep)
{
    Vellumcast &window = open("<itunes:category text=\"Arts\"/><itunes:category text=\"Comedy\"/>"
                              "<itunes:category text=\"Music\"/>");
    auto *table = field<VLXTableView>("ITCCategoryTable");
    auto *pane = dynamic_cast<ExtensionFieldPane *>(table->dataSource());
    ASSERT_TRUE(pane);
    const auto drop = [&](int from, int to) {
        QMimeData data;
        EXPECT_TRUE(pane->tableViewWriteRows(table, {from}, &data));
        if (pane->tableViewValidateDrop(table, &data, to) != Qt::MoveAction)
            return false;
        return pane->tableViewAcceptDrop(table, &data, to);
    };
    // A drop on the row's own place is no move: no step, no new date.
    EXPECT_FALSE(drop(0, 1));
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(window.currentFeed()->pubDate(), QLatin1String(kOldDate));

    EXPECT_TRUE(drop(0, 3));
    EXPECT_EQ(categories(), (QStringList {"Comedy", "Music", "Arts"}));
    EXPECT_EQ(table->selectedRow(), 2);
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Category Reorder"));
    EXPECT_NE(window.currentFeed()->pubDate(), QLatin1String(kOldDate));
    window.undo();
    EXPECT_EQ(categories(), (QStringList {"Arts", "Comedy", "Music"}));
    EXPECT_EQ(window.currentFeed()->pubDate(), QLatin1String(kOldDate));
    window.redo();
    EXPECT_EQ(categories(), (QStringList {"Comedy", "Music", "Arts"}));

    // Only this table's own rows are taken.
    QMimeData foreign;
    foreign.setData("application/x-vellumcast-extension-row", "1:2:0");
    EXPECT_EQ(pane->tableViewValidateDrop(table, &foreign, 0), Qt::IgnoreAction);
}

TEST_F(ITunesPaneTest, ATwinEditRegistersNothing)
{
    Vellumcast &window = open();
    auto twin = std::make_shared<iTunesChannelPrefs>();
    // Even a twin pane given the window's context keeps its edits off the window's stack.
    ExtensionFieldPane pane(twin, {window.document(), &tracker(), FieldScope::Channel, {}});
    tracker().setTextAsEdit(pane.findChild<VLXTextField *>("ITCSubtitle"),
                            QStringLiteral("Default subtitle"));
    pane.findChild<QAbstractButton *>("ITCBlock")->click();
    EXPECT_EQ(twin->subtitle(), QStringLiteral("Default subtitle"));
    EXPECT_EQ(twin->block(), 1);
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(window.currentFeed()->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(channel()->subtitle(), QStringLiteral("Old"));
}

TEST_F(ITunesPaneTest, TheDurationIsNormalisedOrRefusedOnLeaving)
{
    open();
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    field<VLXTableView>("Items_Required_Items")->selectRow(0);
    type("ITIDuration", QStringLiteral("90"), "ITIKeywords");
    EXPECT_EQ(field<VLXTextField>("ITIDuration")->text(), QStringLiteral("1:30"));
    EXPECT_EQ(item(0)->duration(), QStringLiteral("1:30"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("iTunes Duration"));

    type("ITIDuration", QStringLiteral("1:2:3:4"), "ITIKeywords");
    QApplication::processEvents();
    EXPECT_EQ(item(0)->duration(), QStringLiteral("1:30"));
    EXPECT_EQ(tracker().editingControl(), field("ITIDuration")) << "the edit goes on";
    EXPECT_EQ(field<VLXTextField>("ITIDuration")->text(), QStringLiteral("1:2:3:4"));
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(ITunesPaneTest, UndoOfAnotherItemsEditLeavesTheShownItemAlone)
{
    Vellumcast &window = open();
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    auto *items = field<VLXTableView>("Items_Required_Items");
    items->selectRow(2);
    type("ITISubtitle", QStringLiteral("Third, edited"), "ITIKeywords");
    const QString later = window.currentFeed()->itemAtIndex(2)->pubDate();
    EXPECT_NE(later, QLatin1String(kOldDate));
    EXPECT_EQ(item(2)->subtitle(), QStringLiteral("Third, edited"));

    items->selectRow(4);
    QApplication::processEvents();
    EXPECT_EQ(field<VLXTextField>("ITISubtitle")->text(), QStringLiteral("S5"));
    window.undo();
    EXPECT_EQ(item(2)->subtitle(), QStringLiteral("S3"));
    EXPECT_EQ(window.currentFeed()->itemAtIndex(2)->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(field<VLXTextField>("ITISubtitle")->text(), QStringLiteral("S5"));
    EXPECT_EQ(items->selectedRow(), 4);
    window.redo();
    EXPECT_EQ(item(2)->subtitle(), QStringLiteral("Third, edited"));
    EXPECT_EQ(window.currentFeed()->itemAtIndex(2)->pubDate(), later);
    EXPECT_EQ(field<VLXTextField>("ITISubtitle")->text(), QStringLiteral("S5"));

    // "Copy From Title" fills the subtitle from the item shown, as an edit of its own.
    auto *subtitle = field<VLXTextField>("ITISubtitle");
    ASSERT_TRUE(subtitle->copyFromAvailable());
    subtitle->copyFromCopySource();
    EXPECT_EQ(item(4)->subtitle(), QStringLiteral("E5"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("iTunes Subtitle"));
}

TEST_F(ITunesPaneTest, ACategoryClickedWithTheMouseShowsItsSubCategories)
{
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    iTunesCategoryEdit sheet;
    QStringList shown; // what the second column showed after each click
    bool firstInSight = true;
    QTimer::singleShot(0, [&] {
        auto *browser = sheet.catBrowser();
        ASSERT_TRUE(browser);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.documentWindow()));
        QAbstractItemModel *model = browser->model();
        auto category = [model](const QString &name) {
            return model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly)
                .value(0);
        };
        // The visible column that lists the children of the index.
        auto columnOf = [browser](const QModelIndex &parent) -> QAbstractItemView * {
            for (auto *column : browser->findChildren<QAbstractItemView *>()) {
                if (column != browser && column->isVisible() && column->rootIndex() == parent
                    && column->width() > 0)
                    return column;
            }
            return nullptr;
        };
        auto click = [&](const QModelIndex &index) {
            QAbstractItemView *column = columnOf(index.parent());
            ASSERT_TRUE(column) << index.data().toString().toStdString();
            QTest::mouseClick(column->viewport(), Qt::LeftButton, {},
                              column->visualRect(index).center());
            QTest::qWait(400); // the browser may slide its columns
        };
        auto secondColumn = [&](const QModelIndex &parent) {
            QAbstractItemView *column = columnOf(parent);
            if (!column || column->model()->rowCount(parent) == 0)
                return QStringLiteral("(none)");
            const QPoint at = column->mapTo(browser->viewport(), QPoint());
            if (at.x() < 0 || at.x() >= browser->viewport()->width())
                return QStringLiteral("(out of sight)");
            return column->model()->index(0, 0, parent).data().toString() + u' '
                + parent.data().toString();
        };
        // Technology has no sub-categories: no second column then.
        for (const char *name : {"Arts", "Leisure", "Technology", "Business"}) {
            const QModelIndex index = category(QLatin1String(name));
            click(index);
            shown << secondColumn(index);
        }
        // A sub-category chosen in the second column keeps both columns in sight.
        const QModelIndex leisure = category("Leisure");
        click(category("Leisure"));
        click(model->index(3, 0, leisure));
        firstInSight = columnOf(QModelIndex())
            && columnOf(QModelIndex())->mapTo(browser->viewport(), QPoint()).x() >= 0
            && columnOf(leisure);
        sheet.accept();
    });
    // A script that failed half-way leaves the sheet open: it is cancelled, not waited for.
    QTimer::singleShot(30000, &sheet, [&sheet] { sheet.cancel(); });
    EXPECT_EQ(sheet.selectCategory(&owner, QString(), QString()), 1);
    EXPECT_EQ(shown.join(" | ").toStdString(), "All Arts | All Leisure | (none) | All Business");
    EXPECT_TRUE(firstInSight);
    EXPECT_EQ(sheet.category(), "Leisure");
    EXPECT_EQ(sheet.subCategory(), "Aviation");
}
