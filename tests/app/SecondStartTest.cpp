// A later start of the program hands its documents to the running one over the local socket and
// ends; the running window opens them once no question is up. A socket left behind by a program
// that crashed is taken over.
#include "AppFixture.h"

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

using SecondStartTest = AppFixture;
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
}
