#include "ui/WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <limits>

namespace {
// How far a rectangle is from another: 0 when they overlap, else the length of the shortest
// line between them.
qint64 distanceSquared(const QRect &a, const QRect &b)
{
    const qint64 dx = qMax<qint64>(0, qMax(b.left() - a.right(), a.left() - b.right()));
    const qint64 dy = qMax<qint64>(0, qMax(b.top() - a.bottom(), a.top() - b.bottom()));
    return dx * dx + dy * dy;
}

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}
} // namespace

QString WindowFrame::text(const QWidget *window)
{
    // The frame's margins of the window as shown now (none before it is first shown); a
    // maximised window has them too, so its normal place is found the same way.
    const QRect client = window->geometry();
    const QPoint margin = client.topLeft() - window->frameGeometry().topLeft();
    const QRect normal = window->isMaximized() || window->isMinimized() || window->isFullScreen()
        ? window->normalGeometry()
        : client;
    const QPoint corner = normal.topLeft() - margin;
    return QStringLiteral("%1 %2 %3 %4")
        .arg(corner.x())
        .arg(corner.y())
        .arg(normal.width())
        .arg(normal.height());
}

QRect WindowFrame::reachable(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty() || !frame.isValid())
        return frame;
    const QRect title(frame.topLeft(), QSize(frame.width(), kTitleHeight));
    for (const QRect &area : screens) {
        const QRect shown = title.intersected(area);
        if (shown.height() == kTitleHeight && shown.width() >= qMin(kTitleWidth, frame.width()))
            return frame;
    }
    const QRect *nearest = &screens.first();
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect &area : screens) {
        const qint64 distance = distanceSquared(frame, area);
        if (distance < best) {
            best = distance;
            nearest = &area;
        }
    }
    // Centred, with room around it for the frame the desktop adds.
    QRect placed(QPoint(), frame.size().boundedTo(nearest->size() - QSize(kRoom, kRoom)));
    placed.moveCenter(nearest->center());
    return placed;
}

void WindowFrame::restore(QWidget *window, const QString &text, const QSize &leastSize,
                          const QSize &defaultSize)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QRect frame;
    bool ok = parts.size() >= 4;
    for (int i = 0; ok && i < 4; ++i)
        parts[i].toInt(&ok);
    if (ok)
        frame = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
    const QList<QRect> screens = availableAreas();
    if (!ok || frame.width() < leastSize.width() || frame.height() < leastSize.height()) {
        const QScreen *primary = QGuiApplication::primaryScreen();
        const QRect area = primary ? primary->availableGeometry() : QRect(QPoint(), defaultSize);
        frame = QRect(QPoint(), defaultSize.boundedTo(area.size() - QSize(kRoom, kRoom)));
        frame.moveCenter(area.center());
    }
    frame = reachable(frame, screens);
    window->resize(frame.size());
    window->move(frame.topLeft());
}
