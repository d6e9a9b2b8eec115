#include "AppFixture.h"
#include "common/PlantedMerge.h"

#include "app/Controller.h"
#include "app/ValidationActions.h"
#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "editors/MessageOutlineModel.h"
#include "editors/XMLSourceTextView.h"
#include "editors/errorListing.h"
#include "import/VLXImport.h"
#include "io/ItemCheck.h"
#include "model/VLXFeed.h"
#include "model/extensionNSRaw.h"
#include "panes/RawXMLPane.h"
#include "panes/SearchReveal.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>

// The three that edit raw XML, each through the real XML source window.
class XMLSourceCallersTest : public AppFixture
{
protected:
    QString path(const char *name) const { return QDir(home()).filePath(QLatin1String(name)); }
    // A feed whose one item is never closed: what follows its title is given.
    static QByteArray brokenFeed(const QByteArray &afterItemTitle)
    {
        return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Mend me</title>"
               "<link>https://example.org/</link><description>d</description>\n<item><title>i"
               "</title>"
            + afterItemTitle + "</channel></rss>\n";
    }

    // Plays the script on the source window once it is up (and the message list over it, when
    // asked); a script that leaves the window open fails the test and the window is abandoned.
    static void onSourceWindow(const std::function<void(QDialog *)> &script, bool listed = false)
    {
        auto *poll = new QTimer(qApp);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, script, listed] {
            if (listed && !errorListing::sharedInstance()->windowOpen())
                return;
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *window = qobject_cast<QDialog *>(widget);
                if (!window || window->objectName() != "XMLSourceWindow" || !window->isVisible())
                    continue;
                poll->stop();
                poll->deleteLater();
                script(window);
                if (window->isVisible()) {
                    ADD_FAILURE() << "the script left the source window open";
                    window->done(0);
                }
                return;
            }
        });
        poll->start();
    }
    static XMLSourceTextView *editor(QDialog *window)
    {
        return window->findChild<XMLSourceTextView *>("editXML");
    }
    static QTabWidget *tabs(QDialog *window) { return window->findChild<QTabWidget *>("tabView"); }
    static void save(QDialog *window) { window->findChild<QPushButton *>("saveButton")->click(); }
    static void closeButton(QDialog *window)
    {
        window->findChild<QPushButton *>("closeButton")->click();
    }
};

TEST_F(XMLSourceCallersTest, ABrokenFileIsMendedInTheSourceWindow)
{
    const QByteArray broken = brokenFeed("\n");
    writeFile(path("broken.xml"), broken);
    Vellumcast &window = startWindow();
    alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
    onSourceWindow([&](QDialog *source) {
        // The file text is both the original and the text to mend.
        ASSERT_EQ(tabs(source)->count(), 2);
        EXPECT_EQ(editor(source)->text(), QString::fromUtf8(broken));
        tabs(source)->setCurrentIndex(1);
        EXPECT_EQ(source->findChild<XMLSourceTextView *>("originalXML")->text(),
                  QString::fromUtf8(broken));
        tabs(source)->setCurrentIndex(0);
        QTextCursor cursor(editor(source)->document());
        cursor.setPosition(int(broken.indexOf("<title>i</title>") + 16));
        cursor.insertText(QStringLiteral("</item>"));
        save(source);
    });
    window.openFeedAtPath(path("broken.xml"));
    EXPECT_EQ(alerts->alerts().first().title, "Error in XML");
    EXPECT_EQ(window.currentFeed()->title(), "Mend me");
    EXPECT_EQ(window.currentFeed()->countOfItems(), 1);
    EXPECT_TRUE(window.isDocumentEdited()) << "the mended text asks to be saved";
    EXPECT_EQ(readFile(path("broken.xml")), broken);
}

