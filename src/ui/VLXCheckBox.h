#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QCheckBox>

// A check box of the kit, with a help anchor (the switch form of the kit's button).
class VLXCheckBox : public QCheckBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXCheckBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
