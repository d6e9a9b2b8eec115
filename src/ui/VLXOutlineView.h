#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QTreeView>

// An outline view (the message list, the preferences navigation), with a help anchor.
class VLXOutlineView : public QTreeView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    explicit VLXOutlineView(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
