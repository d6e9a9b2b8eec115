#pragma once

#include "ui/VLXTableDataSource.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <optional>

class extensionNSName;

// The dialog that declares an XML namespace: a prefix ("name space" in its messages) and its URI
// (the "DTD URL"). The feed window adds a namespace to the feed with it, the preferences window
// adds or changes an entry of the namespace registry. Optionally it lists the registry's
// namespaces that the feed does not use yet, so one can be picked.
class editXMLNamespace : public QObject, public VLXTableDataSource
{
    Q_OBJECT
public:
    // Keeps a copy of the registry as it is now.
    explicit editXMLNamespace(QObject *parent = nullptr);
    ~editXMLNamespace() override;

    // The prefix and URI of a declaration text (xmlns:prefix="uri"). A declaration without a
    // prefix, or with two colons before "=", has the prefix "". The URI is everything after the
    // first "=" without its quotes, so a URI holding "=" survives whole.
    static QString getNamespace(const QString &declaration);
    static QString getDTDURLString(const QString &declaration);

    // The feed's namespaces (description strings): they are checked against, and the list offers
    // only registry entries whose prefix and URI both differ from all of them.
    void excludeNamespaces(const QStringList &descriptions);
    // Runs the dialog, filled from the namespace when one is given: 1 Accept, 0 Cancel.
    int editNamespace(const extensionNSName *nameSpace, bool withExistingList);
    int editNamespaceWithDescription(const QString &description, bool withExistingList);

    // The fields as typed.
    QString extensionName() const;
    QString DTDURL() const;
    // "prefix||uri||0||": namespaces made here are never well supported.
    QString descriptionOfNamespace() const;

    void accept();
    void cancel();
    // A double click on a row: take it and press Accept.
    void existingDoubleAction(int row);

    // The list's rows: the available entries, then a fresh "User Defined" row when the feed has
    // none; no rows while the list is hidden.
    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

    const QStringList &availableExtensions() const { return m_availableExtensions; }
    bool userDefinedUsed() const { return m_userDefinedUsed; }

    void setParentWindow(QWidget *parent) { m_parentWindow = parent; }
    QDialog *window() const { return m_documentWindow; }
    VLXTableView *existing() const { return m_existing; }
    VLXTextField *nameSpaceField() const { return m_nameSpace; }
    VLXTextField *DTDURLField() const { return m_DTDURL; }
    QLabel *message() const { return m_message; }

private:
    void loadInterface();
    // The description a list row stands for.
    QString rowDescription(int row) const;
    void takeRow(int row);
    // The first failed check's message, or "" when the fields may be accepted.
    QString problem() const;

    QPointer<QWidget> m_parentWindow;
    QPointer<QDialog> m_documentWindow;
    QPointer<VLXTableView> m_existing;
    QPointer<VLXTextField> m_nameSpace;
    QPointer<VLXTextField> m_DTDURL;
    QPointer<QLabel> m_message;
    QPointer<QPushButton> m_accept;
    QPointer<QPushButton> m_cancel;
    bool m_wellSupported = false;
    bool m_showList = false;
    QStringList m_extensionsInPrefs;
    QStringList m_availableExtensions;
    std::optional<QStringList> m_alreadyInUse;
    bool m_userDefinedUsed = false;
};
