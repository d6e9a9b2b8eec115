// The questions a load asks (the results of the read, a text that is no feed, the source editor)
// are real modal windows here, answered as the user answers them: a mouse click on the window
// that holds the input. The progress dialog never covers a question nor comes back after one,
// and the load goes on with the answer.
#include "AppFixture.h"
#include "common/LocalServer.h"

#include "app/Controller.h"
#include "app/LoadRunner.h"
#include "app/Vellumcast.h"
#include "editors/XMLSourceTextView.h"
#include "model/VLXFeed.h"
#include "platform/MainThreadCall.h"
#include "platform/QtAlertService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <deque>

namespace {
// Reads with one warning (no channel date) and nothing else: the results alert shows, and the
// feed is not marked edited.
QByteArray warnedFeed(const QString &title)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>%1</title>"
                          "<link>https://example.org/</link><description>d</description>"
                          "<item><title>i</title><link>https://example.org/i</link>"
                          "<description>x</description><guid>https://example.org/i</guid>"
                          "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>"
                          "</channel></rss>\n")
        .arg(title)
        .toUtf8();
}

// Every window of a load as it shows: "progress" for the progress dialog, else the title of
// the question.
class ShownWindows : public QObject
{
public:
    ShownWindows() { qApp->installEventFilter(this); }
    ~ShownWindows() override { qApp->removeEventFilter(this); }
    QStringList shown;

    // Whether the progress dialog showed after the first question.
    bool progressAfterAQuestion() const
    {
        const qsizetype first = shown.indexOf(QRegularExpression("^(?!progress$).*"));
        return first >= 0 && shown.indexOf("progress", first) > first;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->isWindow())
            return false;
        if (widget->objectName() == "LoadProgress")
            shown << "progress";
        else if (qobject_cast<QMessageBox *>(widget) || widget->objectName() == "XMLSourceWindow")
            shown << widget->windowTitle();
        return false;
    }
};

// Answers the questions of a load in their order. Each waits until its window has been up for
// longer than the progress dialog's delay, notes the window that holds the input, and clicks
// its button with the mouse. A question the click cannot reach is closed a few seconds later and
// the load cancelled, so a test fails instead of hanging.
class User : public QObject
{
public:
    struct Answer
    {
        QString title; // the question's window title begins with it
        QString button;
        std::function<void(QWidget *)> before; // e.g. typing into the source editor
    };

    explicit User(Vellumcast &window) : m_window(window)
    {
        connect(&m_tick, &QTimer::timeout, this, &User::look);
        m_tick.start(10);
    }
    void answer(Answer answer) { m_answers.push_back(std::move(answer)); }
    bool allAnswered() const { return m_answers.empty() && !m_stuck; }

    int patience = 600; // ms a question is up before its answer: well past the dialog's delay
    QStringList heldTheInput; // the title of the active modal window at each answer
    QList<bool> progressBehind; // whether the progress dialog was up at each answer
    bool m_stuck = false;

private:
    static QWidget *shownWindow(const QString &title)
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle().startsWith(title))
                return top;
        }
        return nullptr;
    }

    // A question nobody expected fails the test after a while, and goes.
    void unexpected()
    {
        QWidget *other = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible()
                && (qobject_cast<QMessageBox *>(top) || top->objectName() == "XMLSourceWindow"))
                other = top;
        }
        if (!other) {
            m_other.invalidate();
            return;
        }
        if (!m_other.isValid())
            m_other.start();
        if (m_other.elapsed() < 5000)
            return;
        m_other.invalidate();
        ADD_FAILURE() << "unexpected question " << other->windowTitle().toStdString();
        m_stuck = true;
        m_window.loadRunner()->cancel();
        if (auto *dialog = qobject_cast<QDialog *>(other))
            dialog->reject();
    }

    void look()
    {
        if (m_clicked) {
            // The question should be gone; one still up after a while did not take the click.
            if (!m_clicked->isVisible()) {
                m_clicked = nullptr;
                return;
            }
            if (m_sinceClick.elapsed() < 3000)
                return;
            m_stuck = true;
            QPointer<QWidget> stuck = m_clicked;
            m_clicked = nullptr;
            m_answers.clear();
            m_window.loadRunner()->cancel();
            if (auto *dialog = qobject_cast<QDialog *>(stuck.data()))
                dialog->reject();
            return;
        }
        QWidget *question = m_answers.empty() ? nullptr : shownWindow(m_answers.front().title);
        if (!question) {
            m_up.invalidate();
            unexpected();
            return;
        }
        m_other.invalidate();
        if (!m_up.isValid())
            m_up.start();
        if (m_up.elapsed() < patience)
            return;
        m_up.invalidate();
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        QWidget *modal = QApplication::activeModalWidget();
        heldTheInput << (modal ? modal->windowTitle() : QStringLiteral("(none)"));
        QDialog *progress = m_window.loadRunner()->progressDialog();
        progressBehind << (progress && progress->isVisible());
        if (answer.before)
            answer.before(question);
        QAbstractButton *target = nullptr;
        for (QAbstractButton *button : question->findChildren<QAbstractButton *>()) {
            if (button->text() == answer.button && button->isVisible())
                target = button;
        }
        if (!target) {
            ADD_FAILURE() << "no button " << answer.button.toStdString();
            return;
        }
        m_clicked = question;
        m_sinceClick.start();
        QTest::mouseClick(target, Qt::LeftButton);
    }

    Vellumcast &m_window;
    QTimer m_tick;
    std::deque<Answer> m_answers;
    QElapsedTimer m_up;
    QElapsedTimer m_other;
    QPointer<QWidget> m_clicked;
    QElapsedTimer m_sinceClick;
};

class LoadQuestionTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        LoadRunner::setDialogDelay(250); // as the user has it
    }
    void TearDown() override
    {
        LoadRunner::setDialogDelay(250);
        AppFixture::TearDown();
    }
    QString path(const QString &name) const { return QDir(home()).filePath(name); }

    // The window showing feed A, with the real alerts from here on.
    Vellumcast &windowWithA()
    {
        writeFile(path("a.xml"), smallFeed("A"));
        Vellumcast &window = startWindow();
        window.openFeedAtPath(path("a.xml"));
        EXPECT_EQ(window.currentFeed()->title(), "A");
        window.window()->show();
        AlertService::setInstance(std::make_shared<QtAlertService>());
        return window;
    }

    static bool progressShown(Vellumcast &window)
    {
        QDialog *dialog = window.loadRunner()->progressDialog();
        return dialog && dialog->isVisible();
    }
};
} // namespace

TEST_F(LoadQuestionTest, TheResultsAlertOfAFileTakesTheClickAndTheOpenCompletes)
{
    Vellumcast &window = windowWithA();
    writeFile(path("warned.xml"), warnedFeed("Warned"));
    ShownWindows windows;
    User user(window);
    user.answer({"Feed Parsing Results:", "Close", {}});
    window.openFeedAtPath(path("warned.xml"));

    EXPECT_TRUE(user.allAnswered());
    EXPECT_FALSE(user.progressBehind.contains(true));
    EXPECT_EQ(user.heldTheInput, QStringList {"Feed Parsing Results:"});
    EXPECT_EQ(window.currentFeed()->title(), "Warned");
    EXPECT_EQ(window.document()->entry().fileName, "warned.xml");
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_FALSE(windows.shown.contains("progress"));
    EXPECT_FALSE(progressShown(window));
}

TEST_F(LoadQuestionTest, ATextThatIsNoFeedIsAbandonedOrMendedThroughItsRealWindows)
{
    Vellumcast &window = windowWithA();
    const QString notes = path("notes.txt");
    writeFile(notes, "just some words");
    const auto listed = window.currentListOfFeeds();

    // "Abandon it": the open ends and the feed shown stays.
    {
        ShownWindows windows;
        User user(window);
        user.answer({"Not XML/RSS", "Abandon it", {}});
        window.openFeedAtPath(notes);
        EXPECT_TRUE(user.allAnswered());
        EXPECT_FALSE(user.progressBehind.contains(true));
        EXPECT_EQ(user.heldTheInput, QStringList {"Not XML/RSS"});
        EXPECT_EQ(window.currentFeed()->title(), "A");
        EXPECT_EQ(window.currentListOfFeeds(), listed);
        EXPECT_FALSE(windows.shown.contains("progress"));
    }

    // "Manually fix it": the source editor holds the input, its Save reads the mended text on,
    // and the results of that read are the last question.
    ShownWindows windows;
    User user(window);
    user.answer({"Not XML/RSS", "Manually fix it", {}});
    user.answer({"XML Source", "Save", [](QWidget *editor) {
                     editor->findChild<XMLSourceTextView *>("editXML")->loadText(
                         QString::fromUtf8(warnedFeed("Mended")));
                 }});
    user.answer({"Feed Parsing Results:", "Close", {}});
    window.openFeedAtPath(notes);
    EXPECT_TRUE(user.allAnswered());
    EXPECT_FALSE(user.progressBehind.contains(true));
    ASSERT_EQ(user.heldTheInput.size(), 3);
    EXPECT_EQ(user.heldTheInput[0], "Not XML/RSS");
    EXPECT_TRUE(user.heldTheInput[1].startsWith("XML Source"));
    EXPECT_EQ(user.heldTheInput[2], "Feed Parsing Results:");
    EXPECT_EQ(window.currentFeed()->title(), "Mended");
    EXPECT_TRUE(window.isDocumentEdited()); // the text was changed
    EXPECT_FALSE(windows.progressAfterAQuestion());
    EXPECT_FALSE(progressShown(window));
}

