#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A message is its length (four bytes, big-endian) and the documents in UTF-8, each ended by a
// zero byte (which no path and no address holds). The answer is one byte.
constexpr char kTaken = 'y';
constexpr quint32 kLongestMessage = 1024 * 1024;
// How long the listening rests after a failure to take a connection that giving back a
// descriptor could not mend, so that it does not wake at once for the same connection.
constexpr int kAcceptRestMs = 100;

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

// The user the process at the other end of a local socket ran as when it connected (or, for a
// listening program, when it began to listen).
std::optional<uint> peerUser(qintptr descriptor)
{
    ucred credentials {};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return uint(credentials.uid);
}

uint thisUser()
{
    return uint(::geteuid());
}

// Makes the program's own folder, readable by the user alone. A folder of the user's from before
// with a wider mode is narrowed; anything else found there is left for the check to refuse.
void makePrivateFolder(const QString &folder)
{
    QDir().mkpath(QFileInfo(folder).path());
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) == 0 || errno != EEXIST)
        return;
    struct stat status {};
    if (::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == thisUser() && (status.st_mode & 0777) != 0700)
        ::chmod(path.constData(), 0700);
}

QString guardOff(const QString &why)
{
    return SingleInstance::tr("Documents opened later start another Vellumcast: %1").arg(why);
}
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent), m_path(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    // Taking the socket away lets the next start run the program.
    stopListening();
}

QString SingleInstance::defaultSocketPath()
{
    // Programs that share a settings file share a socket; another settings folder (another
    // home) runs a program of its own.
    const QByteArray settings
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toUtf8();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(settings, QCryptographicHash::Sha256).toHex().left(16));
    const QString name = QStringLiteral("vellumcast-%1.socket").arg(key);
    // Another user who could enter the folder could listen there first and be handed the
    // documents (and the passwords in their addresses), or plant a file that keeps the guard
    // off: the runtime folder only when it is the user's alone, and never the shared temporary
    // folder under a name anybody can work out.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && privateFolderProblem(runtime, thisUser()).isEmpty())
        return QDir(runtime).filePath(name);
    const QString own = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                            .filePath(QStringLiteral("vellumcast-sockets"));
    makePrivateFolder(own);
    return QDir(own).filePath(name);
}

QString SingleInstance::privateFolderProblem(const QString &folder, uint user)
{
    const QString shown = QDir::toNativeSeparators(folder);
    struct stat status {};
    if (!QDir::isAbsolutePath(folder)
        || ::lstat(QFile::encodeName(folder).constData(), &status) != 0)
        return tr("the folder \"%1\" cannot be used: %2").arg(shown, qt_error_string(errno));
    if (S_ISLNK(status.st_mode))
        return tr("\"%1\" is a link, not a folder of the user's own").arg(shown);
    if (!S_ISDIR(status.st_mode))
        return tr("\"%1\" is not a folder").arg(shown);
    if (status.st_uid != user)
        return tr("the folder \"%1\" belongs to another user").arg(shown);
    if ((status.st_mode & 0777) != 0700)
        return tr("others can enter the folder \"%1\" (its mode is %2, not 700)")
            .arg(shown, QString::number(status.st_mode & 0777, 8));
    return QString();
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
    return m_listener >= 0;
}

