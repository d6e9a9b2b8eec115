// The FTP browser's transfers: one background transfer handle at a time, with "PWD" after it.
#include "io/CURLHandle.h"
#include "publish/FTPConnection.h"
#include "publish/FTPListingParser.h"
#include "publish/VLXFTPBrowse.h"

#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

using P = FTPListingParser;

// libcurl said nothing about why the transfer failed: the handle then names only its code.
bool withoutReason(const QString &reason)
{
    return reason.trimmed().isEmpty() || reason.startsWith(QLatin1String("(curl result code # "));
}

} // namespace

void VLXFTPBrowse::startTransfer(Phase phase, const QString &address, bool createFolders)
{
    m_deferred.stop();
    m_phase = phase;
    FTPConnection connection;
    connection.user = username();
    connection.password = password();
    connection.protocol = m_protocol;
    connection.passive = m_passive != 0;
    connection.useEPSV = m_EPSV != 0;
    connection.useEPRT = m_EPRT != 0;
    m_handle = connection.makeHandle(QUrl(address, QUrl::StrictMode), m_transcript);
    if (!m_handle) {
        m_phase = Idle;
        setStatus(QStringLiteral("Failed"));
        return;
    }
    m_handle->setStringOrNumberObject(
        qlonglong(createFolders ? CURLFTP_CREATE_DIR : CURLFTP_CREATE_DIR_NONE),
        CURLOPT_FTP_CREATE_MISSING_DIRS);
    // "PWD" after the transfer: its reply names the folder the server really is in.
    curl_slist_free_all(m_headerList);
    m_headerList = curl_slist_append(nullptr, "PWD");
    curl_easy_setopt(m_handle->curl(), CURLOPT_POSTQUOTE, m_headerList);
    m_transcript.clear();
    m_bytesRetrievedSoFar = 0;
    m_handle->addClient(this);
    updateStatus();
    m_handle->loadInBackground();
    updateStatus();
}

void VLXFTPBrowse::cancelTransfer()
{
    m_deferred.stop();
    m_deferredCall = {};
    m_linksToCheck.clear();
    m_linkRow = -1;
    if (m_listingRead) {
        m_listingRead.reset();
        m_phase = Idle;
    }
    if (!m_handle)
        return;
    std::shared_ptr<CURLHandle> handle = std::move(m_handle);
    handle->removeClient(this);
    handle->cancelLoadInBackground();
    // Waits for the transfer thread: the transcript and the command list are free after it.
    handle.reset();
    curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
    m_transcript.clear();
    m_phase = Idle;
}

void VLXFTPBrowse::releaseHandle()
{
    if (m_handle) {
        m_handle->removeClient(this);
        // A transfer whose thread has ended no longer touches the easy handle.
        if (!m_handle->isTransferRunning())
            TransferTranscript::detachFrom(m_handle->curl());
        m_handle.reset();
    }
    curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
}

QString VLXFTPBrowse::takeTranscript()
{
    const QString transcript = m_transcript.closingText();
    if (m_transferLog)
        m_transferLog(transcript + u'\n');
    m_transcript.clear();
    return transcript;
}

void VLXFTPBrowse::readListingAside(Phase phase, const QString &transcript,
                                    const QByteArray &listing)
{
    m_listingRead = std::make_unique<QFutureWatcher<P::Listing>>();
    QFutureWatcher<P::Listing> *watcher = m_listingRead.get();
    // The watcher goes with a new transfer, a closed dialog or the browser: nothing arrives then.
    connect(watcher, &QFutureWatcherBase::finished, watcher, [this, watcher, phase, transcript] {
        if (watcher != m_listingRead.get() || watcher->isCanceled())
            return;
        const P::Listing read = watcher->result();
        m_listingRead.release()->deleteLater();
        showListingRead(phase, transcript, read);
    });
    watcher->setFuture(QtConcurrent::run(
        [listing] { return P::parseListing(listing, P::DateStyle::Text, P::kListingLimit); }));
}

