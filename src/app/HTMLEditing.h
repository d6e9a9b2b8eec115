#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class FeedDocument;
class VLXFeed;
class VLXItems;
class WindowServices;
class WYSIWYG;
struct FeedField;

// The HTML editor on the channel's and the items' descriptions, and on any other HTML field of
// the window: one editor at a time, open over the feed window as its sheet (the window stays in
// sight but takes no input meanwhile); kept changes go back as one typed edit of the field.
class HTMLEditing : public QObject
{
    Q_OBJECT
public:
    HTMLEditing(WindowServices &window, QObject *parent);

    // The Edit HTML buttons and the descriptions' own request for their source.
    void connectHTMLEditor();
    // Opens the HTML editor on the channel's or the selected item's description (nothing while
    // one is open, or without a selected item).
    void editWYSIWYG(bool itemDescription);
    // The same on any field of the window (a namespace's HTML field among them), of the item at
    // the row for an item field, under the title given; the kept HTML is one step of the field.
    void editWYSIWYG(const FeedField &field, int row, const QString &title);
    // The open HTML editor, null while none is open.
    WYSIWYG *htmlEditor() const;

private:
    void storeEditedHTML(const FeedField &field, const std::weak_ptr<VLXFeed> &feed,
                         const std::weak_ptr<VLXItems> &item, const QString &html);

    WindowServices &m_window;
    FeedDocument *m_document;
    QPointer<WYSIWYG> m_editWYSIWYG;
};
