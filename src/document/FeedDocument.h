#pragma once

#include "document/FeedField.h"
#include "document/FeedListEntry.h"
#include "document/UndoRecord.h"
#include "io/VLXParseFeed.h"
#include "model/MessageGroup.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

class LoadControl;
class StatusSink;
class VLXFeed;
class baseExtensionManager;
class categoryElement;
class VLXImage;
class VLXItems;
class VLXUndoManager;

// The feed loaded for editing: the VLXFeed, the feed-list entry it belongs to, its picture, the
// undo stack and the edited state. Everything that changes the loaded feed goes through here and
// is announced by a signal; the window's panes show the model and refresh from those signals,
// and undo acts on the model alone.
//
// The feed and its entry are replaced together, by load() only: a load that is abandoned, or a
// text that never became a feed, leaves both as they were. Saving always writes to the file of
// the document's own entry.
class FeedDocument : public QObject
{
    Q_OBJECT
public:
    explicit FeedDocument(QObject *parent = nullptr);
    ~FeedDocument() override;

    // Never null: an empty feed before the first load.
    const std::shared_ptr<VLXFeed> &feed() const { return m_feed; }
    VLXImage *image() const;
    // The item at the index, nullptr when there is none.
    VLXItems *item(int index) const;
    int itemCount() const;
    const FeedListEntry &entry() const { return m_entry; }
    // The entry's own data changed (a save, a publish); its identifier stays.
    void setEntry(const FeedListEntry &entry);
    // The feed's file as last read or written (what Revert goes back to): its bytes, or the text
    // the user mended it into; text() decodes the bytes.
    QByteArray bytes() const { return m_bytes; }
    QString text() const;

    // Shows another feed, belonging to another entry, without reading text (a feed built in
    // memory); the undo steps of the feed before are dropped.
    void replace(std::shared_ptr<VLXFeed> feed, const FeedListEntry &entry,
                 bool reloadImage = true);
    // Shows a feed object that was loaded before for the same entry (a whole-feed undo step):
    // the undo steps, the picture and the edited state stay, and so do the AutoPubDate box and
    // the upload times, which no step records. A copy of the feed shown, made while the window
    // waited for it (Replace All's), holds those already: `copyOfShown` spares the walk over its
    // items.
    void reinstate(std::shared_ptr<VLXFeed> feed, bool copyOfShown = false);

    // --- Loading -------------------------------------------------------------------------------
    enum class LoadOutcome {
        Loaded,
        Abandoned, // "Abandon it"
        Unsaved, // the source editor closed without saving
        Cancelled, // the user stopped the load (the window's Cancel)
        Unreadable, // the file could not be read (the user was told why)
    };
    struct LoadOptions
    {
        bool validate = true;
        bool hideErrors = false;
        // The loaded feed read again (Revert, a raw XML edit or its undo): the undo steps stay,
        // and what the text does not hold (local enclosure files, upload times) is carried over.
        bool rereading = false;
        bool reloadImage = true;
        // The text is the feed's file (what Revert goes back to); a feed made in memory has none.
        bool fromFile = true;
        QString status; // the status line's text when loading began
        QUrl address; // where the text was read from (relative Atom addresses resolve against it)
        StatusSink *statusSink = nullptr;
        // A reader that already checked this very text (its tree is read instead of parsing the
        // text again).
        std::shared_ptr<VLXParseFeed> checkedReader;
    };
    struct LoadResult
    {
        LoadOutcome outcome = LoadOutcome::Abandoned;
        bool mended = false; // the text was changed in the source editor
        bool repaired = false; // the reader repaired what it read
        bool itemAdded = false; // the feed had no item and got one
        bool loaded() const { return outcome == LoadOutcome::Loaded; }
        // The feed shown is not what the file holds: it asks to be saved, after a Revert too.
        bool changedInReading() const { return mended || repaired || itemAdded; }
    };
    // Checks and reads the text once with one reader, offering to mend it in the source editor
    // while it is no feed. On success the feed and the entry replace the loaded ones together.
    LoadResult load(const QString &text, const FeedListEntry &entry, const LoadOptions &options);

