#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QColumnView>

// A column browser (the folder browsers of publishing), with a help anchor.
class VLXBrowser : public QColumnView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXBrowser(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
