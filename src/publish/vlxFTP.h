#pragma once

#include "io/URLHandleClient.h"
#include "publish/AccountCheck.h"
#include "publish/ConvertedImages.h"
#include "publish/DMTransaction.h"
#include "publish/PublishView.h"
#include "publish/ThreadWorker.h"
#include "publish/TransferTranscript.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class CURLHandle;
class QUrl;
class DMMemberAccount;
class MediaContentFile;
class UploadSource;
class VLXFeed;
class VLXItems;
class VLXSite;
class additionalFiles;

// The publisher: one run uploads the feed's image, the checked enclosure and media files, the
// checked additional files and last the feed's RSS 2.0 text, one file at a time, to an FTP or
// FTPS server, the online disk (WebDAV) or a local folder, and reports each file in the transfer
// log, the result lines and the status. A failed file is counted and reported and the run goes
// on; Abort ends it.
//
// Files are streamed from the disk while they are sent, so a podcast of any size publishes in
// little memory. Everything here runs on the main thread; the transfers run on the threads of
// their transfer handles and report back through the event loop, so the window keeps painting.
class vlxFTP : public QObject, public URLHandleClient, public DMTransactionDelegate
{
    Q_OBJECT
public:
    // A row of the enclosure table: an item's enclosure, or (with media set) one of its
    // media:content files. checked is the row's check box (1 or 0); reference is the local
    // file's modification date (the 1970 epoch when there is none); missing says that the
    // local file is set but could not be looked at (an unmounted disk): its path is kept.
    struct EnclosureRow
    {
        std::shared_ptr<VLXItems> item;
        std::shared_ptr<MediaContentFile> media;
        int checked = 0;
        QDateTime reference;
        bool missing = false;
    };
    // A row of the additional-file table; for a generated file the reference is its own last
    // upload, so it is always checked.
    struct OtherFileRow
    {
        std::shared_ptr<additionalFiles> record;
        int checked = 0;
        QDateTime reference;
        bool missing = false;
    };
    // How a row's file stands, for the state column of the file tables.
    enum class FileState { NoLocalFile, Missing, NeverPublished, LocalIsNewer, UpToDate };
    // The check box of one local file, looked at once: checked when it was never sent or has
    // changed since (a modification at the very second of the upload counts as a change).
    struct FileCheck
    {
        int checked = 0;
        QDateTime reference;
        bool missing = false;
    };

    // The one publisher of the program; never destroyed.
    static vlxFTP &sharedInstance();
    vlxFTP();
    ~vlxFTP() override;

    // --- Hand-off from the feed window -----------------------------------------------------------
    void setView(PublishView *view) { m_view = view; }
    // What the window shows while a disk account is checked (not owned; may be null).
    void setAccountCheckIndicator(AccountCheck::Indicator *indicator)
    {
        m_accountCheckIndicator = indicator;
    }
    // The feed being published (not owned) and its identifier, the key of its settings.
    void setFeed(VLXFeed *feed, const QString &uniqueKey);
    // Called just before the feed's text is made for a run, so that the lengths of local files
    // replaced since they were chosen are those of the files sent (may be empty).
    void setBeforeFeedWritten(std::function<void()> call) { m_beforeFeedWritten = std::move(call); }
    void setSite(std::shared_ptr<VLXSite> site) { m_site = std::move(site); }
    const std::shared_ptr<VLXSite> &site() const { return m_site; }
    QList<EnclosureRow> &itemsWithEnclosures() { return m_enclosureRows; }
    QList<OtherFileRow> &otherFiles() { return m_otherFileRows; }

