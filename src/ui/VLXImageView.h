#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QImage>
#include <QLabel>
#include <functional>

class QMimeData;

// A picture of the kit, with a help anchor and drops decided by its owner (refused without one).
class VLXImageView : public QLabel, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    using ValidateDrop = std::function<Qt::DropAction(VLXImageView *, const QMimeData *)>;
    using AcceptDrop = std::function<bool(VLXImageView *, const QMimeData *)>;

    explicit VLXImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    bool hasImage() const { return !m_image.isNull(); }
    // Shown while there is no image.
    void setPlaceholderText(const QString &text);
    void setDropHandlers(ValidateDrop validate, AcceptDrop accept);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showScaled();

    QImage m_image;
    QString m_placeholder;
    ValidateDrop m_validateDrop;
    AcceptDrop m_acceptDrop;
};
