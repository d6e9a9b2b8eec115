// FTP and FTPS uploads: one background transfer handle per file, its transcript into the log.
#include "io/CURLHandle.h"
#include "publish/FTPConnection.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/VLXSite.h"
#include "publish/vlxFTP.h"

#include <QUrl>

void vlxFTP::setCertificateAuthorityFile(const QString &path)
{
    FTPConnection::setCertificateAuthorityFile(path);
}

void vlxFTP::uploadOneFile(const QString &fileName, const QString &host, const QString &user,
                           const QString &password, const QString &folder)
{
    const QUrl url(PublishPaths::ftpURL(host, folder, fileName), QUrl::StrictMode);
    // A handle, and a connection, per file: each file's transcript tells its whole conversation.
    m_urlHandle = makeHandle(url, user, password);
    if (!m_urlHandle) {
        const QString reason = QStringLiteral("The address %1 is not valid").arg(url.toString());
        appendTransferFailed(reason);
        currentUploadFailed(*m_uploadingItem, reason);
        continueAfterFile();
        return;
    }
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
    if (sender != m_urlHandle.get())
        return;
    updateStatus();
    releaseHandle();
    closeTranscript();
    if (m_uploadingItem)
        currentUploadSucceeded(*m_uploadingItem);
    continueAfterFile();
}

void vlxFTP::URLHandleResourceDidFailLoadingWithReason(URLHandle *sender, const QString &reason)
{
    if (sender != m_urlHandle.get())
        return;
    updateStatus();
    // A file that could not be read names the disk's reason, not libcurl's abort.
    const QString why = m_source && !m_source->readError().isEmpty()
        ? QStringLiteral("Error reading file: %1").arg(m_source->readError())
        : reason;
    releaseHandle();
    closeTranscript();
    if (m_uploadingItem)
        currentUploadFailed(*m_uploadingItem, why);
    continueAfterFile();
}

void vlxFTP::URLHandleResourceDidCancelLoading(URLHandle *sender)
{
    if (sender != m_urlHandle.get())
        return;
    // A cancel ends the run without a result line or a summary.
    releaseHandle();
    m_transcript.clear();
    m_source.reset();
    m_uploadAction.clear();
    m_running = false;
    m_progressTimer.stop();
    resetProgress();
    m_view->setRunning(false);
}
