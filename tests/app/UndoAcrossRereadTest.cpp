// Undo and redo across the steps that read the whole feed again (Replace All, a View XML edit):
// a step recorded before such a read must find the items it was made on, so that taking back
// every step gives the feed as it was opened and doing them all again gives the feed as it was
// last, field for field.
#include "FindFixture.h"

#include "app/FeedSaving.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/OutputActions.h"
#include "app/ValidationActions.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"

#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QThreadPool>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {
class UndoAcrossRereadTest : public FindFixture
{
protected:
    void TearDown() override
    {
        Vellumcast::setXMLSourceEditor({});
        FindFixture::TearDown();
    }

    FeedDocument &doc() const { return *window().document(); }
    // The feed as written, compared as text a failure shows.
    std::string xml() const { return doc().feed()->buildXML().toStdString(); }
    void select(int row) const { window().itemsPane()->itemTable()->selectRow(row); }
    void replaceAll(const QStringList &scope, const QString &search, const QString &replacement)
    {
        setScope(scope);
        find().setFindField(search);
        find().setReplaceField(replacement);
        press("ReplaceAll");
    }
    // View XML, the source window saving the text the script makes of the feed's text.
    void viewXML(std::function<QString(const QString &)> edit)
    {
        Vellumcast::setXMLSourceEditor(
            [edit = std::move(edit)](const XMLSourceRequest &request) -> std::optional<QString> {
                return edit(request.current);
            });
        window().validation().viewXML();
        endAction();
    }
    int undoAll()
    {
        int steps = 0;
        while (undo().canUndo()) {
            window().undo();
            ++steps;
        }
        return steps;
    }
};

QStringList twentyTitles()
{
    QStringList titles;
    for (int i = 0; i < 20; ++i)
        titles << QStringLiteral("I%1").arg(i, 2, 10, QLatin1Char('0'));
    return titles;
}
} // namespace

TEST_F(UndoAcrossRereadTest, AnItemEditedBeforeReplaceAllIsTakenBackBeforeTheCloneIs)
{
    openForFind({"A", "B"});
    const std::string opened = xml();
    select(0);
    window().itemActions().cloneItem(); // the clone goes first: {A, A, B}
    endAction();
    doc().editField("Items_Required_Title", 1, "A edited");
    endAction();
    replaceAll({"channel", "items", "all"}, "example.org", "example.net");
    ASSERT_EQ(undo().undoActionName(), "Replace All");
    const std::string last = xml();

    window().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "A edited", "B"}));
    EXPECT_EQ(undo().undoActionName(), "Item Title");
    window().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "A", "B"}));
    EXPECT_EQ(undo().undoActionName(), "Item Clone");
    window().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
    EXPECT_EQ(xml(), opened);
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(window().isDocumentEdited());

    for (int i = 0; i < 3; ++i)
        window().redo();
    EXPECT_EQ(xml(), last);
    EXPECT_EQ(itemTitles(), (QStringList {"A", "A edited", "B"}));
}

TEST_F(UndoAcrossRereadTest, AnEditAfterASortIsNotKeptByUndoingPastAChannelReplaceAll)
{
    openForFind({"C", "A", "B"});
    const std::string opened = xml();
    ASSERT_TRUE(window().output().sortItems("title", false, true));
    endAction();
    ASSERT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    doc().editField("Items_Required_Description", 0, "A's new description");
    endAction();
    replaceAll({"channel"}, "example.org", "example.net");
    EXPECT_EQ(doc().feed()->link(), "https://example.net/");
    EXPECT_EQ(undoAll(), 3);
    EXPECT_EQ(xml(), opened);
    EXPECT_FALSE(window().isDocumentEdited());
    select(1);
    EXPECT_EQ(field<QLineEdit>("Items_Required_Title")->text(), "A");
    EXPECT_EQ(field<QPlainTextEdit>("Items_Required_Description")->toPlainText(), "A");

    // What a save writes is what the window shows: the feed as it was opened.
    ASSERT_TRUE(window().saving().actualSaveDocument(list()->selectedRow()));
    EXPECT_EQ(readFile(path("feed.xml")).toStdString(), opened);
}

