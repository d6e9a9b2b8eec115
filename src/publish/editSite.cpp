// The site editor's behaviour: filling the controls from a site, the type change and the folding
// folder groups, password look-ups, and building the accepted site on Done.
#include "publish/editSite.h"

#include "platform/AlertService.h"
#include "publish/DMMemberAccount.h"
#include "publish/PublishDialogs.h"
#include "publish/WindowHeight.h"
#include "settings/VLXSite.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXTextField.h"
#include "ui/vlxDisclosureButton.h"
#include "ui/vlxDisclosureTextField.h"

#include <QAbstractButton>
#include <QStackedWidget>
#include <QtDebug>

namespace {

const QString kApplicationID = QStringLiteral("XMLf");

// The fields of one kind of site: its feed folder and its two folder groups.
struct GroupFields
{
    int (VLXSite::*sameAs)() const;
    void (VLXSite::*setSameAs)(int);
    const QString &(VLXSite::*folder)() const;
    void (VLXSite::*setFolder)(const QString &);
};
struct TypeFields
{
    int type;
    const char *prefix;
    const QString &(VLXSite::*feedFolder)() const;
    void (VLXSite::*setFeedFolder)(const QString &);
    GroupFields groups[2]; // enclosures, image
};
const TypeFields kTypes[] = {
    {1,
     "ftp",
     &VLXSite::ftpDefaultXMLDir,
     &VLXSite::setFtpDefaultXMLDir,
     {{&VLXSite::ftpEnclosureDirSameAsXML, &VLXSite::setFtpEnclosureDirSameAsXML,
       &VLXSite::ftpDefaultEnclosureDir, &VLXSite::setFtpDefaultEnclosureDir},
      {&VLXSite::ftpImageDirSameAsXML, &VLXSite::setFtpImageDirSameAsXML,
       &VLXSite::ftpDefaultImageDir, &VLXSite::setFtpDefaultImageDir}}},
    {2,
     "dm",
     &VLXSite::dmDefaultXMLDir,
     &VLXSite::setDmDefaultXMLDir,
     {{&VLXSite::dmEnclosureDirSameAsXML, &VLXSite::setDmEnclosureDirSameAsXML,
       &VLXSite::dmDefaultEnclosureDir, &VLXSite::setDmDefaultEnclosureDir},
      {&VLXSite::dmImageDirSameAsXML, &VLXSite::setDmImageDirSameAsXML, &VLXSite::dmDefaultImageDir,
       &VLXSite::setDmDefaultImageDir}}},
    {3,
     "lcl",
     &VLXSite::lclDefaultXMLDir,
     &VLXSite::setLclDefaultXMLDir,
     {{&VLXSite::lclEnclosureDirSameAsXML, &VLXSite::setLclEnclosureDirSameAsXML,
       &VLXSite::lclDefaultEnclosureDir, &VLXSite::setLclDefaultEnclosureDir},
      {&VLXSite::lclImageDirSameAsXML, &VLXSite::setLclImageDirSameAsXML,
       &VLXSite::lclDefaultImageDir, &VLXSite::setLclDefaultImageDir}}},
};

bool &passwordWarningGiven()
{
    static bool given = false;
    return given;
}

} // namespace

editSite::editSite(QObject *parent) : QObject(parent), m_siteInfo(std::make_shared<VLXSite>())
{
    m_siteID = m_siteInfo->siteIdentifier();
}

editSite::~editSite()
{
    delete m_editWindow;
}

void editSite::setSite(const std::shared_ptr<VLXSite> &site)
{
    if (!site)
        return;
    if (site != m_siteInfo) {
        m_siteInfo = site->copy();
        m_siteID = site->siteIdentifier();
    }
    m_modifying = true;
}

void editSite::resetPasswordWarning()
{
    passwordWarningGiven() = false;
}

// ---- Opening ----

int editSite::edit()
{
    if (!m_editWindow) {
        loadInterface();
        // Laid out first for "Not Configured", then for the site's type.
        m_startingType = -1;
        m_tabs->setCurrentIndex(0);
        siteTypeAction();
        m_siteType->clear();
        m_siteType->addItems(
            {tr("Not Configured"), tr("Standard FTP/FTPS"), tr(".Mac Account"), tr("Local Files")});
        m_siteType->setCurrentIndex(0);
        m_editWindow->setWindowTitle(m_modifying ? tr("Modify Existing Publishing Site")
                                                 : tr("Create New Publishing Site"));
        m_editWindow->adjustSize();
    }
    fillFromSite();
    const int type = m_siteInfo->type();
    if (type >= 1 && type <= 3) {
        m_siteType->setCurrentIndex(type);
        siteTypeAction();
    }
    const int code = m_editWindow->exec();
    m_editWindow->hide();
    return code;
}

