#include "editors/XMLSourceController.h"
#include "editors/MNLineNumberingRulerView.h"
#include "editors/MessageOutlineModel.h"
#include "editors/XMLSourceTextView.h"
#include "editors/errorListing.h"
#include "io/VLXParseFeed.h"
#include "platform/ScriptedAlertService.h"
#include "ui/printInfoManager.h"
#include "xml/vlxXMLDOM.h"

#include "common/PdfText.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {
class XMLSourceControllerTest : public ::testing::Test
{
protected:
    void SetUp() override { m_alerts = ScriptedAlertService::install(); }
    void TearDown() override { AlertService::setInstance(nullptr); }

    // Runs the window with a script played once it is up; a script that leaves the window open
    // fails the test and the window is cancelled.
    int run(const std::optional<QString> &original, const QString &current,
            const std::function<void()> &script)
    {
        QTimer::singleShot(0, [&] {
            script();
            if (m_controller.window()->isVisible()) {
                ADD_FAILURE() << "the script left the window open";
                m_controller.cancel();
            }
        });
        return m_controller.editXML(original, current);
    }
    XMLSourceTextView *editor() const { return m_controller.editXMLView(); }
    // Types at the end of the text as the user would.
    void type(const QString &text)
    {
        QTextCursor cursor = editor()->textCursor();
        cursor.movePosition(QTextCursor::End);
        editor()->setTextCursor(cursor);
        editor()->insertPlainText(text);
    }
    QString lastAlertTitle() const
    {
        return m_alerts->alerts().isEmpty() ? QString() : m_alerts->alerts().last().title;
    }

    std::shared_ptr<ScriptedAlertService> m_alerts;
    XMLSourceController m_controller;
};

const QString kFeed
    = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
                     "<item><title>I</title></item></channel></rss>");
} // namespace

// Save hands back a whole feed's text when it reads as File > Open reads a file, repairs and all;
// a text the reader refuses stays in the window with the parser's message and line, or its reason.
TEST_F(XMLSourceControllerTest, SaveHandsBackWhatOpeningAFileReads)
{
    const QString repairable
        = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>\n"
                         "<link>https://example.org/</link><description>d</description>\n"
                         "<item><title>Tom & Jerry</title></item></channel></rss>");
    const struct
    {
        const char *what;
        QString text;
        const char *refusal; // the alert's title; none when the text is handed back
        const char *lead; // how the alert's message begins
    } cases[] = {
        {"a bare & in a title", repairable, nullptr, nullptr},
        {"a feed with a comment after it", kFeed + QStringLiteral("<!-- x -->"), nullptr, nullptr},
        {"an unclosed channel", QStringLiteral("<rss version=\"2.0\">\n<channel>"), "Error in XML",
         "The following error was detected on line 2:\n\n"},
        {"a bare & outside the repairs' reach", QStringLiteral("<rss version=\"2.0\" a=\"&\"/>"),
         "Error in XML", "The following error was detected on line 1:\n\n"},
        {"a page", QStringLiteral("<html><body/></html>"), "Not XML/RSS",
         "This does not appear to be an XML/RSS feed.\n\n"},
    };
    for (const auto &c : cases) {
        m_alerts->clear();
        m_alerts->queueAnswer(AlertService::kAlternate); // Revert and Exit
        const int saved = run(std::nullopt, kFeed, [&] {
            editor()->replaceAllText(c.text);
            m_controller.saveDocument();
        });
        if (!c.refusal) {
            EXPECT_EQ(saved, 1) << c.what;
            EXPECT_EQ(m_controller.sourceData(), c.text) << c.what;
            EXPECT_TRUE(m_alerts->alerts().isEmpty()) << c.what;
            continue;
        }
        EXPECT_EQ(saved, 0) << c.what;
        ASSERT_EQ(m_alerts->alerts().size(), 1) << c.what;
        EXPECT_EQ(lastAlertTitle(), c.refusal) << c.what;
        // What the reader says of the text when a file holds it, word for word.
        VLXParseFeed reader;
        ASSERT_NE(reader.isItAFeed(c.text), VLXParseFeed::Success) << c.what;
        const QString said = reader.errorDictionary().isEmpty()
            ? reader.refusal()
            : reader.errorDictionary().value(vlxXMLDOM::kErrorDescriptionKey).toString();
        ASSERT_FALSE(said.isEmpty()) << c.what;
        const QString message = m_alerts->alerts().last().message;
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.lead) + said + "\n\n"))
            << c.what << ": " << message.toStdString();
        EXPECT_EQ(m_alerts->alerts().last().defaultButton, "Continue Editing");
        EXPECT_EQ(m_alerts->alerts().last().alternateButton, "Revert and Exit");
    }

    // Continue Editing keeps the window and the text, which is handed back once mended.
    m_alerts->clear();
    const int mended = run(std::nullopt, kFeed, [&] {
        editor()->replaceAllText(QStringLiteral("<rss version=\"2.0\"><channel>"));
        m_alerts->queueAnswer(AlertService::kDefault); // Continue Editing
        m_controller.saveDocument();
        ASSERT_TRUE(m_controller.window()->isVisible());
        type(QStringLiteral("<title>T</title></channel></rss>"));
        m_controller.saveDocument();
    });
    EXPECT_EQ(mended, 1);
    EXPECT_EQ(m_controller.sourceData(),
              "<rss version=\"2.0\"><channel><title>T</title></channel></rss>");
    EXPECT_EQ(m_alerts->alerts().size(), 1);
}