TEST_F(UndoAcrossRereadTest, AListStepBeforeAViewXMLEditFindsItsItemsAgain)
{
    openForFind({"A", "B"});
    const std::string opened = xml();
    select(1);
    window().itemActions().deleteItem();
    endAction();
    doc().editField("Items_Required_Title", 0, "A edited");
    endAction();
    viewXML([](const QString &text) {
        QString edited = text;
        return edited.replace("<title>Feed</title>", "<title>Feed, edited as XML</title>");
    });
    EXPECT_EQ(undo().undoActionName(), "View XML Edit");
    EXPECT_EQ(doc().feed()->title(), "Feed, edited as XML");
    const std::string last = xml();
    EXPECT_EQ(undoAll(), 3);
    EXPECT_EQ(xml(), opened);
    for (int i = 0; i < 3; ++i)
        window().redo();
    EXPECT_EQ(xml(), last);
}

TEST_F(UndoAcrossRereadTest, ARereadTakenBackKeepsTheUploadsMadeMeanwhileAndTheAutoPubDateBox)
{
    openForFind({"A", "B"});
    const QString file = path("A.mp3");
    writeFile(file, "mp3");
    setModelValue("Items_Optional_Enclosure_URL", 0, "https://example.org/A.mp3");
    doc().item(0)->setLocalEnclosureFilePath(file);
    showModel();
    replaceAll({"channel"}, "example.org", "example.net");
    ASSERT_EQ(doc().feed()->link(), "https://example.net/");

    // A publish records its uploads in the feed shown; the box is no undo step either.
    const QDateTime published(QDate(2026, 12, 8), QTime(11, 0), Qt::UTC);
    doc().feed()->setLastUploaded(published);
    doc().image()->setLastUploaded(published);
    doc().item(0)->setLastUploaded(published);
    doc().setAutoPubDate(true);
    const auto kept = [this] {
        return std::tuple(doc().feed()->lastUploaded(), doc().image()->lastUploaded(),
                          doc().item(0)->lastUploaded(), doc().item(0)->localEnclosureFilePath(),
                          doc().autoPubDate());
    };
    const auto expected = std::tuple(published, published, published, file, true);
    window().undo();
    EXPECT_EQ(doc().feed()->link(), "https://example.org/");
    EXPECT_EQ(kept(), expected);
    window().redo();
    EXPECT_EQ(doc().feed()->link(), "https://example.net/");
    EXPECT_EQ(kept(), expected);
}

// With a feed of many items, the steps that keep a whole feed or item list give it up off the
// window's thread once nothing else can reach it; the steps left apply as before.
TEST_F(UndoAcrossRereadTest, StepsDroppedFromAFeedOfManyItemsLetItGoAndTheOthersStillApply)
{
    QStringList titles;
    for (int i = 0; i < 1200; ++i)
        titles << QStringLiteral("Episode %1").arg((i * 7919) % 1200, 4, 10, QLatin1Char('0'));
    openForFind(titles);
    const std::string opened = xml();
    ASSERT_TRUE(window().output().sortItems("title", false, true));
    endAction();
    const std::string sorted = xml();
    replaceAll({"items", "all"}, "Episode", "Show");
    ASSERT_EQ(undo().undoActionName(), "Replace All");
    const std::string replaced = xml();
    std::weak_ptr<VLXFeed> replacedFeed = doc().feed();

    window().undo();
    EXPECT_EQ(xml(), sorted);
    window().undo();
    EXPECT_EQ(xml(), opened);
    window().redo();
    window().redo();
    EXPECT_EQ(xml(), replaced);
    EXPECT_EQ(doc().feed(), replacedFeed.lock());

    // An edit after taking Replace All back drops its redo step, the last hold on the feed it
    // read: that feed goes, and the window's feed and its steps stay whole.
    window().undo();
    select(3);
    doc().editField("Items_Required_Title", 3, "Edited");
    endAction();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(replacedFeed.expired());
    EXPECT_EQ(itemTitles().at(3), "Edited");
    EXPECT_EQ(undoAll(), 2);
    EXPECT_EQ(xml(), opened);
    window().redo();
    EXPECT_EQ(xml(), sorted);
}

