#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QGroupBox>

// A titled box of the kit, with a help anchor.
class VLXBox : public QGroupBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