TEST_F(XMLSourceControllerTest, ClosingAsksOnlyAboutChangesAndSavingFromTheAlertChecksTheText)
{
    EXPECT_EQ(run(std::nullopt, kFeed, [&] { m_controller.close(); }), 0);
    EXPECT_EQ(run(std::nullopt, kFeed, [&] { m_controller.window()->close(); }), 1)
        << "the close box keeps an unedited text";
    EXPECT_TRUE(m_alerts->alerts().isEmpty());

    const int dontSave = run(std::nullopt, kFeed, [&] {
        type(QStringLiteral("<!-- x -->"));
        m_alerts->queueAnswer(AlertService::kOther); // Cancel
        m_controller.close();
        ASSERT_TRUE(m_controller.window()->isVisible());
        EXPECT_EQ(lastAlertTitle(), "Warning");
        EXPECT_EQ(m_alerts->alerts().last().message,
                  "Changes have been made to this XML, do you wish to save them?");
        m_alerts->queueAnswer(AlertService::kAlternate); // Don't Save
        m_controller.window()->close();
    });
    EXPECT_EQ(dontSave, 0);

    m_alerts->clear();
    const int invalid = run(std::nullopt, kFeed, [&] {
        type(QStringLiteral("<oops"));
        m_alerts->queueAnswer(AlertService::kDefault); // Save...
        m_alerts->queueAnswer(AlertService::kDefault); // Continue Editing
        m_controller.close();
        ASSERT_TRUE(m_controller.window()->isVisible()) << "ill-formed text is not handed back";
        EXPECT_EQ(lastAlertTitle(), "Error in XML");
        m_alerts->queueAnswer(AlertService::kDefault); // Save...
        m_alerts->queueAnswer(AlertService::kAlternate); // Revert and Exit
        m_controller.window()->close();
    });
    EXPECT_EQ(invalid, 0);

    const int valid = run(std::nullopt, kFeed, [&] {
        type(QStringLiteral("<!-- fine -->"));
        m_alerts->queueAnswer(AlertService::kDefault); // Save...
        m_controller.close();
    });
    EXPECT_EQ(valid, 1);
    EXPECT_TRUE(m_controller.sourceData().endsWith("<!-- fine -->"));
}

TEST_F(XMLSourceControllerTest, UndoingEveryChangeClearsTheEditedMarkAndRevertEmptiesTheHistory)
{
    run(std::nullopt, kFeed, [&] {
        EXPECT_FALSE(m_controller.isDocumentEdited());
        type(QStringLiteral("abc"));
        EXPECT_TRUE(m_controller.isDocumentEdited());
        EXPECT_TRUE(m_controller.window()->isWindowModified());
        m_controller.plain();
        EXPECT_FALSE(editor()->isColored());
        EXPECT_EQ(m_controller.undoManager()->undoText(), "Uncolorize XML");
        type(QStringLiteral("d"));
        m_controller.colorized();
        EXPECT_EQ(m_controller.undoManager()->undoText(), "Colorize XML");
        while (m_controller.undoManager()->canUndo())
            m_controller.undo();
        EXPECT_EQ(editor()->text(), kFeed);
        EXPECT_TRUE(editor()->isColored());
        EXPECT_FALSE(m_controller.isDocumentEdited());
        EXPECT_FALSE(m_controller.window()->isWindowModified());
        m_controller.redo();
        EXPECT_EQ(editor()->text(), kFeed + "abc");

        type(QStringLiteral("more"));
        m_controller.revertDocumentToSaved();
        EXPECT_EQ(editor()->text(), kFeed);
        EXPECT_EQ(m_controller.undoManager()->count(), 0);
        EXPECT_FALSE(m_controller.isDocumentEdited());
        m_controller.cancel();
    });
}

