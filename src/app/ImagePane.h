#pragma once

#include "ui/VLXTableDataSource.h"

#include <QPointer>
#include <QWidget>

class CroppingImageView;
class EditTracker;
class FeedDocument;
class FieldBinding;
class QMimeData;
class QRectF;
class QSize;
class VLXSpinBox;

// The image tab (`Image_SplitView`): the feed image's picture on the left and its fields, the
// crop and scale boxes, its extensions and its XML comments on the right, bound to the image
// rows of the field table. The picture is the document's: read from the local file the user
// chose for it, or fetched in the background from the image URL and shown when it arrives.
//
// The four crop edges and the view's selection follow each other (ImagePane+Editing.cpp); the
// crop, scale and drop edits replace the document's picture as one undo step each, and a
// picture beyond the largest size a feed image may have is offered to be scaled down.
class ImagePane : public QWidget, public VLXTableDataSource
{
    Q_OBJECT
public:
    // Outlets of the pane's own controls that other code uses.
    static constexpr QLatin1String kPicture {"Image_Required_Image"};
    static constexpr QLatin1String kNewWidth {"Image_Edit_NewWidth"};
    static constexpr QLatin1String kNewHeight {"Image_Edit_NewHeight"};

    ImagePane(FeedDocument *document, EditTracker *tracker, QWidget *parent = nullptr);

    // Fills the image controls and shows the feed's picture (FeedDocument::loadPicture).
    void loadData(bool reloadImage);
    void loadExtensionTabs();
    FieldBinding *binding() const { return m_binding; }

    // --- Crop edges, size limits and picture edits (ImagePane+Editing.cpp) --------------------
    // The largest feed image, and the default size (the RSS image element's own).
    static constexpr int kMaximumWidth = 144;
    static constexpr int kMaximumHeight = 400;
    static constexpr int kDefaultWidth = 88;
    static constexpr int kDefaultHeight = 31;
    enum ScalePreset { FitLargest = 0, FitDefault = 1, TypedSize = 2 };
    // The size a picture of this size becomes when fitted within the box, keeping its aspect:
    // truncated to whole pixels, never less than one.
    static QSize fittedSize(const QSize &size, int maxWidth, int maxHeight);

    CroppingImageView *imageView() const { return m_view; }
    // A new picture's size: the scale fields, the steppers' maxima, and edges framing it all
    // (nothing without a picture).
    void setCropLimits(const QSize &size);
    // Shows the edges of a rectangle in corner form (x left, y bottom, width right, height top).
    void setCropSize(const QRectF &corners);
    // The selection from the edges: cleared when every edge sits at a border of its stepper.
    void cropEdgesChanged();
    // After a new picture: the scale-down sheet when it is too large, then the reminder.
    void checkImageSize();
    // When the tab is shown: the scale-down sheet for a too-large picture, without the reminder.
    void warnIfImageTooLarge();
    // The crop button: the selected part becomes the picture ("Crop Image").
    void applyImageEdit();
    // The scale button: the chosen preset's size ("Resize Image").
    void applyImageScale();
    // A picture dropped on the view ("Dropped New Image"); false when the drop holds none. A
    // file or another program's data is read in the background (FeedDocument::dropPicture).
    bool acceptDroppedImage(const QMimeData *data);
    // The drop holds this program's pixels, a GIF, JPEG or PNG file, or such a picture's bytes.
    static bool holdsImage(const QMimeData *data);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

private:
    QWidget *buildEditor();
    // A new address typed by the user: asks before replacing a picture, then fetches it as one
    // step "New Image".
    void imageURLChanged(const QString &url);
    void connectImageEdits();
    void pictureChanged();
    VLXSpinBox *edge(const char *name) const;
    // Scales the picture to fit the largest size, as one step "Resize Image".
    void scaleDown();
    // The picture drawn at the new size takes its place as one step "Resize Image"; an alert
    // and nothing else when no picture of that size can be made.
    void resizePicture(const QSize &size);

    FeedDocument *m_document;
    EditTracker *m_tracker;
    FieldBinding *m_binding = nullptr;
    CroppingImageView *m_view = nullptr;
    QPointer<QWidget> m_heldExtensionsTab;
};
