#pragma once

#include "prefs/PreferencesPage.h"
#include "ui/VLXTableDataSource.h"

#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class DefaultsStore;
class VLXTableView;

// The saved Creative Commons licences ("CreativeCommonsLicenses" of the user defaults: licence
// URL to {"LicenseName", "LicenseHTML"}). The page edits a copy taken when the window opens;
// OK applies its additions and deletions to the library as stored then, so licences that a
// picker's creator saved meanwhile stay. Cancel drops the copy.
class PreferenceLicencesPage : public PreferencesPage, public VLXTableDataSource
{
public:
    PreferenceLicencesPage();

    static const QString kLibraryKey; // "CreativeCommonsLicenses"

    // The library being edited and its URLs in the library's own key order.
    const QVariantMap &library() const { return m_library; }
    const QStringList &urls() const { return m_urls; }

    // Adds (or replaces) a licence in the edited library.
    void addLicence(const QString &url, const QString &name, const QString &html);
    // The actions: Create (a licence the web service issues, through the licence creator),
    // Delete, Licence Info and a double click on a row. Delete and Info without a licence
    // selected beep.
    void createNew();
    void deleteLicence();
    void licenceInfo();
    void doubleAction(int row);

    // Opens a licence's page in the browser: http and https only, anything else beeps.
    static bool openLicence(const QString &url);

    void fill(PreferencesContext &context) override;
    void accepted(PreferencesContext &context) override;
    bool wantsEditWiring() const override { return false; }

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    static DefaultsStore &defaults();
    int selectedRow() const;
    void rebuildKeys();

    QVariantMap m_library;
    QVariantMap m_opened; // the library as it was when the window opened
    QStringList m_urls;
    QPointer<VLXTableView> m_table;
};
