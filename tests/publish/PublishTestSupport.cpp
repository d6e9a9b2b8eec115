#include "PublishTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace PublishTestSupport {

bool startWebDAV(LocalServer &server, const QString &root, const QString &user,
                 const QString &password, const QStringList &extra, quint16 fixedPort)
{
    // rclone wants a configuration file, even an empty one; it must not read the user's.
    const QString config = server.workDir() + QStringLiteral("/rclone.conf");
    writeFile(config, QByteArray());
    for (int attempt = 0; attempt < 5; ++attempt) {
        const quint16 port = fixedPort ? fixedPort : LocalServer::freePort();
        const QStringList arguments {QStringLiteral("serve"),
                                     QStringLiteral("webdav"),
                                     root,
                                     QStringLiteral("--config"),
                                     config,
                                     QStringLiteral("--addr"),
                                     QStringLiteral("127.0.0.1:%1").arg(port),
                                     QStringLiteral("--user"),
                                     user,
                                     QStringLiteral("--pass"),
                                     password};
        if (server.startProgram(QStringLiteral("rclone"), arguments + extra, port))
            return true;
    }
    return false;
}

bool startFTP(LocalServer &server, const QString &root, const QString &user,
              const QString &password, const QStringList &extra)
{
    return server.startScript(QStringLiteral("ftp_server.py"),
                              QStringList {QStringLiteral("--root"), root, QStringLiteral("--user"),
                                           user, QStringLiteral("--password"), password}
                                  + extra);
}

HeldTransfer::HeldTransfer(qint64 bytesBeforeHold)
    : m_bytes(bytesBeforeHold)
    , m_held(m_dir.filePath(QStringLiteral("held")))
    , m_release(m_dir.filePath(QStringLiteral("release")))
{
}

HeldTransfer::~HeldTransfer()
{
    release();
}

QStringList HeldTransfer::serverOptions() const
{
    return {QStringLiteral("--hold-after"), QString::number(m_bytes), QStringLiteral("--held"),
            m_held, QStringLiteral("--release"), m_release};
}

::testing::AssertionResult HeldTransfer::waitUntilHeld(const LocalServer &server) const
{
    if (!m_dir.isValid())
        return ::testing::AssertionFailure() << "no folder for the hold";
    if (waitUntil([&] { return QFileInfo::exists(m_held); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "the server never held a transfer: " << server.log().toStdString();
}

::testing::AssertionResult HeldTransfer::release() const
{
    if (QFileInfo::exists(m_release) || writeFile(m_release, QByteArray()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot write " << m_release.toStdString();
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace PublishTestSupport