TEST_F(XMLSourceControllerTest, ReformatIndentsTheDocumentAsOneUndoStep)
{
    run(std::nullopt, kFeed, [&] {
        m_controller.reformat();
        const QString formatted = editor()->text();
        EXPECT_NE(formatted, kFeed);
        EXPECT_TRUE(formatted.contains("\n    <channel>") || formatted.contains("\n  <channel>"))
            << formatted.toStdString();
        EXPECT_TRUE(formatted.contains("<title>I</title>"));
        EXPECT_EQ(m_controller.undoManager()->undoText(), "Reformat XML");
        EXPECT_TRUE(editor()->colorRanges().colorAt(int(formatted.indexOf("<item>")))
                    == XMLColorRanges::Color::Item)
            << "the new text is coloured";
        m_controller.undo();
        EXPECT_EQ(editor()->text(), kFeed);

        // Invalid text: "Revert" puts back the text given on entry and forgets the history.
        type(QStringLiteral("<unclosed>"));
        m_alerts->queueAnswer(AlertService::kAlternate);
        m_controller.reformat();
        EXPECT_EQ(lastAlertTitle(), "Error in XML");
        EXPECT_EQ(m_alerts->alerts().last().defaultButton, "Continue");
        EXPECT_EQ(m_alerts->alerts().last().alternateButton, "Revert");
        EXPECT_EQ(editor()->text(), kFeed);
        EXPECT_EQ(m_controller.undoManager()->count(), 0);
        m_controller.cancel();
    });
}

TEST_F(XMLSourceControllerTest, ReformattingIndentedTextGivesWhatCompactTextGives)
{
    QString compact;
    const QString indented = QStringLiteral(
        "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n  <channel>\n    <title>T</title>\n"
        "    <!-- a  comment\n  kept -->\n    <description><![CDATA[ <b>x</b>\n  y ]]>"
        "</description>\n    <item>\n      <title>I</title>\n    </item>\n  </channel>\n</rss>\n");
    run(std::nullopt, QString(indented).replace(QRegularExpression(">\\s+<"), "><"), [&] {
        m_controller.reformat();
        compact = editor()->text();
        m_controller.cancel();
    });
    run(std::nullopt, indented, [&] {
        m_controller.reformat();
        const QString formatted = editor()->text();
        EXPECT_TRUE(formatted.contains("<channel>\n        <title>T</title>\n        <!--"))
            << formatted.toStdString();
        EXPECT_TRUE(formatted.contains("<!-- a  comment\n  kept -->"));
        EXPECT_TRUE(formatted.contains("<![CDATA[ <b>x</b>\n  y ]]>"));
        EXPECT_EQ(formatted, compact);
        m_controller.cancel();
    });
}

TEST_F(XMLSourceControllerTest, AFragmentIsCheckedAndReformattedInsideTheWrapper)
{
    m_controller.setXMLFragment(true);
    EXPECT_EQ(run(std::nullopt, QStringLiteral("<a:x>1</a:x><a:y/>"),
                  [&] { m_controller.saveDocument(); }),
              1);
    EXPECT_EQ(run(std::nullopt, QStringLiteral("just text"), [&] { m_controller.saveDocument(); }),
              1);
    // No repairs for a fragment: its elements go into the feed as they are.
    m_alerts->queueAnswer(AlertService::kAlternate); // Revert and Exit
    EXPECT_EQ(run(std::nullopt, QStringLiteral("<a:x>Tom & Jerry</a:x>"),
                  [&] { m_controller.saveDocument(); }),
              0);
    EXPECT_EQ(lastAlertTitle(), "Error in XML");
    run(std::nullopt, QStringLiteral("<x><y>1</y></x><z>2</z>"), [&] {
        m_controller.reformat();
        const QString formatted = editor()->text();
        EXPECT_FALSE(formatted.contains("rss")) << formatted.toStdString();
        EXPECT_FALSE(formatted.contains("<?xml"));
        EXPECT_TRUE(formatted.startsWith("<x>")) << formatted.toStdString();
        EXPECT_TRUE(formatted.contains("<y>1</y>"));
        EXPECT_TRUE(formatted.trimmed().endsWith("<z>2</z>"));
        m_controller.cancel();
    });
    run(std::nullopt, QString(), [&] {
        m_controller.reformat();
        EXPECT_EQ(editor()->text(), "") << "an empty fragment stays empty";
        m_controller.cancel();
    });
}

