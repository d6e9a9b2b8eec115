#include "LocalServer.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

LocalServer::LocalServer() = default;

LocalServer::~LocalServer()
{
    stop();
}

QString LocalServer::python()
{
    // Debian's interpreter carries python3-pyftpdlib and python3-openssl; another python3 first
    // in PATH would not.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
        ? QStringLiteral("/usr/bin/python3")
        : QStringLiteral("python3");
}

bool LocalServer::startScript(const QString &scriptName, const QStringList &arguments,
                              int timeoutMs)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.log")));
    m_process->start(python(), QStringList {TestSupport::serverScript(scriptName)} + arguments);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(scriptName, m_process->errorString());
        m_process.reset();
        return false;
    }
    QByteArray output;
    QDeadlineTimer deadline(timeoutMs);
    while (!output.contains('\n') && !deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running)
            break;
        m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        output += m_process->readAllStandardOutput();
    }
    bool ok = false;
    const int port = output.left(output.indexOf('\n')).trimmed().toInt(&ok);
    if (!ok || port <= 0 || port > 65535) {
        m_error = QStringLiteral("%1 gave no port: %2").arg(scriptName, log());
        stop();
        return false;
    }
    m_port = quint16(port);
    return true;
}

bool LocalServer::startProgram(const QString &program, const QStringList &arguments, quint16 port,
                               int timeoutMs)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.log")));
    m_process->setStandardOutputFile(m_dir.filePath(QStringLiteral("stdout.log")));
    m_process->start(program, arguments);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(program, m_process->errorString());
        m_process.reset();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (!waitForPort(port, 100)) {
        if (m_process->state() != QProcess::Running || deadline.hasExpired()) {
            m_error
                = QStringLiteral("%1 does not listen on %2: %3").arg(program).arg(port).arg(log());
            stop();
            return false;
        }
    }
    m_port = port;
    return true;
}

void LocalServer::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        m_process->terminate();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
    m_port = 0;
}

bool LocalServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString LocalServer::url(const QString &scheme, const QString &path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(m_port).arg(path);
}

QString LocalServer::logFilePath() const
{
    return m_dir.filePath(QStringLiteral("server.log"));
}

QString LocalServer::log() const
{
    return readFile(m_dir.filePath(QStringLiteral("stderr.log"))) + readFile(logFilePath());
}

quint16 LocalServer::freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = loopback(0);
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        socklen_t length = sizeof address;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool LocalServer::waitForPort(quint16 port, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        sockaddr_in address = loopback(port);
        const bool connected
            = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        if (connected)
            return true;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return false;
}

std::optional<LocalServer::Certificate> LocalServer::makeSelfSignedCertificate(const QString &dir,
                                                                               QString *error)
{
    Certificate certificate {dir + QStringLiteral("/cert.pem"), dir + QStringLiteral("/key.pem")};
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), certificate.keyFile, QStringLiteral("-out"),
                   certificate.certFile});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(openssl.readAllStandardError()) + openssl.errorString();
        return std::nullopt;
    }
    return certificate;
}