// Random sequences of the steps the user takes on a feed of twenty items, each sequence taken
// back whole and done again whole: every state on the way, and the name of every step, is met
// again on the way back and on the way forth.
TEST_F(UndoAcrossRereadTest, AnySequenceOfStepsIsTakenBackAndDoneAgainFieldForField)
{
    openForFind(twentyTitles());
    std::mt19937 random(20261208u); // a fixed generator value: every run takes the same steps
    const auto pick = [&random](qsizetype count) {
        return int(std::uniform_int_distribution<qsizetype>(0, count - 1)(random));
    };
    const QList<QPair<QString, QString>> itemFields
        = {{"Items_Required_Title", "Item Title"},
           {"Items_Required_Description", "Item Description"},
           {"Items_Required_Link", "Item Link"},
           {"Items_Optional_Author", "Item Author"}};
    const QList<QStringList> scopes
        = {{"channel"}, {"items", "all"}, {"channel", "items", "all"}, {"items"}};
    const QList<QPair<QString, QString>> replacements = {{"example.org", "example.net"},
                                                         {"example.net", "example.org"},
                                                         {"I1", "J1"},
                                                         {"edit", "change"}};
    const QStringList sortFields = {"title", "link", "description"};
    QMap<QString, int> taken; // steps taken of each kind, so that none goes untried

    for (int sequence = 0; sequence < 8; ++sequence) {
        doc().setAutoPubDate(sequence % 2 == 1);
        endAction();
        ASSERT_EQ(undo().count(), 0);
        std::vector<std::string> states {xml()};
        QStringList steps; // what each step did, for a failure's message
        QStringList names; // the undo name of each step
        for (int step = 0; step < 40; ++step) {
            const int row = pick(doc().itemCount());
            const int before = undo().count();
            QString kind;
            QString name;
            switch (pick(9)) {
            case 0:
            case 1: {
                const auto &[outlet, undoName] = itemFields.at(pick(itemFields.size()));
                kind = "item field";
                name = undoName;
                doc().editField(outlet, row, QStringLiteral("edit %1").arg(step));
                break;
            }
            case 2:
                kind = "channel field";
                name = "Feed Title";
                doc().editField("Feeds_Required_Title", -1, QStringLiteral("Feed %1").arg(step));
                break;
            case 3:
                kind = "clone";
                name = "Item Clone";
                select(row);
                window().itemActions().cloneItem();
                break;
            case 4:
                kind = "delete";
                name = "Item Delete";
                select(row);
                window().itemActions().deleteItem();
                break;
            case 5:
                kind = "move";
                select(row);
                if (pick(2)) {
                    name = "Item Move Up";
                    window().itemActions().moveUpItem();
                } else {
                    name = "Item Move Down";
                    window().itemActions().moveDownItem();
                }
                break;
            case 6: {
                const QString field = sortFields.at(pick(sortFields.size()));
                kind = "sort";
                name = QStringLiteral("Sort on <%1>").arg(field);
                window().output().sortItems(field, false, pick(2) == 0);
                break;
            }
            case 7: {
                const auto &[search, replacement] = replacements.at(pick(replacements.size()));
                kind = "Replace All";
                name = "Replace All";
                replaceAll(scopes.at(pick(scopes.size())), search, replacement);
                break;
            }
            case 8:
                name = "View XML Edit";
                if (pick(2)) {
                    kind = "View XML unchanged";
                    viewXML([](const QString &text) { return text; });
                    EXPECT_EQ(undo().count(), before) << "an unchanged text is no step";
                    ++taken[kind];
                } else {
                    // The same feed in other words: the feed is read again.
                    kind = "View XML";
                    viewXML([](const QString &text) {
                        QString spaced = text;
                        return spaced.replace("<item>", "<item>\n\n");
                    });
                }
                break;
            }
            endAction();
            const QString what = QStringLiteral("%1 (%2) at row %3").arg(kind, name).arg(row);
            const int added = undo().count() - before;
            ASSERT_LE(added, 1) << what.toStdString() << ": one user action, one step";
            if (added == 0) {
                ASSERT_EQ(xml(), states.back()) << what.toStdString() << " changed without a step";
                continue;
            }
            ASSERT_EQ(undo().undoActionName(), name) << what.toStdString();
            ++taken[kind];
            states.push_back(xml());
            steps << what;
            names << name;
        }

        const std::string context
            = QStringLiteral("sequence %1:\n").arg(sequence).toStdString() + lines(steps);
        for (qsizetype i = steps.size(); i > 0; --i) {
            ASSERT_EQ(undo().undoActionName(), names.at(i - 1)) << context;
            window().undo();
            ASSERT_EQ(xml(), states.at(size_t(i - 1)))
                << context << "\nundoing " << steps.at(i - 1).toStdString();
        }
        EXPECT_FALSE(undo().canUndo());
        EXPECT_FALSE(window().isDocumentEdited());
        for (qsizetype i = 0; i < steps.size(); ++i) {
            ASSERT_EQ(undo().redoActionName(), names.at(i)) << context;
            window().redo();
            ASSERT_EQ(xml(), states.at(size_t(i + 1)))
                << context << "\nredoing " << steps.at(i).toStdString();
        }
        EXPECT_FALSE(undo().canRedo());
        // The next sequence starts from the feed as it is now.
        doc().setEdited(false, true);
    }
    for (const char *kind : {"item field", "channel field", "clone", "delete", "move", "sort",
                             "Replace All", "View XML", "View XML unchanged"})
        EXPECT_GE(taken.value(kind), 2) << kind;
}

