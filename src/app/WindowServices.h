#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

class EditTracker;
class FeedDocument;
class FeedListModel;
class ImagePane;
class ItemsPane;
class LoadRunner;
class QAction;

// What the feed window offers the action classes that stand beside it: the window and its
// controls, the document, the status line, the commands, the tabs, and the feed list as the
// window shows it. The action classes own their own state and reach the window only through this.
class WindowServices
{
public:
    enum Tab { FeedsTab = 0, ItemsTab = 1, ImageTab = 2 };
    // The outlets of the window's own controls: the feed list and the feed tab's split view.
    static constexpr QLatin1String kFeedList {"Feeds_Required_Files"};
    static constexpr QLatin1String kFeedsSplitView {"Feeds_SplitView"};

    virtual ~WindowServices() = default;

    virtual QMainWindow *window() const = 0;
    virtual FeedDocument *document() const = 0;
    virtual EditTracker *editTracker() const = 0;
    virtual ItemsPane *itemsPane() const = 0;
    virtual ImagePane *imagePane() const = 0;
    // Runs long work on the window's worker behind its progress dialog.
    virtual LoadRunner *loadRunner() const = 0;
    // A control of the window by its outlet name (its objectName).
    template<typename T = QWidget> T *outlet(const QString &name) const
    {
        QMainWindow *shown = window();
        return shown ? shown->findChild<T *>(name) : nullptr;
    }

    // Ends the edit in progress so that an action sees the committed model.
    virtual void finalizeChanges() = 0;

    // The status line.
    virtual void setStatusText(const QString &text) = 0;
    virtual QString statusText() const = 0;
    virtual void addButtonToStatusLine(QWidget *view) = 0;
    virtual void removeButtonToStatusLine(QWidget *view) = 0;
    // The help book at a topic; false when it could not be shown.
    virtual bool helpForField(const QString &anchor) = 0;

    // Commands, found by name; a command is offered once it has a handler.
    virtual QAction *command(const QString &name) const = 0;
    virtual void setCommandHandler(const QString &name, std::function<void()> handler) = 0;
    virtual bool hasCommandHandler(const QString &name) const = 0;
    virtual void runCommand(const QString &name) = 0;
    virtual void validateCommands() = 0;

    // The tabs and the item shown.
    virtual int tabsFeedsIndex() const = 0;
    virtual void showSelectedTab(int tab) = 0;
    virtual int selectedItemRow() const = 0;
    virtual void populateItem(int index) = 0;

    // The feed list as the window shows it. The loaded feed's entry is always the selected row.
    virtual FeedListModel *feedList() const = 0;
    virtual int selectedFeedRow() const = 0;
    virtual void selectFeedRow(int row, bool notify) = 0;
    virtual void selectDocumentRow() = 0;
    virtual int lastFeedViewed() const = 0;
    virtual void archiveCurrentFeedList() = 0;
    virtual void removeFeedFromList(int row) = 0;
    virtual void updateTabAvailability() = 0;
    virtual void setWindowTitleFromEntry() = 0;
    // The entry shown before an open began; a new feed never saved that was left is dropped.
    virtual void rememberPreviousEntry() = 0;
    virtual void forgetPreviousEntry() = 0;
    virtual void dropLeftNewEntry() = 0;
    // Above 0 while a feed is being put in place (see PlacingFeed).
    virtual void placingFeed(int change) = 0;
    virtual bool isTerminating() const = 0;
};

// While a feed is being put in place the document may hold it before the list does: the events
// let through meanwhile must not take that for a window without a feed.
class PlacingFeed
{
public:
    explicit PlacingFeed(WindowServices &window) : m_window(window) { m_window.placingFeed(1); }
    ~PlacingFeed() { m_window.placingFeed(-1); }
    PlacingFeed(const PlacingFeed &) = delete;
    PlacingFeed &operator=(const PlacingFeed &) = delete;

private:
    WindowServices &m_window;
};
