#pragma once

#include "app/FeedDocument.h"
#include "app/FeedListEntry.h"
#include "app/UndoRecord.h"
#include "app/WindowServices.h"
#include "app/XMLSourceEditing.h"
#include "editors/XMLSourceRequest.h"
#include "ui/VLXListBoxDelegate.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class ChannelPane;
class Controller;
class FeedWizardTool;
class ItemImportTool;
class LicencePasteTool;
class OPMLTool;
class PreferencesTool;
class DefaultsStore;
class EditTracker;
class ExportSheet;
class FeedListModel;
class LoadRunner;
class FeedSearchWalk;
class ImagePane;
class ItemsPane;
class QAction;
class QLabel;
class QMimeData;
class QPrinter;
class QToolBar;
class QWidget;
class PreviewWindow;
class VLXFeed;
class VLXItems;
class VLXListBox;
class VLXParseFeed;
class VLXTableView;
class VLXUndoManager;
class WindowCommands;
class ExtensionActions;
class HTMLEditing;
class ImageActions;
class ItemActions;
class ParseLogPanel;
class WindowStatusSink;
class WYSIWYG;

// The one feed window: the feed list on the left of the feed tab, and the three panes that edit
// the loaded document (ChannelPane, ItemsPane, ImagePane); the toolbars, menus and commands; the
// roads that open, show and save feeds. The loaded feed, its list entry and its undo stack are the
// FeedDocument's; the list of feeds is the FeedListModel's.
//
// The operations named here are the window controller's as the rest of the program knows them;
// most forward to the document, the list or a pane. Commands are QActions found by name
// (`command("newDocument")`); a command gets its behaviour from setCommandHandler() and stays
// disabled until then, so the menus never offer what cannot be done.
class Vellumcast : public QObject, public VLXListBoxDelegate, public WindowServices
{
    Q_OBJECT
public:
    explicit Vellumcast(QObject *parent = nullptr);
    ~Vellumcast() override;

    // The single instance; made on first use.
    static Vellumcast *sharedInstance();
    static Vellumcast *existingInstance();

    // First display: builds the window, reads the feed list, selects a feed or the sample.
    void showVellumcastWindow(Controller *delegate);
    QMainWindow *window() const override { return m_documentWindow; }
    Controller *feedController() const { return m_feedController; }
    FeedDocument *document() const override { return m_document; }
    // Runs the window's loads on its worker thread (its progress dialog, Cancel).
    LoadRunner *loadRunner() const override { return m_loader; }
    FeedListModel *feedList() const override { return m_feedList; }
    ChannelPane *channelPane() const { return m_channelPane; }
    ItemsPane *itemsPane() const override { return m_itemsPane; }
    ImagePane *imagePane() const override { return m_imagePane; }

    // The window's commands, menus and toolbars.
    WindowCommands &commands() const { return *m_commands; }
    // The action families beside the window.
    ItemActions &itemActions() const { return *m_itemActions; }
    ImageActions &imageActions() const { return *m_imageActions; }
    ExtensionActions &extensionActions() const { return *m_extensionActions; }
    ParseLogPanel &parseLog() const { return *m_parseLog; }
    HTMLEditing &htmlEditing() const { return *m_htmlEditing; }

    // --- The feed list (entries: "feedFileName", "feedURL", "isTransient", ...) ---------------
    QList<QVariantMap> currentListOfFeeds() const;
    void archiveCurrentFeedList() override;
    void addFeed(const QVariantMap &entry);
    void removeDuplicateFeed(const QString &url);
    void removeFeedFromList(int row) override;
    static QVariantMap newFeedEntry(const QString &fileName, const QString &url, bool transient);

    void openFeedAtPathWrapper(const QString &path);
    void openFeedAtPath(const QString &path);
    // From the window's start until the remembered feed (or the sample) is loaded after the
    // window's first paint.
    bool isStartingUp() const { return m_startingUp; }
    void feedWizardIfNeeded();
    void feedWizardIfNeededAfterDelay();
    // Loads the feed at the URL into the editor (as the entry of that address, when listed).
    void populateFeedFromURL(const QString &url);

    // Before quitting or closing: stores the toolbar layouts and the frame; false keeps running.
    bool shouldTerminate();
    // Questions asked before quitting and before another feed is shown (unsaved changes);
    // false keeps things as they are.
    void setQuitQuestion(std::function<bool()> question) { m_quitQuestion = std::move(question); }
    void setLeaveQuestion(std::function<bool()> question) { m_leaveQuestion = std::move(question); }
    QString sampleFeedPath() const;
    bool isTerminating() const override { return m_terminating; }

