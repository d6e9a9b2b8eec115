#pragma once

#include "io/URLHandleClient.h"
#include "publish/WebDAVListingReader.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class CURLHandle;
class DMMemberAccount;
class DMTransaction;
class UploadSource;

// Hears how a transaction of the online disk ended: exactly one of the three calls, on the
// thread that started the transaction, from its event loop (also inside a modal loop).
class DMTransactionDelegate
{
public:
    virtual ~DMTransactionDelegate() = default;
    virtual void transactionSuccessful(DMTransaction *transaction) = 0;
    virtual void transactionHadError(DMTransaction *transaction) = 0;
    virtual void transactionAborted(DMTransaction *transaction) = 0;
};

// One operation on the online disk (an upload, a listing, making a folder): a few WebDAV
// requests run one after another as background transfers. An upload first makes each missing
// folder of its path (MKCOL; 405 means it exists), then PUTs the bytes streamed from their
// source under a temporary name beside the target and MOVEs that onto the target (Overwrite:
// T), so the published copy is replaced only by a whole file. When the upload does not end well
// (failed, move refused) the temporary file is DELETEd, where the server lets us, before the
// delegate hears (a server still taking in the abandoned upload answers "423 Locked"; the removal
// is asked again for a while). An abort is told to the delegate at once: the end of the transfer
// and the removal go on behind it. A temporary file the server would not give up is remembered
// with the account (in the settings) and deleted by the next upload of that account. What the
// clean-up did is logged, and told to the clean-up report. The transaction keeps itself alive
// until its work is done.
//
// A listing's answer is read on a worker thread, at most FTPListingParser::kListingLimit entries
// of it; an answer that is not a plain multistatus (one with a DOCTYPE among them) fails the
// listing.
//
// Error types after a failure: 101 refused credentials (401, 403), 102 disk full (507), 103 no
// answer from the server, 104 an answer that could not be read, else the HTTP status of the
// unexpected answer.
class DMTransaction : public URLHandleClient, public std::enable_shared_from_this<DMTransaction>
{
public:
    enum class State { Running, Succeeded, Failed, Aborted };

    // Result keys of a listing entry.
    static const QString kDMURI; // path below the member's root, e.g. "Sites/feed.xml"
    static const QString kDMIsCollection; // bool
    static const QString kDMContentLength; // qint64
    static const QString kDMLastModified; // QDateTime, when the server gave one
    // The error type of an answer that could not be read.
    static constexpr int kUnreadableAnswer = 104;

    ~DMTransaction() override;

    // Stops the transaction; the delegate then hears transactionAborted, from the event loop
    // at once, whatever the clean-up still does.
    void abort();
    void setDelegate(DMTransactionDelegate *delegate) { m_delegate = delegate; }
    // Told, on the starting thread, a line for each temporary file the clean-up removed or had
    // to leave (also after the delegate has heard).
    void setCleanupReport(std::function<void(const QString &line)> report)
    {
        m_cleanupReport = std::move(report);
    }
    // The temporary files of the account's uploads that are still on the server, as paths below
    // the member's root.
    static QStringList leftoverParts(const DMMemberAccount &account);
    // The most leftovers kept per account; older ones are forgotten beyond it.
    static constexpr int kMaximumLeftovers = 100;
    // How long a removal refused with "423 Locked" is asked again.
    static constexpr int kDefaultRemovalPatienceMs = 15000;
    static void setRemovalPatience(int milliseconds);

    State state() const { return m_state; }
    int errorType() const { return m_errorType; }
    // What the user is told of an error type: "" for 1, "Invalid username/password",
    // "Out of iDisk space error", "Networking error occurred", else "An unknown error occurred".
    static QString errorTypeText(int type);
    // What went wrong in words (the server's status or libcurl's reason), for logs.
    QString errorText() const { return m_errorText; }
    // The upload arrived, but the server would not move it onto its name; errorText() then
    // says so with the server's status.
    bool renameRefused() const { return m_renameRefused; }
    // Bytes to upload and uploaded so far; 0 for other operations.
    qint64 contentLength() const;
    qint64 bytesTransferred() const;
    // A listing: a list of maps with the kDM keys, the listed folder itself left out.
    QVariant result() const { return m_result; }
    // The listed folder held more entries than the result keeps.
    bool isResultTruncated() const { return m_resultTruncated; }
    // The listed or written path with a leading slash.
    QString uri() const { return m_uri; }

