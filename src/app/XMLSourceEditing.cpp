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
