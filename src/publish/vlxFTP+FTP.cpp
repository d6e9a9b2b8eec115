// FTP and FTPS uploads: one background transfer handle per file, its transcript into the log.
//
// A file is stored under a temporary name of our own in its folder and renamed onto its name
// only after the server took it whole (RNFR and RNTO after the transfer, on the same
// connection), so an abort, a dropped connection or a refused rename never leaves the
// published copy half-written. A transfer that did not end well has its temporary file
// deleted on a fresh connection where the server lets us.
#include "io/CURLHandle.h"
#include "publish/FTPConnection.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/vlxFTP.h"
#include "settings/VLXSite.h"

#include <QUrl>

namespace {

// Removing a temporary file is a single command: a server that takes longer has a problem,
// and the run waits for it.
constexpr long kRemovalConnectSeconds = 10;
constexpr long kRemovalSeconds = 20;

// A name an FTP command line can carry: no line ends or other control characters.
bool fitsACommand(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return !name.isEmpty();
}

// The last reply line of the transcript, without its "< " and line end; "" when there is none.
QString lastReply(const QByteArray &transcript)
{
    const QList<QByteArray> lines = transcript.split('\n');
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines.at(i).startsWith("< "))
            return QString::fromUtf8(lines.at(i).mid(2)).trimmed();
    }
    return QString();
}

} // namespace

void vlxFTP::setCertificateAuthorityFile(const QString &path)
{
    FTPConnection::setCertificateAuthorityFile(path);
}

void vlxFTP::uploadOneFile(const QString &fileName, const QString &host, const QString &user,
                           const QString &password, const QString &folder)
{
    const QString name = PublishPaths::lastPathComponent(fileName);
    m_ftpUpload = {host, user, password, folder, name, PublishPaths::partFileName(name)};
    const QUrl url(PublishPaths::ftpURL(host, folder, m_ftpUpload.part), QUrl::StrictMode);
    // A handle, and a connection, per file: each file's transcript tells its whole conversation.
    m_urlHandle = fitsACommand(name) ? makeHandle(url, user, password) : nullptr;
    if (!m_urlHandle) {
        const QString reason = fitsACommand(name)
            ? QStringLiteral("The address %1 is not valid").arg(url.toString())
            : QStringLiteral("The file name %1 cannot be sent to an FTP server").arg(name);
        appendTransferFailed(reason);
        currentUploadFailed(*m_uploadingItem, reason);
        continueAfterFile();
        return;
    }
    m_urlHandle->setPostQuote({"RNFR " + m_ftpUpload.part.toUtf8(), "RNTO " + name.toUtf8()});
    m_transcript.clear();
    m_source->attachTo(m_urlHandle->curl());
    m_urlHandle->addClient(this);
    updateStatus();
    m_urlHandle->loadInBackground();
    updateStatus();
}

std::shared_ptr<CURLHandle> vlxFTP::makeHandle(const QUrl &url, const QString &user,
                                               const QString &password)
{
    FTPConnection connection = FTPConnection::forSite(*m_site, password);
    connection.user = user;
    auto handle = connection.makeHandle(url, m_transcript);
    if (!handle)
        return nullptr;
    // However long a large file takes, only a stalled transfer (the handle's low-speed limit)
    // ends it.
    handle->setTransferTimeout(0);
    handle->setStringOrNumberObject(qlonglong(CURLFTP_CREATE_DIR), CURLOPT_FTP_CREATE_MISSING_DIRS);
    return handle;
}

