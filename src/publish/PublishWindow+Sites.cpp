// The publish sheet's site and file actions: choosing, creating and changing sites, the remote
// folders they give, the image check box, and the additional files.
#include "model/TitledElement.h"
#include "publish/AccountCheckProgress.h"
#include "publish/PublishDialogs.h"
#include "publish/PublishFileTableModel.h"
#include "publish/PublishWindow.h"
#include "publish/editSite.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/vlxDisclosureButton.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace {

// The feed's own folder settings and the site's same-as-feed flags, by site type.
struct SiteKind
{
    int type;
    const char *prefix;
    int (VLXSite::*imageSameAsFeed)() const;
    int (VLXSite::*enclosureSameAsFeed)() const;
};
const SiteKind kSiteKinds[] = {
    {1, "FTP_CF_", &VLXSite::ftpImageDirSameAsXML, &VLXSite::ftpEnclosureDirSameAsXML},
    {2, "DM_CF_", &VLXSite::dmImageDirSameAsXML, &VLXSite::dmEnclosureDirSameAsXML},
    {3, "LCL_CF_", &VLXSite::lclImageDirSameAsXML, &VLXSite::lclEnclosureDirSameAsXML},
};

enum FolderKind { FeedFolder = 0, ImageFolder = 1, EnclosureFolder = 2 };

} // namespace

void PublishWindow::siteChanged()
{
    auto *user = outlet<QLabel>(QStringLiteral("username"));
    user->hide();
    const int index = m_publishSites->currentIndex();
    if (index <= 0) {
        // No site: the feed forgets its choice, and the sheet shows nothing to publish.
        VLXPreferences::setObjectForKey(QVariant(), QStringLiteral("FTP_CF_PubSiteID"),
                                        m_uniqueKey);
        hideContents(true);
        return;
    }
    hideContents(false);
    m_pubSite = m_allPublishSites.value(index - 1);
    m_publisher.setSite(m_pubSite);
    m_otherFilesModel->setSite(m_pubSite);
    reloadTable(Table::OtherFiles);
    VLXPreferences::setObjectForKey(m_pubSite->siteIdentifier(), QStringLiteral("FTP_CF_PubSiteID"),
                                    m_uniqueKey);

    const SiteKind *kind = nullptr;
    for (const SiteKind &k : kSiteKinds) {
        if (k.type == m_pubSite->type())
            kind = &k;
    }
    if (!kind)
        return;
    // The feed's own folders win; an empty one shows the site's default. Image and enclosures
    // that follow the feed go where the feed goes.
    auto own = [&](const char *key) {
        return VLXPreferences::objectForKey(QLatin1String(kind->prefix) + QLatin1String(key),
                                            m_uniqueKey)
            .toString();
    };
    auto folderFor = [&](const char *key, int folderKind, int (VLXSite::*sameAs)() const) {
        const QString feedOwn = own(key);
        if (!feedOwn.isEmpty())
            return feedOwn;
        if (sameAs && (m_pubSite.get()->*sameAs)() != 0)
            return text(Field::RemotePath);
        return vlxFTP::siteFolder(m_pubSite.get(), folderKind);
    };
    setText(Field::RemotePath, folderFor("RemotePath", FeedFolder, nullptr));
    auto *disclosureXML = outlet<vlxDisclosureButton>(QStringLiteral("disclosureXML"));
    if (isOn(Toggle::UploadXML) != disclosureXML->isChecked())
        disclosureXML->setChecked(!disclosureXML->isChecked());
    setText(Field::RemoteImagePath,
            folderFor("RemoteImagePath", ImageFolder, kind->imageSameAsFeed));
    auto *disclosureImage = outlet<vlxDisclosureButton>(QStringLiteral("disclosureImage"));
    if (isOn(Toggle::UploadImage) != disclosureImage->isChecked())
        disclosureImage->setChecked(!disclosureImage->isChecked());
    setText(Field::RemoteEnclosurePath,
            folderFor("RemoteEnclosurePath", EnclosureFolder, kind->enclosureSameAsFeed));

    // The password: from the secret service when the site keeps it, else typed by the user.
    const VLXSite &site = *m_pubSite;
    if (site.type() == 3)
        return;
    setText(Field::Password, QString());
    const bool ownAccount = site.type() == 1 || site.dmAccount() != 0;
    const bool stores
        = site.type() == 1 ? site.ftpStorePassword() != 0 : site.dmStorePassword() != 0;
    if (ownAccount && !stores) {
        user->setText(
            tr("User: %1").arg(site.type() == 1 ? site.ftpUsername() : site.dmUsername()));
        user->show();
        return;
    }
    const QString stored = site.getPassword();
    if (!stored.isEmpty())
        setText(Field::Password, stored);
}

