#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QLineEdit>

// A password field of the kit: typed text is never shown.
class VLXSecureTextField : public QLineEdit, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXSecureTextField(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
