#pragma once

#include <QDialog>
#include <memory>

class LockedWebProfile;
class PreviewPage;
class QPrinter;
class VLXButton;
class VLXFeed;
class VLXTextField;
class VLXWebView;

// The preview of the loaded feed: the feed rendered through an HTML template as a web page,
// with the template's path, a button to choose another template, Print and Close. While it is
// open the feed window takes no input (it is modal to it), and Print of the feed window prints
// the preview. Controls are named after their outlets ("previewTemplate", "previewView", ...).
class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget *parent = nullptr);
    ~PreviewWindow() override;

    // The page a preview shows: the export of the feed through the template (HTML, every item,
    // none left out), in a bare HTML 3.2 page.
    static QString previewHtml(const VLXFeed &feed, const QString &templatePath);
    // The template of a preview: "feedPreviewTemplate" when it is set and (if asked) names an
    // existing file, else the default web page template.
    static QString previewTemplatePath(bool mustExist);

    // printDocument: shows the feed (the template chosen as above) and returns at once; while
    // the preview is open it prints it instead.
    void printDocument(std::shared_ptr<VLXFeed> feed);
    bool inPreviewMode() const { return isVisible(); }

    // The window's actions.
    void previewTemplateChanged();
    // Shows the print panel over the preview and prints the page; answers whether a printout
    // was started (the page is printed in the background; printFinished tells the end).
    bool previewPrint();
    void previewCancel();
    // Ends the preview (Close, Escape, the close box); the feed is let go.
    void done(int code) override;

    VLXWebView *view() const { return m_view; }
    PreviewPage *page() const { return m_page; }
    QString templatePath() const;

signals:
    // A printout started by previewPrint ended.
    void printFinished(bool success);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void reload();

    std::shared_ptr<VLXFeed> m_feed;
    LockedWebProfile *m_profile = nullptr;
    PreviewPage *m_page = nullptr;
    VLXWebView *m_view = nullptr;
    VLXTextField *m_template = nullptr;
    std::unique_ptr<QPrinter> m_printer; // kept until the page is printed
};
