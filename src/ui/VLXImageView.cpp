#include "ui/VLXImageView.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QPixmap>

VLXImageView::VLXImageView(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(32, 32);
}

void VLXImageView::setImage(const QImage &image)
{
    m_image = image;
    showScaled();
}

void VLXImageView::showScaled()
{
    if (m_image.isNull()) {
        setText(m_placeholder);
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(m_image);
    // A picture is shown at its own size unless the view is smaller.
    if (pixmap.width() > width() || pixmap.height() > height())
        pixmap = pixmap.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    setPixmap(pixmap);
}

void VLXImageView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    if (m_image.isNull())
        setText(text);
}

void VLXImageView::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showScaled();
}

void VLXImageView::setDropHandlers(ValidateDrop validate, AcceptDrop accept)
{
    m_validateDrop = std::move(validate);
    m_acceptDrop = std::move(accept);
    setAcceptDrops(bool(m_validateDrop));
}

void VLXImageView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}

void VLXImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_validateDrop && m_validateDrop(this, event->mimeData()) != Qt::IgnoreAction)
        event->acceptProposedAction();
    else
        event->ignore();
}

void VLXImageView::dropEvent(QDropEvent *event)
{
    if (m_acceptDrop && m_acceptDrop(this, event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}
