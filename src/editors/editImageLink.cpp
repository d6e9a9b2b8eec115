#include "editors/editImageLink.h"

#include "editors/ImagePreviewLoader.h"
#include "editors/editLink.h"
#include "ui/VLXBox.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

editImageLink::editImageLink(QWidget *parentWindow, int node, int imageNode,
                             const QString &imageURL, int width, int height, const QString &link,
                             int newBrowser, Done done, QObject *parent)
    : EditorSheet(parentWindow, QStringLiteral("editImageWindow"), tr("Image"), std::move(done),
                  parent),
      m_loader(new ImagePreviewLoader(this)), m_elementNode(node), m_imageElementNode(imageNode)
{
    QDialog *window = this->window();

    m_imageBox = named(new VLXBox(window), "editImageImageBox");
    m_imageBox->setTitle(tr("Image"));
    m_imageBox->setHelpAnchor(QStringLiteral("WYSIWYGImageEditor"));
    m_url = named(new VLXTextField(m_imageBox), "editImageURL");
    m_url->setMinimumWidth(320);
    m_width = named(new VLXTextField(m_imageBox), "editImageWidth");
    m_height = named(new VLXTextField(m_imageBox), "editImageHeight");
    m_preview = named(new VLXImageView(m_imageBox), "editImageImage");
    m_preview->setFixedSize(160, 120);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_actualSize = named(new QLabel(m_imageBox), "editImageActualSize");
    auto *fields = new QFormLayout;
    fields->addRow(tr("Image URL:"), m_url);
    fields->addRow(tr("Width:"), m_width);
    fields->addRow(tr("Height:"), m_height);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(m_preview);
    previewColumn->addWidget(m_actualSize);
    auto *imageLayout = new QHBoxLayout(m_imageBox);
    imageLayout->addLayout(fields, 1);
    imageLayout->addLayout(previewColumn);

    m_addLink = named(new VLXCheckBox(window), "editImageAddLink");
    m_addLinkText = named(new QLabel(tr("Link this image"), window), "editImageAddLinkText");
    m_addLinkText->setBuddy(m_addLink);
    auto *addLinkRow = new QHBoxLayout;
    addLinkRow->addWidget(m_addLink);
    addLinkRow->addWidget(m_addLinkText, 1);

    m_linkBox = named(new VLXBox(window), "editImageLinkBox");
    m_linkBox->setTitle(tr("Link"));
    m_linkBox->setHelpAnchor(QStringLiteral("WYSIWYGImageLinkEditor"));
    m_link = named(new VLXTextField(m_linkBox), "editImage_Link");
    m_newBrowser = named(new VLXCheckBox(m_linkBox), "editImageNewBrowser");
    m_newBrowser->setText(tr("Open in a new window"));
    auto *linkLayout = new QFormLayout(m_linkBox);
    linkLayout->addRow(tr("Link URL:"), m_link);
    linkLayout->addRow(QString(), m_newBrowser);

    auto *layout = new QVBoxLayout(window);
    layout->addWidget(m_imageBox);
    layout->addLayout(addLinkRow);
    layout->addWidget(m_linkBox);
    layout->addLayout(
        makeButtonRow([this] { editImageButtonOK(); }, [this] { editImageButtonCancel(); }));
    // The sheet is always as tall as what it shows: it grows and shrinks with the link fields.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_url->setText(imageURL);
    if (width > 0)
        m_width->setText(QString::number(width));
    if (height > 0)
        m_height->setText(QString::number(height));
    m_link->setText(link);
    m_newBrowser->setChecked(newBrowser != 0);
    // Without a link the link fields stay out of sight until the box is ticked.
    m_addLink->setChecked(!link.isEmpty());
    m_linkBox->setVisible(!link.isEmpty());

    connect(m_loader, &ImagePreviewLoader::finished, this, &editImageLink::showPreview);
    connect(m_url, &QLineEdit::editingFinished, this, &editImageLink::loadPreview);
    connect(m_addLink, &QCheckBox::clicked, this, &editImageLink::editImageButtonAddLink);
    loadPreview();
    window->open();
}

QString editImageLink::imageURL() const
{
    return m_url->text();
}

QString editImageLink::imageWidth() const
{
    return m_width->text();
}

QString editImageLink::imageHeight() const
{
    return m_height->text();
}

QString editImageLink::imageLink() const
{
    return m_link->text();
}

int editImageLink::imageHasLink() const
{
    return m_addLink->isChecked() ? 1 : 0;
}

int editImageLink::imageLinkNewBrowser() const
{
    return m_newBrowser->isChecked() ? 1 : 0;
}

QString editImageLink::sizeNotice() const
{
    return m_actualSize->text();
}

bool editImageLink::isPreviewLoading() const
{
    return m_loader->isLoading();
}

void editImageLink::loadPreview()
{
    const QString url = m_url->text();
    if (url == m_previewedURL && !url.isEmpty())
        return;
    m_previewedURL = url;
    m_preview->setImage({});
    if (url.isEmpty()) {
        m_loader->cancel();
        m_actualSize->clear();
        emit previewShown();
        return;
    }
    m_actualSize->setText(tr("Loading\u2026"));
    m_loader->load(url);
}

void editImageLink::showPreview(const QImage &image)
{
    m_preview->setImage(image);
    if (image.isNull())
        m_actualSize->setText(tr("Image not found"));
    else
        m_actualSize->setText(tr("Original size: %1 x %2").arg(image.width()).arg(image.height()));
    emit previewShown();
}

void editImageLink::editImageButtonAddLink()
{
    m_linkBox->setVisible(m_addLink->isChecked());
}

void editImageLink::editImageButtonOK()
{
    if (imageURL().isEmpty()) {
        missingField(tr("Image URL can not be left blank."));
        return;
    }
    if (m_addLink->isChecked() && editLink::isBlankLinkURL(imageLink())) {
        missingField(tr("Link URL can not be left blank."));
        return;
    }
    endSheet(1);
}

void editImageLink::editImageButtonCancel()
{
    endSheet(0);
}

void editImageLink::sheetEnded()
{
    m_loader->cancel();
}
