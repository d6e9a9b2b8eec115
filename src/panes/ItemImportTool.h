#pragma once

#include <QString>
#include <functional>

class QWidget;

// The import of items from another feed into the loaded one. It installs itself with
// ToolHandOffs::setItemImportTool(); until then the import command stays disabled. The imported
// items go in through Vellumcast::insertItems(), one undo step.
class ItemImportTool
{
public:
    virtual ~ItemImportTool() = default;
    // Shows the (non-modal) import window for the loaded feed, named by its list entry's file
    // name; `startingFeed` is the address of a feed dropped on the window, or empty. `ended` is
    // to be called once when the window closes. False when it could not be shown.
    virtual bool showImportWindow(QWidget *window, const QString &destinationFeed,
                                  const QString &startingFeed, std::function<void()> ended)
        = 0;
};
