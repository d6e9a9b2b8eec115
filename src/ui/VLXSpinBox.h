#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QSpinBox>

// A stepper with its number, with a help anchor.
class VLXSpinBox : public QSpinBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXSpinBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
