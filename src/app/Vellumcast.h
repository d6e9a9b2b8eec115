#pragma once

#include "ui/VLXListBoxDelegate.h"
#include "ui/VLXTableDataSource.h"

#include <QHash>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

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

    static DefaultsStore &userDefaults();

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
};

template<typename T> T *Vellumcast::outlet(const QString &name) const
{
    if (!m_documentWindow)
        return nullptr;
    return m_documentWindow->findChild<T *>(name);
}
