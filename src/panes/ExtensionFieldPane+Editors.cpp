// The editors a namespace pane opens for a field: the date picker of a date field and the HTML
// editor of an HTML view. In the feed window their results are steps of the document like the
// window's own; in a pane of default values (a preferences twin) they only change that object,
// never the feed open in the window.
#include "panes/ExtensionFieldPane.h"

#include "document/ExtensionFieldTable.h"
#include "document/FeedDocument.h"
#include "editors/TimeAndDate.h"
#include "editors/WYSIWYG.h"
#include "extensions/ExtensionEditSink.h"
#include "extensions/FieldExtensionBase.h"
#include "model/VLXLogic.h"
#include "panes/WindowHost.h"

#include <QMainWindow>

void ExtensionFieldPane::commitChosen(int field, const QString &value, const QString &actionName)
{
    FieldExtensionBase *object = fields();
    if (!object || !m_sink)
        return;
    if (m_document && m_extension->allowsUndo()) {
        const FeedField *row = ExtensionFieldTable::row(*m_descriptor, field);
        const int item = itemShown();
        if (row && ExtensionFieldTable::target(*m_document, *m_descriptor, item) == object)
            m_document->commitField(*row, item, value);
    } else {
        m_sink->commit({m_extension, field, object->value(field), value, actionName});
    }
    show(field);
}

void ExtensionFieldPane::pickDate(int field)
{
    m_tracker->finalizeChanges();
    const FieldExtensionBase *object = fields();
    if (!object)
        return;
    TimeAndDate picker;
    picker.setInitialValueVLXDateFormat(VLXLogic::convertValidDateToRFC822(object->text(field)));
    if (picker.showCustomSheet(window()) != 1)
        return;
    commitChosen(field, VLXLogic::createRDFDateString(picker.resultDate()),
                 QString::fromLatin1(m_descriptor->field(field).undoName));
}

void ExtensionFieldPane::editHTML(int field)
{
    m_tracker->finalizeChanges();
    FieldExtensionBase *object = fields();
    if (!object)
        return;
    const ExtensionField &source = m_descriptor->field(field);
    const QString title = (m_descriptor->place == ExtensionPlace::Item ? tr("Item %1 HTML Editor")
                                                                       : tr("Feed %1 HTML Editor"))
                              .arg(QString::fromLatin1(source.undoName));
    if (m_document && m_extension->allowsUndo()) {
        // The window's editor, so the edit is stored as the window stores its descriptions.
        WindowHost *host = WindowHost::current();
        const FeedField *row = ExtensionFieldTable::row(*m_descriptor, field);
        if (host && row && host->document() == m_document)
            host->editWYSIWYG(*row, itemShown(), title);
        return;
    }
    if (m_htmlEditor)
        return;
    auto *editor = new WYSIWYG(this);
    m_htmlEditor = editor;
    const std::shared_ptr<extensionNSRaw> target = m_extension;
    const QString actionName = QString::fromLatin1(source.undoName);
    const QVariantMap context {{QStringLiteral("initialValue"), object->text(field)},
                               {QStringLiteral("fieldName"), title},
                               {QStringLiteral("object"), field},
                               {QStringLiteral("index"), -1}};
    // In the preferences the editor takes the place of their window until it ends.
    const QPointer<QWidget> hidden
        = m_keys != Keys::None && window()->isVisible() ? window() : nullptr;
    const bool shown = editor->showEditWindow(
        [this, editor, target, field, actionName, hidden](const QVariantMap &result) {
            FieldExtensionBase *edited = FieldExtensionBase::from(target.get());
            if (result.value(QStringLiteral("result")).toInt() == 1 && editor->isDocumentEdited()
                && edited && m_sink)
                m_sink->commit({target, field, edited->value(field), editor->html(), actionName});
            editor->deleteLater();
            m_htmlEditor = nullptr;
            if (hidden) {
                hidden->show();
                hidden->raise();
                hidden->activateWindow();
            }
        },
        context, window());
    if (!shown) {
        delete editor;
        m_htmlEditor = nullptr;
        return;
    }
    if (hidden)
        hidden->hide();
}
