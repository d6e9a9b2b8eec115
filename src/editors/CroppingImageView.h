#pragma once

#include "editors/CropMarker.h"
#include "editors/ScrollingImageView.h"
#include "ui/VLXHelpAnchored.h"

#include <memory>

// The feed image with a crop selection the user draws and moves with the mouse. Selection
// changes made with the mouse are announced by imageSelectionChanged(); changes made through
// the operations below are not, so whoever makes them refreshes its own fields.
//
// Rectangles are in the image's own coordinates with the origin at its lower left corner.
class CroppingImageView : public ScrollingImageView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // The name under which the change is known to observers.
    static const QString selectionChangedNotification; // "ImageSelectionChanged"

    explicit CroppingImageView(QWidget *parent = nullptr);
    ~CroppingImageView() override;

    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }

    CropMarker *selectionMarker() const { return m_selectionMarker.get(); }
    void setSelectionMarker(std::unique_ptr<CropMarker> marker);
    // A fresh marker in the default style, keeping the selected rectangle.
    void takeSelectionMarkerStyleFrom();

    // Continuous views announce the selection during a drag too, not only at its end.
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }

    // The selection within the image as two corners: x, y hold the left and bottom edges,
    // width and height hold the right and top edges. Without a selection over the image, the
    // whole image.
    QRectF selectionRect() const;
    // Selects an ordinary rectangle (origin and size) of the image; announces nothing.
    void setSelectionRect(const QRectF &rect);
    // Removes the selection; announces nothing.
    void clearSelectionRect();

    // The part of the image under the selection (transparent wherever the image is), or the
    // image itself without a selection over it.
    QImage croppedImage() const;
    // The whole image drawn into the size, each axis scaled on its own.
    QImage resizedImage(const QSizeF &size) const;

    // Frame size = image size times the factor.
    void scaleFrameBy(double factor);
    static QRectF centerRect(const QRectF &rect, const QPointF &point);

    // Redraws after a change of the selection.
    void selectionChanged() { update(); }
    void postSelectionChangedNotification() { emit imageSelectionChanged(this); }

signals:
    void imageSelectionChanged(CroppingImageView *view);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    std::unique_ptr<CropMarker> m_selectionMarker;
    bool m_continuous = false;
};
