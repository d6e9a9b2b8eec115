#pragma once

#include "document/FeedDocument.h"
#include "editors/XMLSourceRequest.h"

#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The XML source window for the three that edit raw XML: View XML (original: the feed text
// as read; current: the feed as built now; the feed's prefixes), mending a text that is no
// feed (original and current: that text) and a raw namespace pane (a fragment, no
// original). Answers the edited text, nothing when it was closed without keeping it. Tests
// install an editor of their own.
class XMLSourceEditing
{
public:
    using Editor = std::function<std::optional<QString>(const XMLSourceRequest &)>;
    static void setEditor(Editor editor);
    static std::optional<QString> edit(const XMLSourceRequest &request, QWidget *parent);

    // What the window is asked to mend a refused text with: the text, why it was refused under
    // the label of the kind of its cause, and the line the refusal names.
    static XMLSourceRequest mending(const QString &text, const FeedDocument::Refusal &why);
    // The label the message list gives a refusal of that kind: "Not Well-Formed", "Bytes That Do
    // Not Decode" or "Not a Feed".
    static QString kindLabel(VLXParseFeed::Cause cause);
};
