// Find and replace in a namespace's pane: the object's search protocol reaches its controls here.
#include "panes/ExtensionFieldPane.h"

#include "editors/openURLPanel.h"
#include "extensions/ExtensionDescriptor.h"
#include "extensions/FieldExtensionBase.h"
#include "panes/EditTracker.h"
#include "panes/SearchReveal.h"
#include "ui/TextHighlighting.h"
#include "ui/VLXTableView.h"

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
    // A match in a closed box opens it first, so the highlighted text is in sight.
    if (QAbstractButton *disclosure = disclosureOf(m_descriptor->field(field));
        disclosure && !disclosure->isChecked())
        disclosure->setChecked(true);
    SearchReveal::showSearchResult(onTab, underTab, atIndex, m_extension->extensionName(),
                                   control(field), {range.location, range.length});
}

ExtensionFindView::ListStep
ExtensionFieldPane::searchListEntry(int field, int entry, const QString &search,
                                    const std::optional<QString> &replacement, bool thenSearch,
                                    int options, QObject *onTab, QObject *underTab, int atIndex)
{
    FieldExtensionBase *object = fields();
    auto *table = qobject_cast<VLXTableView *>(control(field));
    if (!object || !m_extension || !table)
        return {};
    const ExtensionField &row = m_descriptor->field(field);
    const QString text = object->listSearchTexts(field).value(entry);
    // The entry's row is shown selected, in its tab, while the sheet works on it (a highlight
    // left in a text field of the window is dropped on the way).
    SearchReveal::showSearchResult(onTab, underTab, atIndex, m_extension->extensionName(), table,
                                   TextRange {});
    table->selectRow(entry);
    SearchReveal::letLayoutSettle();

    openURLPanel panel;
    panel.setParentWindow(window());
    panel.setEditWindowTitle(QString::fromLatin1(row.findTitle ? row.findTitle : ""));
    panel.setURLString(text);
    const int result = panel.replace(search, replacement, thenSearch, options);
    ListStep step;
    step.replaceDone = panel.replaceDone();
    step.found = panel.searchFound();
    // The object may have gone while the sheet ran (an undo of the item, a feed read again).
    if (result == 1 && fields() == object && panel.URLString() != text) {
        m_tracker->finalizeChanges();
        commit(field, object->listWithEntry(field, object->value(field), entry, panel.URLString()),
               QString::fromLatin1(row.undoName ? row.undoName : ""));
    }
    return step;
}
