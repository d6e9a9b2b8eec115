#include "ui/VLXListBox.h"

#include "ui/VLXListBoxDelegate.h"
#include "ui/VLXListBoxModel.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

VLXListBox::VLXListBox(QWidget *parent) : QListView(parent), m_model(new VLXListBoxModel(this))
{
    setModel(m_model);
    m_model->setPalette(palette());
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    // Only URL drops are of interest; the delegate decides about them.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setFocusPolicy(Qt::StrongFocus);
}

VLXListBox::~VLXListBox() = default;

void VLXListBox::reloadData()
{
    if (!m_delegate)
        return;
    const int n = qMax(0, m_delegate->numberOfRowsInListBox(this));
    if (n == 0)
        m_currentSelect = -1;
    else if (m_currentSelect >= n)
        m_currentSelect = n - 1;
    QStringList rows;
    rows.reserve(n);
    for (int r = 0; r < n; ++r)
        rows << m_delegate->listBoxObjectValueForRow(this, r);
    m_rows = rows;
    m_model->setRows(rows);
    m_highlighted = -1;
    if (m_currentSelect != -1)
        setHighlighted(m_currentSelect);
}

void VLXListBox::setHighlighted(int row)
{
    m_highlighted = row;
    m_model->setHighlighted(row);
    if (row >= 0)
        scrollTo(m_model->index(row), QAbstractItemView::EnsureVisible);
}

void VLXListBox::selectRowAndNotifyDelegate(int row, bool notify)
{
    if (m_currentSelect != -1)
        setHighlighted(-1);
    if (row < 0)
        return;
    // Selecting past the end (the last row was just removed) takes the last row instead.
    if (row >= rowCount())
        row = rowCount() - 1;
    if (row < 0) {
        m_currentSelect = -1;
        return;
    }
    setHighlighted(row);
    m_currentSelect = row;
    if (notify && m_delegate)
        m_delegate->listBoxNewRowSelected(this, row);
}

void VLXListBox::fieldSelected(int row)
{
    if (row < 0 || row >= rowCount() || row == m_currentSelect)
        return;
    if (m_delegate && !m_delegate->listBoxShouldSelectRow(this, row))
        return;
    setHighlighted(row);
    m_currentSelect = row;
    if (m_delegate)
        m_delegate->listBoxNewRowSelected(this, row);
}

void VLXListBox::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        fieldSelected(index.row());
}

void VLXListBox::mouseMoveEvent(QMouseEvent *) { }

void VLXListBox::mouseReleaseEvent(QMouseEvent *) { }

void VLXListBox::mouseDoubleClickEvent(QMouseEvent *) { }

void VLXListBox::keyPressEvent(QKeyEvent *event)
{
    // The arrow keys act as a click on the neighbouring row.
    if (event->key() == Qt::Key_Up && m_currentSelect > 0) {
        fieldSelected(m_currentSelect - 1);
        return;
    }
    if (event->key() == Qt::Key_Down && m_currentSelect + 1 < rowCount()) {
        fieldSelected(m_currentSelect + 1);
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        return;
    QListView::keyPressEvent(event);
}

void VLXListBox::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}

void VLXListBox::changeEvent(QEvent *event)
{
    QListView::changeEvent(event);
    // The rows take the desktop's colours, also when the user switches them.
    if (event->type() == QEvent::PaletteChange)
        m_model->setPalette(palette());
}

void VLXListBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_delegate && event->mimeData()->hasUrls()
        && m_delegate->listBoxValidateDrop(this, event->mimeData()) != Qt::DropActions()) {
        event->acceptProposedAction();
        return;
    }
    event->ignore();
}

void VLXListBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_delegate && event->mimeData()->hasUrls()
        && m_delegate->listBoxValidateDrop(this, event->mimeData()) != Qt::DropActions()) {
        event->acceptProposedAction();
        return;
    }
    event->ignore();
}

void VLXListBox::dropEvent(QDropEvent *event)
{
    if (m_delegate && event->mimeData()->hasUrls()
        && m_delegate->listBoxAcceptDrop(this, event->mimeData())) {
        event->acceptProposedAction();
        return;
    }
    event->ignore();
}
