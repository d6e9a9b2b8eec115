// A run of the publish sheet: the reset, filling the sheet from the feed, its settings and the
// sites (offering the feed's older FTP settings as a site), and the modal run itself.
#include "model/TitledElement.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "platform/KeyedArchivable.h"
#include "publish/ImageConversion.h"
#include "publish/PublishDialogs.h"
#include "publish/PublishFileTableModel.h"
#include "publish/PublishPaths.h"
#include "publish/PublishWindow.h"
#include "publish/editSite.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/vlxDisclosureButton.h"

#include <QFontDatabase>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QString feedSetting(const char *key, const QString &uniqueKey)
{
    return VLXPreferences::objectForKey(QLatin1String(key), uniqueKey).toString();
}

int feedNumber(const char *key, const QString &uniqueKey)
{
    return VLXPreferences::objectForKey(QLatin1String(key), uniqueKey).toInt();
}

bool neverSent(const QDateTime &date)
{
    return !date.isValid() || date == TitledElement::neverUploaded();
}

} // namespace

// ---- The reset and the setters of a run ----

void PublishWindow::clearFilenames()
{
    m_initialFilename.clear();
    m_initialImageFilename.clear();
    m_feedImage = QImage();
    m_publisher.setConvertedImages({});
    m_publisher.setAdditionalFiles({});
}

void PublishWindow::setAdditionalFiles(const QList<std::shared_ptr<additionalFiles>> &records)
{
    m_publisher.setAdditionalFiles(records);
    reloadTable(Table::OtherFiles);
}

QList<std::shared_ptr<additionalFiles>> PublishWindow::additionalFileRecords() const
{
    return m_publisher.additionalFileRecords();
}

// ---- The run ----

int PublishWindow::uploadFile(QWidget *window, const PublishParameters &parameters)
{
    if (!m_uploadWindow)
        loadInterface();
    // A sheet on the feed window: it blocks that window only, and goes with it.
    if (m_uploadWindow->parentWidget() != window)
        m_uploadWindow->setParent(window, Qt::Dialog);
    m_uploadWindow->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    fillForRun(parameters);
    const int code = m_uploadWindow->exec();
    if (m_logWindow)
        m_logWindow->close();
    m_uploadWindow->hide();
    return code;
}

void PublishWindow::fillForRun(const PublishParameters &parameters)
{
    m_feed = parameters.feed;
    m_uniqueKey = parameters.uniqueKey;
    m_pubSite.reset();
    m_publisher.setView(this);
    m_publisher.setFeed(m_feed, m_uniqueKey);
    m_publisher.setBeforeFeedWritten(parameters.beforeFeedWritten);
    m_publisher.setSite(nullptr);

    // The check boxes: the feed is sent, the image only when it is converted below.
    setOn(Toggle::UploadXML, true);
    setOn(Toggle::UploadImage, false);
    auto *disclosureImage = outlet<vlxDisclosureButton>(QStringLiteral("disclosureImage"));
    disclosureImage->setEnabled(true);
    toggleBox(Toggle::UploadImage)->setEnabled(true);
    const QDateTime imageSent
        = m_feed ? m_feed->image()->lastUploaded() : TitledElement::neverUploaded();
    bool converting = false;
    if (!m_feedImage.isNull() && (neverSent(imageSent) || parameters.expandImage)) {
        setOn(Toggle::UploadImage, true);
        startImageConversion();
        converting = true;
    }
    setLastPublished(Stamp::Feed,
                     vlxFTP::lastPublishedText(m_feed ? m_feed->lastUploaded() : QDateTime()));
    if (!converting)
        setLastPublished(Stamp::Image, vlxFTP::lastPublishedText(imageSent));

    m_publisher.rebuildEnclosureRows();
    reloadTable(Table::Enclosures);

    setStatus(tr("Disconnected"));
    m_uploadButton->setText(tr("Publish"));
    setRunning(false);
    setProgress({});
    transferLogCleared();
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    m_transferLog->setFont(fixed);
    m_viewLogButton->setText(tr("View Log"));
    m_logWindow->close();

    showRemoteNames();
    // The folder browsers are installed separately; until then there is nothing to open.
    for (const char *name : {"browseDirs", "browseImageDirs", "browseEnclosureDirs"})
        outlet<QPushButton>(QLatin1String(name))->setEnabled(PublishDialogs::hasFolderBrowsers());
    fillSitePopUp(currentSiteOfFeed());

    if (!parameters.expandImage && disclosureImage->isChecked())
        disclosureImage->setChecked(false);
    if (m_feedImage.isNull()) {
        disclosureImage->setEnabled(false);
        toggleBox(Toggle::UploadImage)->setEnabled(false);
        setLastPublished(Stamp::Image, QString());
    }

    siteChanged();
    reloadTable(Table::OtherFiles);
    m_publisher.updateEnclosureCheckboxes(true);
    m_publisher.updateOtherFilesCheckboxes(true);
    showRemoteNames();

    // The limits of the feed's text, as this feed last used them.
    setOn(Toggle::NoFutureItems, feedNumber("Export_CF_NoFuture", m_uniqueKey) != 0);
    setOn(Toggle::LimitItems, feedNumber("Export_CF_LimitItems", m_uniqueKey) != 0);
    setText(Field::LimitNumber, QString::number(feedNumber("Export_CF_LimitNumber", m_uniqueKey)));
    limitedChanged();
}