    // The same load in two halves, for a window that reads on a worker thread. The first half
    // touches nothing of the document, so the loaded feed stays in use while it runs: it checks,
    // repairs, reads and validates, and asks its questions (fix or abandon, the parse results)
    // on the window's thread. Only the second half, on the window's thread, changes the
    // document. What the first half needs of the loaded feed is taken beforehand (carry).
    struct Carry
    {
        QVariantMap enclosureLocalFileInfo;
        QDateTime lastUploaded;
        QDateTime imageLastUploaded;
        std::optional<int> autoPubDate;
    };
    // The repairs, errors and warnings of a feed as the message panel lists them. Taking them
    // walks every item: a load or a save on a worker takes them there.
    struct ParseLog
    {
        QList<MessageGroup> messages;
        int errors = 0;
        int warnings = 0;
        int repairs = 0;
    };
    static ParseLog parseLogOf(const VLXFeed &feed);
    struct Prepared
    {
        LoadResult result;
        std::shared_ptr<VLXFeed> feed; // null unless the text became a feed
        // What was read: the bytes of a file or transfer as they came, or else the text (the
        // one given, or the text the user mended the bytes into).
        QByteArray bytes;
        QString text;
        bool repaired = false; // the reader repaired the feed (it asks to be saved)
        bool viewLog = false;
        std::optional<ParseLog> log; // taken when the user asked to see it
    };
    Carry carry(const FeedListEntry &entry, const LoadOptions &options) const;
    // The same of a feed shown (the one a feed read again replaces). It walks every item of that
    // feed: a window that reads on a worker takes it there, the feed shown unchanged meanwhile.
    static Carry carry(const VLXFeed &shown, const FeedListEntry &entry,
                       const LoadOptions &options);
    // The bytes of a file (decoded by the load), or the text when they are null. Without a
    // control the load runs to the end and shows its stages in the options' status sink.
    static Prepared prepare(QByteArray bytes, const QString &text, const LoadOptions &options,
                            const Carry &carry, LoadControl *control);
    // The status line's text of a stage of the load of what base names.
    static QString stageStatus(VLXParseFeed::Stage stage, const QString &base);
    LoadResult finish(Prepared prepared, const FeedListEntry &entry, const LoadOptions &options);

    // Why a text is not a feed, as the one who mends it is told: a sentence, the line of the
    // text it names (0: none) and the kind of its cause.
    struct Refusal
    {
        QString reason;
        int line = 0;
        VLXParseFeed::Cause cause = VLXParseFeed::Cause::None;
    };
    // The editor offered to mend a text that is not a feed: answers the mended text, or nothing
    // when it was closed without saving. Tests and the XML source window install theirs.
    using SourceEditor
        = std::function<std::optional<QString>(const QString &text, const Refusal &why)>;
    static void setSourceEditor(SourceEditor editor);
    static std::optional<QString> editSource(const QString &text, const Refusal &why);
    // Asks what to do with a text that is not a feed ("Error in XML" with the parser's report,
    // else "Not XML/RSS" with the refusal's reason, when there is one): the mended text, or
    // nothing when the user abandons it (*abandoned set) or closes the editor without saving.
    // The editor is told the reason as the alert shows it (cut where the alert cuts it), and the
    // line and the kind of the parser's report when there is one. Any thread: the editor opens
    // on the window's.
    static std::optional<QString> fixOrAbandon(const QVariantMap &error, const Refusal &refusal,
                                               const QString &text, bool *abandoned);

    // --- Saving --------------------------------------------------------------------------------
    // Writes the feed and its entry (with the backups) to the path; the entry is updated with the
    // local enclosure files and upload times. On failure the reason is in *problem, the old file
    // is kept and nothing else changes. A save whose backups could not move on succeeds with
    // that reason in *problem. A copy (Save As) leaves the text Revert goes back to.
    //
    // With a runner, the bytes are built and written by the work it runs on a worker (the feed
    // is not changed meanwhile). A run cancelled before the writing began changes nothing
    // (false, no problem); once the writing began it is seen through.
    using WorkRunner = std::function<bool(const std::function<void(LoadControl &)> &work)>;
    bool writeTo(const QString &path, FeedListEntry &entry, QString *problem, bool copy = false,
                 const WorkRunner &runner = WorkRunner());

