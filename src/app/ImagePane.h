#pragma once

#include "ui/VLXTableDataSource.h"

#include <QPointer>
#include <QWidget>

class EditTracker;
class FeedDocument;
class FieldBinding;

// The image tab (`Image_SplitView`): the feed image's picture on the left and its fields, the
// crop and scale boxes, its extensions and its XML comments on the right, bound to the image
// rows of the field table. The picture is the document's: fetched in the background from the
// image URL and shown when it arrives.
class ImagePane : public QWidget, public VLXTableDataSource
{
    Q_OBJECT
public:
    ImagePane(FeedDocument *document, EditTracker *tracker, QWidget *parent = nullptr);

    // Fills the image controls; the picture is fetched again unless an edited picture of the
    // same address would be lost (reloadImage false).
    void loadData(bool reloadImage);
    void loadExtensionTabs();
    FieldBinding *binding() const { return m_binding; }

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

private:
    QWidget *buildEditor();
    // A new address typed by the user: asks before replacing a picture, then fetches it as one
    // step "New Image".
    void imageURLChanged(const QString &url);

    FeedDocument *m_document;
    EditTracker *m_tracker;
    FieldBinding *m_binding = nullptr;
    QPointer<QWidget> m_heldExtensionsTab;
};