TEST_F(XMLSourceControllerTest, TheOriginalTabIsThereOnlyWithAnOriginal)
{
    run(std::nullopt, kFeed, [&] {
        EXPECT_EQ(m_controller.tabView()->count(), 1);
        m_controller.cancel();
    });
    EXPECT_EQ(m_controller.tabView()->count(), 2);
    EXPECT_EQ(m_controller.tabView()->widget(1), m_controller.originalXMLView());

    run(QStringLiteral("<rss>as read</rss>"), kFeed, [&] {
        ASSERT_EQ(m_controller.tabView()->count(), 2);
        m_controller.tabView()->setCurrentIndex(1);
        EXPECT_EQ(m_controller.originalXMLView()->text(), "<rss>as read</rss>");
        EXPECT_TRUE(m_controller.originalXMLView()->isReadOnly());
        EXPECT_EQ(m_controller.originalXMLView()->helpAnchor(), "RSSXMLSource");
        m_controller.cancel();
    });
    EXPECT_EQ(m_controller.originalData(), "<rss>as read</rss>");
}

TEST(XMLSourceTextView, ALoadedTextWrapsOnlyWhileItHoldsALineTooLongToLayOut)
{
    // The view alone: a controller reuses its view, which may be wrapping from an earlier text.
    XMLSourceTextView view;
    const QString longest(XMLSourceTextView::kLongestUnwrappedLine, u'x');
    const QString half(XMLSourceTextView::kLongestUnwrappedLine / 2 + 1, u'x');
    const struct
    {
        QString text;
        bool wraps;
    } cases[] = {
        {QStringLiteral("<a>\n") + longest + QStringLiteral("\n</a>"), false},
        {QStringLiteral("<a>\n") + longest + QStringLiteral("x\n</a>"), true},
        // Carriage returns break lines too: no line here is too long.
        {half + QStringLiteral("\r") + half + QStringLiteral("\r\n") + half, false},
        {QStringLiteral("<a>") + longest + QStringLiteral("</a>"), true},
        {QStringLiteral("<a/>\n"), false},
    };
    for (const auto &[text, wraps] : cases) {
        view.loadText(text);
        view.finishLoading();
        EXPECT_EQ(view.wrapsLongLines(), wraps) << text.size();
    }
}

TEST(XMLSourceTextView, TheCaretBlinksInALongLineWithoutLayingItOutAgainAndTypingMovesItsColours)
{
    XMLSourceTextView view;
    view.resize(600, 400);
    view.setColored(true);
    view.loadText(QStringLiteral("<rss>\n<description>")
                  + QStringLiteral("words ").repeated(350 * 1024)
                  + QStringLiteral("</description>\n</rss>\n"));
    view.finishLoading();
    view.show();
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(100);
    view.setTextCursor(cursor);
    view.viewport()->grab();
    // Five seconds of blinking: each blink asks where the caret is and paints it there.
    // Working the whole 2 MB line out again for that took some 100 ms a blink.
    QElapsedTimer clock;
    clock.start();
    for (int blink = 0; blink < 10; ++blink)
        view.viewport()->grab(view.cursorRect());
    EXPECT_LT(clock.elapsed(), 250);

    // Typed into, the line wears its colours moved with the text (the closing tag at its end)
    // as the edit comes in, before anything is painted or any event handled: colours moved only
    // when next painted would have the whole line laid out a second time for one keystroke.
    cursor.insertText(QStringLiteral("x"));
    const QTextBlock line = view.document()->firstBlock().next();
    const QList<QTextLayout::FormatRange> formats = line.layout()->formats();
    ASSERT_FALSE(formats.isEmpty());
    EXPECT_EQ(formats, view.formatsOfBlock(line));
    EXPECT_EQ(formats.last().start + formats.last().length, line.length() - 1);
    // Painted, it keeps them.
    view.viewport()->grab();
    EXPECT_EQ(line.layout()->formats(), formats);
}