bool vlxFTP::removePartFile()
{
    const FTPUpload &upload = m_ftpUpload;
    // The folder's address: the connection goes where the upload went, and deletes there.
    const QUrl url(PublishPaths::ftpURL(upload.host, upload.folder, QString()), QUrl::StrictMode);
    FTPConnection connection = FTPConnection::forSite(*m_site, upload.password);
    connection.user = upload.user;
    m_removalHandle = connection.makeHandle(url, m_transcript);
    if (!m_removalHandle)
        return false;
    m_removalHandle->setConnectionTimeout(kRemovalConnectSeconds);
    m_removalHandle->setTransferTimeout(kRemovalSeconds);
    m_removalHandle->setNoBody(true);
    m_removalHandle->setPostQuote({"DELE " + upload.part.toUtf8()});
    m_transcript.clear();
    m_removalHandle->addClient(this);
    m_removalHandle->loadInBackground();
    return true;
}

void vlxFTP::removalEnded()
{
    // Whether the server let us or not, the run goes on; the transcript tells which.
    m_removalHandle->removeClient(this);
    m_removalHandle.reset();
    closeTranscript();
    continueAfterFile();
}

void vlxFTP::closeTranscript()
{
    appendLog(m_transcript.closingText() + u'\n');
    m_transcript.clear();
}

void vlxFTP::releaseHandle()
{
    if (m_urlHandle)
        m_urlHandle->removeClient(this);
    m_urlHandle.reset();
    updateStatus();
}

void vlxFTP::URLHandleResourceDidBeginLoading(URLHandle *)
{
    updateStatus();
}

void vlxFTP::URLHandleResourceDataDidBecomeAvailable(URLHandle *, const QByteArray &)
{
    // An upload receives nothing worth counting; progress counts the bytes sent.
    updateStatus();
}

void vlxFTP::URLHandleResourceDidFinishLoading(URLHandle *sender)
{
    if (m_removalHandle && sender == m_removalHandle.get()) {
        removalEnded();
        return;
    }
    if (sender != m_urlHandle.get())
        return;
    updateStatus();
    releaseHandle();
    closeTranscript();
    // Stored and renamed onto its name: the file arrived whole.
    if (m_uploadingItem)
        currentUploadSucceeded(*m_uploadingItem);
    continueAfterFile();
}

void vlxFTP::URLHandleResourceDidFailLoadingWithReason(URLHandle *sender, const QString &reason)
{
    if (m_removalHandle && sender == m_removalHandle.get()) {
        removalEnded();
        return;
    }
    if (sender != m_urlHandle.get())
        return;
    updateStatus();
    const QByteArray transcript = m_transcript.transcriptBytes();
    QString why = reason;
    if (m_source && !m_source->readError().isEmpty()) {
        // A file that could not be read names the disk's reason, not libcurl's abort.
        why = QStringLiteral("Error reading file: %1").arg(m_source->readError());
    } else if (m_urlHandle->result() == CURLE_QUOTE_ERROR) {
        // The file arrived, but the server would not put it in place: its own words say why.
        why = QStringLiteral("The server refused to rename %1 to %2: %3")
                  .arg(m_ftpUpload.part, m_ftpUpload.name,
                       lastReply(transcript).isEmpty() ? reason : lastReply(transcript));
    }
    // Once the store began, a temporary file may lie on the server.
    const bool partMayExist = transcript.contains("> STOR ") || (m_source && m_source->bytesSent());
    releaseHandle();
    closeTranscript();
    if (m_uploadingItem)
        currentUploadFailed(*m_uploadingItem, why);
    if (partMayExist && removePartFile())
        return;
    continueAfterFile();
}

void vlxFTP::URLHandleResourceDidCancelLoading(URLHandle *sender)
{
    if (m_removalHandle && sender == m_removalHandle.get()) {
        m_removalHandle->removeClient(this);
        m_removalHandle.reset();
        m_transcript.clear();
    } else if (sender != m_urlHandle.get()) {
        return;
    }
    // A cancel ends the run without a result line or a summary.
    releaseHandle();
    m_transcript.clear();
    m_source.reset();
    if (m_uploadingItem)
        markUnfinished(*m_uploadingItem);
    forgetQueue();
    m_running = false;
    m_progressTimer.stop();
    resetProgress();
    m_view->setRunning(false);
}
