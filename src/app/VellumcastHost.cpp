#include "app/VellumcastHost.h"

#include "app/Vellumcast.h"
#include "panes/OPMLTool.h"

namespace {
// The window every call goes to; current() answers the host only while it exists.
Vellumcast &shown()
{
    return *Vellumcast::existingInstance();
}

VellumcastHost &host()
{
    static VellumcastHost instance;
    return instance;
}

// Installed from the start of every program that has the window (the window's constructor
// calls install() too, which keeps this file in such a program): the XML source editor the
// window's class was given serves the panes also before a window exists, as the panes of the
// preferences' default values need.
const bool kInstalledAtStart = (VellumcastHost::install(), true);
} // namespace

void VellumcastHost::install()
{
    WindowHost::install(
        []() -> WindowHost * { return Vellumcast::existingInstance() ? &host() : nullptr; },
        &Vellumcast::editXMLText);
    PublishHost::install(
        []() -> PublishHost * { return Vellumcast::existingInstance() ? &host() : nullptr; });
}

QMainWindow *VellumcastHost::window() const
{
    return shown().window();
}

FeedDocument *VellumcastHost::document() const
{
    return shown().document();
}

std::shared_ptr<VLXFeed> VellumcastHost::currentFeed() const
{
    return shown().currentFeed();
}

int VellumcastHost::selectedItemRow() const
{
    return shown().selectedItemRow();
}

bool VellumcastHost::isDescendantOfItemTabs(const QWidget *view) const
{
    return shown().isDescendantOfItemTabs(view);
}

void VellumcastHost::finalizeChanges()
{
    shown().finalizeChanges();
}

void VellumcastHost::registerUndo(UndoRecord record, const QString &actionName)
{
    shown().registerUndo(std::move(record), actionName);
}

void VellumcastHost::updateFeedAutoPubDate()
{
    shown().updateFeedAutoPubDate();
}

void VellumcastHost::updateAutoPubDateForItemAtIndex(int index)
{
    shown().updateAutoPubDateForItemAtIndex(index);
}

void VellumcastHost::updateFeedPubDateDisplay(const QString &date)
{
    shown().updateFeedPubDateDisplay(date);
}

void VellumcastHost::updateItemPubDateDisplay(const QString &date, int itemIndex)
{
    shown().updateItemPubDateDisplay(date, itemIndex);
}

void VellumcastHost::editWYSIWYG(const FeedField &field, int row, const QString &title)
{
    shown().editWYSIWYG(field, row, title);
}

void VellumcastHost::insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                                 const QString &undoName)
{
    shown().insertItems(items, row, undoName);
}

QVariant VellumcastHost::currentFeedObjectForKey(const QString &key) const
{
    return shown().currentFeedObjectForKey(key);
}

void VellumcastHost::currentFeedSetObject(const QVariant &value, const QString &key)
{
    shown().currentFeedSetObject(value, key);
}

void VellumcastHost::archiveCurrentFeedList()
{
    shown().archiveCurrentFeedList();
}

void VellumcastHost::addButtonToStatusLine(QWidget *view)
{
    shown().addButtonToStatusLine(view);
}

void VellumcastHost::removeButtonToStatusLine(QWidget *view)
{
    shown().removeButtonToStatusLine(view);
}

bool VellumcastHost::hasOPMLList() const
{
    return shown().opmlTool() != nullptr;
}

void VellumcastHost::showOPMLList(QWidget *parent)
{
    shown().opmlTool()->showOPMLList(parent, shown().currentListOfFeeds());
}
