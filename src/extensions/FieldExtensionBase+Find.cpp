// The find walk over an extension's fields, the look whether they hold a text, and Replace All.

#include "extensions/FieldExtensionBase.h"

#include "extensions/ExtensionFindView.h"

namespace {

using Field = ExtensionField;

// Non-overlapping occurrences, as QString::replace() replaces them.
int occurrences(const QString &text, const QString &search, Qt::CaseSensitivity cs)
{
    int count = 0;
    for (qsizetype at = text.indexOf(search, 0, cs); at >= 0;
         at = text.indexOf(search, at + search.size(), cs))
        ++count;
    return count;
}

// The case sensitivity the find options ask for.
Qt::CaseSensitivity sensitivity(int options)
{
    return (options & extensionNSRaw::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

} // namespace

int FieldExtensionBase::replaceAllFields(const QString &search, const QString &replacement,
                                         int options)
{
    if (search.isEmpty())
        return 0;
    const Qt::CaseSensitivity cs = sensitivity(options);
    int total = 0;
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (row.searchable && row.kind == Field::Kind::List) {
            // Each entry as a text of its own; the list is written back once.
            int listCount = 0;
            QVariant list = value(f);
            const QStringList entries = listSearchTexts(f);
            for (int e = 0; e < entries.size(); ++e) {
                const int count = occurrences(entries.at(e), search, cs);
                if (count == 0)
                    continue;
                QString entry = entries.at(e);
                entry.replace(search, replacement, cs);
                list = listWithEntry(f, list, e, entry);
                listCount += count;
            }
            if (listCount > 0)
                setValue(f, list);
            total += listCount;
            continue;
        }
        if (!row.searchable || row.kind != Field::Kind::Text || !textMayHold(f, search, cs))
            continue;
        const int count = occurrences(text(f), search, cs);
        if (count == 0)
            continue;
        QString value = text(f);
        value.replace(search, replacement, cs);
        setText(f, value);
        total += count;
    }
    return total;
}

bool FieldExtensionBase::fieldsHold(const QString &search, int options) const
{
    if (search.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = sensitivity(options);
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (!row.searchable)
            continue;
        if (row.kind == Field::Kind::Text) {
            if (textMayHold(f, search, cs) && text(f).contains(search, cs))
                return true;
        } else if (row.kind == Field::Kind::List) {
            for (const QString &entry : listSearchTexts(f)) {
                if (entry.contains(search, cs))
                    return true;
            }
        }
    }
    return false;
}

bool FieldExtensionBase::findInFields(const QString &search,
                                      const std::optional<QString> &replacement, bool thenSearch,
                                      int options, QObject *onTab, QObject *underTab, int atIndex)
{
    extensionNSRaw &ext = extension();
    ext.setReplaceResult(false);
    std::optional<QString> pending = replacement;
    const int count = descriptor().fieldCount();
    for (int f = ext.searchFieldIndex(); f < count; ++f) {
        ext.setSearchFieldIndex(f);
        const ExtensionField &row = descriptor().field(f);
        // Fields that are not searched (flags, lists of records) still take their place in the
        // walk.
        if (row.searchable && row.kind == Field::Kind::Text) {
            if (pending) {
                const std::optional<QString> highlighted
                    = m_findView ? m_findView->highlightedString(f) : std::nullopt;
                if (highlighted && *highlighted == search) {
                    ext.search().lastFound = m_findView->replaceHighlighted(f, *pending);
                    ext.setReplaceResult(true);
                    if (!thenSearch)
                        return true;
                } else {
                    ext.setReplaceResult(true);
                }
                // Whether the replacement was made or not, the search goes on from here.
                thenSearch = true;
                pending.reset();
            } else if (!thenSearch) {
                return false;
            }
            // A text that cannot hold the search is not made: searched as "", it finds nothing
            // and the search goes on from the next field as well.
            const Qt::CaseSensitivity cs = sensitivity(options);
            const extensionNSRaw::Range found = ext.searchField(
                textMayHold(f, search, cs) ? text(f) : QString(), search, options);
            if (found.location != extensionNSRaw::kNotFound) {
                if (m_findView)
                    m_findView->showMatch(f, found, onTab, underTab, atIndex);
                return true;
            }
        } else if (row.searchable && row.kind == Field::Kind::List) {
            if (findInList(f, search, pending, thenSearch, options, onTab, underTab, atIndex))
                return true;
        }
        // The next field is searched from its start, with no replacement pending.
        ext.search().lastFound = {extensionNSRaw::kNotFound, 0};
        ext.setSearchFieldSubindex(0);
        pending.reset();
    }
    ext.setSearchFieldIndex(count);
    return false;
}

bool FieldExtensionBase::findInList(int field, const QString &search,
                                    std::optional<QString> &pending, bool thenSearch, int options,
                                    QObject *onTab, QObject *underTab, int atIndex)
{
    extensionNSRaw &ext = extension();
    const Qt::CaseSensitivity cs = sensitivity(options);
    // The list is read again after each entry: an accepted change in the sheet is stored at once.
    for (int e = ext.searchFieldSubindex();; ++e) {
        const QStringList entries = listSearchTexts(field);
        if (e >= entries.size())
            break;
        if (!entries.at(e).contains(search, cs))
            continue;
        if (!m_findView) {
            // Nothing shows the object (a copy that only asks whether there is a match).
            ext.setSearchFieldSubindex(e + 1);
            return true;
        }
        const ExtensionFindView::ListStep step = m_findView->searchListEntry(
            field, e, search, pending, thenSearch, options, onTab, underTab, atIndex);
        if (step.replaceDone) {
            pending.reset();
            ext.setReplaceResult(true);
        }
        if (step.found) {
            // The next step goes on after this entry: the sheet has walked its own text.
            ext.setSearchFieldSubindex(e + 1);
            return true;
        }
    }
    return false;
}
