#pragma once

#include "document/FeedField.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class EditTracker;
class FeedDocument;
class QTabWidget;
class baseExtensionManager;
class extensionNSRaw;

// The pane of one extension in the extension tabs of the channel, the items or the image. The
// item tabs are made from item 0's extensions and show whichever item is shown, so a pane is
// handed the extension object of the item shown (setExtension) and loads it (loadData).
class ExtensionPane : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void setExtension(std::shared_ptr<extensionNSRaw> extension) = 0;
    virtual void loadData() = 0;
    // Whether this is the kind of pane ExtensionTabs::makePane makes for the extension, so that
    // it can show the extension in place of a new one.
    virtual bool fits(const std::shared_ptr<extensionNSRaw> &extension) const = 0;
};

// Builds and fills the tabs of the namespace extensions. A namespace class gets a pane made from
// its field table (ExtensionFieldPane), or the one its folder registers under its extension name
// ("itunes", "dc", ...) when the table alone does not say everything; an extension kept as raw
// XML (other namespaces, and known ones whose class has not arrived) gets the raw XML pane.
class ExtensionTabs
{
public:
    struct Context
    {
        FeedDocument *document;
        EditTracker *tracker;
        FieldScope scope;
        std::function<int()> item; // the item shown (item tabs)
    };
    using PaneFactory = std::function<ExtensionPane *(std::shared_ptr<extensionNSRaw> extension,
                                                      const Context &context)>;
    static void registerPane(const QString &extensionName, PaneFactory factory);

    // The pane of one extension object: its folder's own, the one its field table makes, or the
    // raw XML pane. Outside the feed window (no document) its edits are only applied.
    static ExtensionPane *makePane(const QString &extensionName,
                                   std::shared_ptr<extensionNSRaw> extension,
                                   const Context &context);

    // Rebuilds the tabs after the first `keep` ones: one per extension of the manager. Tabs that
    // already show the same extensions, in the same order, keep their panes, which are handed
    // the manager's objects.
    static void rebuild(QTabWidget *tabs, const baseExtensionManager *manager, int keep,
                        const Context &context);
    // Shows each extension of the manager in the tab of the same position after `first`.
    static void show(QTabWidget *tabs, const baseExtensionManager *manager, int first);
    // Takes the "Extensions" tab out of a sub-tab view (holding it), or puts it back at index 2.
    static void showExtensionsTab(QTabWidget *sub, QPointer<QWidget> &held, bool show);
};

// Enters the panes of the namespace folders (src/extensions); called once, on first use.
void registerExtensionPanes();