// Go selects the line's text without its break: what is typed over it replaces that line and
// the next stays a line of its own.
TEST_F(XMLSourceControllerTest, JumpToLineSelectsTheLineForTypingOver)
{
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("<line n=\"%1\"/>\n").arg(i);
    run(std::nullopt, text, [&] {
        m_controller.lineNumberField()->setText(QStringLiteral("150"));
        m_controller.jumpToLine();
        EXPECT_EQ(editor()->textCursor().selectedText(), QStringLiteral("<line n=\"150\"/>"));
        editor()->insertPlainText(QStringLiteral("<mended/>"));
        const QStringList lines = editor()->text().split(u'\n');
        EXPECT_EQ(lines.mid(148, 3),
                  (QStringList {"<line n=\"149\"/>", "<mended/>", "<line n=\"151\"/>"}));
        m_controller.cancel();
    });
}

// A refused text opens at the line its refusal names: the line's text selected and in view, and
// the message list, saying why under the label of its kind, beside it and not over it, whether
// the line is at the text's start, deep in it or at its end.
TEST_F(XMLSourceControllerTest, ARefusedTextOpensAtTheNamedLineWithTheListClearOfIt)
{
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("<line n=\"%1\"/>\n").arg(i);
    for (const int line : {3, 150, 200}) {
        const QString reason = QStringLiteral("Line %1: Opening and ending tag mismatch").arg(line);
        m_controller.setRefusal(reason, line, QStringLiteral("Not Well-Formed"));
        errorListing *list = errorListing::sharedInstance();
        run(text, text, [&] {
            ASSERT_TRUE(QTest::qWaitFor([list] { return list->windowOpen(); }, 5000));
            const QTextCursor cursor = editor()->textCursor();
            EXPECT_EQ(cursor.selectedText(), QStringLiteral("<line n=\"%1\"/>").arg(line));
            EXPECT_EQ(cursor.blockNumber(), line - 1);
            QTextCursor start = cursor;
            start.setPosition(cursor.selectionStart());
            const QRect shown = editor()->cursorRect(start);
            EXPECT_TRUE(editor()->viewport()->rect().contains(shown)) << line;
            // The row of the view the line takes, from side to side.
            QWidget *view = editor()->viewport();
            const QRect onScreen(view->mapToGlobal(QPoint(0, shown.top())),
                                 QSize(view->width(), shown.height()));
            EXPECT_FALSE(list->panel()->frameGeometry().intersects(onScreen)) << line;
            EXPECT_EQ(list->model()->index(0, 0).data().toString(),
                      QStringLiteral("Not Well-Formed - ") + reason);
            // Its toggles would read the feed shown instead: they are off.
            EXPECT_FALSE(list->errorButton()->isEnabled());
            m_controller.cancel();
        });
    }
    m_controller.setRefusal({}, 0);
}

// However the window closes, the message list over it goes with it.
TEST_F(XMLSourceControllerTest, TheMessageListClosesWithTheWindow)
{
    const struct
    {
        const char *way;
        std::function<void(XMLSourceController &)> close;
    } ways[] = {
        {"Close", [](XMLSourceController &c) { c.close(); }},
        {"close box", [](XMLSourceController &c) { c.window()->close(); }},
        {"Save", [](XMLSourceController &c) { c.saveDocument(); }},
        {"Revert and Exit",
         [this](XMLSourceController &c) {
             c.editXMLView()->replaceAllText(QStringLiteral("<rss><channel>"));
             m_alerts->queueAnswer(AlertService::kAlternate);
             c.saveDocument();
         }},
        {"ended from outside", [](XMLSourceController &c) { c.window()->done(0); }},
    };
    errorListing *list = errorListing::sharedInstance();
    for (const auto &way : ways) {
        m_controller.setRefusal(QStringLiteral("Line 1: why"), 1, QStringLiteral("Not a Feed"));
        run(kFeed, kFeed, [&] {
            ASSERT_TRUE(QTest::qWaitFor([list] { return list->windowOpen(); }, 5000));
            way.close(m_controller);
        });
        EXPECT_FALSE(list->windowOpen()) << way.way;
        EXPECT_FALSE(list->panel()->isVisible()) << way.way;
    }
    m_controller.setRefusal({}, 0);
}

