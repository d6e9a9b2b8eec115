#pragma once

#include "ui/VLXTableDataSource.h"

#include <QPointer>
#include <QWidget>

class EditTracker;
class FeedDocument;
class FieldBinding;
class QTabWidget;
class VLXTableView;

// The items tab (`Items_SplitView`): the item table on the left and, on the right, the editor of
// the item shown, bound to the item rows of the field table. The pane shows one item at a time
// (the selected row); it answers the rows of the item table and of the item's category and
// comment tables, and moves items dragged within the table.
class ItemsPane : public QWidget, public VLXTableDataSource
{
    Q_OBJECT
public:
    // Outlets of the pane's own controls that other code uses.
    static constexpr QLatin1String kItemTable {"Items_Required_Items"};
    static constexpr QLatin1String kSuggestMIMEType {"Items_Optional_Enclosure_sugestMIMEType"};

    ItemsPane(FeedDocument *document, EditTracker *tracker, QWidget *parent = nullptr);

    // The item table again, the shown row selected and shown.
    void loadData();
    // Fills the item controls from the item at the row (populateItem).
    void showItem(int row);
    int shownItem() const { return m_shownItem; }
    VLXTableView *itemTable() const { return m_items; }
    void selectRow(int row);
    // Rebuilds the item extension tabs from item 0's extensions.
    void loadExtensionTabs();
    // Moves the item at sourceRow to the drop position (a row between rows) as one step "Item
    // Drag"; false when nothing moves.
    bool moveItem(int sourceRow, int dropRow);
    FieldBinding *binding() const { return m_binding; }
    // "Feed Drag": what to do with a feed dropped on the window; the first choice is importing
    // its items (item table) or opening it (feed list). Answers the alert's button.
    static int askAboutDroppedFeed(const QString &address, bool importFirst);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;
    QStringList tableViewDragTypes(VLXTableView *table) override;
    bool tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data) override;
    Qt::DropAction tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                         int row) override;
    bool tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row) override;

signals:
    // A feed address was dropped on the item table and the user chose what to do with it.
    void feedDropped(const QString &address, bool import);

private:
    QWidget *buildEditor();
    void commitOwn(const QString &outlet, QWidget *control, const QString &start,
                   const QString &text);
    void showEnclosureIcon(const QString &path);
    void fieldChanged(int item, const QString &outlet);

    FeedDocument *m_document;
    EditTracker *m_tracker;
    FieldBinding *m_binding = nullptr;
    VLXTableView *m_items = nullptr;
    QPointer<QWidget> m_heldExtensionsTab;
    int m_shownItem = -1;
    bool m_selecting = false;
};
