#pragma once

#include "editors/EditorSheet.h"

#include <QString>

class ImagePreviewLoader;
class QImage;
class QLabel;
class VLXBox;
class VLXCheckBox;
class VLXImageView;
class VLXTextField;

// The sheet that asks for an image: its URL, width and height, and an optional link around it
// with its new-window choice. It previews the picture (read in the background, so a slow server
// never holds up the editor) and tells its real size. The link fields show only while the image
// is to be linked; the sheet grows and shrinks with them. Like the link sheet it keeps the keys
// of the nodes it was opened for and reports 1 (OK) or 0 (Cancel) through the done callback.
class editImageLink : public EditorSheet
{
    Q_OBJECT
public:
    // `node` is the key of the node to be replaced (the A around the image, or the image), and
    // `imageNode` that of the image being edited; 0 for a new image. Width or height 0 leaves
    // its field empty.
    editImageLink(QWidget *parentWindow, int node, int imageNode, const QString &imageURL,
                  int width, int height, const QString &link, int newBrowser, Done done,
                  QObject *parent = nullptr);

    QString imageURL() const;
    QString imageWidth() const;
    QString imageHeight() const;
    QString imageLink() const;
    int imageHasLink() const;
    int imageLinkNewBrowser() const;
    int elementNode() const { return m_elementNode; }
    int imageElementNode() const { return m_imageElementNode; }

    void editImageButtonOK();
    void editImageButtonCancel();
    // The add-link box was ticked or unticked: the link fields show or hide.
    void editImageButtonAddLink();

    // The text beside the preview: empty, "Image not found" or the picture's size.
    QString sizeNotice() const;
    bool isPreviewLoading() const;

signals:
    // The preview finished (found or not).
    void previewShown();

private:
    void loadPreview();
    void showPreview(const QImage &image);
    void sheetEnded() override;

    VLXBox *m_imageBox = nullptr;
    VLXBox *m_linkBox = nullptr;
    VLXTextField *m_url = nullptr;
    VLXTextField *m_width = nullptr;
    VLXTextField *m_height = nullptr;
    VLXTextField *m_link = nullptr;
    VLXCheckBox *m_addLink = nullptr;
    QLabel *m_addLinkText = nullptr;
    VLXCheckBox *m_newBrowser = nullptr;
    VLXImageView *m_preview = nullptr;
    QLabel *m_actualSize = nullptr;
    ImagePreviewLoader *m_loader = nullptr;
    QString m_previewedURL;
    int m_elementNode = 0;
    int m_imageElementNode = 0;
};
