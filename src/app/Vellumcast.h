#pragma once

#include "ui/VLXListBoxDelegate.h"
#include "ui/VLXTableDataSource.h"

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

class Controller;
class DefaultsStore;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QTabWidget;
class QToolBar;
class QWidget;
class VLXFeed;
class VLXItems;
class VLXListBox;
class VLXTableView;
class EditTracker;
class VLXUndoManager;
struct UndoRecord;

// The one window controller: the feed list, the feed loaded for editing, the editor tabs of
// channel, items and image, the toolbars and menus. Other parts of the program reach the loaded
// feed and the list through the class-level accessors.
//
// Commands are QActions found by name (`command("newDocument")`). A command gets its behaviour from
// setCommandHandler(); until then it stays disabled, so the menus never offer what cannot be done.
class Vellumcast : public QObject, public VLXListBoxDelegate, public VLXTableDataSource
{
    Q_OBJECT
public:
    enum Tab { FeedsTab = 0, ItemsTab = 1, ImageTab = 2 };

    explicit Vellumcast(QObject *parent = nullptr);
    ~Vellumcast() override;

    // The single instance; made on first use.
    static Vellumcast *sharedInstance();
    static Vellumcast *existingInstance();

    // First display: builds the window, reads the feed list, selects a feed or the sample.
    void showVellumcastWindow(Controller *delegate);
    QMainWindow *window() const { return m_documentWindow; }
    Controller *feedController() const { return m_feedController; }

    // An outlet of the window by name (every control's objectName is its outlet name).
    template<typename T = QWidget> T *outlet(const QString &name) const;

    // The feed list (entries: "feedFileName", "feedURL", "isTransient", "UniqueIdentifier", ...).
    const QList<QVariantMap> &currentListOfFeeds() const { return m_listOfFeeds; }
    void archiveCurrentFeedList();
    void addFeed(const QVariantMap &entry);
    void removeDuplicateFeed(const QString &url);
    void removeFeedFromList(int row);
    static QVariantMap newFeedEntry(const QString &fileName, const QString &url, bool transient);

    void openFeedAtPathWrapper(const QString &path);
    void openFeedAtPath(const QString &path);
    void feedWizardIfNeeded();
    void feedWizardIfNeededAfterDelay();
    // Loads the feed at the URL into the editor.
    void populateFeedFromURL(const QString &url);

    // Before quitting or closing: stores the toolbar layouts and the frame; false keeps running.
    bool shouldTerminate();
    // Questions asked before quitting and before another feed is shown (unsaved changes);
    // false keeps things as they are.
    void setQuitQuestion(std::function<bool()> question) { m_quitQuestion = std::move(question); }
    void setLeaveQuestion(std::function<bool()> question) { m_leaveQuestion = std::move(question); }
    QString sampleFeedPath() const;
    bool isTerminating() const { return m_terminating; }

    // Model to window.
    std::shared_ptr<VLXFeed> currentFeed() const { return m_feed; }
    void setCurrentFeed(std::shared_ptr<VLXFeed> feed);
    void updateInterface(bool reloadImage);
    void populateItem(int index);
    void updateExtensionTabs();

    // Accessors for the rest of the program.
    QVariant currentFeedObjectForKey(const QString &key) const;
    void currentFeedSetObject(const QVariant &value, const QString &key);
    void currentFeedRemoveObjectForKey(const QString &key);
    int selectedItemRow() const;
    bool isDescendantOfItemTabs(const QWidget *view) const;
    void selectFeed();
    void reloadItemTable();
    int lastFeedViewed() const { return m_lastFeedViewed; }
    int previousFeedViewed() const { return m_previousFeedViewed; }
    int tabsFeedsIndex() const { return m_tabsFeedsIndex; }

    // The status line and what other windows put beside it.
    void setStatusText(const QString &text);
    QString statusText() const;
    void addButtonToStatusLine(QWidget *view);
    void removeButtonToStatusLine(QWidget *view);
    bool helpForField(const QString &anchor);

    // Commands.
    QAction *command(const QString &name) const { return m_commands.value(name); }
    void setCommandHandler(const QString &name, std::function<void()> handler);
    bool hasCommandHandler(const QString &name) const { return m_handlers.contains(name); }
    // Applies the enabling rules of every menu command and toolbar item.
    void validateCommands();

