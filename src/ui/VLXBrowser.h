#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QColumnView>

// A column browser (the folder browsers of publishing), with a help anchor.
class VLXBrowser : public QColumnView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXBrowser(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