void editSite::fillFromSite()
{
    const VLXSite &site = *m_siteInfo;
    m_siteName->setText(site.siteName());
    m_ftpServer->setText(site.ftpServer());
    m_ftpUsername->setText(site.ftpUsername());
    m_ftpSaveToKeychain->setChecked(site.ftpStorePassword() != 0);
    if (m_ftpSaveToKeychain->isChecked() && !site.ftpServer().isEmpty()
        && !site.ftpUsername().isEmpty()) {
        const QString stored = storedFTPPassword(site.ftpServer(), site.ftpUsername());
        if (!stored.isEmpty())
            m_ftpPassword->setText(stored);
    }
    m_ftpProtocol->setCurrentIndex(qBound(0, site.ftpProtocol(), 1));
    m_ftpOptionPassive->setChecked(site.ftpUsePASV() != 0);
    m_ftpOptionEPSV->setChecked(site.ftpUseEPSV() != 0);
    m_ftpOptionEPRT->setChecked(site.ftpUseEPRT() != 0);

    // The online disk's server and default account, then the site's account: the default one,
    // or another member's.
    fillDiskServer();
    m_dmSaveToKeychain->setChecked(site.dmStorePassword() != 0);
    if (site.dmAccount() == 0) {
        m_dmDefaultAccount->setStateOfTag(0, 1);
        m_dmUsername->setEnabled(false);
        m_dmPassword->setEnabled(false);
        m_dmSaveToKeychain->setEnabled(false);
        showDefaultAccountRow();
    } else {
        m_dmDefaultAccount->setStateOfTag(1, 1);
        m_dmUsername->setText(site.dmUsername());
        if (m_dmSaveToKeychain->isChecked() && !site.dmUsername().isEmpty()) {
            const QString stored = storedDotMacPassword(site.dmUsername());
            if (!stored.isEmpty())
                m_dmPassword->setText(stored);
        }
        m_dotMacMemberAccount
            = std::make_shared<DMMemberAccount>(m_dmUsername->text(), m_dmPassword->text(),
                                                kApplicationID, m_dmServer->text().trimmed());
        titleDefaultAccountRow();
    }

    for (const TypeFields &fields : kTypes) {
        auto *feedPath
            = outlet<VLXTextField>(QLatin1String(fields.prefix) + QStringLiteral("FeedPath"));
        feedPath->setText((site.*fields.feedFolder)());
        for (int g = 0; g < 2; ++g) {
            const int group = (fields.type - 1) * 2 + g;
            m_groups[group].sameAs->setChecked((site.*fields.groups[g].sameAs)() != 0);
            m_groups[group].path->setText((site.*fields.groups[g].folder)());
            sameAsAction(group);
        }
    }
}

// ---- Type change and folding ----

void editSite::siteTypeAction()
{
    const int type = m_siteType->currentIndex() < 0 ? 0 : m_siteType->currentIndex();
    if (type == m_startingType)
        return;
    WindowHeight::changeKeepingTop(m_editWindow, [this, type] {
        // The page being left goes back to its groups unfolded; a page shown anew starts folded.
        m_relayingOut = true;
        foldGroups(m_startingType, true);
        m_startingType = type;
        setCurrentPage(type);
        foldGroups(type, false);
        m_relayingOut = false;
    });
    static const char *const kFirstFields[] = {nullptr, "ftpServer", "dmServer", "lclFeedPath"};
    if (type >= 1 && type <= 3)
        QWidget::setTabOrder(m_siteName, outlet<QWidget>(QLatin1String(kFirstFields[type])));
}

void editSite::foldGroups(int type, bool open)
{
    if (type < 1 || type > 3)
        return;
    for (int g = 0; g < 2; ++g) {
        vlxDisclosureButton *disclosure = m_groups[(type - 1) * 2 + g].disclosure;
        if (disclosure->isChecked() != open)
            disclosure->setChecked(open);
    }
}

