#include "publish/WindowHeight.h"

#include <QLayout>
#include <QWidget>

namespace {

int preferredHeight(QWidget *window)
{
    // Layouts keep the sizes they measured; widgets on pages that were hidden when they changed
    // never told them. Measure everything afresh.
    for (QWidget *child : window->findChildren<QWidget *>())
        child->updateGeometry();
    for (QLayout *layout : window->findChildren<QLayout *>())
        layout->invalidate();
    QLayout *layout = window->layout();
    if (!layout)
        return window->sizeHint().height();
    layout->activate();
    return layout->sizeHint().height();
}

} // namespace

void WindowHeight::changeKeepingTop(QWidget *window, const std::function<void()> &change)
{
    if (!window) {
        change();
        return;
    }
    // Taken before the change: a layout that grows may already stretch the window to its new
    // minimum while it is activated.
    const int height = window->height();
    const int before = preferredHeight(window);
    change();
    const int after = preferredHeight(window);
    if (after == before)
        return;
    // A widget's geometry is measured from its top left corner: resizing keeps the top edge.
    window->resize(window->width(),
                   qMax(window->minimumSizeHint().height(), height + after - before));
}
