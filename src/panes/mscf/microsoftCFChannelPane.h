#pragma once

#include "panes/ExtensionFieldPane.h"
#include "ui/VLXButton.h"

#include <QFrame>
#include <QPointer>

class microsoftCFChannel;

// The "MS-SLE" tab: the channel's list entries (type, element, label; the default sort bold)
// with +, - and Edit, and, while the items do not stand in the order of the default sort, a box
// below the table and a button in the window's status line that sort them so, as one undo step.
//
// The default sort itself lives in the feed's list entry: the pane loads it into the object
// whenever it shows the object, so the window's undo and redo of the entry keep the two in step.
class microsoftCFChannelPane : public ExtensionFieldPane
{
    Q_OBJECT
public:
    microsoftCFChannelPane(std::shared_ptr<extensionNSRaw> extension,
                           const ExtensionTabs::Context &context, QWidget *parent = nullptr);
    ~microsoftCFChannelPane() override;

    void loadData() override;

    microsoftCFChannel *channel() const;
    // Sorts the items by the default sort (the box's and the status line's button).
    void sortDefaultSort();
    // Loads the default sort from the feed's list entry, works out the sort field and shows or
    // hides the resort box and the status-line button.
    void updateResortControls();

    // The default sort's keys of the feed's list entry; a value, or nullopt when absent.
    std::optional<QString> entryValue(const QString &key) const;
    // Sets (nullopt: removes) the three keys, with one undo record of the entry, and stores the
    // feed list.
    void storeDefaultSort(const std::optional<QString> &ns, const std::optional<QString> &element,
                          const std::optional<QString> &dataType);
    // The undo records an entry change makes beside the list's own: the items (their order and
    // the feed's date) and the three keys.
    void registerEntryRecords(const QString &actionName);

    QFrame *reSortDividor() const { return m_reSortDividor; }
    VLXButton *statusLineReSort() const { return m_statusLineReSort; }
    bool statusLineButtonShown() const { return m_statusLineButtonShown; }

private:
    void showStatusLineButton(bool shown);

    QPointer<QFrame> m_reSortDividor;
    QPointer<VLXButton> m_reSortSortButton;
    QPointer<VLXButton> m_statusLineReSort;
    bool m_statusLineButtonShown = false;
};
