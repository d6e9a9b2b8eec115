#include "publish/publishAdditionalFiles.h"

#include "platform/AlertService.h"
#include "platform/FileChooser.h"
#include "publish/AccountCheckProgress.h"
#include "publish/DMMemberAccount.h"
#include "publish/ExportType.h"
#include "publish/PublishDialogs.h"
#include "publish/PublishHost.h"
#include "publish/additionalFiles.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"
#include "ui/DialogPlacement.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTabWidget>

namespace {

constexpr int kTemplateTab = 0;
constexpr int kLocalFileTab = 1;
constexpr int kOPMLTab = 2;
// The most items an export can be limited to, either way: a positive number takes the first
// items, a negative one the last, the last one first.
constexpr int kMostItems = 9999;

// The export types whose template the dialog chooses: the export sheet's first four.
bool usesTemplate(int type)
{
    return type >= additionalFiles::HTMLExport && type <= additionalFiles::CSVExport;
}

void trimField(VLXTextField *field)
{
    field->setText(field->text().trimmed());
}

} // namespace

const QStringList &publishAdditionalFiles::typeTitles()
{
    static const QStringList titles {
        QStringLiteral("HTML Export"),  QStringLiteral("JavaScript Export"),
        QStringLiteral("Text Export"),  QStringLiteral("CSV Export"),
        QStringLiteral("XML Export"),   QStringLiteral("Local File"),
        QStringLiteral("OPML List of Feeds"),
    };
    return titles;
}

const QStringList &publishAdditionalFiles::destinationTitles()
{
    static const QStringList titles {
        QStringLiteral("Feed Directory"),
        QStringLiteral("Image Directory"),
        QStringLiteral("Enclosure Directory"),
        QStringLiteral("Other:"),
    };
    return titles;
}

publishAdditionalFiles::publishAdditionalFiles() : m_fileInfo(std::make_shared<additionalFiles>())
{
    buildWindow();
}

publishAdditionalFiles::~publishAdditionalFiles()
{
    delete m_window;
}

void publishAdditionalFiles::setAdditionalFilesInfo(const std::shared_ptr<additionalFiles> &record)
{
    if (!record || record == m_fileInfo)
        return;
    m_fileInfo = record->copy();
    // A changed file counts as never uploaded: the next publish sends it.
    m_fileInfo->setLastUploaded(QDateTime());
    m_modify = true;
}

int publishAdditionalFiles::edit()
{
    if (!m_window)
        buildWindow();
    DialogPlacement::overActiveWindow(m_window);
    m_window->setWindowTitle(m_modify ? tr("Modify Existing Additional File")
                                      : tr("Add New Additional File"));
    fillFromRecord();
    const int code = m_window->exec();
    if (m_window)
        m_window->hide();
    return code == QDialog::Accepted ? 1 : 0;
}

void publishAdditionalFiles::fillFromRecord()
{
    const additionalFiles &record = *m_fileInfo;
    m_type->setCurrentIndex(std::clamp(record.fileType(), 0, int(typeTitles().size()) - 1));
    addFilesTypeChanged();
    // A record keeps its own template.
    if (!record.exportTemplate().isEmpty())
        m_template->setText(record.exportTemplate());
    m_limit->setChecked(record.limitNumber() != 0);
    addFilesLimitChanged();
    m_limitValue->setValue(record.limitNumberValue());
    m_noFuture->setChecked(record.noFuture() != 0);
    m_localFile->setText(record.localFile());
    m_destination->setStateOfTag(std::clamp(record.fileDestination(), 0, 3), 1);
    addFilesDestMatrixChanged();
    m_otherDestination->setText(record.fileOtherDestination());
    m_remoteName->setText(record.filename());
    const PublishHost *host = PublishHost::current();
    m_opml->setEnabled(host && host->hasOPMLList());
    fillPassword();
}

