#pragma once

#include "publish/AdditionalFileEditor.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class DMMemberAccount;
class QLabel;
class QTabWidget;
class VLXButton;
class VLXCheckBox;
class VLXMatrix;
class VLXPopUpButton;
class VLXSecureTextField;
class VLXSite;
class VLXSpinBox;
class VLXTextField;
class additionalFiles;

// The dialog in which the user adds a further file to publish with a feed, or changes one: what
// it is made from (a template export, the feed's XML, a local file, the OPML list of feeds),
// the export options, where on the site it goes and under which name. Remote folders are picked
// with the folder browser of the site's kind (the one installed through PublishDialogs).
//
// The caller makes a fresh dialog, gives it the feed's identifier, the site and (to change one)
// the record, runs edit() and, on 1, takes additionalFilesInfo(). The controls carry their
// outlet names ("addiontalFilesWindow", "addFilesType", "addFilesTemplate", ...).
class publishAdditionalFiles : public QObject, public AdditionalFileEditor
{
    Q_OBJECT
public:
    // The type pop-up's titles, in the order of additionalFiles::FileType.
    static const QStringList &typeTitles();
    // The destination rows' titles, in the order of additionalFiles::Destination.
    static const QStringList &destinationTitles();

    publishAdditionalFiles();
    ~publishAdditionalFiles() override;

    // The feed's identifier, whose settings hold its templates.
    void setUniqueKey(const QString &uniqueKey) override { m_uniqueKey = uniqueKey; }
    // The site the file is published to: its kind decides the folder browser and the password.
    void setPubSite(const std::shared_ptr<VLXSite> &site) override { m_pubSite = site; }
    // The record to change: the dialog works on a copy, which counts as never uploaded.
    void setAdditionalFilesInfo(const std::shared_ptr<additionalFiles> &record) override;
    // The record as accepted.
    std::shared_ptr<additionalFiles> additionalFilesInfo() const override { return m_fileInfo; }
    bool isModifying() const { return m_modify; }

    // Runs the dialog application-modally: 1 after Accept, 0 after Cancel.
    int edit() override;

    // --- The dialog's actions (its controls call them; tests may too) ---------------------------
    void addFilesTypeChanged();
    void addFilesSelectTemplate();
    // The limit box enables the count field.
    void addFilesLimitChanged();
    void addFilesLocalBrowse();
    void addFilesDestMatrixChanged();
    void addFilesOtherBrowse();
    void addFilesOPML();
    // Checks the fields (an alert names the first that is missing) and fills the record;
    // false keeps the dialog open.
    bool addFilesAccept();
    void addFilesCancel();
    void helpButton();
    // Makes the online-disk account of the site and has the server check it; false (and a log
    // line) when it is not valid.
    bool validateDMinfo();
    const std::shared_ptr<DMMemberAccount> &dotMacMemberAccount() const { return m_account; }

    QDialog *window() const { return m_window; }
    template<typename T = QObject> T *outlet(const QString &name) const
    {
        return m_window ? m_window->findChild<T *>(name) : nullptr;
    }

private:
    void buildWindow();
    QWidget *buildTemplateTab();
    QWidget *buildLocalFileTab();
    QWidget *buildOPMLTab();
    void fillFromRecord();
    void fillPassword();
    bool otherDestinationChosen() const;

    QString m_uniqueKey;
    std::shared_ptr<VLXSite> m_pubSite;
    std::shared_ptr<additionalFiles> m_fileInfo;
    std::shared_ptr<DMMemberAccount> m_account;
    bool m_modify = false;

    QPointer<QDialog> m_window;
    VLXPopUpButton *m_type = nullptr;
    QTabWidget *m_tabs = nullptr;
    VLXTextField *m_template = nullptr;
    VLXButton *m_templateBrowse = nullptr;
    VLXCheckBox *m_limit = nullptr;
    VLXSpinBox *m_limitValue = nullptr;
    VLXCheckBox *m_noFuture = nullptr;
    VLXTextField *m_localFile = nullptr;
    VLXButton *m_localFileBrowse = nullptr;
    VLXButton *m_opml = nullptr;
    VLXMatrix *m_destination = nullptr;
    VLXTextField *m_otherDestination = nullptr;
    VLXButton *m_otherDestinationBrowse = nullptr;
    VLXTextField *m_remoteName = nullptr;
    QLabel *m_passwordLabel = nullptr;
    VLXSecureTextField *m_password = nullptr;
    QLabel *m_passwordUser = nullptr;
};
