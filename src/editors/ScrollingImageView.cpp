#include "editors/ScrollingImageView.h"

#include "imaging/GIFWriter.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

ScrollingImageView::ScrollingImageView(QWidget *parent) : QWidget(parent) { }

void ScrollingImageView::setImage(const QImage &image)
{
    m_image = image;
    resetFrameSize();
}

void ScrollingImageView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    update();
}

void ScrollingImageView::setDropHandlers(ValidateDrop validate, AcceptDrop accept)
{
    m_validateDrop = std::move(validate);
    m_acceptDrop = std::move(accept);
    setAcceptDrops(bool(m_validateDrop));
}

QRectF ScrollingImageView::imageRect() const
{
    if (m_image.isNull())
        return QRectF();
    const QSizeF size = m_image.size();
    return QRectF(std::floor((width() - size.width()) / 2),
                  std::floor((height() - size.height()) / 2), size.width(), size.height());
}

QRectF ScrollingImageView::widgetRect(const QRectF &rect) const
{
    return QRectF(rect.x(), height() - rect.y() - rect.height(), rect.width(), rect.height());
}

QPointF ScrollingImageView::viewPoint(const QPointF &widgetPoint) const
{
    return QPointF(widgetPoint.x(), height() - widgetPoint.y());
}

QAbstractScrollArea *ScrollingImageView::scrollView() const
{
    // The view sits in the area's viewport.
    QWidget *viewport = parentWidget();
    return viewport ? qobject_cast<QAbstractScrollArea *>(viewport->parentWidget()) : nullptr;
}

QSize ScrollingImageView::sizeHint() const
{
    return m_image.isNull() ? QSize(100, 100) : m_image.size();
}

void ScrollingImageView::resetFrameSize()
{
    resetFrameSizeNoDisplay();
    validateScrollers();
    update();
}

void ScrollingImageView::resetFrameSizeNoDisplay()
{
    const QSize picture = m_image.isNull() ? QSize(0, 0) : m_image.size();
    const QAbstractScrollArea *area = scrollView();
    if (!area) {
        if (!picture.isEmpty())
            resize(picture);
        return;
    }
    const QSize frame = area->size();
    resize(frame.width() > picture.width() ? frame.width() : picture.width(),
           frame.height() > picture.height() ? frame.height() : picture.height());
}

void ScrollingImageView::validateScrollers()
{
    QAbstractScrollArea *area = scrollView();
    if (!area)
        return;
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->horizontalScrollBar()->setEnabled(width() > area->width());
    area->verticalScrollBar()->setEnabled(height() > area->height());
}

QByteArray ScrollingImageView::gifDataForImage() const
{
    if (m_image.isNull())
        return QByteArray();
    return GIFWriter::gifDataForImage(m_image).value_or(QByteArray());
}

bool ScrollingImageView::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        watchScrollView();
    return QWidget::event(event);
}

void ScrollingImageView::watchScrollView()
{
    QAbstractScrollArea *area = scrollView();
    if (area == m_watched)
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = area;
    if (m_watched) {
        m_watched->installEventFilter(this);
        connect(m_watched, &QObject::destroyed, this, [this] { m_watched = nullptr; });
        resetFrameSize();
    }
}

bool ScrollingImageView::eventFilter(QObject *watched, QEvent *event)
{
    // The size follows the scroll area as the window is resized.
    if (watched == m_watched && event->type() == QEvent::Resize)
        resetFrameSize();
    return QWidget::eventFilter(watched, event);
}

void ScrollingImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        // Centred in the visible part, not under a scroll bar.
        const QAbstractScrollArea *area = scrollView();
        const QRect shown
            = area ? QRect(mapFromParent(QPoint(0, 0)), area->viewport()->size()) : rect();
        painter.drawText(shown, Qt::AlignCenter, m_placeholder);
        return;
    }
    painter.drawImage(widgetRect(imageRect()).topLeft(), m_image);
}

void ScrollingImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_validateDrop && m_validateDrop(this, event->mimeData()) != Qt::IgnoreAction)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ScrollingImageView::dropEvent(QDropEvent *event)
{
    if (m_acceptDrop && m_acceptDrop(this, event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}
