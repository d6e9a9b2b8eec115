// The image tab's crop edges, which follow the view's selection both ways, the size limits of a
// feed image with their sheets, and the edits that replace the picture: crop, scale and drop.
#include "app/ImagePane.h"

#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/CroppingImageView.h"
#include "panes/EditTracker.h"
#include "platform/AlertService.h"
#include "ui/PictureDecoder.h"
#include "ui/VLXButton.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTextField.h"

#include <QFileInfo>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>
#include <cmath>

namespace {
// The edges in the order the corner form holds them: x left, y bottom, width right, height top.
// Left and right count across the picture, bottom and top up it.
struct Edge
{
    const char *outlet;
    bool horizontal;
};
const Edge kEdges[] = {{"Image_Edit_NewLeft", true},
                       {"Image_Edit_NewBottom", false},
                       {"Image_Edit_NewRight", true},
                       {"Image_Edit_NewTop", false}};
enum { Left, Bottom, Right, Top };

const QString kResizeImage = QStringLiteral("Resize Image");

int answerScaleDown(const QString &informativeText)
{
    Alert sheet;
    sheet.style = Alert::Style::Informational;
    sheet.title = QStringLiteral("The image image is larger then recommended");
    sheet.message = informativeText;
    sheet.defaultButton = QStringLiteral("Yes");
    sheet.alternateButton = QStringLiteral("No");
    return AlertService::show(sheet);
}

void notScaled(const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QObject::tr("Image Not Scaled");
    alert.message = message;
    AlertService::show(alert);
}

// The largest typed side a picture may be given; far beyond any feed image.
constexpr double kLargestTypedSide = 10000;
} // namespace

void ImagePane::connectImageEdits()
{
    connect(m_document, &FeedDocument::pictureChanged, this, &ImagePane::pictureChanged);
    connect(m_document, &FeedDocument::pictureReplacedByNew, this, &ImagePane::checkImageSize);
    connect(m_view, &CroppingImageView::imageSelectionChanged, this,
            [this] { setCropSize(m_view->selectionRect()); });
    for (const Edge &edge : kEdges)
        connect(this->edge(edge.outlet), &QSpinBox::valueChanged, this,
                &ImagePane::cropEdgesChanged);
    connect(findChild<VLXButton *>(QStringLiteral("Image_Edit_CropButton")), &QPushButton::clicked,
            this, &ImagePane::applyImageEdit);
    connect(findChild<VLXButton *>(QStringLiteral("Image_Edit_ScaleButton")), &QPushButton::clicked,
            this, &ImagePane::applyImageScale);
    m_view->setDropHandlers(
        [](ScrollingImageView *, const QMimeData *data) {
            return holdsImage(data) ? Qt::CopyAction : Qt::IgnoreAction;
        },
        [this](ScrollingImageView *, const QMimeData *data) { return acceptDroppedImage(data); });
}

VLXSpinBox *ImagePane::edge(const char *name) const
{
    return findChild<VLXSpinBox *>(QLatin1String(name));
}

void ImagePane::pictureChanged()
{
    // Every new picture (opened, downloaded, edited, or put back by undo) starts without a
    // selection, its edges framing it all.
    const QImage picture = m_document->picture();
    m_view->setImage(picture);
    m_view->clearSelectionRect();
    setCropLimits(picture.size());
}

// --- Edges and selection ------------------------------------------------------------------------

void ImagePane::setCropLimits(const QSize &size)
{
    if (!m_view->hasImage())
        return;
    findChild<VLXTextField *>(ImagePane::kNewWidth)->setText(QString::number(size.width()));
    findChild<VLXTextField *>(ImagePane::kNewHeight)->setText(QString::number(size.height()));
    for (const Edge &edge : kEdges) {
        VLXSpinBox *stepper = this->edge(edge.outlet);
        const QSignalBlocker quiet(stepper);
        stepper->setMaximum(edge.horizontal ? size.width() : size.height());
    }
    setCropSize(QRectF(0, 0, size.width(), size.height()));
}