void PublishWindow::showRemoteNames()
{
    setText(Field::RemoteFilename, PublishPaths::lastPathComponent(m_initialFilename));
    setText(Field::RemoteImageFilename, PublishPaths::lastPathComponent(m_initialImageFilename));
}

void PublishWindow::startImageConversion()
{
    m_imageGeneratingProgress->show();
    setLastPublished(Stamp::Image, tr("Generating file from image"));
    m_publisher.startImageConversion(ImageConversion::task(m_feedImage));
}

void PublishWindow::limitedChanged()
{
    if (auto *number = fieldBox(Field::LimitNumber))
        number->setEnabled(isOn(Toggle::LimitItems));
}

// ---- Sites ----

void PublishWindow::fillSitePopUp(const std::shared_ptr<VLXSite> &current)
{
    // The window works on copies; the settings keep the sites.
    m_allPublishSites.clear();
    const QVariantList stored = VLXPreferences::objectForKey(QStringLiteral("Pub_Sites")).toList();
    for (const QVariant &value : stored) {
        if (const auto site = KeyedArchivable::objectAs<VLXSite>(value))
            m_allPublishSites.append(site->copy());
    }
    m_publishSites->clear();
    m_publishSites->addItem(tr("Select Site"));
    for (const auto &site : std::as_const(m_allPublishSites))
        m_publishSites->addItem(site->siteName());
    // The first entry with the current site's name; "Select Site" without one.
    int index = 0;
    if (current) {
        const int found = m_publishSites->findText(current->siteName(), Qt::MatchExactly);
        index = found > 0 ? found : 0;
    }
    m_publishSites->setCurrentIndex(index);
}

std::shared_ptr<VLXSite> PublishWindow::currentSiteOfFeed()
{
    const auto site = VLXPreferences::pubSiteWithID(feedSetting("FTP_CF_PubSiteID", m_uniqueKey));
    return site ? site : migrateFeedSettings();
}

std::shared_ptr<VLXSite> PublishWindow::migrateFeedSettings()
{
    // A feed published before sites existed keeps its server and user among its own settings.
    const QString host = feedSetting("FTP_CF_Host", m_uniqueKey);
    const QString user = feedSetting("FTP_CF_Username", m_uniqueKey);
    if (host.isEmpty() || user.isEmpty())
        return {};
    const auto found = VLXPreferences::findPubSiteWithHost(host, user);
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QStringLiteral("--");
    if (!found) {
        alert.message = tr("Do you want to create a publishing site with the stored information");
        alert.defaultButton = tr("YES");
        alert.alternateButton = tr("No");
        if (AlertService::show(alert) != AlertService::kDefault)
            return {};
        return createSiteFromFeedSettings();
    }
    alert.message = tr("This is the first time publishing this feed with this version of "
                       "Vellumcast Mac.  The \"Publishing Site\" %1 has the same FTP server and "
                       "Username as this feed was previously using.  You can either use this "
                       "site, or create a new one.")
                        .arg(found->siteName());
    alert.defaultButton = tr("Use this site");
    alert.alternateButton = tr("Create a new site");
    if (AlertService::show(alert) != AlertService::kAlternate)
        return found;
    const auto created = createSiteFromFeedSettings();
    return created ? created : found;
}

std::shared_ptr<VLXSite> PublishWindow::createSiteFromFeedSettings()
{
    const QString host = feedSetting("FTP_CF_Host", m_uniqueKey);
    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setSiteName(tr("Imported Site for host \"%1\"").arg(host));
    site->setFtpServer(host);
    site->setFtpUsername(feedSetting("FTP_CF_Username", m_uniqueKey));
    site->setFtpUsePASV(feedNumber("FTP_CF_Passive", m_uniqueKey));
    int storePassword = feedNumber("FTP_CF_PasswordToKeychain", m_uniqueKey);
    if (storePassword == -1)
        storePassword = VLXPreferences::objectForKey(QStringLiteral("M_UseKeychain")).toInt();
    site->setFtpStorePassword(storePassword);
    site->setFtpProtocol(feedNumber("FTP_CF_SFTP", m_uniqueKey));

    editSite editor;
    editor.setSite(site);
    if (editor.edit() != 1)
        return {};
    VLXPreferences::updatePubSite(editor.site());
    // Written at once: a site the user made is not lost to a crash before quitting.
    VLXPreferences::saveDefaults();
    return VLXPreferences::pubSiteWithID(editor.site()->siteIdentifier());
}
