#pragma once

#include "io/URLHandleClient.h"
#include "publish/FTPListingParser.h"
#include "publish/TransferTranscript.h"
#include "publish/VLXBrowseBase.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QVariantMap>
#include <curl/curl.h>
#include <functional>
#include <memory>

class CURLHandle;

// The folder browser of FTP and FTPS servers. Every listing is one background transfer that
// asks for a folder's address, so that libcurl changes into the folder and lists it, and sends
// "PWD" afterwards: the replies tell the browser where it really is. The first transfer finds
// the login (home) folder; links are checked by trying to list their targets; a new folder is
// made by listing it with the creation of missing folders switched on. Every transfer's
// transcript (passwords masked) goes to the caller's transfer log when it keeps one.
//
// One transfer runs at a time: a new listing stops the one under way, and closing the dialog
// stops whatever runs, so no transfer outlives the browser. A listing is read on a worker thread
// once its transfer has ended, at most FTPListingParser::kListingLimit entries of it.
class VLXFTPBrowse : public VLXBrowseBase, public URLHandleClient
{
    Q_OBJECT
public:
    // The transfer phases (phase()).
    enum Phase { Idle = 0, FindingHome = 1, Listing = 2, CheckingLink = 3 };

    VLXFTPBrowse();
    ~VLXFTPBrowse() override;

    // --- Configured by the caller from the site ------------------------------------------------
    const QString &FTPserver() const { return m_ftpServer; }
    // Host name, optionally with ":port".
    void setFTPserver(const QString &server) { m_ftpServer = server; }
    int usePASV() const { return m_passive; }
    void setUsePASV(int passive) { m_passive = passive; }
    int useEPSV() const { return m_EPSV; }
    void setUseEPSV(int epsv) { m_EPSV = epsv; }
    int useEPRT() const { return m_EPRT; }
    void setUseEPRT(int eprt) { m_EPRT = eprt; }
    // 0 FTP, 1 FTPS (explicit TLS).
    void setProtocol(int protocol) { m_protocol = protocol; }
    // Receives each transfer's transcript followed by a line feed.
    void setTransferLog(std::function<void(const QString &)> log) { m_transferLog = std::move(log); }

    // --- Transfers ------------------------------------------------------------------------------
    void findHomeDirectory();
    void getFileListing(const QString &path) override;
    // Checks every link of the listing, one after another, then shows the table again.
    void resolveTypeOfSymbolicLinks();
    void browseCreateNewFolder() override;
    // A transfer runs, or the listing it brought is still being read.
    bool isTransferRunning() const { return m_handle != nullptr || m_listingRead != nullptr; }
    // The transfer under way, null when none runs.
    URLHandle *transfer() const;
    // The address of the transfer under way ("" when none).
    QString transferAddress() const;

    // "Idle" without a transfer, else the transfer's state: "Not Loaded", "In Progress",
    // "Succeeded", "Failed".
    void updateStatus();

    // --- Addresses and replies ------------------------------------------------------------------
    // The address that lists a folder: "" and "~" the login folder, "~/a" and "a" a folder
    // inside it, "/a" a folder from the server's root. Each path segment is escaped as UTF-8.
    static QString listingAddress(const QString &server, const QString &path);
    // The folders the transcript's replies name: every quoted 257 path under
    // "dictKeyFTPResponsePWD", and under "dictKeyFTPResponseCWDSteps" "PWD <path>" for each of
    // them and the command each 250 reply answered ("CWD www"), in order.
    static QVariantMap parseFTPResponses(const QString &transcript);
    // The text between the first and the last double quote, doubled quotes made single; nothing
    // when there are not two quotes.
    static std::optional<QString> scanBetweenQuotes(const QString &line);
    // The deepest folder a transfer reached, from its steps ("" when it changed nowhere).
    static QString deepestFolder(const QStringList &steps);

    // --- Transfer notices -----------------------------------------------------------------------
    void URLHandleResourceDidBeginLoading(URLHandle *sender) override;
    void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                 const QByteArray &newBytes) override;
    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;
    void URLHandleResourceDidCancelLoading(URLHandle *sender) override;

protected:
    void startBrowsing() override;
    void stopBrowsing() override;

private:
    // Starts a transfer of the phase; a fallback listing does not earn another fallback.
    void startTransfer(Phase phase, const QString &address, bool createFolders = false);
    void listFolder(const QString &path, bool fallback);
    // Stops the transfer under way and the link checks; no notice of it arrives afterwards.
    void cancelTransfer();
    void releaseHandle();
    // The transcript, which also goes into the log.
    QString takeTranscript();
    // Reads the listing of a home or folder transfer on a worker, then shows it.
    void readListingAside(Phase phase, const QString &transcript, const QByteArray &listing);
    void showListingRead(Phase phase, const QString &transcript,
                         const FTPListingParser::Listing &listing);
    void checkNextLink();
    // Runs the call after the delay unless a new transfer is started first.
    void defer(int milliseconds, std::function<void()> call);
    void linkChecked(bool isFolder);

    QString m_ftpServer;
    int m_protocol = 0;
    int m_passive = 0;
    int m_EPSV = 0;
    int m_EPRT = 0;
    std::function<void(const QString &)> m_transferLog;

    std::shared_ptr<CURLHandle> m_handle;
    TransferTranscript m_transcript;
    curl_slist *m_headerList = nullptr;
    qint64 m_bytesRetrievedSoFar = 0;
    // The fallback to the deepest folder reached happens once per listing the user asked for.
    bool m_fallbackUsed = false;
    // Rows of links still to check, and the one under way.
    QList<int> m_linksToCheck;
    int m_linkRow = -1;
    // The listing shown was cut at the limit: the status says so once the links are checked.
    bool m_listingTruncated = false;
    std::unique_ptr<QFutureWatcher<FTPListingParser::Listing>> m_listingRead;
    QTimer m_deferred;
    std::function<void()> m_deferredCall;
};
