#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QAbstractScrollArea;
class QMimeData;

// An image shown at its own size, centred, as the document of a scroll area: the view is as
// large as the image and at least as large as the scroll area, and each scroll bar is usable
// only while the view overhangs the area in its direction.
//
// The view's coordinates put the origin at the lower left corner with y growing upwards, the
// way the crop fields count; imageRect() and everything built on it use them.
class ScrollingImageView : public QWidget
{
    Q_OBJECT
public:
    using ValidateDrop = std::function<Qt::DropAction(ScrollingImageView *, const QMimeData *)>;
    using AcceptDrop = std::function<bool(ScrollingImageView *, const QMimeData *)>;

    explicit ScrollingImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    bool hasImage() const { return !m_image.isNull(); }
    // Shown while there is no image.
    void setPlaceholderText(const QString &text);
    // Drops are decided by the owner; refused while no handler is set.
    void setDropHandlers(ValidateDrop validate, AcceptDrop accept);

    // Where the image lies in the view, in the view's coordinates (origin lower left).
    QRectF imageRect() const;
    // The same rectangle in the widget's own coordinates (origin top left).
    QRectF widgetRect(const QRectF &rect) const;
    // A widget position in the view's coordinates.
    QPointF viewPoint(const QPointF &widgetPoint) const;

    // The scroll area whose document this view is, or null.
    QAbstractScrollArea *scrollView() const;
    void resetFrameSize();
    void resetFrameSizeNoDisplay();
    void validateScrollers();

    // The image as GIF89a data (256 colours, less than half opaque pixels transparent); empty
    // without an image or when it cannot be written.
    QByteArray gifDataForImage() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void watchScrollView();

    QImage m_image;
    QString m_placeholder;
    ValidateDrop m_validateDrop;
    AcceptDrop m_acceptDrop;
    QAbstractScrollArea *m_watched = nullptr;
};
