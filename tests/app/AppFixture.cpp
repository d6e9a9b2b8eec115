#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "platform/AlertService.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTest>

void AppFixture::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    m_savedHome = qgetenv("HOME");
    qputenv("HOME", m_home.path().toUtf8());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    alerts = ScriptedAlertService::install();
}

void AppFixture::TearDown()
{
    controller.reset();
    AlertService::setInstance(nullptr);
    qputenv("HOME", m_savedHome);
}

Controller &AppFixture::startApplication(const QStringList &files)
{
    controller = std::make_unique<Controller>();
    controller->start(files);
    // The remembered feed is read after the window's first paint.
    if (Vellumcast *window = controller->feedController()) {
        EXPECT_TRUE(QTest::qWaitFor([window] { return !window->isStartingUp(); }, 10000));
    }
    return *controller;
}

Vellumcast &AppFixture::startWindow()
{
    alerts->queueAnswer(AlertService::kAlternate); // no wizard
    startApplication();
    awaitWizardOffer();
    alerts->clear();
    return *controller->feedController();
}

void AppFixture::awaitWizardOffer()
{
    Vellumcast *window = controller ? controller->feedController() : nullptr;
    const QList<QVariantMap> feeds = window ? window->currentListOfFeeds() : QList<QVariantMap>();
    const bool sampleAlone = feeds.size() == 1
        && feeds.first().value(QStringLiteral("feedFileName")) == QLatin1String("sample.xml");
    if (!sampleAlone || !window->hasCommandHandler(QStringLiteral("feedWizard"))) {
        QTest::qWait(300);
        return;
    }
    // The offer comes a moment after the first display; a busy machine may make the moment
    // longer, and an offer still to come would meet the test's own alerts.
    const auto asked = [this] {
        for (const Alert &alert : alerts->alerts()) {
            if (alert.title == QLatin1String("Feed Creation Wizard"))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(asked, 10000)) << "the wizard was not offered";
}

Vellumcast &AppFixture::openInWindow(const QByteArray &text)
{
    const QString path = QDir(home()).filePath("edit.xml");
    writeFile(path, text);
    Vellumcast &window = startWindow();
    // A text the reader does not take fails the test at once, with the reader's reason, instead
    // of waiting for the user in the editor that would mend it.
    FeedDocument::setSourceEditor([alerts = alerts](const QString &,
                                                    const FeedDocument::Refusal &) {
        ADD_FAILURE() << "the text is no feed: "
                      << (alerts->alerts().isEmpty() ? QString() : alerts->alerts().last().message)
                             .toStdString();
        return std::optional<QString>();
    });
    window.openFeedAtPath(path);
    alerts->clear();
    window.window()->show();
    QApplication::setActiveWindow(window.window());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.window()));
    return window;
}

void AppFixture::stopApplication()
{
    if (!controller)
        return;
    if (QMainWindow *window = controller->mainWindow())
        window->close();
    controller->applicationWillTerminate();
    controller.reset();
}

QString AppFixture::userFolder() const
{
    return QDir(m_home.path()).filePath("Documents/Vellumcast");
}

MemoryDefaultsStore &AppFixture::store() const
{
    return static_cast<MemoryDefaultsStore &>(VLXPreferences::sharedInstance().store());
}

void AppFixture::writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(contents);
}

QByteArray AppFixture::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray AppFixture::smallFeed(const QString &title)
{
    // A feed that validates without a message, so loading it raises no results alert.
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                          "<title>%1</title><link>https://example.org/</link>"
                          "<description>d</description>"
                          "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
                          "<item><title>First</title><link>https://example.org/1</link>"
                          "<description>one</description><guid>https://example.org/1</guid>"
                          "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>"
                          "</channel></rss>\n")
            .arg(title)
            .toUtf8();
}
