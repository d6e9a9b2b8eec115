#include "editors/CropMarker.h"

#include "editors/ScrollingImageView.h"

#include <QPainter>
#include <cmath>

QRectF rectFromPoints(const QPointF &a, const QPointF &b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
                  std::abs(a.y() - b.y()));
}

CropMarker::CropMarker(ScrollingImageView *view) : m_target(view)
{
    setColor(Qt::black);
}

std::unique_ptr<CropMarker> CropMarker::cropMarkerForView(ScrollingImageView *view)
{
    return std::make_unique<CropMarker>(view);
}

ScrollingImageView *CropMarker::target() const
{
    return m_target;
}

void CropMarker::setColor(const QColor &color)
{
    m_strokeColor = color;
    m_fillColor = color;
    m_fillColor.setAlphaF(0.4f);
}

bool CropMarker::hasSelection() const
{
    return m_selectedRect.width() > 0 && m_selectedRect.height() > 0;
}

QPainterPath CropMarker::selectedPath() const
{
    QPainterPath path;
    path.addRect(m_selectedRect);
    return path;
}

void CropMarker::drawCropMarker(QPainter &painter) const
{
    if (!hasSelection() || !m_target)
        return;
    painter.save();
    QPainterPath shade;
    shade.setFillRule(Qt::OddEvenFill);
    shade.addRect(QRectF(m_target->rect()));
    const QRectF selection = m_target->widgetRect(m_selectedRect);
    shade.addRect(selection);
    painter.fillPath(shade, m_fillColor);
    QPen pen(m_strokeColor, 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // A one-point line drawn on the pixel row inside the selection's edge.
    painter.drawRect(selection.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void CropMarker::mouseDown(const QPointF &point)
{
    m_lastLocation = point;
    if (m_selectedRect.contains(point) && hasSelection())
        startMovingAtPoint(point);
    else
        startSelectingAtPoint(point);
}

void CropMarker::mouseDragged(const QPointF &point)
{
    if (m_trackingMode == Tracking::Selecting)
        continueSelectingAtPoint(point);
    else if (m_trackingMode == Tracking::Moving)
        continueMovingAtPoint(point);
}

void CropMarker::mouseUp(const QPointF &point)
{
    if (m_trackingMode == Tracking::Selecting)
        stopSelectingAtPoint(point);
    else if (m_trackingMode == Tracking::Moving)
        stopMovingAtPoint(point);
}

void CropMarker::startSelectingAtPoint(const QPointF &point)
{
    m_lastLocation = point;
    m_trackingMode = Tracking::Selecting;
}

void CropMarker::continueSelectingAtPoint(const QPointF &point)
{
    m_selectedRect = rectFromPoints(m_lastLocation, point);
}

void CropMarker::stopSelectingAtPoint(const QPointF &point)
{
    continueSelectingAtPoint(point);
    m_trackingMode = Tracking::Idle;
}

void CropMarker::startMovingAtPoint(const QPointF &point)
{
    m_lastLocation = point;
    m_trackingMode = Tracking::Moving;
}

void CropMarker::continueMovingAtPoint(const QPointF &point)
{
    moveSelectedRectBy(point - m_lastLocation);
    m_lastLocation = point;
}

void CropMarker::stopMovingAtPoint(const QPointF &point)
{
    continueMovingAtPoint(point);
    m_trackingMode = Tracking::Idle;
}
