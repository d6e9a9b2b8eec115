#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

class FeedDocument;
class VLXItems;
class WindowServices;

// Actions on the items of the loaded feed: new, clone, move and delete (each first commits the
// edit in progress and is one undo step that puts the whole list back), the smart dates and the
// date pickers, and the buttons of the item editor.
class ItemActions : public QObject
{
    Q_OBJECT
public:
    ItemActions(WindowServices &window, QObject *parent);

    // Offers the item commands and connects the buttons of the channel and item editors.
    void connectActionControls();
    void connectDatePickers();

    // A new item made from the defaults of the feed of that identifier and its namespaces.
    static std::shared_ptr<VLXItems> makeNewItem(const QString &uniqueKey,
                                                 const QStringList &extensions);
    void newItem();
    // A new item from the feed's defaults at the top of the list, shown (no undo step of its own).
    void createNewItem();
    void cloneItem();
    void moveDownItem();
    void moveUpItem();
    void deleteItem();
    // Items put in at the row in the order given, as one undo step; the first of them is shown.
    // Items that would take the feed past the most it may hold are refused, all of them.
    void insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                     const QString &undoName);

    void feedSetBySmartDate();
    void itemSetBySmartDate();
    void generateGUIDAction();
    void itemSelectAction(int clickedRow);
    void suggestMIMETypeAction();
    void selectEnclosureFile();
    // The channel's or the selected item's pubDate picked in the date and time picker, as one
    // undo step "Feed Pub Date" / "Item Pub Date" when accepted (even with the date unchanged);
    // the item's does nothing while no item is selected.
    void feedToggleDatePicker();
    void itemToggleDatePicker();

private:
    // The value as if typed: the field's check runs first (its alerts included).
    QString checkedAsTyped(const QString &outlet, int item, const QString &value);
    // Empty when the file was taken, else an alert title and message.
    QStringList newLocalEnclosureFile(const QString &path, int itemIndex);
    void pickDate(const QString &outlet, int item);

    WindowServices &m_window;
    FeedDocument *m_document;
};
