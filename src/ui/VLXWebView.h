#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QWebEngineView>

// A web view of the kit (previews), with a help anchor.
class VLXWebView : public QWebEngineView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXWebView(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
