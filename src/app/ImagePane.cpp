#include "app/ImagePane.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "editors/CroppingImageView.h"
#include "model/VLXImage.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerImage.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionTabs.h"
#include "panes/FieldBinding.h"
#include "panes/PaneKit.h"
#include "platform/AlertService.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

ImagePane::ImagePane(FeedDocument *document, EditTracker *tracker, QWidget *parent)
    : QWidget(parent), m_document(document), m_tracker(tracker)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *split = PaneKit::named(new QSplitter(Qt::Horizontal), QStringLiteral("Image_SplitView"));
    split->setChildrenCollapsible(false);
    // The picture at its own size, scrolled when larger than the room it has, with the crop
    // selection drawn over it.
    auto *scroll = PaneKit::named(new QScrollArea, QStringLiteral("Image_Required_ImageScroll"));
    scroll->setFrameShape(QFrame::StyledPanel);
    scroll->setBackgroundRole(QPalette::Base);
    scroll->setMinimumWidth(75);
    auto *picture = PaneKit::named(new CroppingImageView, ImagePane::kPicture);
    picture->setSelectionMarker(CropMarker::cropMarkerForView(picture));
    picture->setContinuous(true);
    picture->setPlaceholderText(tr("No image"));
    scroll->setWidget(picture);
    split->addWidget(scroll);
    split->addWidget(buildEditor());
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({360, 570});
    layout->addWidget(split);

    m_binding = new FieldBinding(document, tracker, this, FieldScope::Image);
    m_binding->bind(FeedFields::all());
    m_binding->setAfterCommit([this](const FeedField &field, const QString &text) {
        if (field.outlet == FeedFields::kImageURL)
            imageURLChanged(text);
    });
    // The image's XML comments follow the document.
    connect(document, &FeedDocument::fieldChanged, this,
            [this](FieldScope scope, int, const QString &outlet) {
                if (scope == FieldScope::Image
                    && outlet == FeedDocument::listOutlet(FieldScope::Image, false))
                    findChild<VLXTableView *>(outlet)->reloadData();
            });
    m_view = picture;
    connectImageEdits();
}

QWidget *ImagePane::buildEditor()
{
    auto *sub = PaneKit::subTabs(QStringLiteral("tabsFeeds_ImagesSub"));
    sub->setMinimumWidth(395);

    auto *required = PaneKit::page(QStringLiteral("Required"));
    auto *requiredLayout = new QVBoxLayout(required);
    auto *form = PaneKit::newForm();
    form->addRow(tr("Title:"), PaneKit::textField(QStringLiteral("Image_Required_Title")));
    form->addRow(tr("Description:"),
                 PaneKit::textField(QStringLiteral("Image_Required_Description")));
    form->addRow(tr("Link:"),
                 PaneKit::textField(QStringLiteral("Image_Required_Link"), tr("https://")));
    form->addRow(tr("Image URL:"), PaneKit::textField(FeedFields::kImageURL, tr("https://")));
    auto *size = new QHBoxLayout;
    auto *width = PaneKit::textField(FeedFields::kImageWidth, tr("at most 144"));
    auto *height = PaneKit::textField(FeedFields::kImageHeight, tr("at most 400"));
    width->setMaximumWidth(110);
    height->setMaximumWidth(110);
    size->addWidget(width);
    size->addWidget(new QLabel(QStringLiteral("\u00d7")));
    size->addWidget(height);
    size->addStretch(1);
    form->addRow(tr("Size:"), size);
    requiredLayout->addLayout(form);
    requiredLayout->addStretch(1);
    sub->addTab(required, tr("Required"));

    auto *edit = PaneKit::page(QStringLiteral("Edit"));
    auto *editLayout = new QVBoxLayout(edit);
    auto *crop = PaneKit::named(new VLXBox, QStringLiteral("Image_Edit_CropBox"));
    crop->setTitle(tr("Crop"));
    auto *cropGrid = new QGridLayout(crop);
    const QList<QPair<QString, QString>> edges {{QStringLiteral("Left"), tr("Left:")},
                                                {QStringLiteral("Right"), tr("Right:")},
                                                {QStringLiteral("Top"), tr("Top:")},
                                                {QStringLiteral("Bottom"), tr("Bottom:")}};
    for (int i = 0; i < edges.size(); ++i) {
        auto *stepper
            = PaneKit::named(new VLXSpinBox, QStringLiteral("Image_Edit_New") + edges[i].first);
        stepper->setRange(0, 0);
        // The stepper's text is the edge's text field.
        stepper->findChild<QLineEdit *>()->setObjectName(QStringLiteral("Image_Edit_New")
                                                         + edges[i].first + QStringLiteral("TF"));
        cropGrid->addWidget(new QLabel(edges[i].second), i / 2, (i % 2) * 2, Qt::AlignRight);
        cropGrid->addWidget(stepper, i / 2, (i % 2) * 2 + 1);
    }
    cropGrid->addWidget(
        PaneKit::smallButton(QStringLiteral("Image_Edit_CropButton"), tr("Crop Image")), 2, 3,
        Qt::AlignRight);
    editLayout->addWidget(crop);
    auto *scale = PaneKit::named(new VLXBox, QStringLiteral("Image_Edit_ScaleBox"));
    scale->setTitle(tr("Scale"));
    auto *scaleLayout = new QVBoxLayout(scale);
    auto *presets = new VLXMatrix(nullptr, VLXMatrix::Radio);
    presets->setObjectName(QStringLiteral("Image_Edit_ScaleMatrix"));
    presets->addCell(0, tr("Fit within 144 \u00d7 400 (largest allowed)"), 0, 0);
    presets->addCell(1, tr("Fit within 88 \u00d7 31 (default size)"), 1, 0);
    presets->addCell(2, tr("Exactly:"), 2, 0);
    presets->setStateOfTag(0, 1);
    scaleLayout->addWidget(presets);
    auto *exact = new QHBoxLayout;
    exact->addSpacing(24);
    auto *newWidth = PaneKit::textField(ImagePane::kNewWidth, tr("width"));
    auto *newHeight = PaneKit::textField(ImagePane::kNewHeight, tr("height"));
    newWidth->setMaximumWidth(90);
    newHeight->setMaximumWidth(90);
    exact->addWidget(newWidth);
    exact->addWidget(new QLabel(QStringLiteral("\u00d7")));
    exact->addWidget(newHeight);
    exact->addStretch(1);
    exact->addWidget(
        PaneKit::smallButton(QStringLiteral("Image_Edit_ScaleButton"), tr("Scale Image")));
    scaleLayout->addLayout(exact);
    editLayout->addWidget(scale);
    editLayout->addStretch(1);
    sub->addTab(edit, tr("Edit"));

    auto *extensions = PaneKit::page(QStringLiteral("Extensions"));
    auto *extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->setContentsMargins(0, 4, 0, 0);
    extensionsLayout->addWidget(PaneKit::subTabs(QStringLiteral("tabsFeeds_ImagesExtensions")));
    sub->addTab(extensions, tr("Extensions"));
    sub->addTab(PaneKit::commentsPage(this, QStringLiteral("Image")), tr("Advanced"));
    return sub;
}

