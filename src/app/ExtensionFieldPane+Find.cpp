// Find and replace in a namespace's pane: the object's search protocol reaches its controls here.
#include "app/ExtensionFieldPane.h"

#include "app/SearchReveal.h"
#include "ui/TextHighlighting.h"

std::optional<QString> ExtensionFieldPane::highlightedString(int field) const
{
    const QString highlighted = TextHighlighting::highlightedString(control(field));
    if (highlighted.isNull())
        return std::nullopt;
    return highlighted;
}

extensionNSRaw::Range ExtensionFieldPane::replaceHighlighted(int field, const QString &text)
{
    // The control's edit tracking commits the change as the user's edit of the field.
    QWidget *target = control(field);
    TextHighlighting::replaceHighlighted(target, text);
    const TextRange range = TextHighlighting::highlightRange(target);
    if (range.isNotFound())
        return {extensionNSRaw::kNotFound, 0};
    return {range.location, range.length};
}

void ExtensionFieldPane::showMatch(int field, extensionNSRaw::Range range, QObject *onTab,
                                   QObject *underTab, int atIndex)
{
    if (!m_extension)
        return;
    SearchReveal::showSearchResult(onTab, underTab, atIndex, m_extension->extensionName(),
                                   control(field), {range.location, range.length});
}
