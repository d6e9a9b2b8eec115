#pragma once

#include "document/FeedField.h"
#include "extensions/ExtensionEditSink.h"

#include <QPointer>
#include <functional>

class FeedDocument;

// The feed window's sink for the edits of an extension pane: each is one undo step on the
// document's stack, in the window's one family of records, with the publication dates from
// before the edit (the channel's, and for an item pane the item's), and it refreshes the
// automatic date of its scope. The item is the one the pane shows when the edit is committed.
class DocumentEditSink : public ExtensionEditSink
{
public:
    DocumentEditSink(FeedDocument *document, FieldScope scope, std::function<int()> item);

protected:
    void record(const ExtensionEdit &edit) override;

private:
    QPointer<FeedDocument> m_document;
    FieldScope m_scope;
    std::function<int()> m_item;
};