    // --- Model to window -------------------------------------------------------------------------
    std::shared_ptr<VLXFeed> currentFeed() const;
    // Shows a feed built in memory under the loaded entry.
    void setCurrentFeed(std::shared_ptr<VLXFeed> feed);
    void updateInterface(bool reloadImage);
    void populateItem(int index) override;
    void updateExtensionTabs();

    // --- Accessors for the rest of the program ---------------------------------------------------
    // The entry of the loaded feed, which is always the selected one.
    QVariant currentFeedObjectForKey(const QString &key) const;
    void currentFeedSetObject(const QVariant &value, const QString &key);
    void currentFeedRemoveObjectForKey(const QString &key);
    int selectedItemRow() const override;
    bool isDescendantOfItemTabs(const QWidget *view) const;
    void selectFeed();
    // Shows the first item with exactly that title on the items tab; nothing when none has it.
    void selectFeedItemWithTitle(const QString &title);
    void reloadItemTable();
    // The row of the loaded feed's entry, -1 when none is listed.
    int lastFeedViewed() const override;
    // The row of the feed shown before an open or a change of selection began, or -1.
    int previousFeedViewed() const;
    int tabsFeedsIndex() const override { return m_tabsFeedsIndex; }

    // --- The status line and what other windows put beside it
    // -------------------------------------
    void setStatusText(const QString &text) override;
    QString statusText() const override;
    void addButtonToStatusLine(QWidget *view) override;
    void removeButtonToStatusLine(QWidget *view) override;
    bool helpForField(const QString &anchor) override;

    // --- Commands (WindowCommands) --------------------------------------------------------------
    QAction *command(const QString &name) const override;
    void setCommandHandler(const QString &name, std::function<void()> handler) override;
    bool hasCommandHandler(const QString &name) const override;
    void validateCommands() override;

    // VLXListBoxDelegate
    int numberOfRowsInListBox(VLXListBox *listBox) override;
    QString listBoxObjectValueForRow(VLXListBox *listBox, int row) override;
    bool listBoxShouldSelectRow(VLXListBox *listBox, int row) override;
    void listBoxNewRowSelected(VLXListBox *listBox, int row) override;
    Qt::DropActions listBoxValidateDrop(VLXListBox *listBox, const QMimeData *data) override;
    bool listBoxAcceptDrop(VLXListBox *listBox, const QMimeData *data) override;

