// FTP and FTPS uploads: one background transfer handle per file, its transcript into the log.
#include "io/CURLHandle.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/VLXSite.h"
#include "publish/vlxFTP.h"

#include <QUrl>

namespace {

QString &caFile()
{
    static QString path;
    return path;
}

} // namespace

void vlxFTP::setCertificateAuthorityFile(const QString &path)
{
    caFile() = path;
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
    auto handle = CURLHandle::create(url);
    if (!handle)
        return nullptr;
    // Publishing goes straight to the site; other transfers keep the system's proxies.
    handle->setUsesProxy(false);
    // However long a large file takes, only a stalled transfer (the handle's low-speed limit)
    // ends it.
    handle->setTransferTimeout(0);
    CURL *curl = handle->curl();
    // Separate options, so a ":" in the user name or the password needs no escaping.
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
    m_transcript.attachTo(curl);
    handle->setUserAgent(CURLHandle::defaultSignature());
    handle->setStringOrNumberObject(qlonglong(CURLFTP_CREATE_DIR), CURLOPT_FTP_CREATE_MISSING_DIRS);
    handle->setStringOrNumberObject(qlonglong(m_site->ftpUseEPSV() != 0), CURLOPT_FTP_USE_EPSV);
    handle->setStringOrNumberObject(qlonglong(m_site->ftpUseEPRT() != 0), CURLOPT_FTP_USE_EPRT);
    if (m_site->ftpProtocol() == 1) {
        // Explicit TLS on the control and the data connection, or no transfer at all.
        handle->setStringOrNumberObject(qlonglong(CURLUSESSL_ALL), CURLOPT_USE_SSL);
        handle->setStringOrNumberObject(qlonglong(CURLFTPAUTH_TLS), CURLOPT_FTPSSLAUTH);
        if (!caFile().isEmpty())
            handle->setString(caFile(), CURLOPT_CAINFO);
    }
    if (m_site->ftpUsePASV() == 0)
        curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
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
