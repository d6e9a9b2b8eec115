// The MS-SLE tab in the feed window: entries added, edited, deleted and dragged as one undo step
// each, the default sort kept in the feed's list entry, and the resort buttons that follow the
// order of the items through every step, done or undone.
#include "ActionsFixture.h"

#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "panes/mscf/microsoftCFChannelPane.h"
#include "ui/VLXButton.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

namespace {

const char *const kDate = "Mon, 07 Dec 2026 10:00:00 +0000";

// Items B (oldest), C (newest) and A, so neither dates nor titles are in order.
QByteArray listFeed(const QString &listinfo)
{
    return QStringLiteral(
               "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
               "xmlns:cf=\"http://www.microsoft.com/schemas/rss/core/2005\"><channel>"
               "<title>Lists</title><link>https://example.org/</link><description>d</description>"
               "<pubDate>%1</pubDate>%2"
               "<item><title>B</title><description>b</description>"
               "<pubDate>Mon, 07 Dec 2026 08:00:00 +0000</pubDate></item>"
               "<item><title>C</title><description>c</description>"
               "<pubDate>Wed, 09 Dec 2026 08:00:00 +0000</pubDate></item>"
               "<item><title>A</title><description>a</description>"
               "<pubDate>Tue, 08 Dec 2026 08:00:00 +0000</pubDate></item>"
               "</channel></rss>\n")
        .arg(QLatin1String(kDate), listinfo)
        .toUtf8();
}

} // namespace

class MSCFPaneTest : public ActionsFixture
{
protected:
    void open(const QString &listinfo = QString())
    {
        openFeed({"X"});
        writeFile(path("lists.xml"), listFeed(listinfo));
        window().openFeedAtPath(path("lists.xml"));
        alerts->clear();
        endAction();
        window().window()->show();
        ASSERT_TRUE(table());
    }
    FeedDocument &doc() const { return *window().document(); }
    VLXTableView *table() const { return field<VLXTableView>("MSCFListInfoTable"); }
    microsoftCFChannelPane *pane() const
    {
        return dynamic_cast<microsoftCFChannelPane *>(table()->dataSource());
    }
    std::shared_ptr<microsoftCFChannel> channel() const
    {
        return std::dynamic_pointer_cast<microsoftCFChannel>(
            doc().feed()->XMLExtensions()->knownExtension(KnownNamespace::microsoftCF));
    }
    QStringList entries() const
    {
        QStringList shown;
        for (const ListInfoItem &item : channel()->listInfo())
            shown << item.type() + u':' + item.element() + u':' + item.label() + u':'
                    + item.sortDefault();
        return shown;
    }
    QString key(const QString &name) const { return doc().entry().value(name).toString(); }
    bool hasKey(const QString &name) const { return doc().entry().value(name).isValid(); }
    bool statusButtonShown() const
    {
        const auto *button = pane()->statusLineReSort();
        return button && button->parentWidget()
            && button->parentWidget() == window().window()->findChild<QStatusBar *>()
            && pane()->statusLineButtonShown();
    }
    bool boxShown() const { return !pane()->reSortDividor()->isHidden(); }
    QStringList titles() const
    {
        QStringList result;
        for (const auto &item : doc().feed()->arrayOfItems())
            result << item->title();
        return result;
    }
    // Runs the entry dialog of the button with the script; alerts raised meanwhile are answered
    // from the queue.
    void entryDialog(const char *button, std::function<void(QDialog *)> script)
    {
        whileModal([script](QWidget *sheet) { script(qobject_cast<QDialog *>(sheet)); });
        field<QPushButton>(button)->click();
        endAction();
    }
    // Drives each entry dialog that comes up, in turn, with the next script (an alert in between
    // is answered from the queue); the button opens the first.
    void entryDialogs(const char *button, QList<std::function<void(QDialog *)>> scripts)
    {
        QTimer poll;
        poll.setInterval(5);
        int answered = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->property("vlxAnswered").toBool() || answered >= scripts.size())
                return;
            dialog->setProperty("vlxAnswered", true);
            scripts.at(answered++)(dialog);
        });
        poll.start();
        field<QPushButton>(button)->click();
        poll.stop();
        endAction();
        EXPECT_EQ(answered, scripts.size()) << "dialogs shown";
    }
    static void choose(QDialog *dialog, const char *menu, const QString &title)
    {
        auto *popUp = dialog->findChild<VLXPopUpButton *>(QLatin1String(menu));
        const int index = popUp->findText(title);
        ASSERT_GE(index, 0) << menu;
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
    }
    static void fill(QDialog *dialog, const char *type, const char *element, const char *label,
                     bool isDefault)
    {
        choose(dialog, "type", QLatin1String(type));
        choose(dialog, "ns", QStringLiteral("RSS 2.0"));
        choose(dialog, "elementPU", QLatin1String(element));
        if (QLatin1String(type) == QLatin1String("sort"))
            choose(dialog, "isDefault", isDefault ? "yes" : "no");
        dialog->findChild<VLXTextField *>("label")->setText(QLatin1String(label));
        dialog->findChild<QPushButton *>("Done")->click();
    }
};

