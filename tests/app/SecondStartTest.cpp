// A later start of the program hands its documents to the running one over the local socket and
// ends; the running window opens them once no question is up. A socket left behind by a program
// that crashed is taken over.
#include "AppFixture.h"
#include "common/StallWatch.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {
// What a program that crashed leaves: the socket's file, with nobody listening on it.
void leaveDeadSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit();
    ASSERT_LT(size_t(name.size()), sizeof(address.sun_path));
    std::copy(name.begin(), name.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
}

// Another start, on a thread of its own as its own process would be; the running program
// answers from its event loop meanwhile.
SingleInstance::Role startAnother(const QString &socket, const QStringList &documents)
{
    std::atomic<bool> ended = false;
    SingleInstance::Role role = SingleInstance::Role::Unanswered;
    std::thread other([&] {
        SingleInstance later(socket);
        role = later.start(documents);
        ended = true;
    });
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    other.join();
    return role;
}

// Scripted alerts that note how deep in the window thread's stack each one came, and what the
// status line showed then.
class WitnessedAlerts : public ScriptedAlertService
{
public:
    int runAlert(const Alert &alert) override
    {
        const char here = 0;
        const auto depth = reinterpret_cast<quintptr>(&here);
        lowest = std::min(lowest, depth);
        highest = std::max(highest, depth);
        if (Vellumcast *window = Vellumcast::existingInstance())
            statuses << window->statusText();
        return ScriptedAlertService::runAlert(alert);
    }
    quintptr lowest = ~quintptr(0);
    quintptr highest = 0;
    QStringList statuses;
};

class SecondStartTest : public AppFixture
{
protected:
    // The window, with a program listening for later starts and witnessed alerts.
    Vellumcast &startListening()
    {
        Vellumcast &window = startWindow();
        witness = std::make_shared<WitnessedAlerts>();
        AlertService::setInstance(witness);
        running = std::make_unique<SingleInstance>(QDir(runtime.path()).filePath("v.socket"));
        EXPECT_EQ(running->start({}), SingleInstance::Role::Primary);
        QObject::connect(running.get(), &SingleInstance::documentsReceived, controller.get(),
                         &Controller::documentsHandedOver);
        return window;
    }

    QTemporaryDir runtime;
    std::unique_ptr<SingleInstance> running;
    std::shared_ptr<WitnessedAlerts> witness;
};
} // namespace

TEST_F(SecondStartTest, ALaterStartHandsItsDocumentsToTheRunningWindow)
{
    // A file named relative to where the later start runs reaches the running program whole.
    EXPECT_EQ(SingleInstance::absoluteDocuments({"a.xml", "https://example.org/f.xml"}),
              QStringList({QDir::current().filePath("a.xml"), "https://example.org/f.xml"}));
    QTemporaryDir runtime;
    const QString socket = QDir(runtime.path()).filePath("vellumcast.socket");
    leaveDeadSocket(socket);
    Vellumcast &window = startWindow();
    SingleInstance running(socket);
    ASSERT_EQ(running.start({}), SingleInstance::Role::Primary);
    ASSERT_TRUE(running.isListening()) << "the socket of the program that crashed is taken over";
    QObject::connect(&running, &SingleInstance::documentsReceived, controller.get(),
                     &Controller::documentsHandedOver);

    const QString first = QDir(home()).filePath("first.xml");
    const QString second = QDir(home()).filePath("second.xml");
    writeFile(first, smallFeed("First"));
    writeFile(second, smallFeed("Second"));
    EXPECT_EQ(startAnother(socket, {first}), SingleInstance::Role::HandedOver);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window.document()->entry().localPath() == first; }, 5000));

    // Under a question the document waits, and opens once the question is answered.
    QDialog question(window.window());
    question.setWindowModality(Qt::ApplicationModal);
    question.show();
    EXPECT_EQ(startAnother(socket, {second}), SingleInstance::Role::HandedOver);
    QTest::qWait(600);
    EXPECT_EQ(window.document()->entry().localPath(), first);
    question.close();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window.document()->entry().localPath() == second; }, 5000));

    // Two files in one start: both join the feed list, and the second is shown.
    const QString third = QDir(home()).filePath("third.xml");
    const QString fourth = QDir(home()).filePath("fourth.xml");
    writeFile(third, smallFeed("Third"));
    writeFile(fourth, smallFeed("Fourth"));
    EXPECT_EQ(startAnother(socket, {third, fourth}), SingleInstance::Role::HandedOver);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window.document()->entry().localPath() == fourth; }, 5000));
    QStringList listed;
    for (const QVariantMap &feed : window.currentListOfFeeds())
        listed << feed.value("feedFileName").toString();
    EXPECT_TRUE(listed.contains("third.xml") && listed.contains("fourth.xml"))
        << listed.join(' ').toStdString();
}

TEST_F(SecondStartTest, ABurstOfHandOversOpensTheDocumentsOneAfterAnother)
{
    startListening();
    // Each start hands over a file that is not there: every open ends in an alert.
    constexpr int kStarts = 300;
    const QString socket = running->socketPath();
    const QString missing = QDir(home()).filePath("missing-%1.xml");
    std::thread burst([&] {
        for (int i = 0; i < kStarts; ++i)
            SingleInstance(socket).start({missing.arg(i)});
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return witness->alerts().size() >= kStarts; }, 60000));
    burst.join();
    ASSERT_EQ(witness->alerts().size(), kStarts);
    // One open never runs inside another: every alert comes at the same depth of the stack.
    EXPECT_LT(witness->highest - witness->lowest, 16u * 1024u);
    EXPECT_TRUE(witness->alerts().last().message.contains(missing.arg(kStarts - 1)));
}

TEST_F(SecondStartTest, AVeryLongNameIsShownCutInTheStatusLine)
{
    startListening();
    const QString name = QDir(home()).filePath(QString(1000000, 'n') + ".xml");
    StallWatch stalls;
    EXPECT_EQ(startAnother(running->socketPath(), {name}), SingleInstance::Role::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !witness->alerts().isEmpty(); }, 10000));
    QTest::qWait(100);
    EXPECT_LT(stalls.longestMs(), 250);
    ASSERT_EQ(witness->statuses.size(), 1);
    EXPECT_LE(witness->statuses.first().size(), 1024);
    EXPECT_TRUE(witness->statuses.first().startsWith(home()));
}
