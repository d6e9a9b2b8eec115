#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QLineEdit>

// A password field of the kit: typed text is never shown.
class VLXSecureTextField : public QLineEdit, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXSecureTextField(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
