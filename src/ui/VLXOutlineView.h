#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QTreeView>

// An outline view (the message list, the preferences navigation), with a help anchor.
class VLXOutlineView : public QTreeView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXOutlineView(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