void publishAdditionalFiles::fillPassword()
{
    m_password->clear();
    m_password->setEnabled(false);
    m_passwordUser->clear();
    if (!m_pubSite)
        return;
    const VLXSite &site = *m_pubSite;
    // A password the site keeps is filled in; one it does not keep (or that the secret
    // service cannot give) is asked for.
    auto storedOrAsk = [this, &site](bool stores, const QString &user) {
        const QString stored = stores ? site.getPassword() : QString();
        if (!stored.isEmpty()) {
            m_password->setText(stored);
            return;
        }
        m_password->setEnabled(true);
        m_passwordUser->setText(tr("Username: %1").arg(user));
    };
    switch (site.type()) {
    case 1:
        storedOrAsk(site.ftpStorePassword() != 0, site.ftpUsername());
        break;
    case 2:
        if (site.dmAccount() == 0)
            m_password->setText(QStringLiteral("********"));
        else
            storedOrAsk(site.dmStorePassword() != 0, site.dmUsername());
        break;
    default:
        break;
    }
}

// --- Actions ------------------------------------------------------------------------------------

void publishAdditionalFiles::addFilesTypeChanged()
{
    const int type = m_type->currentIndex();
    m_tabs->setCurrentIndex(type <= additionalFiles::XMLExport ? kTemplateTab
                                : type == additionalFiles::LocalFile ? kLocalFileTab
                                                                      : kOPMLTab);
    if (usesTemplate(type)) {
        m_template->setEnabled(true);
        m_templateBrowse->setEnabled(true);
        const ExportType &exportType = ExportType::all().at(type);
        const QString saved
            = VLXPreferences::objectForKey(QLatin1String(exportType.templateKey), m_uniqueKey)
                  .toString();
        m_template->setText(!saved.isEmpty() && QFileInfo(saved).isFile()
                                ? saved
                                : ExportType::defaultTemplatePath(exportType));
    } else if (type == additionalFiles::XMLExport) {
        // The XML export needs no template; what the field holds stays for the other types.
        m_template->setEnabled(false);
        m_templateBrowse->setEnabled(false);
    }
}

void publishAdditionalFiles::addFilesSelectTemplate()
{
    const int type = m_type->currentIndex();
    if (!usesTemplate(type))
        return;
    const QString chosen = ExportType::chooseTemplate(
        QStringLiteral("Load"), ExportType::all().at(type).templateExtensions, m_template->text());
    if (!chosen.isEmpty())
        m_template->setText(chosen);
}

void publishAdditionalFiles::addFilesLimitChanged()
{
    m_limitValue->setEnabled(m_limit->isChecked());
}

void publishAdditionalFiles::addFilesLocalBrowse()
{
    const QString current = m_localFile->text().trimmed();
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Select Enclosure File");
    request.directory = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    request.proposedName = current.isEmpty() ? QString() : QFileInfo(current).fileName();
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    m_localFile->setText(chosen.first());
    // A remote name the user typed stays.
    if (m_remoteName->text().trimmed().isEmpty())
        m_remoteName->setText(QFileInfo(chosen.first()).fileName());
}

bool publishAdditionalFiles::otherDestinationChosen() const
{
    return m_destination->selectedTag() == additionalFiles::OtherDestination;
}

void publishAdditionalFiles::addFilesDestMatrixChanged()
{
    m_otherDestination->setEnabled(otherDestinationChosen());
    m_otherDestinationBrowse->setEnabled(otherDestinationChosen()
                                         && PublishDialogs::hasFolderBrowsers());
}

