#pragma once

#include "panes/WindowHost.h"
#include "publish/PublishHost.h"

// The feed window as the panes, the tools and the publishing windows reach it: every call goes
// to the one Vellumcast there is, and the hosts are null while there is none. Installed when the
// program starts and again by that window when it is made.
class VellumcastHost final : public WindowHost, public PublishHost
{
public:
    static void install();

    QMainWindow *window() const override;
    FeedDocument *document() const override;
    std::shared_ptr<VLXFeed> currentFeed() const override;
    int selectedItemRow() const override;
    bool isDescendantOfItemTabs(const QWidget *view) const override;
    void finalizeChanges() override;
    void registerUndo(UndoRecord record, const QString &actionName) override;
    void updateFeedAutoPubDate() override;
    void updateAutoPubDateForItemAtIndex(int index) override;
    void updateFeedPubDateDisplay(const QString &date) override;
    void updateItemPubDateDisplay(const QString &date, int itemIndex) override;
    void editWYSIWYG(const FeedField &field, int row, const QString &title) override;
    void insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                     const QString &undoName) override;
    QVariant currentFeedObjectForKey(const QString &key) const override;
    void currentFeedSetObject(const QVariant &value, const QString &key) override;
    void archiveCurrentFeedList() override;
    void addButtonToStatusLine(QWidget *view) override;
    void removeButtonToStatusLine(QWidget *view) override;

    bool hasOPMLList() const override;
    void showOPMLList(QWidget *parent) override;
};