TEST_F(XMLSourceControllerTest, ALongTextAppearsFirstAndIsTakenInWhileTheWindowRuns)
{
    // Many short lines, and one line of 2 MB (taken in piece by piece, it took minutes): a text
    // with such a line wraps on screen, and Go to Line still counts the text's lines.
    QString lines = QStringLiteral("<rss>\n");
    for (int i = 0; i < 40000; ++i)
        lines += QStringLiteral("<item><title>Item %1</title></item>\n").arg(i);
    const QString longLine = QStringLiteral("<rss>\n<item><description>")
        + QStringLiteral("words ").repeated(350 * 1024) + QStringLiteral("</description></item>\n");
    for (const auto &[start, wraps] : {std::pair(lines, false), std::pair(longLine, true)}) {
        const QString text = start + QStringLiteral("</rss>\n");
        run(std::nullopt, text, [&] {
            EXPECT_TRUE(editor()->isLoading());
            EXPECT_TRUE(editor()->isReadOnly()) << "no typing into a text still arriving";
            EXPECT_LT(editor()->document()->characterCount(), text.size());
            QElapsedTimer clock;
            clock.start();
            while (editor()->isLoading() && clock.elapsed() < 30000)
                QApplication::processEvents();
            EXPECT_FALSE(editor()->isLoading()) << wraps;
            EXPECT_FALSE(editor()->isReadOnly());
            EXPECT_EQ(editor()->text(), text);
            EXPECT_EQ(m_controller.undoManager()->count(), 0);
            EXPECT_EQ(editor()->wrapsLongLines(), wraps);
            // Painted, the lines on screen wear their colours.
            editor()->viewport()->grab();
            const QTextBlock second = editor()->document()->firstBlock().next();
            EXPECT_EQ(second.layout()->formats().size(), 4);
            EXPECT_EQ(second.layout()->formats(), editor()->formatsOfBlock(second));
            m_controller.lineNumberField()->setText(QString::number(text.count(u'\n')));
            m_controller.jumpToLine();
            EXPECT_EQ(editor()->textCursor().selectedText(), QStringLiteral("</rss>"));
            // A long line typed in wraps the text too.
            type(QString(XMLSourceTextView::kLongestUnwrappedLine + 1, u'x'));
            QApplication::processEvents();
            EXPECT_TRUE(editor()->wrapsLongLines());
            m_controller.cancel();
        });
    }
}

TEST_F(XMLSourceControllerTest, PrintingWrapsTheShownTextInsideTheSharedMargins)
{
    // Long lines of one word each: wrapped anywhere, every character must still be printed, and
    // nothing may stand outside the 54-point margins of the shared page settings.
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("<line>%1%2</line>\n").arg(i).arg(QString(150, u'x'));
    run(std::nullopt, text, [&] {
        QTemporaryDir folder;
        QPrinter printer;
        printInfoManager::applyTo(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("xml.pdf")));
        m_controller.printText(printer);
        const PdfText pdf = PdfText::read(printer.outputFileName());
        ASSERT_TRUE(pdf.error.isEmpty()) << pdf.error.toStdString();
        EXPECT_GT(pdf.pages.size(), 3);
        QString expected = text;
        expected.remove(u'\n');
        EXPECT_EQ(pdf.joined(), expected);
        for (int page = 0; page < pdf.pages.size(); ++page) {
            const QRectF ink = pdf.inkOf(page);
            EXPECT_NEAR(ink.left(), 54, 2) << "page " << page;
            EXPECT_GE(ink.top(), 54 - 2) << "page " << page;
            EXPECT_LE(ink.right(), pdf.pages.at(page).width() - 54 + 1) << "page " << page;
            EXPECT_LE(ink.bottom(), pdf.pages.at(page).height() - 54 + 1) << "page " << page;
        }
        m_controller.cancel();
    });
}
