#pragma once

#include "ui/VLXTableDataSource.h"

#include <QDialog>
#include <QStringList>
#include <QVariantMap>

class QHBoxLayout;
class VLXTableView;

// What the licence picker and the paste dialog share: the list of saved licences (one row
// "name\nURL" per licence, in the library's order), the three values of the chosen licence, and
// "New…", which runs the licence creator and saves what it issues in the library at once.
//
// A dialog serves one use: the caller makes it, runs selectLicense() once and drops it. It
// works without a feed window (the preferences use the picker too).
class CreativeCommonsLibraryDialog : public QDialog, public VLXTableDataSource
{
    Q_OBJECT
public:
    QString licenseNameString() const { return m_licenseName; }
    QString licenseURLString() const { return m_licenseURL; }
    QString licenseHTMLString() const { return m_licenseHTML; }
    void setLicenseNameString(const QString &value) { m_licenseName = value; }
    void setLicenseURLString(const QString &value) { m_licenseURL = value; }
    void setLicenseHTMLString(const QString &value) { m_licenseHTML = value; }

    // Runs the dialog, modal on the sender's window (on the application without one), with the
    // row of licenseURLString() selected when the library has it; answers the modal code.
    virtual int selectLicense(QWidget *sender);

    // Runs the licence creator as a sheet on the sender's window; a licence it issues joins the
    // stored library (replacing one of the same URL) and the list.
    void createNew(QWidget *sender);

    VLXTableView *licenseTable() const { return m_licenseTable; }
    // The URLs in row order.
    const QStringList &licenseArray() const { return m_licenseArray; }

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

protected:
    explicit CreativeCommonsLibraryDialog(const QString &name, QWidget *parent = nullptr);

    // The row of the URL; -1 when the library lacks it.
    int rowOfURL(const QString &url) const;
    // The selected row's URL; "" with no selection.
    QString selectedURL() const;
    QVariantMap entryOf(const QString &url) const { return m_licenseDictionary.value(url).toMap(); }
    // The button row under the table, for the dialog's own buttons.
    QHBoxLayout *buttonRow() const { return m_buttons; }
    // Puts the widget between the table and the buttons.
    void addBelowTable(QWidget *widget);
    virtual void rowsChanged() { }

private:
    QString m_licenseName;
    QString m_licenseURL;
    QString m_licenseHTML;
    QVariantMap m_licenseDictionary;
    QStringList m_licenseArray;
    VLXTableView *m_licenseTable = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};
