#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

// What the preferences window (gui) does with the settings store: it edits a working copy of the
// live settings and one feed's per-feed entry, then accepts or discards them. The store is the
// implementation (VLXPreferences); the window only sees this interface.
class VLXPreferencesWorkingCopy
{
public:
    virtual ~VLXPreferencesWorkingCopy() = default;

    // Opening the window: the displayed values become a copy of the live settings and the feed
    // with this identifier is the one whose per-feed entry the window edits. The baseline of the
    // save at quit is left as it is.
    virtual void beginEditing(const QString &uniqueKey) = 0;
    virtual bool hasDisplayedValues() const = 0;
    // The working copy; empty before beginEditing().
    virtual QVariantMap &displayedValues() = 0;
    virtual QString editedUniqueKey() const = 0;

    // First step of each page refresh: makes sure the one-feed cache holds the full entry of the
    // edited feed (appending a full default entry to the displayed "FD_CF_Array" when the feed
    // has none) and answers it. The window writes its per-feed controls into it.
    virtual QVariantMap &editedFeedEntry() = 0;
    // The global migration ladder, run on the displayed values before the pages are filled.
    virtual void checkVersion() = 0;

    // OK: the sparse form of the edited entry replaces the feed's entry in the displayed
    // "FD_CF_Array", then, when they differ, the displayed values become live and are saved.
    virtual void commitDisplayedValues() = 0;
    // Revert to defaults: the displayed values become a copy of the global defaults table and
    // the edited entry starts again from the per-feed defaults; nothing live changes until OK.
    virtual void revertToDefault() = 0;
    // Cancel: the displayed values become a copy of the live settings again and the edits held
    // in the one-feed cache are dropped, so later reads do not answer discarded values.
    virtual void discardDisplayedValues() = 0;

    // The namespace registry being edited, and the removal of "User Defined" entries from it.
    virtual QStringList &general_XMLNamespaces() = 0;
    virtual void validateGeneralXMLNamespaces() = 0;
    // Appends the entries and sorts the registry (well supported first, then by name).
    virtual void addGeneral_XMLNamespaces(const std::optional<QStringList> &entries) = 0;
    // Replaces the entry at the index and sorts again; an index out of range changes nothing.
    virtual void replaceGeneral_XMLNamespaces(const QString &entry, int atIndex) = 0;
    virtual void removeGeneral_XMLNamespacesAtIndex(int index) = 0;
};
