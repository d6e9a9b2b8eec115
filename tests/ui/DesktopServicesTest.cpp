#include "platform/HelpWindow.h"
#include "platform/QtAlertService.h"
#include "platform/QtFileChooser.h"
#include "platform/QtHelpService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}
} // namespace

TEST(QtAlertService, ButtonsAnswerOneZeroMinusOne)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = "Warning";
    alert.message = "Changes have been made to this feed.";
    alert.defaultButton = "Save...";
    alert.alternateButton = "Don't Save";
    alert.otherButton = "Cancel";
    const struct
    {
        const char *button;
        int answer;
    } cases[] = {{"Save...", 1}, {"Don't Save", 0}, {"Cancel", -1}};
    for (const auto &c : cases) {
        std::unique_ptr<QMessageBox> box(QtAlertService::buildBox(alert));
        ASSERT_NE(buttonTitled(box.get(), c.button), nullptr) << c.button;
        buttonTitled(box.get(), c.button)->click();
        EXPECT_EQ(QtAlertService::answerOf(box.get()), c.answer) << c.button;
    }
    std::unique_ptr<QMessageBox> box(QtAlertService::buildBox(alert));
    EXPECT_EQ(box->defaultButton()->text(), "Save...");
    // Escape cancels.
    EXPECT_EQ(box->escapeButton()->text(), "Cancel");
    EXPECT_EQ(QtAlertService::answerOf(box.get()), -1);
}

// The suppression box: unchecked at the start, its state read back when the alert ends; an alert
// without one shows none.
TEST(QtAlertService, ACheckBoxUnderTheMessageIsReadBack)
{
    Alert plain;
    plain.title = "Notice";
    std::unique_ptr<QMessageBox> none(QtAlertService::buildBox(plain));
    EXPECT_EQ(none->checkBox(), nullptr);

    for (const bool tick : {true, false}) {
        Alert alert;
        alert.title = "Notice";
        alert.checkBoxTitle = "Don't show this message again";
        alert.checkBoxState = std::make_shared<bool>(!tick);
        QTimer::singleShot(0, [tick] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ASSERT_NE(box->checkBox(), nullptr);
            EXPECT_EQ(box->checkBox()->text(), "Don't show this message again");
            EXPECT_FALSE(box->checkBox()->isChecked());
            if (tick)
                box->checkBox()->click();
            buttonTitled(box, "OK")->click();
        });
        EXPECT_EQ(QtAlertService().runAlert(alert), 1);
        EXPECT_EQ(*alert.checkBoxState, tick);
    }
}

// A window that goes away while an alert or a file chooser sits over it (a dialog closed by a
// timer or a finished transfer) takes the box with it: the request ends as cancelled, and
// nothing is touched or freed twice.
TEST(QtAlertService, TheWindowUnderAnOpenAlertGoingAwayDismissesIt)
{
    auto *window = new QWidget;
    window->show();
    QApplication::setActiveWindow(window);
    QTimer::singleShot(100, window, [window] { delete window; });
    Alert alert;
    alert.title = "Warning";
    alert.defaultButton = "Save...";
    alert.alternateButton = "Don't Save";
    alert.otherButton = "Cancel";
    EXPECT_EQ(QtAlertService().runAlert(alert), -1);
}

// A reason of any length, a run without a blank among them, is wrapped inside the screen: the
// box asked to be thousands of pixels wide for a run it could not break, and cut it off.
TEST(QtAlertService, ALongUnbrokenReasonWrapsWithinTheScreen)
{
    Alert alert;
    alert.title = "Not XML/RSS";
    alert.message = "This file does not appear to be an XML/RSS file.  Would you like to try and "
                    "fix it manually?\n\n"
        + QString(100000, u'x');
    alert.defaultButton = "Manually fix it";
    alert.alternateButton = "Abandon it";
    AlertService::setInstance(std::make_shared<QtAlertService>());
    QRect shown;
    QRect screen;
    int asked = 0;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->frameGeometry();
        asked = box->sizeHint().width();
        screen = box->screen()->availableGeometry();
        buttonTitled(box, "Abandon it")->click();
    });
    EXPECT_EQ(AlertService::show(alert), AlertService::kAlternate);
    AlertService::setInstance(nullptr);
    ASSERT_TRUE(screen.isValid());
    EXPECT_LE(asked, screen.width());
    EXPECT_TRUE(screen.contains(shown)) << shown.width() << " wide on " << screen.width();
}

TEST(QtFileChooser, TheWindowUnderAnOpenChooserGoingAwayCancelsIt)
{
    auto *window = new QWidget;
    window->show();
    QApplication::setActiveWindow(window);
    QTimer::singleShot(100, window, [window] { delete window; });
    FileRequest request;
    request.title = "Open";
    EXPECT_TRUE(QtFileChooser().choose(request).isEmpty());
}

TEST(QtHelpService, IndexesAnchorsAndShowsTheirPage)
{
    QTemporaryDir dir;
    QFile page(dir.filePath("fields.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>Fields</title></head><body>"
               "<h2><a name=\"FeedTitle\"></a>Title</h2><p>x</p>"
               "<h2><a name=\"FeedLink\"></a>Link</h2><p>y</p></body></html>");
    page.close();
    QtHelpService help(dir.path());
    EXPECT_TRUE(help.hasAnchor("FeedLink"));
    EXPECT_FALSE(help.lookupAnchor("NoSuchTopic"));
    EXPECT_EQ(help.window(), nullptr);
    EXPECT_TRUE(help.lookupAnchor("FeedLink"));
    ASSERT_NE(help.window(), nullptr);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->currentUrl().fragment(), "FeedLink");
    EXPECT_TRUE(help.window()->browser()->toPlainText().contains("Link"));
}

TEST(QtHelpService, TheBundledBookHasItsStartPageAndShortcuts)
{
    QtHelpService help;
    for (const char *anchor : {"KeyboardShortcuts", "WhatsNew", "TutorialsMP", "FeedTitle",
                               "ItemGUID", "ImageURL", "VLXSort", "FeedRawXML"})
        EXPECT_TRUE(help.hasAnchor(anchor)) << anchor;
}

TEST(QtHelpService, AnOpenHelpWindowDoesNotKeepTheApplicationRunning)
{
    // Quitting closes the document window and counts on that being the last window; a help
    // window left open must not keep the application alive without any document window.
    QWidget document;
    document.show();
    QTemporaryDir dir;
    QFile page(dir.filePath("index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><a name=\"Start\"></a>Start</body></html>");
    page.close();
    QtHelpService help(dir.path());
    ASSERT_TRUE(help.lookupAnchor("Start"));
    ASSERT_TRUE(help.window()->isVisible());
    // Closing the document window must end the event loop by itself.
    QTimer::singleShot(0, &document, &QWidget::close);
    bool stillRunning = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stillRunning = true;
        QApplication::quit();
    });
    guard.start(5000);
    QApplication::exec();
    EXPECT_FALSE(stillRunning);
}
