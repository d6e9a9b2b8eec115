#pragma once

#include "prefs/PreferencesPage.h"
#include "ui/VLXTableDataSource.h"

#include <QPointer>
#include <QStringList>

class QAbstractButton;
class VLXTableView;

// The namespace registry ("Extensions General"): one row per registry entry, in registry order,
// and a last row for the user-defined extension. Well-supported entries are shown bold and can be
// neither edited nor deleted. The check box of a row enables the namespace for every new feed
// (the working list "FD_AF_Namespaces", kept in the order orderAFExtensions gives).
class PreferenceNamespacesPage : public PreferencesPage, public VLXTableDataSource
{
public:
    PreferenceNamespacesPage();

    // The description of the user-defined extension: "User Defined||||0||".
    static QString userDefinedDescription();
    // The enabled namespaces in their fixed order: the eight extension classes (in their long
    // form, whichever form was listed), then the others in their order, then the first
    // user-defined entry; well-supported entries of no class and further user-defined ones go.
    static QStringList orderAFExtensions(const QStringList &enabled);

    // The actions of the list's buttons (tags 1 Add, 2 Delete, 3 Edit), its double click and its
    // check boxes.
    void generalAction(int tag);
    void generalDoubleAction(int row);
    void feedsExtensionsSelect(int row);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

protected:
    QWidget *build(PreferencesContext &context) override;
    void afterFill(PreferencesContext &context) override;

private:
    QStringList &registry() const;
    QVariantList &enabled() const;
    // The description a row stands for (the user-defined one for the last row).
    QString rowDescription(int row) const;
    void selectionChanged();
    void reload();
    // After a registry change that went through: the other-namespace panes follow, then the
    // values are read back.
    void registryEdited();

    PreferencesContext *m_context = nullptr;
    QPointer<VLXTableView> m_table;
    QPointer<QAbstractButton> m_delete;
    QPointer<QAbstractButton> m_edit;
};