void editSite::setCurrentPage(int type)
{
    m_tabs->setCurrentIndex(type);
    // Only the page shown asks for room, so the window takes the height of that page.
    for (int i = 0; i < m_tabs->count(); ++i) {
        QWidget *page = m_tabs->widget(i);
        page->setSizePolicy(QSizePolicy::Preferred,
                            i == type ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    }
}

void editSite::sameAsAction(int group)
{
    FolderGroup &g = m_groups[group];
    if (g.sameAs->isChecked()) {
        g.path->setPlaceholderText(tr("Same as Feed"));
        g.textPath->setPlaceholderText(tr("Same as Feed"));
        // The folder keeps its text, and Done stores it.
        g.path->setEnabled(false);
        g.browse->setEnabled(false);
        g.textPath->clear();
        return;
    }
    g.path->setPlaceholderText(tr("Default Directory"));
    g.textPath->setPlaceholderText(tr("Default Directory"));
    g.path->setEnabled(true);
    g.browse->setEnabled(PublishDialogs::hasFolderBrowsers());
    g.textPath->setText(g.path->text());
    if (g.image)
        g.textPath->setPlaceholderText(g.path->text());
}

// ---- Passwords ----

QString editSite::storedFTPPassword(const QString &server, const QString &user) const
{
    VLXSite probe;
    probe.setType(1);
    probe.setFtpServer(server);
    probe.setFtpUsername(user);
    probe.setFtpStorePassword(1);
    return probe.getPassword();
}

QString editSite::storedDotMacPassword(const QString &member) const
{
    VLXSite probe;
    probe.setType(2);
    probe.setDmAccount(1);
    probe.setDmUsername(member);
    probe.setDmStorePassword(1);
    return probe.getPassword();
}

void editSite::passwordTypeAhead(QWidget *changed)
{
    const int type = m_siteType->currentIndex();
    if (type == 1) {
        if (!m_ftpSaveToKeychain->isChecked()
            || (changed != m_ftpServer && changed != m_ftpUsername) || m_ftpServer->text().isEmpty()
            || m_ftpUsername->text().isEmpty())
            return;
        const QString stored = storedFTPPassword(m_ftpServer->text(), m_ftpUsername->text());
        // Nothing found clears nothing: the user may have typed the password already.
        if (!stored.isEmpty())
            m_ftpPassword->setText(stored);
    } else if (type == 2) {
        if (!m_dmSaveToKeychain->isChecked() || changed != m_dmUsername
            || m_dmUsername->text().isEmpty())
            return;
        const QString stored = storedDotMacPassword(m_dmUsername->text());
        if (!stored.isEmpty())
            m_dmPassword->setText(stored);
    }
}

void editSite::savePassword(const VLXSite &site, const QString &typed)
{
    QString error;
    if (site.savePassword(typed, &error) || passwordWarningGiven())
        return;
    // Said once: the password is then asked for when it is needed, never kept in clear.
    passwordWarningGiven() = true;
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = tr("Password Not Stored");
    alert.message
        = error.isEmpty() ? tr("The password could not be stored in the secret service.") : error;
    if (!alert.message.contains(QLatin1String("asked for")))
        alert.message += tr(" It will be asked for when it is needed.");
    AlertService::show(alert);
}

// ---- Done and Cancel ----

void editSite::missingInformation(const QString &message, const QString &title)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = title.isEmpty() ? tr("Missing Information") : title;
    alert.message = message;
    alert.defaultButton = tr("OK");
    AlertService::show(alert);
}

