#include "editors/CroppingImageView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

const QString CroppingImageView::selectionChangedNotification
    = QStringLiteral("ImageSelectionChanged");

CroppingImageView::CroppingImageView(QWidget *parent)
    : ScrollingImageView(parent), m_selectionMarker(CropMarker::cropMarkerForView(this))
{
}

CroppingImageView::~CroppingImageView() = default;

void CroppingImageView::setSelectionMarker(std::unique_ptr<CropMarker> marker)
{
    if (marker)
        m_selectionMarker = std::move(marker);
    update();
}

void CroppingImageView::takeSelectionMarkerStyleFrom()
{
    auto marker = CropMarker::cropMarkerForView(this);
    marker->setSelectedRect(m_selectionMarker->selectedRect());
    setSelectionMarker(std::move(marker));
}

QRectF CroppingImageView::selectionRect() const
{
    const QRectF image = imageRect();
    const QRectF selection = m_selectionMarker->selectedRect();
    const QRectF overlap = selection.intersected(image);
    if (!m_selectionMarker->hasSelection() || overlap.isEmpty())
        return QRectF(0, 0, image.width(), image.height());
    const QRectF r = overlap.translated(-image.topLeft());
    return QRectF(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}

void CroppingImageView::setSelectionRect(const QRectF &rect)
{
    m_selectionMarker->setSelectedRect(rect.translated(imageRect().topLeft()));
    selectionChanged();
}

void CroppingImageView::clearSelectionRect()
{
    m_selectionMarker->setSelectedRect(QRectF());
    selectionChanged();
}

QImage CroppingImageView::croppedImage() const
{
    const QRectF image = imageRect();
    const QRectF selection = m_selectionMarker->selectedRect();
    const QRectF part = selection.intersected(image);
    if (!m_selectionMarker->hasSelection() || part.isEmpty())
        return this->image();
    const QSize size = part.size().toSize();
    if (size.isEmpty())
        return this->image();
    // Rectangles of the view (origin lower left) placed in the new image (origin top left).
    auto inPart = [&part](const QRectF &rect) {
        return QRectF(rect.x() - part.x(), part.y() + part.height() - rect.y() - rect.height(),
                      rect.width(), rect.height());
    };
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(inPart(selection), Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.drawImage(inPart(image).topLeft(), this->image());
    painter.end();
    return result;
}

QImage CroppingImageView::resizedImage(const QSizeF &size) const
{
    const QSize pixels = size.toSize();
    if (pixels.isEmpty() || !hasImage())
        return QImage();
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), size), image());
    painter.end();
    return result;
}

void CroppingImageView::scaleFrameBy(double factor)
{
    if (hasImage())
        resize((QSizeF(image().size()) * factor).toSize());
    update();
}

QRectF CroppingImageView::centerRect(const QRectF &rect, const QPointF &point)
{
    QRectF centred(QPointF(0, 0), rect.size());
    centred.moveCenter(point);
    return centred;
}

void CroppingImageView::paintEvent(QPaintEvent *event)
{
    ScrollingImageView::paintEvent(event);
    QPainter painter(this);
    m_selectionMarker->drawCropMarker(painter);
}

void CroppingImageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        ScrollingImageView::mousePressEvent(event);
        return;
    }
    m_selectionMarker->mouseDown(viewPoint(event->position()));
}

void CroppingImageView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    m_selectionMarker->mouseDragged(viewPoint(event->position()));
    if (m_continuous)
        postSelectionChangedNotification();
    selectionChanged();
}

void CroppingImageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selectionMarker->mouseUp(viewPoint(event->position()));
    selectionChanged();
    postSelectionChangedNotification();
}

void CroppingImageView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
