#include "app/XMLSourceEditing.h"

#include "editors/XMLSourceController.h"

namespace {
XMLSourceEditing::Editor &installed()
{
    static XMLSourceEditing::Editor editor;
    return editor;
}
} // namespace

void XMLSourceEditing::setEditor(Editor editor)
{
    installed() = std::move(editor);
}

std::optional<QString> XMLSourceEditing::edit(const XMLSourceRequest &request, QWidget *parent)
{
    if (installed())
        return installed()(request);
    return XMLSourceController::edit(request, parent);
}

XMLSourceRequest XMLSourceEditing::mending(const QString &text, const FeedDocument::Refusal &why)
{
    return XMLSourceRequest::mending(text, why.reason, why.line, kindLabel(why.cause));
}

QString XMLSourceEditing::kindLabel(VLXParseFeed::Cause cause)
{
    switch (cause) {
    case VLXParseFeed::Cause::NotWellFormed:
        return QStringLiteral("Not Well-Formed");
    case VLXParseFeed::Cause::Undecodable:
        return QStringLiteral("Bytes That Do Not Decode");
    case VLXParseFeed::Cause::NotAFeed:
    case VLXParseFeed::Cause::None:
        break;
    }
    // A refusal that names no cause still tells of a text that is no feed.
    return QStringLiteral("Not a Feed");
}