TEST_F(MSCFPaneTest, ADefaultSortByDateBringsTheResortButtonsThatFollowUndo)
{
    open();
    EXPECT_FALSE(boxShown());
    EXPECT_FALSE(statusButtonShown());

    entryDialog("MSCFListInfo_Add",
                [](QDialog *d) { fill(d, "sort", "pubDate", "Newest", true); });
    EXPECT_EQ(entries(), QStringList {"sort::Newest:yes"});
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("pubDate"));
    EXPECT_EQ(key(microsoftCFChannel::kDefaultDataTypeKey), QStringLiteral("date"));
    EXPECT_TRUE(hasKey(microsoftCFChannel::kDefaultNSKey));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Modify MS-SLE Item"));
    EXPECT_EQ(alerts->alerts().size(), 1) << "the notice about default sorts";
    // The items are out of date order: both buttons offer the resort.
    EXPECT_TRUE(boxShown());
    EXPECT_TRUE(statusButtonShown());
    EXPECT_EQ(pane()->statusLineReSort()->toolTip(),
              QStringLiteral("Resort Items using default sort"));
    // Row 0 shows the stored sort, bold.
    EXPECT_EQ(table()->model()->data(table()->model()->index(0, 1)).toString(),
              QStringLiteral("pubDate\ndate"));
    EXPECT_TRUE(
        table()->model()->data(table()->model()->index(0, 2), Qt::FontRole).value<QFont>().bold());

    doc().setFeedPubDate(QLatin1String(kDate));
    pane()->statusLineReSort()->click();
    endAction();
    EXPECT_EQ(titles(), (QStringList {"C", "A", "B"}));
    EXPECT_FALSE(boxShown());
    EXPECT_FALSE(statusButtonShown());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Sort by MS-SLE default sort"));

    window().undo();
    EXPECT_EQ(titles(), (QStringList {"B", "C", "A"}));
    EXPECT_EQ(doc().feed()->pubDate(), QLatin1String(kDate));
    EXPECT_TRUE(boxShown());
    EXPECT_TRUE(statusButtonShown());
    window().redo();
    EXPECT_EQ(titles(), (QStringList {"C", "A", "B"}));
    EXPECT_FALSE(statusButtonShown());

    // Taking back the entry takes the stored sort with it, and the buttons go.
    window().undo();
    window().undo();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_FALSE(hasKey(microsoftCFChannel::kDefaultElementKey));
    EXPECT_FALSE(statusButtonShown());
    EXPECT_FALSE(boxShown());
    window().redo();
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("pubDate"));
    EXPECT_TRUE(statusButtonShown());
}

TEST_F(MSCFPaneTest, DuplicatesAndASecondDefaultAreRefused)
{
    open("<cf:listinfo><cf:sort label=\"Newest\" default=\"yes\"/>"
         "<cf:sort element=\"title\" data-type=\"text\" label=\"Title\"/></cf:listinfo>");
    EXPECT_EQ(entries(), (QStringList {"sort::Newest:yes", "sort:title:Title:no"}));
    alerts->queueAnswer(AlertService::kDefault); // Duplicate: OK
    QString reopenedLabel;
    entryDialogs("MSCFListInfo_Add",
                 {[](QDialog *d) { fill(d, "sort", "title", "Again", false); },
                  // The dialog comes back with the values entered; Cancel ends the add.
                  [&](QDialog *again) {
                      reopenedLabel = again->findChild<VLXTextField *>("label")->text();
                      again->findChild<QPushButton *>("Cancel")->click();
                  }});
    EXPECT_EQ(reopenedLabel, QStringLiteral("Again"));
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, QStringLiteral("Duplicate"));
    EXPECT_EQ(alerts->alerts().last().message,
              QStringLiteral("There is a \"sort\" aready defined with the same values for the "
                             "Namespace, Element and Data Type."));
    EXPECT_EQ(undo().count(), 0);

    // A second default: "No" reopens the dialog, "Replace existing default" replaces the first.
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault); // the notice
    alerts->queueAnswer(AlertService::kAlternate);
    alerts->queueAnswer(AlertService::kDefault);
    entryDialogs("MSCFListInfo_Add",
                 {[](QDialog *d) { fill(d, "sort", "pubDate", "By date", true); },
                  [](QDialog *again) { again->findChild<QPushButton *>("Done")->click(); }});
    QStringList titlesSeen;
    for (const Alert &alert : alerts->alerts())
        titlesSeen << alert.title;
    EXPECT_EQ(titlesSeen, (QStringList {"Notice", "Warning", "Warning"}));
    EXPECT_EQ(alerts->alerts().at(1).message,
              QStringLiteral("There can only be one default sort defined and there already is "
                             "one.  Do you wish to replace it with this new one?"));
    EXPECT_EQ(entries(), (QStringList {"sort::By date:yes", "sort:title:Title:no"}));
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("pubDate"));
    EXPECT_EQ(undo().count(), 1);
}

