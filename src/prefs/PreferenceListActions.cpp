#include "prefs/PreferenceListActions.h"

#include "editors/categoryElementEdit.h"
#include "editors/editXMLComment.h"
#include "platform/KeyedArchivable.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesContext.h"
#include "publish/editSite.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"
#include "ui/EnclosureFileQuestions.h"
#include "ui/VLXTableView.h"

#include <QApplication>
#include <QLineEdit>
#include <atomic>

namespace {
std::atomic<int> g_beeps {0};

// The selected row when it is one of the list's, else -1.
int selectedRowOf(const VLXTableView *table, const QVariantList &items)
{
    const int row = table ? table->selectedRow() : -1;
    return row >= 0 && row < items.size() ? row : -1;
}
} // namespace

int PreferenceListActions::tagOf(const QObject *sender)
{
    return sender ? sender->property("tag").toInt() : 0;
}

void PreferenceListActions::beep()
{
    ++g_beeps;
    QApplication::beep();
}

int PreferenceListActions::beepCount()
{
    return g_beeps;
}

void PreferenceListActions::categoryAction(PreferencesContext &context, const QString &listName,
                                           VLXTableView *table, int tag)
{
    QVariantList &items = context.list(listName).items();
    const int row = selectedRowOf(table, items);
    switch (tag) {
    case Add: {
        categoryElementEdit editor;
        editor.setInPreferences(true);
        if (editor.edit() != 1)
            return;
        items.append(KeyedArchivable::toVariant(editor.category().copy()));
        break;
    }
    case Delete:
        if (row < 0)
            return;
        items.removeAt(row);
        break;
    case Edit: {
        if (row < 0)
            return;
        const auto category = KeyedArchivable::objectAs<categoryElement>(items.at(row));
        categoryElementEdit editor;
        editor.setInPreferences(true);
        if (category)
            editor.setCategory(*category);
        if (editor.edit() != 1)
            return;
        items[row] = KeyedArchivable::toVariant(editor.category().copy());
        break;
    }
    default:
        return;
    }
    // The read-back stores the list and reloads its tables.
    context.miscChanged();
    context.list(listName).reloadTables();
}

void PreferenceListActions::commentAction(PreferencesContext &context, const QString &listName,
                                          VLXTableView *table, int tag)
{
    PreferenceWorkingList &list = context.list(listName);
    QVariantList &items = list.items();
    const int row = selectedRowOf(table, items);
    switch (tag) {
    case Add: {
        editXMLComment editor;
        editor.setInPreferences(true);
        if (editor.edit() == 1 && !editor.comment().isEmpty()) {
            items.append(editor.comment());
            list.reloadTables();
        }
        break;
    }
    case Delete:
        if (row < 0)
            return;
        items.removeAt(row);
        list.reloadTables();
        break;
    case Edit: {
        if (row < 0)
            return;
        editXMLComment editor;
        editor.setInPreferences(true);
        editor.setComment(items.at(row).toString());
        if (editor.edit() == 1 && editor.comment() != items.at(row).toString()) {
            items[row] = editor.comment();
            list.reloadTables();
        }
        break;
    }
    default:
        break;
    }
    context.miscChanged();
}

void PreferenceListActions::siteAction(PreferencesContext &context, const QString &listName,
                                       VLXTableView *table, int tag)
{
    PreferenceWorkingList &list = context.list(listName);
    QVariantList &items = list.items();
    const int row = selectedRowOf(table, items);
    switch (tag) {
    case Add: {
        editSite editor;
        if (editor.edit() == 1 && editor.site()) {
            items.append(KeyedArchivable::toVariant(editor.site()));
            list.reloadTables();
        }
        break;
    }
    case Delete:
        if (row < 0)
            return;
        // Only the entry goes: the site's passwords stay where they are kept.
        items.removeAt(row);
        list.reloadTables();
        break;
    case Edit: {
        if (row < 0)
            return;
        const auto site = KeyedArchivable::objectAs<VLXSite>(items.at(row));
        editSite editor;
        if (site)
            editor.setSite(site);
        if (editor.edit() == 1 && editor.site()) {
            items[row] = KeyedArchivable::toVariant(editor.site());
            list.reloadTables();
        }
        break;
    }
    default:
        break;
    }
    context.miscChanged();
}

void PreferenceListActions::suggestMIMEType(PreferencesContext &context, QWidget *root,
                                            const QString &urlField, const QString &typeField)
{
    auto *url = root ? root->findChild<QLineEdit *>(urlField) : nullptr;
    auto *type = root ? root->findChild<QLineEdit *>(typeField) : nullptr;
    if (!url || !type)
        return;
    const QString mime
        = EnclosureFileQuestions::suggestMIMEType(url->text(), &PreferenceListActions::beep);
    if (mime.isEmpty())
        return;
    type->setText(mime);
    context.miscChanged();
}
