#pragma once

#include "model/extensionNSRaw.h"

#include <QString>
#include <optional>

class QObject;

// What a find step needs of the pane that shows an extension: the model holds only this
// interface (set by the pane while it shows the object), never a widget. Fields are indexes of
// the extension's field table.
class ExtensionFindView
{
public:
    virtual ~ExtensionFindView() = default;

    // The text highlighted in the field's control; nullopt when nothing is highlighted.
    virtual std::optional<QString> highlightedString(int field) const = 0;
    // Replaces the highlighted text as an ordinary edit of the field (with its undo) and answers
    // the range the new text now takes.
    virtual extensionNSRaw::Range replaceHighlighted(int field, const QString &text) = 0;
    // Shows the pane (the tab at atIndex of underTab, then this extension's tab of onTab) and
    // highlights the range in the field's control.
    virtual void showMatch(int field, extensionNSRaw::Range range, QObject *onTab,
                           QObject *underTab, int atIndex)
        = 0;

    // What a list step did with one entry.
    struct ListStep
    {
        bool replaceDone = false; // the replacement was used up on the entry
        bool found = false; // the step stopped at a match in the entry: the walk ends there
    };
    // A searchable list field is searched entry by entry: shows the entry's row and runs the
    // find or replace step of the field's edit sheet on it. A change the user accepts there is
    // one edit of the list, with its undo.
    virtual ListStep searchListEntry(int field, int entry, const QString &search,
                                     const std::optional<QString> &replacement, bool thenSearch,
                                     int options, QObject *onTab, QObject *underTab, int atIndex)
    {
        Q_UNUSED(field);
        Q_UNUSED(entry);
        Q_UNUSED(search);
        Q_UNUSED(replacement);
        Q_UNUSED(thenSearch);
        Q_UNUSED(options);
        Q_UNUSED(onTab);
        Q_UNUSED(underTab);
        Q_UNUSED(atIndex);
        return {};
    }
};