    // PROPFIND depth 0 of the account's root: the answer of DMMemberAccount::validateCredentials.
    static int validate(const DMMemberAccount &account,
                        const std::function<bool()> &cancelled = {});

private:
    friend class DMiDiskSession;
    struct Request
    {
        QByteArray method;
        QString path; // below the member's root; "" for the root itself
        QByteArray body;
        int depth = -1; // PROPFIND depth, -1 for none
        bool upload = false;
        bool collection = false; // MKCOL: 405 (exists) counts as success
        QString destination; // MOVE: the path the file goes to
        bool removal = false; // the DELETE of an unfinished upload: its outcome changes nothing
        bool sweep = false; // the DELETE of an earlier upload's leftover, before this upload
    };

    DMTransaction(std::shared_ptr<DMMemberAccount> account, DMTransactionDelegate *delegate,
                  QString uri);
    static QList<Request> makeCollections(const DMMemberAccount &account, const QString &folder);
    static Request propfind(const QString &path, int depth);
    // DELETEs of the account's leftover temporary files.
    static QList<Request> sweepLeftovers(const DMMemberAccount &account);
    static void keepLeftover(const DMMemberAccount &account, const QString &path, bool kept);
    void reportCleanup(const QString &line) const;
    // The removal of a temporary file has ended with that answer; the file is left when it did
    // not go.
    void removalEnded(const Request &request, CURLHandle &handle, bool transferOK);
    // Tells the delegate of an abort, once.
    void tellAborted();
    void start(QList<Request> requests, std::unique_ptr<UploadSource> source, bool synchronous);
    std::shared_ptr<CURLHandle> makeHandle(const Request &request);
    // Settles one request's outcome: true to go on with the next.
    bool settle(const Request &request, CURLHandle &handle, bool transferOK);
    void runNext();
    // Ends in the state, deleting first the temporary file an unfinished upload may have left.
    void endAfterRemoval(State state);
    void finish(State state);
    // Reads a listing's answer on a worker, then goes on with the next request.
    void readListingAside(const QByteArray &body);
    // Keeps a listing that was read; false (the transaction has failed) when it could not be.
    bool takeListing(const WebDAVListingReader::Listing &listing);
    WebDAVListingReader::Listing readListing(const QByteArray &body) const;

    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;
    void URLHandleResourceDidCancelLoading(URLHandle *sender) override;

    std::shared_ptr<DMMemberAccount> m_account;
    DMTransactionDelegate *m_delegate = nullptr;
    QString m_uri;
    QList<Request> m_requests;
    std::unique_ptr<UploadSource> m_source;
    std::shared_ptr<CURLHandle> m_handle;
    std::shared_ptr<DMTransaction> m_self; // alive until the delegate has heard
    State m_state = State::Running;
    bool m_abortRequested = false;
    bool m_told = false; // the delegate has heard how the transaction ended
    std::function<void(const QString &)> m_cleanupReport;
    bool m_synchronous = false;
    QString m_partPath; // the temporary file of the upload, until it is moved onto its name
    bool m_removing = false;
    QElapsedTimer m_removalClock;
    State m_endState = State::Running; // the state to end in once the removal is done
    bool m_renameRefused = false;
    // Asked during a synchronous transaction; true stops it as an abort does.
    std::function<bool()> m_cancelled;
    int m_errorType = 0;
    QString m_errorText;
    QVariant m_result;
    bool m_resultTruncated = false;
    std::unique_ptr<QFutureWatcher<WebDAVListingReader::Listing>> m_listingRead;
};