    // The window's tables ask the pane that shows them; these answer for any of them.
    int numberOfRowsInTableView(VLXTableView *table);
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row, int role);
    bool tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data);
    Qt::DropAction tableViewValidateDrop(VLXTableView *table, const QMimeData *data, int row);
    bool tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row);

    static DefaultsStore &userDefaults();

    // --- Edit tracking, undo and field commit (Vellumcast+Editing.cpp) -----------------------
    // The window's one undo stack; every editor registers its records here.
    VLXUndoManager *undoManager();
    static VLXUndoManager *sharedUndoManager();
    EditTracker *editTracker() const override { return m_editTracker; }
    // Ends the edit in progress so that an action sees the committed model.
    void finalizeChanges() override;
    static void sharedFinalizeChanges();
    void undo();
    void redo();
    bool isDocumentEdited() const;
    void setDocumentEdited(bool edited);
    void setDocumentEdited(bool edited, bool flushUndos);
    bool isImageEdited() const;
    void setImageEdited(bool edited);
    static QString undoActionNameForControl(const QString &outletName);
    static QString undoActionNameForText(const QString &outletName);
    // The check made when a field is left: answers the trimmed (or repaired) text to keep.
    QString controlIsValidObject(QWidget *control, const QString &proposed);
    void updateControlMemoryStructure(QWidget *control, const QString &value, int itemIndex);
    void updateTextMemoryStructure(QWidget *view, const QString &value, int itemIndex);
    void updateGUIDStructure(const QString &guid, int isPerma, int itemIndex);
    void feedSkipHoursChanged(int tag);
    void feedSkipDaysChanged(int tag);
    void feedLanguageChanged();
    void itemGUIDIsPermaChanged();
    void updateFeedAutoPubDate();
    void updateAutoPubDateForItem(VLXItems *item);
    void updateAutoPubDateForItemAtIndex(int index);
    void updateFeedPubDateDisplay(const QString &date);
    void updateItemPubDateDisplay(const QString &date, int itemIndex);
    void setPubDatesFrozen(bool frozen);
    bool pubDatesFrozen() const;
    // Undo records of the window (registered before the change they take back).
    UndoRecord itemChangeUndoRecord(int selectedRow);
    // The loaded feed as a whole (a raw XML edit, Replace All): undo shows it again.
    UndoRecord viewXMLUndoRecord();
    void registerUndo(UndoRecord record, const QString &actionName);

    // --- Opening (Vellumcast+Opening.cpp) ----------------------------------------------------
    // 0 when the user abandoned the text, -1 when the file could not be read, 1 otherwise. A
    // null text is read from the URL's file or downloaded from its address.
    int actuallyOpenFile(const QString &path, const QUrl &url, const QString &text, int transient);
    // Reads a text into the loaded entry's place (a new or generated feed).
    int populateFeedFromString(const QString &text, bool reloadImage, bool validate = true,
                               bool hideErrors = false);
    // Reads the loaded feed again from a text (a raw edit, Revert): what the text
    // does not hold (local enclosure files, upload times) is carried over. 1 when the text was
    // read, 0 when the user gave it up. The read runs on the loader's worker behind its
    // progress dialog (Cancel gives it up too).
    int reparseLoadedFeed(const QString &text);
    // The same from the bytes of the feed's file as they were read (Revert).
    int rereadLoadedFeed(const QByteArray &bytes, const QString &text);
    // The XML source window (XMLSourceEditing) over the feed window.
    using XMLSourceEditor = XMLSourceEditing::Editor;
    static void setXMLSourceEditor(XMLSourceEditor editor);
    static std::optional<QString> editXMLText(const XMLSourceRequest &request);
    // What View XML asks of the window: the loaded feed's text as read beside its text now.
    XMLSourceRequest viewXMLRequest() const;

    // --- Saving (Vellumcast+Saving.cpp) ------------------------------------------------------
    // Validates the feed (on the loader's worker) and, when it does not validate, shows the
    // log and asks whether to go on. False when the user stops there or cancels.
    bool checkRequiredFields();
    // Runs work on the loader's worker behind its progress dialog, the dialog and status line
    // saying what is done with the loaded feed; on this thread when a load runs already (the
    // save a question of that load asked for). False when cancelled.
    bool runOnWorker(const std::function<void(LoadControl &)> &work, const QString &dialogTitle,
                     const QString &doing);
    // Saves the loaded feed; the row must be its entry's (no feed is ever written under another
    // entry's file).
    bool actualSaveDocument(int row);
    // After a save: the picture is no unsaved change when the saved feed shows it again.
    void settlePictureWithSave();
    // Writes a copy of the loaded feed (and its companion) to a file the user chooses; the
    // entry keeps its file, and the feed its title and edited state. The chosen file's URL,
    // empty when cancelled or when the write failed.
    QUrl actualSaveDocumentAs(int row);
    // The name a save proposes: the file's own, or for a feed never saved its title trimmed,
    // with blanks, slashes and colons made underscores.
    static QString proposedFileName(const FeedListEntry &entry, const QString &title);
    // Why the loaded feed is being left; the questions name it.
    enum class Leaving { OpeningAnother, CreatingNew, Quitting };
    // Asks about unsaved image and feed changes before the loaded feed is left; false keeps
    // everything as it is (Cancel, or a save that failed). "Don't Save" for another feed lets
    // the changes go only when that feed replaces this one: one that cannot be read leaves the
    // feed, its edited state and its undo as they were.
    bool askToSaveChanges(Leaving why);
    bool askToSaveImage(Leaving why);
    bool askToSaveFeed(Leaving why);
    // The empty-list rule: a window is never left without a feed (a new one is made).
    void ensureAFeed();

    // --- Feed list and item actions (Vellumcast+FeedActions.cpp, Vellumcast+ItemActions.cpp) ---
    // Each first commits the edit in progress; every change of the item list is one undo step
    // that puts the whole list back.
    void newDocument();
    void moveDownFeed();
    void moveUpFeed();
    void deleteFeed();

    // --- Validation and the raw source (Vellumcast+Validation.cpp) -----------------------------
    // Validates the whole feed and reports: the message panel and "Feed Doesn't Validate", or
    // "Feed Validated".
    void validateAction();
    // Edits the feed's RSS text in the XML source window and reads the feed again from it, as
    // one step "View XML Edit".
    void viewXML();

    // --- Hand-offs to the tools of other parts (Vellumcast+ToolActions.cpp) ------------------
    // A tool installs itself here (nullptr takes it out); the commands it serves are offered
    // from then on, and stay disabled until then.
    void setFeedWizard(std::shared_ptr<FeedWizardTool> wizard);
    void setPreferencesTool(std::shared_ptr<PreferencesTool> tool);
    void setItemImportTool(std::shared_ptr<ItemImportTool> tool);
    void setOPMLTool(std::shared_ptr<OPMLTool> tool);
    // The installed OPML export, null until there is one.
    const std::shared_ptr<OPMLTool> &opmlTool() const { return m_opml; }
    void setLicencePasteTool(std::shared_ptr<LicencePasteTool> tool);
    // A new feed made by the wizard, put at the top of the list (after the unsaved-changes
    // questions); the list is never left empty.
    void feedWizard();
    // The item wizard's items at the top of the list, in its order, as one step "Item Wizard".
    void itemWizard();
    void preferences();
    // One import window at a time; a second request only beeps.
    void importFeedItems();
    void importFeedItemsFromDrop(const QString &address);
    void importFeedItemsEnded();
    bool isImporting() const { return m_importing; }
    void createOPML();
    // Lets the user pick a licence and pastes its text where the user is typing.
    void pasteCreativeCommons();
    // Items put in at the row in the order given, as one undo step (ItemActions).
    void insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                     const QString &undoName);
    // The HTML editor on a field of the window (HTMLEditing).
    void editWYSIWYG(const FeedField &field, int row, const QString &title);

    // --- Publishing (Vellumcast+Publish.cpp) -------------------------------------------------
    // Hands the loaded feed to the publish sheet ("uploadFile", and "uploadImage" with the image
    // converted and shown); afterwards the entry keeps the publish dates, the local enclosure
    // files and the additional files, and the feed list is stored.
    void publish(bool expandImage);

    // --- Find and replace (Vellumcast+SearchReplace.cpp) -------------------------------------
    // The commands of the find panel (the panel's buttons reach them, or the edit sheet that a
    // search opened while it runs). The search walk keeps the position between them.
    void orderFrontFindPanel();
    void findNext();
    // Find Next from the panel: nothing while the Find text is empty.
    void findPanelNextAction();
    void findPanelReplaceAction();
    void findPanelReplaceFindAction();
    void findPanelReplaceAllAction();
    FeedSearchWalk *searchWalk() const { return m_searchWalk; }
    static void scrollToView(QWidget *control);

    // --- Item table drags --------------------------------------------------------------------
    bool moveItem(int sourceRow, int dropRow);

    // --- Export, preview, printing and sorting (Vellumcast+Export/Preview/Sort.cpp) ----------
    // The export sheet for the loaded feed, once it passed the required-field check.
    void exportFeed();
    // Opens the preview of the loaded feed; while it is open, prints it.
    void printDocument();
    // The printouts, on the shared page settings; with the panel the user picks the printer
    // first. False when nothing was printed.
    bool printDocumentUsingPrintPanel(bool showPanels); // the feed rendered as in the preview
    bool printDocumentXML(bool showPanels = true); // the feed's XML
    void runPageLayout();
    // Opens the sort sheet (nothing for a feed without items).
    void sortOpen();
    // Sorts the items as one undo step "Sort on <field>"; items already in that order change
    // nothing and leave no undo step (false). More than 2,000 items sort on the loader's worker
    // behind its progress dialog, whose Cancel leaves them as they were (false).
    bool sortItems(const QString &field, bool byNumber, bool ascending);
    // The sheets, made on first use and kept with the window.
    ExportSheet *exportSheet();
    PreviewWindow *previewWindow();

