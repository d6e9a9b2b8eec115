#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QPushButton>

// A push button of the kit, with a help anchor.
class VLXButton : public QPushButton, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXButton(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