    // Toolbars: one per tab, as a list of item identifiers.
    static QStringList defaultToolbarItems(int tab);
    static QStringList allowedToolbarItems(int tab);
    static QString toolbarKey(int tab);
    QStringList toolbarConfiguration(int tab) const { return m_toolbarConfigurations.value(tab); }
    void setToolbarConfiguration(int tab, const QStringList &identifiers);
    // Stores the shown toolbar's layout as the tab's (removing the key when it is the default).
    void storeToolbarConfiguration(int tab);
    QToolBar *currentToolbar() const { return m_currentToolbar; }

    // VLXListBoxDelegate
    int numberOfRowsInListBox(VLXListBox *listBox) override;
    QString listBoxObjectValueForRow(VLXListBox *listBox, int row) override;
    bool listBoxShouldSelectRow(VLXListBox *listBox, int row) override;
    void listBoxNewRowSelected(VLXListBox *listBox, int row) override;
    Qt::DropActions listBoxValidateDrop(VLXListBox *listBox, const QMimeData *data) override;
    bool listBoxAcceptDrop(VLXListBox *listBox, const QMimeData *data) override;

    // VLXTableDataSource
    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;
    // Item rows are dragged within the item table; feeds (URLs) may be dropped on it.
    QStringList tableViewDragTypes(VLXTableView *table) override;
    bool tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data) override;
    Qt::DropAction tableViewValidateDrop(VLXTableView *table, const QMimeData *data, int row) override;
    bool tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row) override;

    static DefaultsStore &userDefaults();

    // --- Edit tracking, undo and field commit (Vellumcast+Editing.cpp) -----------------------
    // The window's one undo stack; every editor registers its records here.
    VLXUndoManager *undoManager();
    static VLXUndoManager *sharedUndoManager();
    EditTracker *editTracker();
    // Ends the edit in progress so that an action sees the committed model.
    void finalizeChanges();
    static void sharedFinalizeChanges();
    void undo();
    void redo();
    bool isDocumentEdited() const;
    void setDocumentEdited(bool edited);
    void setDocumentEdited(bool edited, bool flushUndos);
    bool isImageEdited() const { return m_imageEdited; }
    void setImageEdited(bool edited) { m_imageEdited = edited; }
    static QString undoActionNameForControl(const QString &outletName);
    static QString undoActionNameForText(const QString &outletName);
    // The check made when a field is left: answers the trimmed (or repaired) text to keep.
    QString controlIsValidObject(QWidget *control, const QString &proposed);
    void updateControlMemoryStructure(QWidget *control, const QString &value, int itemIndex);
    void updateTextMemoryStructure(QWidget *view, const QString &value, int itemIndex);
    void updateGUIDStructure(const QString &guid, int isPerma, int itemIndex);
    // Empty when the file was taken, else an alert title and message.
    QStringList newLocalEnclosureFile(const QString &path, int itemIndex);
    void feedSkipHoursChanged(int tag);
    void feedSkipDaysChanged(int tag);
    void feedLanguageChanged();
    void itemGUIDIsPermaChanged();
    void updateFeedAutoPubDate();
    void updateAutoPubDateForItem(VLXItems *item);
    void updateAutoPubDateForItemAtIndex(int index);
    void updateFeedPubDateDisplay(const QString &date);
    void updateItemPubDateDisplay(const QString &date, int itemIndex);
    void setPubDatesFrozen(bool frozen) { m_pubDatesFrozen = frozen; }
    bool pubDatesFrozen() const { return m_pubDatesFrozen; }
    // Undo records of the window (registered before the change they take back).
    UndoRecord itemChangeUndoRecord(int selectedRow);
    UndoRecord viewXMLUndoRecord(const QString &xml);
    void registerUndo(UndoRecord record, const QString &actionName);

    // --- Opening (Vellumcast+Opening.cpp) ----------------------------------------------------
    // 0 when the user abandoned the text, 1 otherwise.
    int actuallyOpenFile(const QString &path, const QUrl &url, const QString &text, int transient);
    int populateFeedFromString(const QString &text, bool reloadImage, bool validate = true,
                               bool hideErrors = false);
    // Reads the loaded feed again from a text (undo of a raw edit, Replace All, Revert): what
    // the text does not hold (local enclosure files, upload times) is carried over.
    int reparseLoadedFeed(const QString &text);
    // The text at a file or web address, or nothing after telling the user why.
    std::optional<QString> fetchFeedText(const QUrl &url);
    // The editor offered to mend a text that is not a feed (answers the mended text, nothing
    // when closed without saving); tests and the XML source window install theirs.
    using XMLSourceEditor = std::function<std::optional<QString>(const QString &)>;
    static void setXMLSourceEditor(XMLSourceEditor editor);
    // Edits a text in the XML source editor; nothing when it was closed without saving.
    static std::optional<QString> editXMLText(const QString &text);

    // --- Saving (Vellumcast+Saving.cpp) ------------------------------------------------------
    bool checkRequiredFields();
    bool actualSaveDocument(int row);
    // The chosen file's URL, empty when cancelled or when the save failed.
    QUrl actualSaveDocumentAs(int row);
    bool writeFeedToPath(const QString &path, QVariantMap &entry);
    // Asks about unsaved image and feed changes before leaving the loaded feed ("opening another
    // feed") or quitting ("exit"); false keeps everything as it is.
    bool askToSaveChanges(bool quitting);

    // --- Item table drags (Vellumcast+Editing.cpp) -------------------------------------------
    bool moveItem(int sourceRow, int dropRow);

