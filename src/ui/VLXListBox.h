#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QListView>
#include <QStringList>

class VLXListBoxDelegate;
class VLXListBoxModel;

// The kit's one-column list: one read-only text row per entry, alternating row colours, a single
// selection that the delegate may refuse, and URL drops handed to the delegate. The feed window
// shows the user's feeds in it.
//
// The selection is the box's own (`selectedRow`), not Qt's: a programmatic selection of -1 removes
// the highlight but keeps the row, exactly as the feed window relies on.
class VLXListBox : public QListView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXListBox(QWidget *parent = nullptr);
    ~VLXListBox() override;

    VLXListBoxDelegate *delegate() const { return m_delegate; }
    void setDelegate(VLXListBoxDelegate *delegate) { m_delegate = delegate; }

    int selectedRow() const { return m_currentSelect; }
    // The row drawn highlighted, or -1.
    int highlightedRow() const { return m_highlighted; }
    int rowCount() const { return int(m_rows.size()); }
    QString rowText(int row) const { return m_rows.value(row); }

    void reloadData();
    // Selects without asking the delegate; a row past the end selects the last row.
    void selectRowAndNotifyDelegate(int row, bool notify);
    // A click (or arrow key) on a row: asks the delegate, then tells it.
    void fieldSelected(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setHighlighted(int row);

    VLXListBoxModel *m_model;
    VLXListBoxDelegate *m_delegate = nullptr;
    QStringList m_rows;
    int m_currentSelect = -1;
    int m_highlighted = -1;
};