signals:
    void feedListChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // WindowServices
    int selectedFeedRow() const override;
    void selectFeedRow(int row, bool notify) override;
    void forgetPreviousEntry() override { m_previousEntry.clear(); }
    void placingFeed(int change) override { m_placingFeed += change; }
    void runCommand(const QString &name) override;
    void tabChanged(int index);

    // Window set-up (Vellumcast+Window.cpp).
    void buildWindow();
    void setHelpAnchors();
    void restoreWindowFrame();
    void saveWindowFrame();
    void connectDocument();
    // Export, preview, printing and sorting commands (Vellumcast+Preview.cpp).
    void setUpOutputCommands();
    bool printWithPanel(bool showPanels, const std::function<bool(QPrinter &)> &print);
    void updateTabAvailability() override;
    void setUpDocumentCommands();
    void setUpActions();
    void setUpValidationCommands();
    void openDocument();
    void openURL();
    // openFeedAtPath once the unsaved changes were asked about.
    void openAskedFeed(const QString &path);

    // Saving (Vellumcast+Saving.cpp).
    // Asks for a file and writes the feed there; with an entry to adopt, the entry takes the
    // file (a first save) and is written as the companion, else the loaded entry is.
    // What went wrong on the side (backups that could not move on) goes to *problem.
    QUrl writeToChosenFile(int row, FeedListEntry *adopting, QString *problem = nullptr);
    int askToSave(const QString &what, Leaving why);

    void setUpPublishing();
    void setUpPublishingLog();

    // Find and replace (Vellumcast+SearchReplace.cpp).
    void setUpFindCommands();
    void replaceInScopes(bool thenSearch);
    // A changed Find text starts the search over.
    void restartSearchIfChanged(const QString &search);
    void searchNotFound();

    // Tools (Vellumcast+ToolActions.cpp).
    void openImportWindow(const QString &startingFeed);

    // Opening (Vellumcast+Opening.cpp).
    // A text, or when the text is null the file or web address (downloaded there), with the
    // entry it belongs to, read into the document on the loader's worker while the window
    // paints and offers Cancel; the feed and its entry come in together or not at all.
    FeedDocument::LoadResult loadFeed(const QUrl &address, const QString &text,
                                      const FeedListEntry &entry, bool reloadImage,
                                      bool validate = true, bool hideErrors = false);
    // After the window's first paint: the first listed feed whose file is a feed is loaded
    // (unless a feed was opened meanwhile), else the sample; then the wizard's offer.
    void openRememberedFeed();
    // Reads the listed entry's file or address into the document; false leaves it as it was (an
    // entry whose text is abandoned is removed from the list shortly after).
    bool loadEntry(const FeedListEntry &entry);
    // The file's text with the reader that found it to be a feed, for the load that follows;
    // false when it is none, nothing when the user cancelled.
    std::optional<bool> checkFeedFile(const QString &path);
    // Keeps a user name and password of the loaded feed's address in the secret store, under
    // its identifier; says so in the status line when that is not possible.
    void rememberCredentials(const QUrl &url);
    // Before the stored list is read: addresses stored with credentials lose them to the
    // secret store; the credentials of fetched feeds, which are not listed again, are dropped.
    void moveStoredCredentials();
    void selectDocumentRow() override;
    void rememberPreviousEntry() override;
    // A new feed never saved that the user left is dropped from the list.
    void dropLeftNewEntry() override;
    void showSelectedTab(int tab) override;
    void setWindowTitleFromEntry() override;

    QPointer<QMainWindow> m_documentWindow;
    Controller *m_feedController = nullptr;
    FeedDocument *m_document = nullptr;
    FeedListModel *m_feedList = nullptr;
    EditTracker *m_editTracker = nullptr;
    ChannelPane *m_channelPane = nullptr; // the panes belong to the window
    ItemsPane *m_itemsPane = nullptr;
    ImagePane *m_imagePane = nullptr;
    QPointer<VLXListBox> m_listBox;
    QPointer<QLabel> m_statusText;
    std::shared_ptr<WindowStatusSink> m_statusSink;
    // Above 0 while a feed is being put in place: the document may hold it before the list does,
    // and the events let through meanwhile (a status shown, an alert) must not take that for a
    // window without a feed.
    int m_placingFeed = 0;
    bool m_openSampleXml = false;
    bool m_terminating = false;
    int m_tabsFeedsIndex = 0;
    QString m_previousEntry; // identifier of the entry shown before an open or selection
    struct CheckedFeed
    {
        QString path;
        QString text;
        std::shared_ptr<VLXParseFeed> reader;
    };
    std::optional<CheckedFeed> m_checked;
    LoadRunner *m_loader = nullptr;
    // The remembered feed is still to be chosen (the window has not painted yet); no feed was
    // opened otherwise meanwhile.
    bool m_startupPending = false;
    bool m_startingUp = false;

    WindowCommands *m_commands = nullptr;
    ParseLogPanel *m_parseLog = nullptr;
    ImageActions *m_imageActions = nullptr;
    ItemActions *m_itemActions = nullptr;
    ExtensionActions *m_extensionActions = nullptr;
    HTMLEditing *m_htmlEditing = nullptr;
    std::shared_ptr<FeedWizardTool> m_feedWizard;
    std::shared_ptr<PreferencesTool> m_preferences;
    std::shared_ptr<ItemImportTool> m_itemImport;
    std::shared_ptr<OPMLTool> m_opml;
    std::shared_ptr<LicencePasteTool> m_licencePaste;
    bool m_importing = false;
    FeedSearchWalk *m_searchWalk = nullptr;
    std::function<bool()> m_quitQuestion;
    std::function<bool()> m_leaveQuestion;
};
