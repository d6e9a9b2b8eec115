#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QComboBox>

// A pop-up menu of choices, with a help anchor.
class VLXPopUpButton : public QComboBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXPopUpButton(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
