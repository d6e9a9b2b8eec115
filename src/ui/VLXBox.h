#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QGroupBox>

// A titled box of the kit, with a help anchor.
class VLXBox : public QGroupBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
