#pragma once

#include "common/LocalServer.h"
#include "publish/DMTransaction.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Servers and recorders shared by the publishing tests.
namespace PublishTestSupport {

// A WebDAV server (rclone) on 127.0.0.1 serving root with Basic authentication; extra
// arguments as rclone takes them; on a free port, or on the port given (a server started again
// at the same address). A test that must catch a transfer on its way puts
// tests/servers/webdav_gate.py in front of it rather than slowing it down, so that the machine's
// speed never decides where the transfer is caught.
bool startWebDAV(LocalServer &server, const QString &root, const QString &user,
                 const QString &password, const QStringList &extra = {}, quint16 port = 0);
// The pyftpdlib server serving root; extra arguments as tests/servers/ftp_server.py takes them.
bool startFTP(LocalServer &server, const QString &root, const QString &user,
              const QString &password, const QStringList &extra = {});

// A transfer the FTP server holds on its way (tests/servers/ftp_server.py --hold-after): every
// data transfer passes its first bytes, then the server stops reading or sending it until the
// test lets it go on. A test waits for the hold rather than for a while, so the machine's speed
// never decides where the transfer is caught; a run that ends before the test lets the transfer
// go on has not waited for the server.
class HeldTransfer
{
public:
    explicit HeldTransfer(qint64 bytesBeforeHold);
    // Lets a transfer still held go on, so that the server never outlasts the test holding it.
    ~HeldTransfer();
    HeldTransfer(const HeldTransfer &) = delete;
    HeldTransfer &operator=(const HeldTransfer &) = delete;

    // The server's options.
    QStringList serverOptions() const;
    // Runs the event loop until the server holds a transfer; the server's log when it never does.
    ::testing::AssertionResult waitUntilHeld(const LocalServer &server) const;
    // The held transfer goes on, and no later one is held.
    ::testing::AssertionResult release() const;

private:
    QTemporaryDir m_dir;
    qint64 m_bytes = 0;
    QString m_held;
    QString m_release;
};

// Runs the event loop until the condition holds or the time is up; the condition's last value.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000);

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace PublishTestSupport

// Records the outcomes a transaction delegate hears.
class RecordingDelegate : public DMTransactionDelegate
{
public:
    void transactionSuccessful(DMTransaction *t) override { record(QStringLiteral("ok"), t); }
    void transactionHadError(DMTransaction *t) override { record(QStringLiteral("error"), t); }
    void transactionAborted(DMTransaction *t) override { record(QStringLiteral("aborted"), t); }

    QStringList events;
    int lastErrorType = 0;
    QVariant lastResult;

private:
    void record(const QString &event, DMTransaction *t)
    {
        events.append(event);
        lastErrorType = t->errorType();
        lastResult = t->result();
    }
};