TEST_F(MSCFPaneTest, TheDefaultMadeOrdinaryOrDeletedTakesItsStoredSortAlong)
{
    open("<cf:listinfo><cf:sort label=\"Newest\" default=\"yes\"/>"
         "<cf:group element=\"category\" label=\"Kind\"/></cf:listinfo>");
    // Store a sort for the default, as an edit of row 0 does.
    table()->selectRow(0);
    entryDialog("MSCFListInfo_Edit", [](QDialog *d) {
        choose(d, "ns", QStringLiteral("RSS 2.0"));
        choose(d, "elementPU", QStringLiteral("title"));
        d->findChild<QPushButton *>("Done")->click();
    });
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("title"));
    EXPECT_EQ(key(microsoftCFChannel::kDefaultDataTypeKey), QStringLiteral("text"));
    EXPECT_TRUE(statusButtonShown());

    // Row 0 made an ordinary sort: no default remains, nor its stored sort.
    table()->selectRow(0);
    QString preloaded;
    entryDialog("MSCFListInfo_Edit", [&](QDialog *d) {
        preloaded = d->findChild<VLXPopUpButton *>("elementPU")->currentText();
        choose(d, "elementPU", QStringLiteral("pubDate"));
        choose(d, "isDefault", QStringLiteral("no"));
        d->findChild<QPushButton *>("Done")->click();
    });
    EXPECT_EQ(preloaded, QStringLiteral("title"));
    EXPECT_EQ(entries().value(0), QStringLiteral("sort:pubDate:Newest:no"));
    EXPECT_FALSE(hasKey(microsoftCFChannel::kDefaultElementKey));
    EXPECT_FALSE(statusButtonShown());
    // An edit of the ordinary row 0 is not preloaded with a sort that is gone.
    table()->selectRow(0);
    entryDialog("MSCFListInfo_Edit", [&](QDialog *d) {
        preloaded = d->findChild<VLXPopUpButton *>("elementPU")->currentText();
        d->findChild<QPushButton *>("Cancel")->click();
    });
    EXPECT_EQ(preloaded, QStringLiteral("pubDate"));
    window().undo();
    EXPECT_EQ(entries().value(0), QStringLiteral("sort::Newest:yes"));
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("title"));
    EXPECT_TRUE(statusButtonShown());

    // Deleting the default clears the keys; undo brings entry and keys back.
    const int steps = undo().stack()->index();
    table()->selectRow(0);
    field<QPushButton>("MSCFListInfo_Delete")->click();
    endAction();
    EXPECT_EQ(entries(), QStringList {"group:category:Kind:no"});
    EXPECT_FALSE(hasKey(microsoftCFChannel::kDefaultElementKey));
    EXPECT_FALSE(statusButtonShown());
    EXPECT_EQ(undo().stack()->index(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Delete MS-SLE Item"));
    window().undo();
    EXPECT_EQ(entries().size(), 2);
    EXPECT_EQ(key(microsoftCFChannel::kDefaultElementKey), QStringLiteral("title"));
    EXPECT_TRUE(statusButtonShown());
}

TEST_F(MSCFPaneTest, DraggingKeepsTheDefaultFirstAndADropInPlaceIsNoStep)
{
    open("<cf:listinfo><cf:sort label=\"Newest\" default=\"yes\"/>"
         "<cf:sort element=\"title\" data-type=\"text\" label=\"Title\"/>"
         "<cf:group element=\"category\" label=\"Kind\"/></cf:listinfo>");
    const auto drop = [&](int from, int to) {
        QMimeData data;
        EXPECT_TRUE(pane()->tableViewWriteRows(table(), {from}, &data));
        if (pane()->tableViewValidateDrop(table(), &data, to) != Qt::MoveAction)
            return false;
        const bool moved = pane()->tableViewAcceptDrop(table(), &data, to);
        endAction();
        return moved;
    };
    EXPECT_FALSE(drop(1, 2));
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(doc().feed()->pubDate(), QLatin1String(kDate));
    // The group dropped above the default: the default stays first.
    EXPECT_TRUE(drop(2, 0));
    EXPECT_EQ(entries(), (QStringList {"sort::Newest:yes", "group:category:Kind:no",
                                       "sort:title:Title:no"}));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("ListInfo Reorder"));
    // Again: it would end where it is, so nothing moves and nothing is recorded.
    EXPECT_FALSE(drop(1, 0));
    EXPECT_EQ(undo().count(), 1);
    window().undo();
    EXPECT_EQ(entries().value(1), QStringLiteral("sort:title:Title:no"));
    EXPECT_EQ(doc().feed()->pubDate(), QLatin1String(kDate));
}

TEST_F(MSCFPaneTest, TheStatusLineButtonGoesWithTheFeed)
{
    open("<cf:listinfo><cf:sort label=\"Newest\" default=\"yes\"/></cf:listinfo>");
    pane()->storeDefaultSort(QString(), QStringLiteral("title"), QStringLiteral("text"));
    pane()->updateResortControls();
    ASSERT_TRUE(statusButtonShown());
    QPointer<VLXButton> button = pane()->statusLineReSort();
    window().openFeedAtPath(path("feed.xml"));
    endAction();
    EXPECT_TRUE(!button || !button->isVisible());
    EXPECT_FALSE(table());
}
