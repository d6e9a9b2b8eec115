#include "ui/VLXMatrix.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QMenu>
#include <QRadioButton>

VLXMatrix::VLXMatrix(QWidget *parent, Mode mode)
    : QWidget(parent), m_mode(mode), m_grid(new QGridLayout(this)), m_group(new QButtonGroup(this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(4);
    m_group->setExclusive(mode == Radio);
    connect(m_group, &QButtonGroup::idClicked, this, &VLXMatrix::cellClicked);
}

QAbstractButton *VLXMatrix::addCell(int tag, const QString &title, int row, int column)
{
    QAbstractButton *cell = m_mode == Radio
        ? static_cast<QAbstractButton *>(new QRadioButton(title))
        : new QCheckBox(title);
    cell->setObjectName(objectName() + QLatin1Char('_') + QString::number(tag));
    m_grid->addWidget(cell, row, column);
    m_group->addButton(cell, tag);
    m_cells.insert(tag, cell);
    return cell;
}

int VLXMatrix::stateOfTag(int tag) const
{
    const QAbstractButton *cell = m_cells.value(tag);
    return cell && cell->isChecked() ? 1 : 0;
}

void VLXMatrix::setStateOfTag(int tag, int state)
{
    if (QAbstractButton *cell = m_cells.value(tag))
        cell->setChecked(state != 0);
}

int VLXMatrix::selectedTag() const
{
    return m_group->checkedId();
}

void VLXMatrix::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
