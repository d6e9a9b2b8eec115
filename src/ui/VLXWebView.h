#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QWebEngineView>

// A web view of the kit (previews), with a help anchor.
class VLXWebView : public QWebEngineView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXWebView(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
