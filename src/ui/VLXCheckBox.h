#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QCheckBox>

// A check box of the kit, with a help anchor (the switch form of the kit's button).
class VLXCheckBox : public QCheckBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXCheckBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