void VLXFTPBrowse::updateStatus()
{
    if (!m_handle) {
        setStatus(QStringLiteral("Idle"));
        return;
    }
    switch (m_handle->status()) {
    case URLHandle::NotLoaded:
        setStatus(QStringLiteral("Not Loaded"));
        break;
    case URLHandle::LoadInProgress:
        setStatus(QStringLiteral("In Progress"));
        break;
    case URLHandle::LoadSucceeded:
        setStatus(QStringLiteral("Succeeded"));
        break;
    case URLHandle::LoadFailed:
        setStatus(QStringLiteral("Failed"));
        break;
    }
}

// --- Notices ------------------------------------------------------------------------------------

void VLXFTPBrowse::URLHandleResourceDidBeginLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    startProgress();
    updateStatus();
}

void VLXFTPBrowse::URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                           const QByteArray &newBytes)
{
    if (sender != m_handle.get())
        return;
    updateStatus();
    m_bytesRetrievedSoFar += newBytes.size();
    const QVariant length = m_handle->propertyForKeyIfAvailable(QStringLiteral("content-length"));
    if (length.isValid() && length.toLongLong() > 0)
        setProgressAmount(m_bytesRetrievedSoFar, length.toLongLong());
}

void VLXFTPBrowse::URLHandleResourceDidFinishLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    updateStatus();
    // The listing as the handle received it, whole (the transcript keeps only a bounded copy).
    const QByteArray listing = m_handle->availableResourceData();
    releaseHandle();
    const Phase phase = Phase(m_phase);
    const QString transcript = takeTranscript();
    if (phase == FindingHome || phase == Listing) {
        readListingAside(phase, transcript, listing);
        return;
    }
    stopProgress();
    m_phase = Idle;
    if (phase == CheckingLink)
        linkChecked(true);
}

void VLXFTPBrowse::showListingRead(Phase phase, const QString &transcript,
                                   const FTPListingParser::Listing &listing)
{
    stopProgress();
    m_phase = Idle;
    m_listingTruncated = listing.truncated;
    if (listing.truncated)
        setStatus(listingLimitText());
    m_browseFTPProperties = parseFTPResponses(transcript);
    const QStringList paths = m_browseFTPProperties.value(kResponsePWDKey).toStringList();
    m_browseFiles = withoutHiddenEntries(listing.entries);
    if (phase == FindingHome) {
        if (!paths.isEmpty())
            setHomeDirectory(paths.first());
        reloadTable();
        const QString folder = directory();
        if (folder.isEmpty() || folder == homeDirectory()) {
            updateBrowseHistory(paths.value(paths.size() - 1));
            defer(10, [this] { resolveTypeOfSymbolicLinks(); });
        } else {
            defer(10, [this, folder] { getFileListing(folder); });
        }
        return;
    }
    updateBrowseHistory(paths.value(paths.size() - 1));
    reloadTable();
    const bool anyLink
        = std::any_of(m_browseFiles.cbegin(), m_browseFiles.cend(), [](const QVariantMap &entry) {
              return entry.value(P::kFileType) == P::kTypeSymbolicLink;
          });
    if (anyLink)
        defer(10, [this] { resolveTypeOfSymbolicLinks(); });
}

void VLXFTPBrowse::URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                             const QString &reason)
{
    if (sender != m_handle.get())
        return;
    setStatus(QStringLiteral("Failed"));
    releaseHandle();
    stopProgress();
    const Phase phase = Phase(m_phase);
    const QString transcript = takeTranscript();
    m_phase = Idle;
    if (phase == Listing && withoutReason(reason) && !m_fallbackUsed) {
        // Without a reason, show the deepest folder the transfer reached; only once, so a
        // fallback that fails the same way ends there.
        m_fallbackUsed = true;
        m_browseFTPProperties = parseFTPResponses(transcript);
        const QString folder
            = deepestFolder(m_browseFTPProperties.value(kResponseCWDStepsKey).toStringList());
        defer(100, [this, folder] { listFolder(folder, true); });
    } else if (phase == CheckingLink) {
        // A target that cannot be listed is taken for a file; the check itself went well.
        setStatus(QStringLiteral("Succeeded"));
        linkChecked(false);
    }
}

void VLXFTPBrowse::URLHandleResourceDidCancelLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    updateStatus();
    releaseHandle();
    stopProgress();
    m_transcript.clear();
    m_phase = Idle;
    m_linksToCheck.clear();
    m_linkRow = -1;
}