    // --- Undo and the edited state -------------------------------------------------------------
    VLXUndoManager *undoManager() const { return m_undo; }
    // Registers a record (made before the change it takes back) and names the step.
    void registerUndo(UndoRecord record, const QString &actionName);
    bool isEdited() const;
    void setEdited(bool edited);
    // As setEdited; with flush, an unedited document also forgets its undo steps.
    void setEdited(bool edited, bool flushUndos);
    bool isImageEdited() const { return m_imageEdited; }
    void setImageEdited(bool edited) { m_imageEdited = edited; }

    // --- Field values --------------------------------------------------------------------------
    QString value(const FeedField &field, int item) const { return field.read(*this, item); }
    // Sets the value through the table, refreshes what the field's after-edit hook names, and
    // tells the views; no undo step (undo itself and callers that register their own use it).
    bool applyField(const FeedField &field, int item, const QString &value);
    // The user's edit of a field as one undo step named by the field: the record keeps the old
    // value, the publication dates and the AutoPubDate state. Unchanged values do nothing.
    // This is how every editor and tool commits a field value.
    bool editField(const FeedField &field, int item, const QString &value);
    bool editField(const QString &outlet, int item, const QString &value);
    // As editField, but one undo step even when the value is unchanged: a value chosen in a
    // dialog and accepted (the date picker) is a step of its own. False without a target.
    bool commitField(const FeedField &field, int item, const QString &value);
    // The guid and its permalink flag, as one step "Item GUID" (with the uniqueness alert).
    void editGUID(int item, const QString &guid, int isPermaLink);
    void applyGUID(int item, const QString &guid, int isPermaLink);
    // One skip hour (hours) or skip day flag, as one step "Skip Hours" or "Skip Days".
    void editSkipFlag(bool hours, int index, int value);
    // A local enclosure file for the item (path with its tilde expanded), as one step "Select
    // Enclosure File": empty when taken, else the title and message of the refusal.
    QStringList attachLocalEnclosureFile(int item, const QString &path, bool pathAlreadyShown);
    // Each local file of an enclosure or a media:content that no longer has the length the feed
    // states (replaced since it was chosen) gives its length again, and its type where the feed
    // states none, as one undo step named actionName. A file that cannot be looked at changes
    // nothing. False when nothing changed.
    bool followLocalFiles(const QString &actionName);

    // --- Automatic publication dates -----------------------------------------------------------
    bool autoPubDate() const;
    // The AutoPubDate box: one state for the channel and the items.
    void setAutoPubDate(bool on);
    bool pubDatesFrozen() const { return m_pubDatesFrozen; }
    void setPubDatesFrozen(bool frozen) { m_pubDatesFrozen = frozen; }
    // Refresh the channel's or an item's date when automatic dating is on and not frozen.
    void refreshFeedPubDate();
    void refreshItemPubDate(int item);
    // After the channel's or an item's pubDate changed (refreshed, typed, picked, set by a smart
    // date rule): a dc:date that holds a value takes the same moment in the W3C form.
    void followFeedPubDate();
    void followItemPubDate(int item);
    // The Dublin Core date of the channel, or of the item at the index; none while that
    // element's Dublin Core is not in use. Setting it tells the views (through the object).
    std::optional<QString> dublinCoreDate(int item) const;
    void setDublinCoreDate(int item, const QString &date);
    void setFeedPubDate(const QString &date);
    void setItemPubDate(int item, const QString &date);

