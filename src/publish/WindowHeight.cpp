#include "publish/WindowHeight.h"

#include <QLayout>
#include <QScreen>
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
    int wanted = qMax(window->minimumSizeHint().height(), height + after - before);
    QScreen *screen = window->screen();
    if (!screen) {
        window->resize(window->width(), wanted);
        return;
    }
    // No taller than the screen leaves room for (with the frame the window manager adds), and
    // moved up when the bottom edge would pass the screen's: what the window holds scrolls.
    const QRect room = screen->availableGeometry();
    const int frame = window->frameGeometry().height() - window->geometry().height();
    wanted = qMin(wanted, room.height() - frame);
    window->resize(window->width(), wanted);
    const int overflow = window->frameGeometry().bottom() - room.bottom();
    if (overflow > 0)
        window->move(window->x(), qMax(room.top(), window->y() - overflow));
}