void ImagePane::loadData(bool reloadImage)
{
    m_binding->load();
    findChild<VLXTableView *>(FeedFields::kImageXMLComments)->reloadData();
    m_document->loadPicture(reloadImage);
}

void ImagePane::imageURLChanged(const QString &url)
{
    if (!m_document->picture().isNull()) {
        Alert ask;
        ask.style = Alert::Style::Informational;
        ask.title = QStringLiteral("Image URL Changed");
        ask.message = QStringLiteral("Do you wish to try and download an image at %1").arg(url);
        ask.defaultButton = QStringLiteral("Yes");
        ask.alternateButton = QStringLiteral("No");
        if (AlertService::show(ask) != AlertService::kDefault) {
            // The picture shown stays, now as the picture of the new address.
            m_document->setPictureOrigin({m_document->pictureFile(), url});
            return;
        }
    }
    // The step is recorded only when a picture arrives from the new address.
    m_document->downloadPicture(url, QStringLiteral("New Image"), true);
}

void ImagePane::loadExtensionTabs()
{
    const auto *manager = m_document->image()->XMLExtensions();
    const bool has = manager && manager->countOfExtensions() > 0;
    ExtensionTabs::showExtensionsTab(findChild<QTabWidget *>(QStringLiteral("tabsFeeds_ImagesSub")),
                                     m_heldExtensionsTab, has);
    auto *tabs = findChild<QTabWidget *>(QStringLiteral("tabsFeeds_ImagesExtensions"));
    ExtensionTabs::rebuild(tabs, has ? manager : nullptr, 0,
                           {m_document, m_tracker, FieldScope::Image, {}});
    ExtensionTabs::show(tabs, manager, 0);
}

int ImagePane::numberOfRowsInTableView(VLXTableView *)
{
    const int rows = int(m_document->image()->XMLComments().size());
    for (const char *name : {"Image_Advanced_DelComments", "Image_Advanced_EditComments"}) {
        if (QWidget *button = findChild<QWidget *>(QLatin1String(name)))
            button->setEnabled(rows > 0);
    }
    return rows;
}

QVariant ImagePane::tableViewObjectValue(VLXTableView *, const QString &, int row, int role)
{
    if (role != Qt::DisplayRole)
        return {};
    return VLXLogic::convertCRLFtoSymbols(m_document->image()->XMLComments().value(row));
}
