#pragma once

#include "document/UndoRecord.h"
#include "editors/XMLSourceRequest.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class FeedDocument;
class FeedField;
class QMainWindow;
class QWidget;
class VLXFeed;
class VLXItems;

// What the panes and the tools beside the feed window ask of it: its document and feed, the
// item it shows, its undo steps, its editors and its status line. The window provides it
// (install(), made by the window's class); while no feed window exists current() is null, and
// the panes do without, as the panes of the preferences' default values always do.
class WindowHost
{
public:
    virtual ~WindowHost() = default;

    // The host of the feed window while one exists, else null.
    static WindowHost *current();
    // The XML source editor as the window runs it, or over no window when none is installed.
    // Nothing when cancelled.
    static std::optional<QString> editXMLText(const XMLSourceRequest &request);
    using CurrentHost = WindowHost *(*)();
    using XMLEditor = std::optional<QString> (*)(const XMLSourceRequest &request);
    static void install(CurrentHost current, XMLEditor editor);

    virtual QMainWindow *window() const = 0;
    virtual FeedDocument *document() const = 0;
    virtual std::shared_ptr<VLXFeed> currentFeed() const = 0;
    // The row of the item the item tabs show, and whether a view is inside those tabs.
    virtual int selectedItemRow() const = 0;
    virtual bool isDescendantOfItemTabs(const QWidget *view) const = 0;

    // Ends the edit in progress, so that what follows sees the committed model.
    virtual void finalizeChanges() = 0;
    virtual void registerUndo(UndoRecord record, const QString &actionName) = 0;
    // The automatic publication dates after a change, and the shown dates after an undo.
    virtual void updateFeedAutoPubDate() = 0;
    virtual void updateAutoPubDateForItemAtIndex(int index) = 0;
    virtual void updateFeedPubDateDisplay(const QString &date) = 0;
    virtual void updateItemPubDateDisplay(const QString &date, int itemIndex) = 0;
    // The window's HTML editor on a field of the document (row -1: the channel).
    virtual void editWYSIWYG(const FeedField &field, int row, const QString &title) = 0;
    // Items put in at the row in the order given, as one undo step.
    virtual void insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                             const QString &undoName)
        = 0;

    // The loaded feed's per-feed values kept in the feed list, and the list stored.
    virtual QVariant currentFeedObjectForKey(const QString &key) const = 0;
    virtual void currentFeedSetObject(const QVariant &value, const QString &key) = 0;
    virtual void archiveCurrentFeedList() = 0;

    virtual void addButtonToStatusLine(QWidget *view) = 0;
    virtual void removeButtonToStatusLine(QWidget *view) = 0;
};