TEST_F(XMLSourceCallersTest, ARawPaneIsEditedAsOneUndoStepAndAnIllFormedFragmentIsRefused)
{
    writeFile(path("raw.xml"),
              "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:abc=\"http://example.org/abc/\">"
              "<channel><title>T</title><link>https://example.org/</link><description>d"
              "</description><abc:thing>one</abc:thing><item><title>i</title></item>"
              "</channel></rss>\n");
    Vellumcast &window = startWindow();
    window.openFeedAtPath(path("raw.xml"));
    RawXMLPane *pane = nullptr;
    for (RawXMLPane *candidate : window.window()->findChildren<RawXMLPane *>()) {
        if (candidate->extension() && candidate->extension()->extensionName() == "abc")
            pane = candidate;
    }
    ASSERT_NE(pane, nullptr);
    // Its controls are made when the user first shows its tab.
    SearchReveal::selectTabsOf(pane);
    const int stepsBefore = window.undoManager()->count();

    onSourceWindow([&](QDialog *source) {
        EXPECT_EQ(tabs(source)->count(), 1) << "a fragment has no original";
        XMLSourceTextView *text = editor(source);
        EXPECT_EQ(text->text(), "<abc:thing>one</abc:thing>");
        EXPECT_EQ(text->colorRanges().colorAt(1), XMLColorRanges::Color::Tag)
            << "the namespace's own tags are coloured";
        text->replaceAllText(QStringLiteral("<abc:thing>two<abc:thing>"));
        alerts->queueAnswer(AlertService::kDefault); // "Continue Editing"
        save(source);
        ASSERT_TRUE(source->isVisible()) << "an ill-formed fragment is not handed back";
        EXPECT_EQ(alerts->alerts().last().title, "Error in XML");
        text->replaceAllText(QStringLiteral("<abc:thing>two</abc:thing><abc:more/>"));
        save(source);
    });
    pane->findChild<QPushButton *>("Extension_RawXML_Edit")->click();
    EXPECT_EQ(pane->extension()->rawXML(), "<abc:thing>two</abc:thing><abc:more/>");
    EXPECT_EQ(window.undoManager()->count(), stepsBefore + 1);
    EXPECT_EQ(window.undoManager()->undoActionName(), "Edit Raw XML");
    window.undo();
    EXPECT_EQ(pane->extension()->rawXML(), "<abc:thing>one</abc:thing>");
}

TEST_F(XMLSourceCallersTest, ViewXMLShowsTheFileAsReadBesideTheFeedAsBuilt)
{
    const QByteArray text
        = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:abc=\"http://example.org/abc/\">"
          "<channel><title>View</title><link>https://example.org/</link><description>d"
          "</description><abc:thing>one</abc:thing><item><title>i</title></item>"
          "</channel></rss>\n";
    writeFile(path("view.xml"), text);
    Vellumcast &window = startWindow();
    window.openFeedAtPath(path("view.xml"));
    const XMLSourceRequest request = window.validation().viewXMLRequest();
    EXPECT_EQ(request.original, QString::fromUtf8(text));
    EXPECT_EQ(request.current, window.currentFeed()->buildXML());
    EXPECT_FALSE(request.fragment);
    EXPECT_TRUE(request.usedExtensions.contains("abc"));

    onSourceWindow([&](QDialog *source) {
        EXPECT_EQ(tabs(source)->count(), 2);
        XMLSourceTextView *built = editor(source);
        const int tag = int(built->text().indexOf("<abc:thing>"));
        ASSERT_GE(tag, 0);
        EXPECT_EQ(built->colorRanges().colorAt(tag), XMLColorRanges::Color::Tag);
        source->close(); // the close box keeps an unedited text
    });
    EXPECT_EQ(Vellumcast::editXMLText(request), request.current);
}

