#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QSpinBox>

// A stepper with its number, with a help anchor.
class VLXSpinBox : public QSpinBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXSpinBox(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