    // --- Items and the picture ---------------------------------------------------------------
    // The item the window shows (-1 for none): the row an item-list undo selects back.
    int shownItem() const { return m_shownItem; }
    void setShownItem(int row) { m_shownItem = row; }
    // Tells the views the item list changed; `selectRow` is the row to show.
    void itemsChanged(int selectRow);
    // The picture shown for the feed's image (fetched from its URL, read from the local file
    // the user chose for it, or edited).
    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    // The picture of a feed just loaded or read again: none without an image URL; an edited
    // picture is kept over a read that does not reload the image while the URL is the one it
    // was edited under; otherwise the local picture file, when there is one and it reads (no
    // transfer); otherwise the URL is fetched (fetchPicture). A feed loaded anew starts
    // without the picture of the feed before.
    void loadPicture(bool reloadImage);
    // Fetches the image URL in the background; the picture and a missing size follow when it
    // arrives. A failed fetch shows "Connection Failure" (once per address while the same feed
    // stays loaded) and keeps the picture.
    void fetchPicture();
    // The file the picture was last opened from or saved to, "" when none (or when it was
    // replaced by a download since). Kept in the feed's list entry, so it outlives the run.
    QString pictureFile() const;
    // Where the picture comes from: its file and the image URL it was fetched or edited under,
    // and whether it is that file's (or that address's) picture as read, not changed since.
    struct PictureOrigin
    {
        QString file;
        QString address;
        bool asRead = false;
    };
    PictureOrigin pictureOrigin() const
    {
        return {pictureFile(), m_pictureAddress, m_pictureAsRead};
    }
    // The feed saved as it is shows this very picture again when it is next loaded: the picture
    // is its file's as read (and the file is there), or without a file the image URL's as read.
    // A save then leaves no change of the picture unsaved.
    bool pictureKeptBySave() const;
    void setPictureOrigin(const PictureOrigin &origin);
    // The file the user opened the picture from or saved it to becomes its file.
    void setPictureFile(const QString &path);
    // Stops the fetch, download or read under way (nothing changes).
    void cancelPictureFetch();
    // A picture is on its way: over the network or being decoded.
    bool isFetchingPicture() const;
    // The address being fetched or downloaded; empty when none is.
    QString pictureTransferURL() const;

    // --- The picture as the user changes it ----------------------------------------------------
    // Registers the picture's undo step (the picture, its origin, the image's width and height
    // and the image-edited flag as they are now) and marks the image edited under the image URL
    // it has now.
    void recordPicture(const QString &actionName);
    // Shows the picture and puts its size in whole pixels into the image's width and height.
    void showPictureWithSize(const QImage &picture);
    // Both, as one undo step; a file name given becomes the image's file name. The picture's
    // file stays: a new picture from elsewhere sets its own (setPictureFile) right after.
    void replacePicture(const QImage &picture, const QString &actionName,
                        const QString &fileName = QString());
    // Downloads the address in the background in place of any other fetch. Only a picture that
    // arrives and decodes becomes one undo step (replacePicture, named by the address's last
    // path component, then pictureReplacedByNew); an HTTP error, a failed connection or data
    // that is not a GIF, JPEG or PNG picture is alerted and changes nothing. With followsAddress
    // the picture is dropped when the image URL no longer names the address by the time it arrives.
    void downloadPicture(const QString &url, const QString &actionName,
                         bool followsAddress = false);
    // Reads the file in the background in place of any other fetch, as a GIF, JPEG or PNG
    // picture only. A picture that reads becomes one undo step named actionName (replacePicture
    // with the file's name) and the picture's file, then pictureReplacedByNew; anything else is
    // told ("Image Not Opened") and changes nothing.
    void openPictureFile(const QString &path, const QString &actionName);
    // The same for a picture dropped as a file or, without one, as bytes ("Dropped New Image"):
    // neither gives the image a file name, nor is pictureReplacedByNew told.
    void dropPicture(const QString &file, const QByteArray &bytes);
    // Tells the views that a field changed (for changes made outside the table).
    void announce(FieldScope scope, int item, const QString &outlet);

    // --- Lists and namespaces (FeedDocument+Extensions.cpp) -----------------------------------
    // The categories of the channel or an item, and the XML comments of the channel, an item or
    // the image; the outlet of the table that shows each list.
    QList<categoryElement> categories(FieldScope scope, int item) const;
    QStringList comments(FieldScope scope, int item) const;
    static QString listOutlet(FieldScope scope, bool categories);
    // A changed list as one undo step with the dates from before: the automatic date of its
    // owner follows (an item's own for an item's list, the feed's otherwise). False when there
    // is no such owner.
    bool editCategories(FieldScope scope, int item, const QList<categoryElement> &list,
                        const QString &undoName);
    bool editComments(FieldScope scope, int item, const QStringList &list, const QString &undoName);
    // The same without undo (what the records put back).
    bool applyCategories(FieldScope scope, int item, const QList<categoryElement> &list);
    bool applyComments(FieldScope scope, int item, const QStringList &list);

