#include "app/HTMLEditing.h"

#include "app/WindowServices.h"
#include "document/FeedDocument.h"

#include "document/FeedFields.h"
#include "editors/WYSIWYG.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "panes/EditTracker.h"
#include "platform/AlertService.h"
#include "ui/VLXTextViewHTML.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>

HTMLEditing::HTMLEditing(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window), m_document(window.document())
{
}

WYSIWYG *HTMLEditing::htmlEditor() const
{
    return m_editWYSIWYG;
}

void HTMLEditing::connectHTMLEditor()
{
    const struct
    {
        const char *button;
        QLatin1String view;
        bool item;
    } editors[] = {{"Feeds_Required_EditHTML", FeedFields::kFeedDescription, false},
                   {"Items_Required_EditHTML", FeedFields::kItemDescription, true}};
    for (const auto &editor : editors) {
        const bool item = editor.item;
        if (auto *button = m_window.outlet<QAbstractButton>(QLatin1String(editor.button)))
            connect(button, &QAbstractButton::clicked, this, [this, item] { editWYSIWYG(item); });
        if (auto *view = m_window.outlet<VLXTextViewHTML>(editor.view))
            view->setEditHTMLSource([this, item](VLXTextViewHTML *) { editWYSIWYG(item); });
    }
}

void HTMLEditing::editWYSIWYG(bool itemDescription)
{
    const FeedField *field = FeedFields::byOutlet(itemDescription ? FeedFields::kItemDescription
                                                                  : FeedFields::kFeedDescription);
    if (field)
        editWYSIWYG(*field, itemDescription ? m_window.selectedItemRow() : -1,
                    itemDescription ? tr("Item Description HTML Editor")
                                    : tr("Feed Description HTML Editor"));
}

void HTMLEditing::editWYSIWYG(const FeedField &fieldShown, int row, const QString &title)
{
    m_window.finalizeChanges();
    if (m_editWYSIWYG)
        return;
    // Rows live as long as the program; the pointer is kept for the editor's result.
    const FeedField *field = &fieldShown;
    const bool itemField = field->isItemScoped();
    if (!itemField)
        row = -1;
    if (itemField && !m_document->item(row))
        return;
    // The edit goes back to the feed and the item it was opened for, wherever that item is by
    // then; rows may have moved while the editor was open.
    const std::weak_ptr<VLXFeed> feed = m_document->feed();
    const std::weak_ptr<VLXItems> item
        = itemField ? m_document->feed()->itemAtIndex(row) : std::shared_ptr<VLXItems>();
    const QVariantMap context {{QStringLiteral("initialValue"), m_document->value(*field, row)},
                               {QStringLiteral("fieldName"), title},
                               {QStringLiteral("object"), field->outlet},
                               {QStringLiteral("index"), row}};

    auto *editor = new WYSIWYG(this);
    m_editWYSIWYG = editor;
    const bool shown = editor->showEditWindow(
        [this, editor, field, feed, item](const QVariantMap &result) {
            if (result.value(QStringLiteral("result")).toInt() == 1 && editor->isDocumentEdited())
                storeEditedHTML(*field, feed, item, editor->html());
            editor->deleteLater();
            m_editWYSIWYG = nullptr;
            if (m_window.window()) {
                m_window.window()->raise();
                m_window.window()->activateWindow();
            }
        },
        context, m_window.window());
    if (!shown) {
        delete editor;
        m_editWYSIWYG = nullptr;
    }
}

void HTMLEditing::storeEditedHTML(const FeedField &field, const std::weak_ptr<VLXFeed> &feed,
                                  const std::weak_ptr<VLXItems> &item, const QString &html)
{
    const std::shared_ptr<VLXFeed> openedFor = feed.lock();
    int row = -1;
    bool found = openedFor && openedFor == m_document->feed();
    if (found && field.isItemScoped()) {
        const std::shared_ptr<VLXItems> target = item.lock();
        row = target ? openedFor->indexOfItem(target.get()) : -1;
        found = row >= 0;
    }
    if (found) {
        // As if typed: one undo step named by the field, with its publication dates.
        m_document->editField(field, row, html);
        return;
    }
    // Never dropped in silence: the text waits on the clipboard.
    QGuiApplication::clipboard()->setText(html);
    Alert gone;
    gone.style = Alert::Style::Informational;
    gone.title = tr("Description Not Stored");
    gone.message = field.isItemScoped()
        ? tr("The item whose description was being edited is no longer in the feed, so the "
             "edited HTML could not be stored.  It has been copied to the clipboard.")
        : tr("The feed whose description was being edited is no longer open, so the edited "
             "HTML could not be stored.  It has been copied to the clipboard.");
    AlertService::show(gone);
}
