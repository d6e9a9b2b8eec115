#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QMap>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

// A grid of check boxes (or radio buttons) addressed by tag: the skip-day and skip-hour choices,
// the scale presets.
class VLXMatrix : public QWidget, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    enum Mode { Switches, Radio };
    explicit VLXMatrix(QWidget *parent = nullptr, Mode mode = Switches);

    // Adds a cell at a grid position; its object name is the matrix's name plus "_" and the tag.
    QAbstractButton *addCell(int tag, const QString &title, int row, int column);
    QAbstractButton *cellWithTag(int tag) const { return m_cells.value(tag); }
    QList<int> tags() const { return m_cells.keys(); }
    int stateOfTag(int tag) const;
    void setStateOfTag(int tag, int state);
    // The checked cell's tag in radio mode, -1 when none.
    int selectedTag() const;

signals:
    void cellClicked(int tag);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    Mode m_mode;
    QGridLayout *m_grid;
    QButtonGroup *m_group;
    QMap<int, QAbstractButton *> m_cells;
};