    // --- The file tables (vlxFTP+Rows.cpp) -------------------------------------------------------
    // Rebuilds the enclosure rows from the feed: every item with an enclosure address, then,
    // while the feed uses Media RSS, each media:content with a local file.
    void rebuildEnclosureRows();
    // The feed's additional files, the very records given; the list already held changes
    // nothing. A local file gets the check of its file, a generated one is always checked.
    void setAdditionalFiles(const QList<std::shared_ptr<additionalFiles>> &records);
    QList<std::shared_ptr<additionalFiles>> additionalFileRecords() const;
    static FileCheck checkLocalFile(const QString &path, const QDateTime &lastUploaded);
    // The check of a row's file, ticked as well when its last transfer did not end well.
    FileCheck checkAgain(const QString &path, const QDateTime &lastUploaded) const;
    FileState enclosureState(int row) const;
    FileState otherFileState(int row) const;
    static QString fileStateText(FileState state);
    // The site's default folder of its own type for the feed (0), the image (1) or enclosures
    // (2), the numbers of an additional file's destination; "" for other sites or kinds.
    static QString siteFolder(const VLXSite *site, int kind);

    // --- The feed image --------------------------------------------------------------------------
    // Starts converting the image on a worker thread (the task makes a ConvertedImages, see
    // ImageConversion::task); while it runs the image is left out of a run without a message.
    void startImageConversion(ThreadWorker::Task task);
    bool imageConversionRunning() const { return bool(m_imageWorker); }
    void setConvertedImages(const ConvertedImages &images) { m_images = images; }
    const ConvertedImages &convertedImages() const { return m_images; }

    // --- The run ---------------------------------------------------------------------------------
    // The Publish button: reads the window, stores the feed's publishing settings, builds the
    // queue and starts the first file. Nothing happens while a run goes on.
    void upload();
    // The Cancel button while it reads "Abort": the file in transfer fails and the run ends at
    // once with its summary and result line (on the online disk the removal of what the
    // transfer left may go on after it).
    void abort();
    // The Cancel button otherwise: waits for a running image conversion to stop, then closes.
    void close();
    bool isRunning() const { return m_running; }

    const QString &transferLog() const { return m_transferLog; }
    // One line per finished file, in the order the files finished.
    const QStringList &publishResults() const { return m_publishResults; }
    int publishSuccess() const { return m_publishSuccess; }
    int publishFailure() const { return m_publishFailure; }

    // --- The file tables' check boxes ------------------------------------------------------------
    // Toggles a row of the enclosure table; false (the window beeps) for a row without a file,
    // or whose file is still missing (a file that is back is looked at again first).
    bool toggleEnclosureRow(int row);
    bool toggleOtherFileRow(int row);
    // Turns the section's upload check box on when a row is checked (opening the section), off
    // when none is (closing it when asked to).
    void updateEnclosureCheckboxes(bool closeWhenNone);
    void updateOtherFilesCheckboxes(bool closeWhenNone);

    // Makes and validates the online-disk account of the site (filling the password field from
    // the secret service when the site keeps it); false, and a log line, when it is not valid.
    bool validateDMinfo();
    const std::shared_ptr<DMMemberAccount> &dotMacAccount() const { return m_dotMacAccount; }

    // "Last Published: Never" for the 1970 epoch, else "Last Published: " and the local date and
    // time in the form 03/07/2008 14:05:09.
    static QString lastPublishedText(const QDateTime &date);

    // A certificate authority file for FTPS; "" uses the system's store.
    static void setCertificateAuthorityFile(const QString &path);
    // The reason a file aborted in transfer fails with.
    static const QString kTransferAborted;
    // How often progress is shown while a run goes on.
    static constexpr int kProgressIntervalMs = 250;

private:
    enum class SourceKind { Bytes, File, Record };
    struct Target
    {
        enum class Kind { Feed, Image, Enclosure, MediaContent, AdditionalFile } kind;
        std::shared_ptr<VLXItems> item;
        std::shared_ptr<MediaContentFile> media;
        std::shared_ptr<additionalFiles> record;
    };
    // The FTP upload in transfer: where it goes, and the temporary name it is sent under.
    struct FTPUpload
    {
        QString host;
        QString user;
        QString password;
        QString folder;
        QString name;
        QString part;
    };
    struct QueueEntry
    {
        QString remoteName;
        QString remoteFolder;
        SourceKind source = SourceKind::Bytes;
        QByteArray bytes;
        QString filePath;
        Target target;
    };

