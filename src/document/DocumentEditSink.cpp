#include "document/DocumentEditSink.h"

#include "document/ExtensionFieldTable.h"
#include "document/FeedDocument.h"
#include "document/FieldChange.h"
#include "extensions/FieldExtensionBase.h"

DocumentEditSink::DocumentEditSink(FeedDocument *document, FieldScope scope,
                                   std::function<int()> item)
    : m_document(document), m_scope(scope), m_item(std::move(item))
{
}

void DocumentEditSink::record(const ExtensionEdit &edit)
{
    FieldExtensionBase *fields = edit.fields();
    if (!m_document || !fields)
        return;
    const ExtensionDescriptor &descriptor = fields->descriptor();
    const int item = m_scope == FieldScope::Item && m_item ? m_item() : -1;
    // The object shown must be the one the records will find again.
    if (ExtensionFieldTable::target(*m_document, descriptor, item) != fields)
        return;
    if (const FeedField *row = ExtensionFieldTable::row(descriptor, edit.field)) {
        m_document->editField(*row, item, edit.newValue.toString());
        return;
    }
    // A list: the record keeps the whole list from before the edit.
    m_document->registerUndo(
        FieldChange::extensionValue(*m_document, m_scope, ExtensionFieldTable::targetOf(descriptor),
                                    edit.field, item, edit.oldValue,
                                    FieldChange::datesBefore(*m_document, m_scope, item, false)),
        edit.actionName);
    apply(edit);
    ExtensionFieldTable::refreshDates(*m_document, m_scope, item);
}
