#pragma once

#include "model/MessageGroup.h"
#include "ui/VLXButton.h"
#include "ui/VLXOutlineView.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QWidget>
#include <functional>
#include <memory>

class MessageOutlineModel;
class QPrinter;
class QModelIndex;
class VLXFeed;

// The one panel of the run that lists a feed's messages (automatic repairs, validation errors,
// validation warnings) as an outline of message groups. Three toggles, titled with the counts,
// switch each kind on and off; selecting a message asks the feed window to show the item or the
// channel it belongs to (through the two signals the window connects).
class errorListing : public QObject
{
    Q_OBJECT
public:
    // The shared panel, made on first use and kept for the run.
    static errorListing *sharedInstance();
    ~errorListing() override;

    // Where a caller puts the panel (keepClearOf, say): called once the panel holds its rows and
    // is as wide as they need, before it is shown.
    using Placement = std::function<void(errorListing &)>;
    // Shows the messages (a message tree: message strings and {"Group", "Entries"} groups) and
    // the counts. The panel belongs to the sender's window (it stays beside it and goes with it);
    // a later show beside another window makes it afresh.
    static void showPanel(QWidget *sender, const QVariantList &errorList, int numErrors,
                          int numWarn, int numRepair, const Placement &place = {});
    // The same for the message groups a feed gives (VLXFeed::parseXMLErrorList): their message
    // strings are shown as they are, not copied.
    static void showPanel(QWidget *sender, const QList<MessageGroup> &messages, int numErrors,
                          int numWarn, int numRepair);
    // Closes the panel when it is showing.
    static void closePanel();

    // Moves the panel off a part of the screen (a line the messages are about), below it or else
    // above it, on the screen; a panel of a few rows first gives up the height it does not need.
    // Answers false when it fits on neither side, and stays where it was.
    bool keepClearOf(const QRect &area);

    void show(QWidget *sender, const QVariantList &errorList, int numErrors, int numWarn,
              int numRepair, const Placement &place = {});
    void show(QWidget *sender, const QList<MessageGroup> &messages, int numErrors, int numWarn,
              int numRepair);
    void close();
    bool windowOpen() const { return m_windowOpen; }

    // Where a toggle reads the feed's reading messages and counts again (the loaded feed).
    void setFeedSource(std::function<std::shared_ptr<VLXFeed>()> source)
    {
        m_feedSource = std::move(source);
    }

    // Actions.
    void done();
    void helpButton();
    // Any of the three toggles: the list again from the feed, with the kinds switched on.
    void REWButtonAction();
    // Offers the print panel as a sheet on the panel and prints the outline with the shared
    // page settings.
    void printDocument();
    // Prints the outline's lines as shown (open groups, indentation, colours); answers the number
    // of pages, 0 when the printer could not be started.
    int printOutline(QPrinter &printer) const;

    // Selecting a row: a message under an item's group asks for that item, anything else for
    // the channel.
    void jumpToNode(const QModelIndex &index);

    // A list of more rows than this opens with its top-level groups open one level (the item
    // groups closed) instead of all the way down: every row shown open costs the outline memory
    // and time, and a feed of many items would otherwise hold up the window.
    static constexpr qint64 kRowsOpenedWhole = 20000;
    // The panel's width when its lines are short.
    static constexpr int kNarrowest = 560;

    QWidget *panel() const { return m_panel; }
    VLXOutlineView *errors() const { return m_errors; }
    VLXButton *repairButton() const { return m_repairButton; }
    VLXButton *errorButton() const { return m_errorButton; }
    VLXButton *warnButton() const { return m_warnButton; }
    MessageOutlineModel *model() const { return m_model; }

    static const QString kHelpAnchor; // "FeedParsingError"

signals:
    // The feed window shows its channel tab.
    void selectFeedRequested();
    // The feed window selects the first item with that title.
    void selectFeedItemRequested(const QString &title);

private:
    errorListing();
    void loadInterface(QWidget *owner);
    void showTree(MessageGroup root);
    void show(QWidget *sender, MessageGroup root, int numErrors, int numWarn, int numRepair,
              const Placement &place);
    void setToggles(int numErrors, int numWarn, int numRepair, bool setStates);
    // Sizes and places the panel, then shows it. A window manager may keep the geometry a
    // window was first shown with over what it is given while it frames the window: a panel
    // just made is shown only once it has its own.
    void finishShowing(const Placement &place = {});
    void fitToText();
    // The panel's frame as it stands, or, before the window manager has framed a panel not
    // shown yet, as it will stand: framed as the window it belongs to is.
    QMargins panelFrame() const;
    void selectionChanged(const QModelIndex &current);

    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_panel;
    QPointer<VLXOutlineView> m_errors;
    QPointer<VLXButton> m_repairButton;
    QPointer<VLXButton> m_errorButton;
    QPointer<VLXButton> m_warnButton;
    QPointer<VLXButton> m_doneButton;
    MessageOutlineModel *m_model = nullptr;
    std::function<std::shared_ptr<VLXFeed>()> m_feedSource;
    bool m_windowOpen = false;
};