signals:
    void feedListChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Window set-up (Vellumcast+Window.cpp).
    void buildWindow();
    QWidget *buildFeedsTab();
    QWidget *buildItemsTab();
    QWidget *buildImageTab();
    void setHelpAnchors();
    void restoreWindowFrame();
    void saveWindowFrame();
    // Menus and toolbars (Vellumcast+Commands.cpp).
    void buildCommands();
    void buildMenus();
    void setupToolbar();
    void showToolbar(int tab);
    void updateTabAvailability();
    void setFieldText(const QString &name, const QString &text);
    void updateImage(bool reloadImage);
    const VLXItems *selectedItem() const;
    bool isItAFeed(const QString &path) const;
    // Puts what the feed-list entry keeps (publication times, local enclosures) into the feed.
    void applyEntryToFeed(const QVariantMap &entry);
    QAction *toolbarAction(const QString &identifier);
    void runCommand(const QString &name);
    void tabChanged(int index);
    void editCommand(const char *slot);

    QPointer<QMainWindow> m_documentWindow;
    Controller *m_feedController = nullptr;
    std::shared_ptr<VLXFeed> m_feed;
    QList<QVariantMap> m_listOfFeeds;
    int m_lastFeedViewed = -1;
    int m_previousFeedViewed = -1;
    bool m_openSampleXml = false;
    bool m_terminating = false;
    int m_tabsFeedsIndex = 0;
    QString m_dataFromFile;
    bool m_imageEdited = false;
    int m_shownItem = -1;
    QPointer<QWidget> m_itemsExtensionsTab;
    QPointer<QWidget> m_imageExtensionsTab;
    QPointer<QLabel> m_statusText;

    QHash<QString, QAction *> m_commands;
    QHash<QString, std::function<void()>> m_handlers;
    QHash<QString, QAction *> m_toolbarItems;
    QToolBar *m_currentToolbar = nullptr;
    QHash<int, QStringList> m_toolbarConfigurations;
    std::function<bool()> m_quitQuestion;
    std::function<bool()> m_leaveQuestion;

    // Editing state (Vellumcast+Editing.cpp).
    void setUpEditing();
    void setUpDocumentCommands();
    void endEditingOf(QWidget *control, const QString &startText, const QString &newText);
    UndoRecord controlUndoRecord(const QString &control, const QString &restore,
                                 const QString &other, int row, const QString &feedDate,
                                 const QString &itemDate, int autoState);
    UndoRecord textUndoRecord(const QString &view, const QString &restore, const QString &other,
                              int row, const QString &feedDate, const QString &itemDate,
                              int autoState);
    UndoRecord guidUndoRecord(const QString &guid, int isPerma, int row, const QString &feedDate,
                              const QString &itemDate, int autoState);
    UndoRecord buttonUndoRecord(bool hours, int tag, int state, const QString &feedDate);
    UndoRecord languageUndoRecord(const QString &code, const QString &feedDate);
    UndoRecord localEnclosureUndoRecord(int index, const QString &length, const QString &type,
                                        const QString &path, const QDateTime &lastUpload);
    UndoRecord imageUndoRecord(const QImage &image, const QString &width, const QString &height,
                               bool imageEdited);
    void imageURLChanged(const QString &url);
    void showItemFieldIfSelected(const QString &control, const QString &text, int row);
    int autoPubDateState() const;
    void setAutoPubDateState(int state);
    VLXUndoManager *m_undoManager = nullptr;
    EditTracker *m_editTracker = nullptr;
    bool m_pubDatesFrozen = false;
    bool m_reparsingLoadedFeed = false;
    QString m_startXML; // the text written by the last save
    QString m_rawString;
};

template<typename T> T *Vellumcast::outlet(const QString &name) const
{
    if (!m_documentWindow)
        return nullptr;
    return m_documentWindow->findChild<T *>(name);
}
