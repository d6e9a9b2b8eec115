#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <memory>

namespace {
// A message is its length (four bytes, big-endian) and the documents in UTF-8, each ended by a
// zero byte (which no path and no address holds). The answer is one byte.
constexpr char kTaken = 'y';
constexpr quint32 kLongestMessage = 1024 * 1024;

QByteArray message(const QStringList &documents)
{
    QByteArray body;
    for (const QString &document : documents) {
        body += document.toUtf8();
        body += '\0';
    }
    QByteArray framed(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(body.size()), framed.data());
    return framed + body;
}
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent), m_path(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    // Closing takes the socket's file away: the next start runs the program.
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // Programs that share a settings file share a socket; another settings folder (another
    // home) runs a program of its own.
    const QByteArray settings
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toUtf8();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(settings, QCryptographicHash::Sha256).toHex().left(16));
    return QDir(folder).filePath(QStringLiteral("vellumcast-%1.socket").arg(key));
}

QStringList SingleInstance::absoluteDocuments(const QStringList &arguments)
{
    QStringList documents;
    for (const QString &argument : arguments) {
        // The rule the window opens by: no scheme (or a leading slash) is a file.
        const bool file
            = argument.startsWith(QLatin1Char('/')) || QUrl(argument).scheme().isEmpty();
        documents << (file && !argument.isEmpty() ? QFileInfo(argument).absoluteFilePath()
                                                  : argument);
    }
    return documents;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

SingleInstance::Role SingleInstance::start(const QStringList &documents, QString *problem)
{
    // Two starts at the same moment must not both decide to run: the decision is taken under a
    // lock, which a crashed start does not keep (its process is gone).
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.tryLock(kAnswerTimeoutMs + 2000);
    bool answered = false;
    QString why;
    if (handOver(documents, &why, &answered))
        return Role::HandedOver;
    if (answered) {
        if (problem)
            *problem = why;
        return Role::Unanswered;
    }
    if (!listen(&why) && problem)
        *problem = why;
    return Role::Primary;
}

bool SingleInstance::handOver(const QStringList &documents, QString *problem, bool *answered)
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    // Nobody listens (no socket, or the socket of a program that is gone).
    if (!socket.waitForConnected(2000))
        return false;
    *answered = true;
    socket.write(message(documents));
    if (!socket.waitForBytesWritten(kAnswerTimeoutMs)) {
        *problem = tr("the hand-over failed: %1").arg(socket.errorString());
        return false;
    }
    while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(kAnswerTimeoutMs)) { }
    char answer = 0;
    if (socket.getChar(&answer) && answer == kTaken)
        return true;
    *problem = socket.state() == QLocalSocket::ConnectedState
        ? tr("it did not answer")
        : tr("the hand-over failed: %1").arg(socket.errorString());
    return false;
}

bool SingleInstance::listen(QString *problem)
{
    // What is left at the path is the socket of a program that crashed: it answered nobody.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path)) {
        *problem = tr("Documents opened later start another Vellumcast: %1")
                       .arg(m_server->errorString());
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            serve(socket);
    });
    return true;
}

void SingleInstance::serve(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A start that says nothing is not waited for.
    QTimer::singleShot(kAnswerTimeoutMs, socket, &QLocalSocket::abort);
    auto received = std::make_shared<QByteArray>();
    const auto read = [this, socket, received] {
        *received += socket->readAll();
        if (received->size() < 4)
            return;
        const quint32 length = qFromBigEndian<quint32>(received->constData());
        if (length > kLongestMessage) {
            socket->abort();
            return;
        }
        if (quint32(received->size()) - 4 < length)
            return;
        QStringList documents;
        const QByteArray body = received->mid(4, length);
        for (const QByteArray &document : body.split('\0')) {
            if (!document.isEmpty())
                documents << QString::fromUtf8(document);
        }
        received->clear();
        socket->putChar(kTaken);
        socket->flush();
        // Told once this start has its answer: opening them may ask the user questions.
        QMetaObject::invokeMethod(
            this, [this, documents] { emit documentsReceived(documents); }, Qt::QueuedConnection);
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}