void editSite::done()
{
    // A fresh record every time, with the identifier of the site being edited: the fields of
    // the types not chosen keep their first values.
    m_siteInfo = std::make_shared<VLXSite>();
    m_siteInfo->setSiteIdentifier(m_siteID);
    VLXSite &site = *m_siteInfo;
    const int type = m_siteType->currentIndex();
    const QString name = m_siteName->text();
    if (type < 1 || type > 3) {
        m_editWindow->done(0);
        return;
    }
    if (type == 1) {
        if (name.isEmpty() && m_ftpServer->text().isEmpty() && m_ftpUsername->text().isEmpty()) {
            m_editWindow->done(0);
            return;
        }
        if (name.isEmpty()) {
            missingInformation(tr("You must give this FTP site a name.  This name will be used "
                                  "to select this configuration."));
            return;
        }
        if (m_ftpServer->text().isEmpty()) {
            missingInformation(tr("You must enter a ftp server name."));
            return;
        }
        site.setType(1);
        site.setSiteName(name);
        site.setFtpServer(m_ftpServer->text());
        site.setFtpUsername(m_ftpUsername->text());
        site.setFtpStorePassword(m_ftpSaveToKeychain->isChecked() ? 1 : 0);
        savePassword(site, m_ftpPassword->text());
        site.setFtpProtocol(m_ftpProtocol->currentIndex());
        site.setFtpUsePASV(m_ftpOptionPassive->isChecked() ? 1 : 0);
        site.setFtpUseEPSV(m_ftpOptionEPSV->isChecked() ? 1 : 0);
        site.setFtpUseEPRT(m_ftpOptionEPRT->isChecked() ? 1 : 0);
    } else if (type == 2) {
        const bool other = m_dmDefaultAccount->selectedTag() != 0;
        if (name.isEmpty() && other && m_dmUsername->text().isEmpty()) {
            m_editWindow->done(0);
            return;
        }
        if (name.isEmpty()) {
            missingInformation(tr("You must give this .Mac site a name.  This name will be used "
                                  "to select this configuration."));
            return;
        }
        if (!serverAddressUsable())
            return;
        storeDiskServer();
        site.setType(2);
        site.setSiteName(name);
        site.setDmAccount(other ? m_dmDefaultAccount->selectedTag() : 0);
        if (other) {
            site.setDmUsername(m_dmUsername->text());
            site.setDmStorePassword(m_dmSaveToKeychain->isChecked() ? 1 : 0);
            savePassword(site, m_dmPassword->text());
        } else {
            site.setDmUsername(QString());
            site.setDmStorePassword(0);
        }
    } else {
        if (name.isEmpty()) {
            // A folder typed counts as a site begun: say what is missing. Otherwise the page
            // was left empty, and Done is a Cancel.
            bool typed = !outlet<VLXTextField>(QStringLiteral("lclFeedPath"))->text().isEmpty();
            for (int group : {4, 5})
                typed = typed || !m_groups[group].path->text().isEmpty();
            if (typed)
                missingInformation(tr("You must give this Local Files site a name.  This name "
                                      "will be used to select this configuration."));
            else
                m_editWindow->done(0);
            return;
        }
        site.setType(3);
        site.setSiteName(name);
    }
    // The folders of the chosen type, disabled ones included: they keep what was typed.
    const TypeFields &fields = kTypes[type - 1];
    (site.*fields.setFeedFolder)(
        outlet<VLXTextField>(QLatin1String(fields.prefix) + QStringLiteral("FeedPath"))->text());
    for (int g = 0; g < 2; ++g) {
        const FolderGroup &group = m_groups[(type - 1) * 2 + g];
        (site.*fields.groups[g].setSameAs)(group.sameAs->isChecked() ? 1 : 0);
        (site.*fields.groups[g].setFolder)(group.path->text());
    }
    m_editWindow->done(1);
}

void editSite::cancel()
{
    if (m_editWindow)
        m_editWindow->done(0);
}

// ---- Browsing ----

void editSite::browse(const QString &prefix, VLXTextField *target, int group)
{
    FolderBrowserRequest request;
    QString user;
    QString password;
    if (prefix.startsWith(QLatin1String("ftp"))) {
        request.siteType = 1;
        request.ftpServer = m_ftpServer->text();
        request.ftpProtocol = m_ftpProtocol->currentIndex();
        request.usePASV = m_ftpOptionPassive->isChecked();
        request.useEPSV = m_ftpOptionEPSV->isChecked();
        request.useEPRT = m_ftpOptionEPRT->isChecked();
        user = m_ftpUsername->text();
        password = m_ftpPassword->text();
    } else if (prefix.startsWith(QLatin1String("dm"))) {
        if (!serverAddressUsable())
            return;
        const int answer = checkDMAccount();
        if (answer == DMMemberAccount::kCancelled)
            return;
        if (answer != DMMemberAccount::kValid) {
            qWarning("Account not good, error was %d", answer);
            // Pressing Browse and seeing nothing would leave the user guessing.
            missingInformation(DMMemberAccount::answerText(answer),
                               tr("The Disk Cannot Be Browsed"));
            return;
        }
        request.siteType = 2;
        request.useAlternateAccount = m_dmDefaultAccount->selectedTag();
        request.dmAccount = m_dotMacMemberAccount;
        user = m_dmUsername->text();
        password = m_dmPassword->text();
    } else {
        request.siteType = 3;
    }
    std::unique_ptr<FolderBrowser> browser = PublishDialogs::folderBrowser(request);
    if (!browser)
        return;
    if (browser->browse(target->text(), user, password) == 1)
        target->setText(browser->directory());
    if (group >= 0)
        m_groups[group].textPath->setText(target->text());
}
