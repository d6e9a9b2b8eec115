#pragma once

#include "app/WindowServices.h"
#include "app/XMLSourceEditing.h"
#include "document/FeedDocument.h"
#include "document/FeedListEntry.h"
#include "document/UndoRecord.h"
#include "ui/VLXListBoxDelegate.h"

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class ChannelPane;
class Controller;
class DefaultsStore;
class DocumentActions;
class EditTracker;
class ExtensionActions;
class FeedListModel;
class FeedOpening;
class FeedSaving;
class FindReplace;
class HTMLEditing;
class ImageActions;
class ImagePane;
class ItemActions;
class ItemsPane;
class LoadRunner;
class OPMLTool;
class OutputActions;
class ParseLogPanel;
class PublishHandOff;
class QLabel;
class QMimeData;
class ToolHandOffs;
class ValidationActions;
class VLXFeed;
class VLXItems;
class VLXListBox;
class VLXUndoManager;
class WindowCommands;

// The one feed window: the feed list on the left of the feed tab, and the three panes that edit
// the loaded document (ChannelPane, ItemsPane, ImagePane); its menus and toolbars; the roads that
// show feeds. The loaded feed, its list entry and its undo stack are the FeedDocument's; the list
// of feeds is the FeedListModel's.
//
// The window is a thin front: the action families stand beside it as classes of their own over
// the document and the window's services (WindowServices), and the commands are the
// WindowCommands'. The operations named here are the window controller's as the rest of the
// program knows them; most forward to the document, the list, a pane or an action class.
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
    LoadRunner *loadRunner() const override { return m_loader; }
    FeedListModel *feedList() const override { return m_feedList; }
    EditTracker *editTracker() const override { return m_editTracker; }
    ChannelPane *channelPane() const { return m_channelPane; }
    ItemsPane *itemsPane() const override { return m_itemsPane; }
    ImagePane *imagePane() const override { return m_imagePane; }

    // The action families beside the window.
    WindowCommands &commands() const { return *m_commands; }
    FeedOpening &opening() const { return *m_opening; }
    FeedSaving &saving() const { return *m_saving; }
    DocumentActions &documentActions() const { return *m_documentActions; }
    ItemActions &itemActions() const { return *m_itemActions; }
    ImageActions &imageActions() const { return *m_imageActions; }
    ExtensionActions &extensionActions() const { return *m_extensionActions; }
    ValidationActions &validation() const { return *m_validation; }
    ParseLogPanel &parseLog() const { return *m_parseLog; }
    ToolHandOffs &tools() const { return *m_tools; }
    FindReplace &findReplace() const { return *m_findReplace; }
    OutputActions &output() const { return *m_output; }
    PublishHandOff &publishing() const { return *m_publishing; }
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
    // While a feed is being read or put in place, with the window's events let through.
    bool isPlacingFeed() const { return m_placingFeed > 0; }
    void feedWizardIfNeeded();
    void feedWizardIfNeededAfterDelay();

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

    // --- The status line and what other windows put beside it ----------------------------------
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

    static DefaultsStore &userDefaults();

    // --- The one undo stack, the edited marks and the automatic dates --------------------------
    VLXUndoManager *undoManager();
    // Ends the edit in progress so that an action sees the committed model.
    void finalizeChanges() override;
    void undo();
    void redo();
    bool isDocumentEdited() const;
    void setDocumentEdited(bool edited);
    void setDocumentEdited(bool edited, bool flushUndos);
    bool isImageEdited() const;
    void setImageEdited(bool edited);
    void registerUndo(UndoRecord record, const QString &actionName);
    void updateFeedAutoPubDate();
    void updateAutoPubDateForItem(VLXItems *item);
    void updateAutoPubDateForItemAtIndex(int index);
    void updateFeedPubDateDisplay(const QString &date);
    void updateItemPubDateDisplay(const QString &date, int itemIndex);

    // The XML source window (XMLSourceEditing) over the feed window.
    using XMLSourceEditor = XMLSourceEditing::Editor;
    static void setXMLSourceEditor(XMLSourceEditor editor);
    static std::optional<QString> editXMLText(const XMLSourceRequest &request);

    // --- For the item import, the publisher and the namespace panes ----------------------------
    void insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                     const QString &undoName);
    const std::shared_ptr<OPMLTool> &opmlTool() const;
    void editWYSIWYG(const FeedField &field, int row, const QString &title);

signals:
    void feedListChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // WindowServices
    int selectedFeedRow() const override;
    void selectFeedRow(int row, bool notify) override;
    void selectDocumentRow() override;
    void updateTabAvailability() override;
    void setWindowTitleFromEntry() override;
    void rememberPreviousEntry() override;
    void forgetPreviousEntry() override { m_previousEntry.clear(); }
    void dropLeftNewEntry() override;
    void placingFeed(int change) override { m_placingFeed += change; }
    void showSelectedTab(int tab) override;
    void runCommand(const QString &name) override;

    // Window set-up (Vellumcast+Window.cpp).
    void buildWindow();
    void setHelpAnchors();
    void restoreWindowFrame();
    void saveWindowFrame();
    void connectDocument();
    void tabChanged(int index);
    // After the window's first paint: the first listed feed whose file is a feed is loaded
    // (unless a feed was opened meanwhile), else the sample; then the wizard's offer.
    void openRememberedFeed();

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
    LoadRunner *m_loader = nullptr;
    // The action families, children of the window controller.
    WindowCommands *m_commands = nullptr;
    ParseLogPanel *m_parseLog = nullptr;
    ImageActions *m_imageActions = nullptr;
    FeedSaving *m_saving = nullptr;
    FeedOpening *m_opening = nullptr;
    DocumentActions *m_documentActions = nullptr;
    ItemActions *m_itemActions = nullptr;
    ExtensionActions *m_extensionActions = nullptr;
    ValidationActions *m_validation = nullptr;
    ToolHandOffs *m_tools = nullptr;
    FindReplace *m_findReplace = nullptr;
    OutputActions *m_output = nullptr;
    PublishHandOff *m_publishing = nullptr;
    HTMLEditing *m_htmlEditing = nullptr;
    // Above 0 while a feed is being put in place: the document may hold it before the list does,
    // and the events let through meanwhile (a status shown, an alert) must not take that for a
    // window without a feed.
    int m_placingFeed = 0;
    bool m_openSampleXml = false;
    bool m_terminating = false;
    bool m_startingUp = false;
    int m_tabsFeedsIndex = 0;
    QString m_previousEntry; // identifier of the entry shown before an open or selection
    std::function<bool()> m_quitQuestion;
    std::function<bool()> m_leaveQuestion;
};