    // Queue building (vlxFTP.cpp).
    void queueImage();
    void queueEnclosures();
    void queueOtherFiles();
    void queueFeedXML();
    void storeRemoteFolder(bool image, const QString &fieldText);
    QString defaultFolder(int kind) const;
    std::unique_ptr<UploadSource> openSource(const QueueEntry &entry, QString *failure) const;

    // Working the queue.
    void uploadNextFile();
    void continueAfterFile();
    void currentUploadSucceeded(const Target &target);
    void currentUploadFailed(const Target &target, const QString &reason);
    void endRun();
    // Files whose transfer did not end well (failed, aborted, or left in the queue) are offered
    // again, ticked, in the next sheet; one that arrives whole is not any more (vlxFTP+Rows.cpp).
    static QString localFileOf(const Target &target);
    void markUnfinished(const Target &target);
    void markFinished(const Target &target);
    bool wasUnfinished(const QString &localPath) const;
    // Drops the entries not sent yet, remembering them as unfinished.
    void forgetQueue();
    void updateStatus();
    void updateProgress();
    void resetProgress();
    void uncheckRows(const Target &target);
    void updateSection(int checkedRows, PublishView::Toggle toggle, PublishView::Table table,
                       bool closeWhenNone);
    QString targetName(const Target &target) const;

    // The log (vlxFTP+Log.cpp).
    void clearLog();
    void appendLog(const QString &text);
    void appendHeader();
    void appendFileBlock(const QString &folder, const QString &name);
    void appendTransferFailed(const QString &reason);
    void appendSummary();

    // FTP and FTPS (vlxFTP+FTP.cpp).
    void uploadOneFile(const QString &fileName, const QString &host, const QString &user,
                       const QString &password, const QString &folder);
    std::shared_ptr<CURLHandle> makeHandle(const QUrl &url, const QString &user,
                                           const QString &password);
    void closeTranscript();
    void releaseHandle();
    // Deletes the temporary file of the upload that did not end well; false when no removal
    // could be started.
    bool removePartFile();
    void removalEnded();
    void URLHandleResourceDidBeginLoading(URLHandle *sender) override;
    void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                 const QByteArray &newBytes) override;
    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;
    void URLHandleResourceDidCancelLoading(URLHandle *sender) override;

    // The online disk (vlxFTP+DotMac.cpp).
    void makeDotMacAccount();
    void uploadToDisk(const QueueEntry &entry);
    void transactionSuccessful(DMTransaction *transaction) override;
    void transactionHadError(DMTransaction *transaction) override;
    void transactionAborted(DMTransaction *transaction) override;

    // Local folders (vlxFTP+Local.cpp).
    void copyToLocalFolder(const QueueEntry &entry);
    void localCopyEnded(const QString &failure);

    void imageConversionEnded(const ConvertedImages &images);

    PublishView *m_view = nullptr;
    AccountCheck::Indicator *m_accountCheckIndicator = nullptr;
    VLXFeed *m_feed = nullptr;
    QString m_uniqueKey;
    std::function<void()> m_beforeFeedWritten;
    std::shared_ptr<VLXSite> m_site;
    QList<EnclosureRow> m_enclosureRows;
    QList<OtherFileRow> m_otherFileRows;

    ConvertedImages m_images;
    std::shared_ptr<ThreadWorker> m_imageWorker;

    QList<QueueEntry> m_uploadAction;
    std::optional<Target> m_uploadingItem;
    std::unique_ptr<UploadSource> m_source;
    bool m_running = false;
    bool m_abortFlag = false;
    QStringList m_publishResults;
    int m_publishSuccess = 0;
    int m_publishFailure = 0;
    QString m_transferLog;
    QTimer m_progressTimer;

    std::shared_ptr<CURLHandle> m_urlHandle;
    std::shared_ptr<CURLHandle> m_removalHandle;
    FTPUpload m_ftpUpload;
    TransferTranscript m_transcript;
    QSet<QString> m_unfinishedFiles;

    std::shared_ptr<DMMemberAccount> m_dotMacAccount;
    std::shared_ptr<DMTransaction> m_currentTransaction;

    std::shared_ptr<ThreadWorker> m_localCopy;
};
