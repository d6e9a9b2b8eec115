#pragma once

#include <QString>

class PreferencesContext;
class QObject;
class QWidget;
class VLXTableView;

// The actions of the simple list pages of the preferences window: categories, XML comments and
// publishing sites, each one action for the list's Add (tag 1), Delete (tag 2) and Edit (tag 3)
// buttons; and the MIME type suggestion of an enclosure. Every dialog is made for one use; a
// cancelled one changes nothing. Edited elements are replaced by new ones, never changed in
// place, so the live settings stay as they are until OK.
class PreferenceListActions
{
public:
    enum Tag { Add = 1, Delete = 2, Edit = 3 };

    // The tag a list button carries (its "tag" property), 0 when it has none.
    static int tagOf(const QObject *sender);

    // Categories: the list is stored by the read-back that follows.
    static void categoryAction(PreferencesContext &context, const QString &listName,
                               VLXTableView *table, int tag);
    // XML comments: an accepted empty comment adds nothing, an unchanged one changes nothing.
    static void commentAction(PreferencesContext &context, const QString &listName,
                              VLXTableView *table, int tag);
    // Publishing sites: deleting a site leaves its passwords in the secret store alone.
    static void siteAction(PreferencesContext &context, const QString &listName,
                           VLXTableView *table, int tag);

    // Offers the MIME type of the URL typed in `urlField` for `typeField`; beeps when no type
    // is known for it.
    static void suggestMIMEType(PreferencesContext &context, QWidget *root, const QString &urlField,
                                const QString &typeField);

    // Refusals beep; the count lets tests see them.
    static void beep();
    static int beepCount();
};