void ImagePane::setCropSize(const QRectF &corners)
{
    const double values[] = {corners.x(), corners.y(), corners.width(), corners.height()};
    for (int i = 0; i < 4; ++i) {
        VLXSpinBox *stepper = edge(kEdges[i].outlet);
        // Shown, not typed: the selection they came from stays as it is.
        const QSignalBlocker quiet(stepper);
        stepper->setValue(int(std::trunc(values[i])));
    }
}

void ImagePane::cropEdgesChanged()
{
    int values[4];
    bool atBorders = true;
    for (int i = 0; i < 4; ++i) {
        const VLXSpinBox *stepper = edge(kEdges[i].outlet);
        values[i] = stepper->value();
        atBorders
            = atBorders && (values[i] == stepper->minimum() || values[i] == stepper->maximum());
    }
    // Edges at the picture's borders mean there is nothing to cut away.
    if (atBorders) {
        m_view->clearSelectionRect();
        return;
    }
    // Edges given in reverse order still make a proper rectangle.
    m_view->setSelectionRect(
        QRectF(qMin(values[Left], values[Right]), qMin(values[Top], values[Bottom]),
               std::abs(values[Left] - values[Right]), std::abs(values[Top] - values[Bottom])));
}

// --- Size limits --------------------------------------------------------------------------------

QSize ImagePane::fittedSize(const QSize &size, int maxWidth, int maxHeight)
{
    if (size.isEmpty())
        return size;
    const qint64 width = size.width();
    const qint64 height = size.height();
    // The smaller of the two factors decides; worked out in whole numbers, so a side that meets
    // its limit gets the limit exactly and the other side is truncated, never rounded up.
    qint64 newWidth;
    qint64 newHeight;
    if (qint64(maxWidth) * height <= qint64(maxHeight) * width) {
        newWidth = maxWidth;
        newHeight = height * maxWidth / width;
    } else {
        newWidth = width * maxHeight / height;
        newHeight = maxHeight;
    }
    return QSize(int(qMax<qint64>(1, newWidth)), int(qMax<qint64>(1, newHeight)));
}

void ImagePane::checkImageSize()
{
    if (!m_view->hasImage())
        return;
    const QSize size = m_view->image().size();
    if (size.width() > kMaximumWidth || size.height() > kMaximumHeight) {
        const int answer = answerScaleDown(QStringLiteral(
            "The image is larger then the maximum recommended size.  Would you like it to be "
            "automatically scaled down to them maximum recommended size?"));
        if (answer == AlertService::kDefault)
            scaleDown();
    }
    Alert reminder;
    reminder.style = Alert::Style::Informational;
    reminder.title = QStringLiteral("Don't forget to save and/or upload the new image");
    reminder.message = QStringLiteral("Unless the image is saved and/or uploaded to your web "
                                      "server it will not be part of the feed.");
    AlertService::show(reminder);
}

void ImagePane::warnIfImageTooLarge()
{
    if (!m_view->hasImage())
        return;
    const QSize size = m_view->image().size();
    if (size.width() <= kMaximumWidth && size.height() <= kMaximumHeight)
        return;
    const int answer = answerScaleDown(QStringLiteral(
        "The image is physically larger then the maximum recommended size.  Would you like it to "
        "be automatically scaled down to them maximum recommended size?"));
    if (answer == AlertService::kDefault)
        scaleDown();
}

void ImagePane::scaleDown()
{
    // The user answered a sheet: the scaling is a step of its own, apart from whatever brought
    // the picture in.
    m_document->undoManager()->closeGroup();
    resizePicture(fittedSize(m_view->image().size(), kMaximumWidth, kMaximumHeight));
}

void ImagePane::resizePicture(const QSize &size)
{
    const QImage resized = m_view->resizedImage(QSizeF(size));
    if (resized.isNull()) {
        notScaled(tr("A picture of %1 by %2 pixels cannot be made.")
                      .arg(size.width())
                      .arg(size.height()));
        return;
    }
    m_document->replacePicture(resized, kResizeImage);
}

// --- Crop, scale and drop -----------------------------------------------------------------------

void ImagePane::applyImageEdit()
{
    m_tracker->finalizeChanges();
    if (!m_view->hasImage())
        return;
    // Without a selection the picture stays as it is, but the step is taken all the same.
    m_document->replacePicture(m_view->croppedImage(), QStringLiteral("Crop Image"));
}