void PublishWindow::hideContents(bool hide)
{
    for (const char *name :
         {"passwordLabel", "password", "modifySite", "uploadButton", "viewLogButton"}) {
        if (auto *control = outlet<QWidget>(QLatin1String(name)))
            control->setHidden(hide);
    }
    QDialog *window = m_uploadWindow;
    if (hide && !m_contentsBox->isHidden()) {
        // The window keeps its top edge and shrinks to what is left; it gets its height back
        // when the contents return.
        m_fullHeight = window->height();
        m_contentsBox->hide();
        window->layout()->invalidate();
        window->layout()->activate();
        window->resize(window->width(), window->layout()->sizeHint().height());
    } else if (!hide && m_contentsBox->isHidden()) {
        m_contentsBox->show();
        window->layout()->invalidate();
        window->layout()->activate();
        window->resize(window->width(),
                       qMax(m_fullHeight, window->layout()->minimumSize().height()));
    }
}

// ---- New and changed sites ----

void PublishWindow::createNewSite()
{
    editSite editor;
    if (editor.edit() != 1)
        return;
    VLXPreferences::updatePubSite(editor.site());
    VLXPreferences::saveDefaults();
    m_pubSite = VLXPreferences::pubSiteWithID(editor.site()->siteIdentifier());
    fillSitePopUp(m_pubSite);
    // A new site is appended: the last one of the pop-up.
    m_publishSites->setCurrentIndex(m_publishSites->count() - 1);
    siteChanged();
}

void PublishWindow::modifyThisSite()
{
    if (!m_pubSite)
        return;
    editSite editor;
    editor.setSite(m_pubSite);
    if (editor.edit() != 1)
        return;
    const int noted = m_publishSites->currentIndex();
    VLXPreferences::updatePubSite(editor.site());
    VLXPreferences::saveDefaults();
    m_pubSite = VLXPreferences::pubSiteWithID(editor.site()->siteIdentifier());
    fillSitePopUp(m_pubSite);
    m_publishSites->setCurrentIndex(noted);
    siteChanged();
}

// ---- Remote folders ----

void PublishWindow::browseDirectories(Field target)
{
    if (!m_pubSite)
        return;
    FolderBrowserRequest request;
    request.siteType = m_pubSite->type();
    QString user;
    QString password;
    switch (m_pubSite->type()) {
    case 1:
        request.ftpServer = m_pubSite->ftpServer();
        request.ftpProtocol = m_pubSite->ftpProtocol();
        request.usePASV = m_pubSite->ftpUsePASV() != 0;
        request.useEPSV = m_pubSite->ftpUseEPSV() != 0;
        request.useEPRT = m_pubSite->ftpUseEPRT() != 0;
        // The browser's conversation with the server goes into this window's log.
        request.transferLog = [this](const QString &text) { transferLogAppended(text); };
        user = m_pubSite->ftpUsername();
        password = text(Field::Password);
        break;
    case 2: {
        AccountCheckProgress progress(m_uploadWindow);
        m_publisher.setAccountCheckIndicator(&progress);
        const bool valid = m_publisher.validateDMinfo();
        m_publisher.setAccountCheckIndicator(nullptr);
        if (!valid)
            return;
        request.useAlternateAccount = m_pubSite->dmAccount();
        user = m_pubSite->dmUsername();
        password = text(Field::Password);
        break;
    }
    case 3:
        break;
    default:
        return;
    }
    std::unique_ptr<FolderBrowser> browser = PublishDialogs::folderBrowser(request);
    if (browser && browser->browse(text(target), user, password) == 1)
        setText(target, browser->directory());
}

// ---- The image ----

void PublishWindow::uploadImageCheckBoxAction()
{
    // Ticking the image starts its conversion when it has not been made; unticking stops
    // nothing.
    if (!isOn(Toggle::UploadImage) || m_feedImage.isNull() || m_publisher.convertedImages().any()
        || m_publisher.imageConversionRunning())
        return;
    startImageConversion();
}

// ---- Additional files ----

void PublishWindow::otherFilesAction(int tag)
{
    QList<vlxFTP::OtherFileRow> &rows = m_publisher.otherFiles();
    const int selected = m_otherFilesTable->selectedRow();
    if (tag == 2) {
        if (selected < 0 || selected >= rows.size())
            return;
        rows.removeAt(selected);
        reloadTable(Table::OtherFiles);
        return;
    }
    if (tag != 1 && (tag != 3 || selected < 0 || selected >= rows.size()))
        return;
    std::unique_ptr<AdditionalFileEditor> editor = PublishDialogs::additionalFileEditor();
    if (!editor)
        return;
    if (tag == 3)
        editor->setAdditionalFilesInfo(rows.at(selected).record);
    editor->setUniqueKey(m_uniqueKey);
    editor->setPubSite(m_pubSite);
    if (editor->edit() != 1 || !editor->additionalFilesInfo())
        return;
    // A new or changed file is sent at the next publish.
    const vlxFTP::OtherFileRow row {editor->additionalFilesInfo(), 1,
                                    TitledElement::neverUploaded(), false};
    if (tag == 1)
        rows.append(row);
    else
        rows[selected] = row;
    reloadTable(Table::OtherFiles);
    m_publisher.updateOtherFilesCheckboxes(true);
}

void PublishWindow::otherFilesDoubleAction(int row)
{
    if (row < 0)
        return;
    m_otherFilesTable->selectRow(row);
    if (auto *modify = outlet<QPushButton>(QStringLiteral("otherFilesModify")))
        modify->click();
}