    // A namespace is switched on and off for the whole feed: the channel, the image and every
    // item together. The channel's manager tells what the feed uses.
    QStringList namespaceDescriptions() const;
    bool usesNamespace(const QString &prefix) const;
    // The prefixes of the namespaces used, in one look (the user-defined elements apart).
    QSet<QString> namespacesUsed() const;
    bool rawExtensionUsed() const;
    void addNamespace(const QString &prefix, const QString &dtd);
    void removeNamespace(const QString &prefix);
    void setRawExtensionUsed(bool used);
    // Fills the namespace's extensions with the settings' defaults for this feed.
    void populateNamespace(const QString &prefix);
    // One manager with the raw extension ("User Defined") switched on means all have it.
    void spreadRawExtension();
    // Tells the views the feed's set of extensions changed.
    void announceNamespaces();
    void forEachExtensionManager(const std::function<void(baseExtensionManager &)> &visit) const;

signals:
    // One field of the channel, an item or the image changed (outlet names the field).
    void fieldChanged(FieldScope scope, int item, const QString &outlet);
    // Items were added, removed or reordered; `selectRow` is the row to show.
    void itemListChanged(int selectRow);
    // Another feed (or the same one read again) is loaded.
    void feedReplaced(bool reloadImage);
    void entryChanged();
    // Namespaces were switched on or off, or their extensions put back.
    void namespacesChanged();
    void editedChanged(bool edited);
    void autoPubDateChanged(bool on);
    void pictureChanged();
    // A picture downloaded or opened from a file took the old one's place.
    void pictureReplacedByNew();
    // A fetch or download began or ended (pictureTransferURL tells which).
    void pictureTransferChanged();
    // The user asked to see the messages of the read ("View Log"): the log of the feed loaded.
    void parseLogRequested(const FeedDocument::ParseLog &log);

private:
    void install(std::shared_ptr<VLXFeed> feed, const FeedListEntry &entry, bool rereading);
    void fillMissingImageSize();
    // The picture of the image URL has given the image its size (filled in, or shown with it):
    // kept in the entry, so that it holds for the next load too.
    void pictureSized();
    // What a picture on its way is for.
    enum class PicturePurpose {
        Load, // the picture of the feed just loaded: no undo step
        Download, // the user's download: one undo step
        Open, // a file the user opened: one undo step
        Drop, // a file or bytes dropped on the picture: one undo step
    };
    struct PictureFetch;
    std::unique_ptr<PictureFetch> newFetch(PicturePurpose purpose, const QString &url,
                                           const QString &actionName);
    void startPictureFetch(std::unique_ptr<PictureFetch> fetch);
    // Decodes the fetch's file, or else the bytes, on a worker.
    void startDecoding(std::unique_ptr<PictureFetch> fetch, const QByteArray &bytes);
    void pictureArrived(quint64 generation, const QImage &picture, const QString &problem);
    void pictureRefused(const PictureFetch &fetch, const QString &problem);
    // A new feed is loaded: the picture, its origin and the failures told belong to the one before.
    void forgetPictureOfLoad();

    std::shared_ptr<VLXFeed> m_feed;
    FeedListEntry m_entry;
    QByteArray m_bytes;
    QString m_text; // a mended text, or one read without bytes
    QImage m_picture;
    VLXUndoManager *m_undo = nullptr;
    bool m_imageEdited = false;
    bool m_pubDatesFrozen = false;
    int m_shownItem = -1;
    std::unique_ptr<PictureFetch> m_fetch;
    quint64 m_fetchGeneration = 0;
    QString m_pictureAddress;
    bool m_pictureAsRead = false;
    // The addresses whose fetch failed and was told while this feed is loaded.
    QSet<QString> m_failedPictureAddresses;
};
