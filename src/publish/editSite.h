#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class DMMemberAccount;

class QLabel;
class QStackedWidget;
class QWidget;
class VLXBox;
class VLXButton;
class VLXCheckBox;
class VLXMatrix;
class VLXPopUpButton;
class VLXSecureTextField;
class VLXSite;
class VLXTextField;
class vlxDisclosureButton;
class vlxDisclosureTextField;

// The dialog in which the user creates one publishing site or changes one: a type pop-up, a
// name and one page per kind of site (FTP/FTPS server, the online disk, local folders), each
// with a feed folder and two folder groups (enclosures, image) that can follow the feed folder
// and fold away. The online disk's page also holds the disk's server address and its default
// account, settings shared by every disk site, stored when such a site is accepted. Done builds a
// fresh record from the controls of the chosen type, keeping the identifier of the site being
// edited, and stores or clears its password in the secret service; the caller reads it with site()
// after edit() answered 1.
//
// Calling order: make it, setSite() when changing a site, edit(), site(); one edit per dialog.
class editSite : public QObject
{
    Q_OBJECT
public:
    explicit editSite(QObject *parent = nullptr);
    ~editSite() override;

    // Keeps its own copy of the site (and its identifier) and titles the dialog as a change.
    void setSite(const std::shared_ptr<VLXSite> &site);
    // Shows the dialog application-modal: 1 after an accepted Done, 0 after Cancel or a Done
    // that counts as Cancel.
    int edit();
    std::shared_ptr<VLXSite> site() const { return m_siteInfo; }
    bool isModifying() const { return m_modifying; }

    // The dialog (made by edit()) and its controls by outlet name, for tests and callers.
    QDialog *editWindow() const { return m_editWindow; }
    template<typename T = QWidget> T *outlet(const QString &name) const;

    // --- Actions of the controls -----------------------------------------------------------------
    void siteTypeAction();
    // The same-as-feed box of one folder group (0..5: FTP, .Mac, local; enclosures, image).
    void sameAsAction(int group);
    void dmChangeAccountAction();
    void done();
    void cancel();
    // Makes and checks the account chosen on the online-disk page, on the server address typed
    // there; false (logged) when it is not usable.
    bool validateDMinfo();

    // Failures of the secret service are told once in a run of the program; tests start over.
    static void resetPasswordWarning();

private:
    struct FolderGroup
    {
        QString prefix;
        bool image = false;
        vlxDisclosureButton *disclosure = nullptr;
        vlxDisclosureTextField *textPath = nullptr;
        VLXBox *box = nullptr;
        VLXCheckBox *sameAs = nullptr;
        VLXButton *browse = nullptr;
        VLXTextField *path = nullptr;
    };

    // The interface (editSite+Interface.cpp).
    void loadInterface();
    QWidget *buildFTPPage();
    QWidget *buildDotMacPage();
    QWidget *buildLocalPage();
    QWidget *feedFolderRow(const QString &prefix);
    QWidget *buildGroup(int group, const QString &prefix, bool image);
    VLXButton *makeBrowseButton(const QString &name, QWidget *parent);

    void fillFromSite();
    void fillDiskServer();
    void foldGroups(int type, bool open);
    void setCurrentPage(int type);
    void browse(const QString &prefix, VLXTextField *target, int group);
    void passwordTypeAhead(QWidget *changed);
    QString storedFTPPassword(const QString &server, const QString &user) const;
    QString storedDotMacPassword(const QString &member) const;
    void showDefaultAccountRow();
    void titleDefaultAccountRow();
    void systemAccountTyped();
    std::shared_ptr<DMMemberAccount> typedSystemAccount() const;
    int checkDMAccount();
    bool serverAddressUsable();
    void storeDiskServer();
    void missingInformation(const QString &message, const QString &title = QString());
    void savePassword(const VLXSite &site, const QString &typed);

    QPointer<QDialog> m_editWindow;
    QPointer<VLXPopUpButton> m_siteType;
    QPointer<VLXTextField> m_siteName;
    QPointer<QStackedWidget> m_tabs;
    QPointer<VLXTextField> m_ftpServer;
    QPointer<VLXTextField> m_ftpUsername;
    QPointer<VLXSecureTextField> m_ftpPassword;
    QPointer<VLXCheckBox> m_ftpSaveToKeychain;
    QPointer<VLXPopUpButton> m_ftpProtocol;
    QPointer<VLXCheckBox> m_ftpOptionPassive;
    QPointer<VLXCheckBox> m_ftpOptionEPSV;
    QPointer<VLXCheckBox> m_ftpOptionEPRT;
    // The disk's server and its default account: settings shared by every disk site.
    QPointer<VLXTextField> m_dmServer;
    QPointer<VLXTextField> m_dmSystemUsername;
    QPointer<VLXSecureTextField> m_dmSystemPassword;
    QPointer<VLXMatrix> m_dmDefaultAccount;
    QPointer<VLXTextField> m_dmUsername;
    QPointer<VLXSecureTextField> m_dmPassword;
    QPointer<VLXCheckBox> m_dmSaveToKeychain;
    FolderGroup m_groups[6];

    std::shared_ptr<VLXSite> m_siteInfo;
    QString m_siteID;
    int m_startingType = -1;
    bool m_relayingOut = false; // a type change measures the window once for all its folds
    bool m_modifying = false;
    std::shared_ptr<DMMemberAccount> m_dotMacMemberAccount;
};

template<typename T> T *editSite::outlet(const QString &name) const
{
    return m_editWindow ? m_editWindow->findChild<T *>(name) : nullptr;
}
