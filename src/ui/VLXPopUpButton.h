#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QComboBox>

// A pop-up menu of choices, with a help anchor.
class VLXPopUpButton : public QComboBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXPopUpButton(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
