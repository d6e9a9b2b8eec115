#include "ui/ViewEmbedding.h"

#include "ui/flippedView.h"

#include <QGroupBox>
#include <QLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
// Moves the source's children (or its layout with them) into the holder; answers the depth of
// absolutely placed children, 0 when a layout moved.
int movePane(QWidget *source, QWidget *holder)
{
    if (QLayout *layout = source->layout()) {
        // setLayout takes a layout off its old widget and reparents the widgets it manages.
        holder->setLayout(layout);
        return 0;
    }
    int depth = 0;
    const QList<QWidget *> children = source->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        const QRect frame = child->geometry();
        const bool visible = !child->isHidden();
        child->setParent(holder);
        child->setGeometry(frame);
        child->setVisible(visible);
        depth = qMax(depth, frame.y() + frame.height());
    }
    return depth;
}

QVBoxLayout *hostLayout(QWidget *destination)
{
    if (auto *existing = qobject_cast<QVBoxLayout *>(destination->layout()))
        return existing;
    if (QLayout *other = destination->layout()) {
        // A host with another kind of layout gets the pane below what it holds.
        auto *wrap = new QWidget;
        wrap->setLayout(other);
        auto *layout = new QVBoxLayout(destination);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(wrap);
        return layout;
    }
    auto *layout = new QVBoxLayout(destination);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

QWidget *moveIntoScrollArea(QWidget *source, QWidget *destination)
{
    auto *scroll = new QScrollArea;
    scroll->setObjectName(destination->objectName() + QStringLiteral("_Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto *document = new flippedView;
    document->setAutoFillBackground(false);
    const int depth = movePane(source, document);
    if (depth > 0)
        document->setMinimumHeight(depth + ViewEmbedding::kBottomMargin);
    scroll->setWidget(document);
    hostLayout(destination)->addWidget(scroll);
    return document;
}
} // namespace

QWidget *ViewEmbedding::moveObjectsFrom(QWidget *source, QWidget *destination)
{
    if (!source || !destination)
        return nullptr;
    return moveIntoScrollArea(source, destination);
}

QWidget *ViewEmbedding::moveObjectsFromBoxToBox(QGroupBox *source, QGroupBox *destination)
{
    if (!source || !destination)
        return nullptr;
    return moveIntoScrollArea(source, destination);
}

QWidget *ViewEmbedding::moveObjectsFromToBox(QWidget *source, QGroupBox *destination)
{
    if (!source || !destination)
        return nullptr;
    auto *content = new flippedView;
    const int depth = movePane(source, content);
    if (depth > 0)
        content->setMinimumHeight(depth + kBottomMargin);
    hostLayout(destination)->addWidget(content);
    return content;
}