TEST_F(LoadQuestionTest, AQuestionOfASlowLoadClosesTheProgressDialogForTheRestOfTheLoad)
{
    Vellumcast &window = windowWithA();
    LocalServer server;
    const QString served = path("served");
    writeFile(QDir(served).filePath("warned.xml"), warnedFeed("Served"));
    writeFile(QDir(served).filePath("broken.xml"),
              "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>");
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}));

    // The download takes a second: the dialog is up when the results come.
    {
        ShownWindows windows;
        User user(window);
        user.answer({"Feed Parsing Results:", "Close", {}});
        window.openFeedAtPath(server.url("http", "/d/warned.xml?delay=1"));
        EXPECT_TRUE(user.allAnswered());
        EXPECT_FALSE(user.progressBehind.contains(true));
        EXPECT_EQ(user.heldTheInput, QStringList {"Feed Parsing Results:"});
        ASSERT_FALSE(windows.shown.isEmpty());
        EXPECT_EQ(windows.shown.first(), "progress");
        EXPECT_FALSE(windows.progressAfterAQuestion());
        EXPECT_EQ(window.currentFeed()->title(), "Served");
        EXPECT_FALSE(progressShown(window));
    }

    // "Error in XML" over a slow download; the mended text is read on without the dialog.
    window.setDocumentEdited(false, true);
    ShownWindows windows;
    User user(window);
    user.answer({"Error in XML", "Manually fix it", {}});
    user.answer({"XML Source", "Save", [](QWidget *editor) {
                     editor->findChild<XMLSourceTextView *>("editXML")->loadText(
                         QString::fromUtf8(AppFixture::smallFeed("Fixed")));
                 }});
    window.openFeedAtPath(server.url("http", "/d/broken.xml?delay=1"));
    EXPECT_TRUE(user.allAnswered());
    EXPECT_FALSE(user.progressBehind.contains(true));
    ASSERT_EQ(user.heldTheInput.size(), 2);
    EXPECT_EQ(user.heldTheInput[0], "Error in XML");
    ASSERT_FALSE(windows.shown.isEmpty());
    EXPECT_EQ(windows.shown.first(), "progress");
    EXPECT_FALSE(windows.progressAfterAQuestion());
    EXPECT_EQ(window.currentFeed()->title(), "Fixed");
    EXPECT_FALSE(progressShown(window));
}

TEST_F(LoadQuestionTest, QuestionsAnsweredAtOnceKeepTheDialogAwayFromALongRest)
{
    Vellumcast &window = windowWithA();
    writeFile(path("notes.txt"), "just some words");
    ShownWindows windows;
    User user(window);
    user.patience = 0;
    user.answer({"Not XML/RSS", "Manually fix it", {}});
    user.answer({"XML Source", "Save", [](QWidget *editor) {
                     editor->findChild<XMLSourceTextView *>("editXML")->loadText(
                         QString::fromUtf8(AppFixture::smallFeed("Slow")));
                 }});
    // Only the mended text is read into the model; that read outlasts the dialog's delay.
    std::atomic<bool> slowed = false;
    LoadRunner::setStageObserver([&](LoadControl::Stage stage) {
        if (stage == LoadControl::Stage::Reading && !slowed.exchange(true))
            QThread::msleep(800);
    });
    window.openFeedAtPath(path("notes.txt"));
    LoadRunner::setStageObserver({});
    EXPECT_TRUE(slowed);
    EXPECT_TRUE(user.allAnswered());
    EXPECT_EQ(window.currentFeed()->title(), "Slow");
    EXPECT_FALSE(windows.shown.contains("progress")) << windows.shown.join(", ").toStdString();
}

TEST_F(LoadQuestionTest, AModalWindowThatCameUnannouncedIsNotCoveredEither)
{
    Vellumcast &window = windowWithA();
    writeFile(path("b.xml"), smallFeed("B"));
    ShownWindows windows;
    // Some other window asks something, modally, while the feed is read, and stays up past the
    // progress dialog's delay.
    bool asked = false;
    LoadRunner::setStageObserver([&](LoadControl::Stage stage) {
        if (stage != LoadControl::Stage::Decoding || asked)
            return;
        asked = true;
        MainThreadCall::run([] {
            QDialog other;
            other.setWindowTitle("Elsewhere");
            QTimer::singleShot(600, &other, &QDialog::accept);
            other.exec();
        });
    });
    window.openFeedAtPath(path("b.xml"));
    LoadRunner::setStageObserver({});
    EXPECT_TRUE(asked);
    EXPECT_EQ(window.currentFeed()->title(), "B");
    EXPECT_FALSE(windows.shown.contains("progress"));
}