void publishAdditionalFiles::addFilesOtherBrowse()
{
    if (!m_pubSite) {
        QApplication::beep();
        return;
    }
    const VLXSite &site = *m_pubSite;
    FolderBrowserRequest request;
    request.siteType = site.type();
    QString user;
    QString password;
    switch (site.type()) {
    case 1:
        request.ftpServer = site.ftpServer();
        request.ftpProtocol = site.ftpProtocol();
        request.usePASV = site.ftpUsePASV() != 0;
        request.useEPSV = site.ftpUseEPSV() != 0;
        request.useEPRT = site.ftpUseEPRT() != 0;
        user = site.ftpUsername();
        password = m_password->text();
        break;
    case 2:
        if (!validateDMinfo())
            return;
        request.useAlternateAccount = site.dmAccount();
        user = site.dmUsername();
        password = m_password->text();
        break;
    case 3:
        break;
    default:
        return;
    }
    std::unique_ptr<FolderBrowser> browser = PublishDialogs::folderBrowser(request);
    if (browser && browser->browse(m_otherDestination->text(), user, password) == 1)
        m_otherDestination->setText(browser->directory());
}

bool publishAdditionalFiles::validateDMinfo()
{
    m_account.reset();
    if (!m_pubSite)
        return false;
    QString password = m_password->text();
    AccountCheckProgress progress(m_window);
    m_account = DMMemberAccount::validatedAccountForSite(*m_pubSite, &password, &progress);
    if (password != m_password->text())
        m_password->setText(password);
    return m_account != nullptr;
}

void publishAdditionalFiles::addFilesOPML()
{
    PublishHost *host = PublishHost::current();
    if (!host || !host->hasOPMLList()) {
        QApplication::beep();
        return;
    }
    // The OPML window keeps the user's choices in the settings; the list is built from them
    // when the feed is published.
    host->showOPMLList(m_window);
}

bool publishAdditionalFiles::addFilesAccept()
{
    for (VLXTextField *field : {m_template, m_localFile, m_otherDestination, m_remoteName})
        trimField(field);
    const int type = m_type->currentIndex();
    QString missing;
    if (m_remoteName->text().isEmpty())
        missing = tr("Filename must be filled in");
    else if (otherDestinationChosen() && m_otherDestination->text().isEmpty())
        missing = tr("When \"Other\" is selected a destination directory must be choosen");
    else if (type == additionalFiles::LocalFile && m_localFile->text().isEmpty())
        missing = tr("A file must be selected");
    else if (type != additionalFiles::LocalFile && m_template->text().isEmpty())
        missing = tr("An export template must be choosen");
    if (!missing.isEmpty()) {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = tr("Missing Field");
        alert.message = missing;
        alert.defaultButton = QStringLiteral("OK");
        AlertService::show(alert);
        return false;
    }
    // A limit of no items (the export engine reads 0 as no limit at all) or of more than the
    // field takes is refused; without the limit the number is not used.
    const int limit = m_limitValue->value();
    if (m_limit->isChecked() && (limit == 0 || limit > kMostItems || limit < -kMostItems)) {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = tr("Invalid Field");
        alert.message = tr("The number of items must be from 1 to %1, or from -1 to -%1 to take "
                           "the last items")
                            .arg(kMostItems);
        alert.defaultButton = QStringLiteral("OK");
        AlertService::show(alert);
        m_limitValue->setFocus();
        return false;
    }
    // Every field is kept, whatever the type: a record keeps what its other tabs held.
    additionalFiles &record = *m_fileInfo;
    record.setFileType(type);
    record.setExportTemplate(m_template->text());
    record.setLimitNumber(m_limit->isChecked() ? 1 : 0);
    record.setLimitNumberValue(m_limitValue->value());
    record.setNoFuture(m_noFuture->isChecked() ? 1 : 0);
    record.setLocalFile(m_localFile->text());
    record.setFileDestination(m_destination->selectedTag());
    record.setFileOtherDestination(m_otherDestination->text());
    record.setFilename(m_remoteName->text());
    m_window->done(QDialog::Accepted);
    return true;
}

void publishAdditionalFiles::addFilesCancel()
{
    m_window->done(QDialog::Rejected);
}

void publishAdditionalFiles::helpButton()
{
    VLXHelpAnchored::helpForField(m_modify ? QStringLiteral("PublishModifyExistingAdditional")
                                           : QStringLiteral("PublishAddingNewAdditional"));
}
