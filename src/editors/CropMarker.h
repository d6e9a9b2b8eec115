#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QPointer>
#include <QRectF>

#include <memory>

class QPainter;
class ScrollingImageView;

// The rectangle spanned by two points (smaller x and y, absolute differences as the size).
QRectF rectFromPoints(const QPointF &a, const QPointF &b);

// The selection rectangle of an image view, drawn and tracked for it. Points and rectangles are
// in the view's own coordinates, whose origin is the lower left corner (y grows upwards); the
// view converts mouse positions into them and flips rectangles for drawing. There are no handles:
// a drag that starts inside the rectangle moves it, any other drag draws a new one, a click
// outside leaves an empty rectangle (no selection).
class CropMarker
{
public:
    enum class Tracking { Idle, Selecting, Moving };

    explicit CropMarker(ScrollingImageView *view);
    static std::unique_ptr<CropMarker> cropMarkerForView(ScrollingImageView *view);

    ScrollingImageView *target() const;
    // Stroke in the colour, fill in the colour at 40 % opacity.
    void setColor(const QColor &color);
    void setFillColor(const QColor &color) { m_fillColor = color; }
    void setStrokeColor(const QColor &color) { m_strokeColor = color; }
    QColor fillColor() const { return m_fillColor; }
    QColor strokeColor() const { return m_strokeColor; }

    QRectF selectedRect() const { return m_selectedRect; }
    void setSelectedRect(const QRectF &rect) { m_selectedRect = rect; }
    void setSelectedRectOrigin(const QPointF &origin) { m_selectedRect.moveTopLeft(origin); }
    void setSelectedRectSize(const QSizeF &size) { m_selectedRect.setSize(size); }
    void moveSelectedRectBy(const QPointF &offset) { m_selectedRect.translate(offset); }
    bool hasSelection() const;
    QPainterPath selectedPath() const;
    Tracking trackingMode() const { return m_trackingMode; }

    // Shades the view outside the selection and frames it; nothing without a selection.
    void drawCropMarker(QPainter &painter) const;

    void mouseDown(const QPointF &point);
    void mouseDragged(const QPointF &point);
    void mouseUp(const QPointF &point);

    void startSelectingAtPoint(const QPointF &point);
    void continueSelectingAtPoint(const QPointF &point);
    void stopSelectingAtPoint(const QPointF &point);
    void startMovingAtPoint(const QPointF &point);
    void continueMovingAtPoint(const QPointF &point);
    void stopMovingAtPoint(const QPointF &point);

private:
    QPointer<ScrollingImageView> m_target;
    QRectF m_selectedRect;
    QPointF m_lastLocation;
    QColor m_fillColor;
    QColor m_strokeColor;
    Tracking m_trackingMode = Tracking::Idle;
};