SingleInstance::Role SingleInstance::start(const QStringList &documents, QString *problem)
{
    // Without a folder of the user's own there is no guard: neither the lock nor the socket go
    // where another user could reach them.
    const QString unsafe = privateFolderProblem(QFileInfo(m_path).path(), thisUser());
    if (!unsafe.isEmpty()) {
        if (problem)
            *problem = guardOff(unsafe);
        return Role::Primary;
    }
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
    // A program of another user is handed nothing: this start runs as the first, and takes the
    // socket over.
    const std::optional<uint> listener = peerUser(socket.socketDescriptor());
    if (listener != thisUser()) {
        qWarning().noquote() << tr("Vellumcast: the program listening at \"%1\" runs as another "
                                   "user (%2); this start runs on its own.")
                                    .arg(QDir::toNativeSeparators(m_path),
                                         listener ? QString::number(*listener) : tr("unknown"));
        socket.abort();
        return false;
    }
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
    const QByteArray path = QFile::encodeName(m_path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path)) {
        *problem = guardOff(
            tr("the socket's path \"%1\" is too long").arg(QDir::toNativeSeparators(m_path)));
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    // What is left at the path is the socket of a program that crashed (it answered nobody) or
    // of another user's program (which is handed nothing): the folder is the user's, it goes.
    ::unlink(path.constData());
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0
        || ::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
        || ::chmod(path.constData(), 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0) {
        *problem = guardOff(qt_error_string(errno));
        stopListening();
        return false;
    }
    struct stat made {};
    if (::stat(path.constData(), &made) == 0) {
        m_device = made.st_dev;
        m_inode = made.st_ino;
    }
    // The listening is ours rather than QLocalServer's, which stops for good at the first
    // connection it fails to take (out of descriptors, say) and takes the socket file with it.
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptWaiting);
    return true;
}

void SingleInstance::stopListening()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_listener < 0)
        return;
    ::close(m_listener);
    m_listener = -1;
    // Only the socket made here: one a later program made meanwhile stays.
    const QByteArray path = QFile::encodeName(m_path);
    struct stat now {};
    if (::stat(path.constData(), &now) == 0 && quint64(now.st_dev) == m_device
        && quint64(now.st_ino) == m_inode)
        ::unlink(path.constData());
}

void SingleInstance::acceptWaiting()
{
    // A few at a time, so that a flood of connections does not hold the window up; the
    // notifier comes back for the rest.
    for (int taken = 0; taken < kMostConnections && m_listener >= 0; ++taken) {
        const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor >= 0) {
            serve(descriptor);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // Out of descriptors: the oldest start held gives its own back. Whatever else failed,
        // the listening goes on after a rest.
        if ((errno == EMFILE || errno == ENFILE) && dropOldestConnection())
            continue;
        m_notifier->setEnabled(false);
        QTimer::singleShot(kAcceptRestMs, this, [this] {
            if (m_notifier)
                m_notifier->setEnabled(true);
        });
        return;
    }
}

bool SingleInstance::dropOldestConnection()
{
    while (!m_connections.empty()) {
        const QPointer<QLocalSocket> oldest = m_connections.front();
        m_connections.pop_front();
        if (oldest) {
            oldest->abort();
            oldest->deleteLater();
            return true;
        }
    }
    return false;
}

void SingleInstance::serve(int descriptor)
{
    // Only starts of the same user are heard (the folder keeps the others out already).
    if (peerUser(descriptor) != thisUser()) {
        ::close(descriptor);
        return;
    }
    auto *socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete socket;
        return;
    }
    // Starts that connect and say nothing would each hold a descriptor until the program had
    // none left: the oldest held goes for a newer one.
    std::erase_if(m_connections, [](const QPointer<QLocalSocket> &held) { return !held; });
    while (m_connections.size() >= size_t(kMostConnections) && dropOldestConnection()) { }
    m_connections.push_back(socket);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A start that says nothing is not waited for.
    QTimer::singleShot(kAnswerTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
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
        // A person selects a few documents; a message naming thousands opens the first.
        QStringList documents;
        const QByteArray body = received->mid(4, length);
        qsizetype from = 0;
        while (from < body.size() && documents.size() < kMostDocuments) {
            qsizetype end = body.indexOf('\0', from);
            if (end < 0)
                end = body.size();
            if (end > from)
                documents << QString::fromUtf8(body.constData() + from, end - from);
            from = end + 1;
        }
        if (from < body.size())
            qWarning().noquote() << tr("Vellumcast: a later start handed over more than %1 "
                                       "documents; only the first %1 are opened.")
                                        .arg(kMostDocuments);
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