// The namespace tabs keep their panes while the feed shown has the same namespaces (a read
// again, a feed put back, a sort): each pane shows the objects of the feed shown, never those of
// the feed before.
TEST_F(UndoAcrossRereadTest, NamespacePanesKeptAcrossStepsShowTheFeedShown)
{
    openForFind({"A", "B"});
    // The namespace comes with a View XML edit: its panes are made then.
    viewXML([](const QString &text) {
        QString edited = text;
        edited.replace("<rss version=\"2.0\"",
                       "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/"
                       "podcast-1.0.dtd\"");
        edited.replace("<title>Feed</title>",
                       "<title>Feed</title><itunes:subtitle>Old sub</itunes:subtitle>");
        for (const QString item : {"A", "B"})
            edited.replace(QStringLiteral("<title>%1</title>").arg(item),
                           QStringLiteral("<title>%1</title><itunes:subtitle>%1 sub"
                                          "</itunes:subtitle>")
                               .arg(item));
        return edited;
    });
    const QPointer<QLineEdit> channelField = field<QLineEdit>("ITCSubtitle");
    const QPointer<QLineEdit> itemField = field<QLineEdit>("ITISubtitle");
    ASSERT_TRUE(channelField && itemField);
    // What the window shows, and what the feed holds, of the item shown.
    const auto shown = [&] {
        const auto *channelNow = field<QLineEdit>("ITCSubtitle");
        const auto *itemNow = field<QLineEdit>("ITISubtitle");
        const VLXItems *item = doc().item(window().selectedItemRow());
        const auto *podcast = item
            ? dynamic_cast<const iTunesItem *>(item->XMLExtensions()->iTunesExtension().get())
            : nullptr;
        return std::tuple(channelNow ? channelNow->text() : "(no pane)",
                          itemNow ? itemNow->text() : "(no pane)",
                          podcast && itemNow ? podcast->subtitle() : "(no pane)");
    };
    const struct
    {
        const char *step;
        std::function<void()> take;
        QString channel;
        QString item;
    } steps[] = {
        {"edit as XML",
         [&] {
             viewXML([](const QString &text) {
                 return QString(text).replace("Old sub", "New sub").replace("A sub", "A line");
             });
         },
         "New sub", "A line"},
        {"Replace All",
         [&] {
             replaceAll({"channel", "items", "all"}, "sub", "part");
         },
         "New part", "A line"},
        {"select B", [&] { select(1); }, "New part", "B part"},
        {"undo Replace All", [&] { window().undo(); }, "New sub", "B sub"},
        {"redo Replace All", [&] { window().redo(); }, "New part", "B part"},
        {"undo Replace All again", [&] { window().undo(); }, "New sub", "B sub"},
        {"undo the edit", [&] { window().undo(); }, "Old sub", "B sub"},
        {"redo the edit", [&] { window().redo(); }, "New sub", "B sub"},
        // Sorted Z to A, the row shown holds A.
        {"sort", [&] { window().output().sortItems("title", false, false); }, "New sub", "A line"},
        {"undo the sort", [&] { window().undo(); }, "New sub", "B sub"},
        {"redo the sort", [&] { window().redo(); }, "New sub", "A line"},
        {"edit the namespace away as XML",
         [&] {
             viewXML([](const QString &text) {
                 return QString(text)
                     .remove(QRegularExpression("<itunes:[a-z]+>[^<]*</itunes:[a-z]+>"))
                     .remove(QRegularExpression(" xmlns:itunes=\"[^\"]*\""));
             });
         },
         "(no pane)", "(no pane)"},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.step);
        step.take();
        endAction();
        const auto [channelText, itemText, model] = shown();
        EXPECT_EQ(channelText.toStdString(), step.channel.toStdString());
        EXPECT_EQ(itemText.toStdString(), step.item.toStdString());
        EXPECT_EQ(itemText.toStdString(), model.toStdString());
        if (channelText != "(no pane)") {
            EXPECT_EQ(channelField, field<QLineEdit>("ITCSubtitle"));
            EXPECT_EQ(itemField, field<QLineEdit>("ITISubtitle"));
        }
    }
}