// Every refusal opens the source where it points, whether the window opens the text or the import
// reads it: at the line it names, that line's text selected and in view (a document's root
// element's line when it is no feed); and the message list says why under the label of its kind,
// in the alert's words: the parser's whole.
TEST_F(XMLSourceCallersTest, ARefusedTextOpensAtTheLineItsRefusalNames)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        int line;
        const char *kind;
        QString words = {}; // what the alert and the list both say
        bool merged = false; // opened with a faulty merging rule planted in the repairs
    } rows[] = {
        {"no known format, not well-formed", "<foo><bar></foo>", 1, "Not Well-Formed"},
        {"a web page",
         "<?xml version=\"1.0\"?>\n<html>\n<head><title>Page</title></head>\n<body><p>Hello</p>"
         "</body>\n</html>\n",
         2, "Not a Feed"},
        {"an item that does not close",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>\n"
         "<item><title>I</title></itme>\n</channel></rss>\n",
         3, "Not Well-Formed"},
        {"an item that does not close, lines ended by CR alone",
         "<?xml version=\"1.0\"?>\r<rss version=\"2.0\"><channel><title>T</title>\r"
         "<item><title>I</title></itme>\r</channel></rss>\r",
         3, "Not Well-Formed"},
        {"bytes that do not decode",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>\n"
         "<title>Caf\xE9</title>\n</channel></rss>\n",
         3, "Bytes That Do Not Decode"},
        {"an rss root with no channel", "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"></rss>\n", 2,
         "Not a Feed", QStringLiteral("The feed's root element <rss> holds no <channel> element.")},
        {"a description left open on line 12",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>" + QByteArray(10, '\n')
             + "<description>Show notes\n</title>\n</channel></rss>\n",
         13, "Not Well-Formed",
         QStringLiteral("Opening and ending tag mismatch: description line 12 and title")},
        {"an item a planted rule would take into a title",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>\n<item>\n"
         "<title>One & more\n<link>https://example.org/1</link>\n</item>\n<item>\n"
         "<title>Two</title>\n</item>\n</channel></rss>\n",
         7, "Not Well-Formed", ItemCheck::description(), true},
    };
    Vellumcast &window = startWindow();
    window.command(QStringLiteral("importFeedItems"))->trigger();
    auto *import = window.window()->findChild<VLXImport *>();
    ASSERT_NE(import, nullptr);
    for (const auto &row : rows) {
        for (const bool importing : {false, true}) {
            const std::string where = std::string(row.name) + (importing ? ", imported" : "");
            writeFile(path("refused.xml"), row.bytes);
            const std::optional<PlantedMerge> planted
                = row.merged ? std::make_optional<PlantedMerge>() : std::nullopt;
            alerts->clear();
            alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
            int block = -1;
            QString selected;
            QString lineText;
            bool inView = false;
            QString listed;
            onSourceWindow(
                [&](QDialog *source) {
                    XMLSourceTextView *text = editor(source);
                    QTextCursor cursor = text->textCursor();
                    block = cursor.blockNumber();
                    selected = cursor.selectedText();
                    lineText = cursor.block().text();
                    cursor.setPosition(cursor.selectionStart());
                    inView = text->viewport()->rect().contains(text->cursorRect(cursor));
                    listed = errorListing::sharedInstance()->model()->index(0, 0).data().toString();
                    closeButton(source);
                },
                true);
            if (importing) {
                import->openFeedAtPath(path("refused.xml"));
                EXPECT_TRUE(QTest::qWaitFor([import] { return !import->isOpening(); }, 10000));
            } else {
                window.openFeedAtPath(path("refused.xml"));
            }
            ASSERT_EQ(alerts->alerts().size(), 1) << where;
            EXPECT_EQ(block, qMax(0, row.line - 1)) << where;
            EXPECT_EQ(selected, row.line > 0 ? lineText : QString()) << where;
            EXPECT_FALSE(row.line > 0 && selected.isEmpty()) << where;
            EXPECT_TRUE(inView) << where;
            EXPECT_TRUE(listed.startsWith(QLatin1String(row.kind) + QStringLiteral(" - ")))
                << where << ": " << listed.toStdString();
            EXPECT_TRUE(listed.contains(row.words)) << where;
            EXPECT_TRUE(alerts->alerts().front().message.contains(row.words)) << where;
        }
    }
}

// Whichever way the source of a refused feed closes, by key or by button, the feed window has
// the keyboard back.
TEST_F(XMLSourceCallersTest, TheFeedWindowHasTheKeyboardBackHoweverTheSourceCloses)
{
    const QByteArray broken = brokenFeed("</itme>\n");
    writeFile(path("broken.xml"), broken);
    const struct
    {
        const char *way;
        std::function<void(QDialog *)> close;
    } ways[] = {
        {"Close", [](QDialog *source) { closeButton(source); }},
        {"Escape", [](QDialog *source) { QTest::keyClick(source, Qt::Key_Escape); }},
        {"close box",
         [this](QDialog *source) {
             // It keeps the text as it stands, which is refused again: "Abandon it".
             alerts->queueAnswer(AlertService::kAlternate);
             source->close();
         }},
        {"Revert and Exit",
         [this](QDialog *source) {
             editor(source)->insertPlainText(QStringLiteral("<oops"));
             alerts->queueAnswer(AlertService::kAlternate);
             save(source);
         }},
        {"Save",
         [this](QDialog *source) {
             // Typed over the line: the feed reads, and its results are closed unseen.
             editor(source)->insertPlainText(QStringLiteral("<item><title>i</title></item>"));
             alerts->queueAnswer(AlertService::kAlternate);
             save(source);
         }},
    };
    Vellumcast &window = startWindow();
    for (const auto &way : ways) {
        alerts->clear();
        alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
        onSourceWindow(
            [&](QDialog *source) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the list's Done
                EXPECT_TRUE(QTest::qWaitFor(
                    [source] { return QApplication::activeWindow() == source; }, 2000))
                    << way.way;
                way.close(source);
            },
            true);
        window.openFeedAtPath(path("broken.xml"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return QApplication::activeWindow() == window.window(); }, 2000))
            << way.way;
        EXPECT_TRUE(window.window()->isAncestorOf(QApplication::focusWidget())) << way.way;
    }
    EXPECT_EQ(window.currentFeed()->title(), "Mend me");
}