void ImagePane::applyImageScale()
{
    m_tracker->finalizeChanges();
    if (!m_view->hasImage())
        return;
    const QSize size = m_view->image().size();
    const int row = findChild<VLXMatrix *>(QStringLiteral("Image_Edit_ScaleMatrix"))->selectedTag();
    QSize target;
    switch (row) {
    case FitLargest:
        // Only a picture with a side at or over its limit is fitted, so it never grows.
        if (size.width() < kMaximumWidth && size.height() < kMaximumHeight)
            return;
        target = fittedSize(size, kMaximumWidth, kMaximumHeight);
        break;
    case FitDefault:
        if (size.width() < kDefaultWidth && size.height() < kDefaultHeight)
            return;
        target = fittedSize(size, kDefaultWidth, kDefaultHeight);
        break;
    case TypedSize: {
        bool widthRead = false;
        bool heightRead = false;
        const double width = findChild<VLXTextField *>(ImagePane::kNewWidth)
                                 ->text()
                                 .trimmed()
                                 .toDouble(&widthRead);
        const double height = findChild<VLXTextField *>(ImagePane::kNewHeight)
                                  ->text()
                                  .trimmed()
                                  .toDouble(&heightRead);
        if (widthRead && heightRead && width == size.width() && height == size.height())
            return;
        if (!widthRead || !heightRead || !(width >= 1 && height >= 1) || width > kLargestTypedSide
            || height > kLargestTypedSide) {
            notScaled(
                tr("Type a width and a height between 1 and %1 pixels.").arg(kLargestTypedSide));
            return;
        }
        target = QSize(int(width), int(height));
        break;
    }
    default:
        return;
    }
    // A picture that already has the size keeps it, yet the step is recorded.
    if (target == size) {
        m_document->recordPicture(kResizeImage);
        return;
    }
    resizePicture(target);
}

namespace {
// The types under which another program drops the bytes of a picture a feed image may be.
const char *const kDroppedPictureTypes[] = {"image/png", "image/gif", "image/jpeg"};

// Pixels dropped from within this program: already a picture, nothing to decode. Data from
// elsewhere is never turned into a picture by Qt (which would try every image plugin it has).
bool holdsOwnPixels(const QMimeData *data)
{
    return data->metaObject() == &QMimeData::staticMetaObject && data->hasImage();
}

QString droppedFile(const QMimeData *data)
{
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && PictureDecoder::formatOfFile(url.toLocalFile()))
            return url.toLocalFile();
    }
    return {};
}

QByteArray droppedBytes(const QMimeData *data)
{
    for (const char *type : kDroppedPictureTypes) {
        if (data->hasFormat(QLatin1String(type)))
            return data->data(QLatin1String(type));
    }
    return {};
}
} // namespace

bool ImagePane::holdsImage(const QMimeData *data)
{
    if (!data)
        return false;
    if (holdsOwnPixels(data) || !droppedFile(data).isEmpty())
        return true;
    for (const char *type : kDroppedPictureTypes) {
        if (data->hasFormat(QLatin1String(type)))
            return true;
    }
    return false;
}

bool ImagePane::acceptDroppedImage(const QMimeData *data)
{
    if (!data)
        return false;
    if (holdsOwnPixels(data)) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        if (picture.isNull())
            return false;
        m_tracker->finalizeChanges();
        // Recorded before the picture changes, so undo brings the one before the drop back.
        m_document->replacePicture(picture, QStringLiteral("Dropped New Image"));
        // Dropped pixels have no file.
        m_document->setPictureFile(QString());
        return true;
    }
    // A file, or bytes of a picture, read in the background: the step is taken when the picture
    // has been read, a dropped file becoming the picture's own as an opened one does.
    const QString file = droppedFile(data);
    const QByteArray bytes = file.isEmpty() ? droppedBytes(data) : QByteArray();
    if (file.isEmpty() && bytes.isEmpty())
        return false;
    m_tracker->finalizeChanges();
    m_document->dropPicture(file, bytes);
    return true;
}
