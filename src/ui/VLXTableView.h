#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QTableView>
#include <functional>

// A table of the kit: help anchor, and keys offered to the owner before the table handles them.
class VLXTableDataSource;
class VLXTableModel;

class VLXTableView : public QTableView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    // Answers true when the owner used the key (a Qt::Key value).
    using KeyHandler = std::function<bool(VLXTableView *, int key)>;

    explicit VLXTableView(QWidget *parent = nullptr);
    void setKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }
    // The one selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);

    // Columns by identifier and title; the source answers rows and cells (see VLXTableDataSource).
    void setDataSource(VLXTableDataSource *source, const QStringList &identifiers,
                       const QStringList &titles = {});
    VLXTableDataSource *dataSource() const { return m_dataSource; }
    // Asks the source again; the selection is kept when its row still exists.
    void reloadData();
    void reloadRow(int row);
    // A click below the last row leaves the selection as it is (a table that always shows
    // the item of its selected row).
    void setKeepsSelection(bool keeps) { m_keepsSelection = keeps; }

signals:
    void doubleAction(int row);
    // The user clicked the check box of a cell; the owner acts and reloads.
    void checkClicked(int row, const QString &column);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    KeyHandler m_keyHandler;
    VLXTableDataSource *m_dataSource = nullptr;
    VLXTableModel *m_tableModel = nullptr;
    bool m_keepsSelection = false;
};
