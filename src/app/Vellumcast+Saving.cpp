// Saving the loaded feed with its backups, and the questions asked before it is left.
#include "app/Vellumcast.h"

#include "app/Controller.h"
#include "io/FeedFileWriter.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "ui/VLXListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMainWindow>
#include <QTimer>

namespace {
const QString kFileName = QStringLiteral("feedFileName");
const QString kFeedURL = QStringLiteral("feedURL");
const QString kTransient = QStringLiteral("isTransient");

QString temporaryFolder()
{
    return QDir(Controller::userFolder()).filePath(QStringLiteral("Temporary"));
}
} // namespace

bool Vellumcast::checkRequiredFields()
{
    if (!m_feed)
        return false;
    m_feed->clearParseXMLErrorList();
    m_feed->validate();
    if (m_feed->parseXMLErrorCount() + m_feed->parseXMLWarnCount() + m_feed->parseXMLRepairCount()
        == 0)
        return true;
    if (hasCommandHandler(QStringLiteral("viewParseLog")))
        runCommand(QStringLiteral("viewParseLog"));
    Alert question;
    question.style = Alert::Style::Critical;
    question.title = QStringLiteral("Feed Doesn't Validate");
    question.message
        = QStringLiteral("Vellumcast has detected problems with the feed that prevents "
                         "it from validating.  Do you wish to continue?");
    question.defaultButton = QStringLiteral("Yes");
    question.alternateButton = QStringLiteral("No");
    return AlertService::show(question) == AlertService::kDefault;
}

bool Vellumcast::writeFeedToPath(const QString &path, QVariantMap &entry)
{
    if (!m_feed)
        return false;
    entry.insert(QStringLiteral("LocalEnclosureFileInfo"), m_feed->enclosureLocalFileInfo());
    if (m_feed->lastUploaded().isValid())
        entry.insert(QStringLiteral("LastPublished"), m_feed->lastUploaded());
    if (m_feed->image() && m_feed->image()->lastUploaded().isValid())
        entry.insert(QStringLiteral("ImageLastPublished"), m_feed->image()->lastUploaded());
    const QString xml = m_feed->buildXML();
    const FeedFileWriter::Result result
        = FeedFileWriter::save(path, xml.toUtf8(), entry, temporaryFolder());
    if (!result.ok) {
        // The previous file and the backups are as they were; the feed stays edited.
        Alert failure;
        failure.style = Alert::Style::Critical;
        failure.title = QStringLiteral("Save Failed");
        failure.message = tr("The feed could not be saved. %1\n\nThe previous file was kept; your "
                             "changes are still in the editor.")
                              .arg(result.problem);
        AlertService::show(failure);
        return false;
    }
    m_startXML = xml;
    m_dataFromFile = xml;
    return true;
}

bool Vellumcast::actualSaveDocument(int row)
{
    finalizeChanges();
    if (!m_feed || row < 0 || row >= m_listOfFeeds.size())
        return false;
    QVariantMap &entry = m_listOfFeeds[row];
    const QString feedURL = entry.value(kFeedURL).toString();
    const QUrl url
        = feedURL.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(feedURL) : QUrl(feedURL);
    if (entry.value(kTransient).toInt() == 1 || feedURL.isEmpty() || !url.isLocalFile()
        || entry.value(kFileName).toString().startsWith(QLatin1String("(untitled)"))) {
        const QUrl chosen = actualSaveDocumentAs(row);
        if (chosen.isEmpty())
            return false;
        QVariantMap &saved = m_listOfFeeds[row];
        saved.insert(kTransient, 0);
        saved.insert(kFileName, QFileInfo(chosen.toLocalFile()).fileName());
        saved.insert(kFeedURL, chosen.toString());
        archiveCurrentFeedList();
        if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files")))
            list->reloadData();
        setDocumentEdited(false);
        if (m_documentWindow)
            m_documentWindow->setWindowTitle(saved.value(kFileName).toString()
                                             + QStringLiteral("[*]"));
        setStatusText(QDir::toNativeSeparators(chosen.toLocalFile()));
        return true;
    }
    if (!checkRequiredFields())
        return false;
    QVariantMap updated = entry;
    if (!writeFeedToPath(url.toLocalFile(), updated))
        return false;
    m_listOfFeeds[row] = updated;
    archiveCurrentFeedList();
    setDocumentEdited(false);
    return true;
}

QUrl Vellumcast::actualSaveDocumentAs(int row)
{
    finalizeChanges();
    if (!m_feed || row < 0 || row >= m_listOfFeeds.size())
        return {};
    if (!checkRequiredFields())
        return {};
    const QVariantMap entry = m_listOfFeeds[row];
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Feed");
    request.directory
        = userDefaults().string(QStringLiteral("LastFeedSavePath")).value_or(QDir::homePath());
    QString proposed = entry.value(kFileName).toString();
    if (proposed.startsWith(QLatin1String("(untitled)")) || proposed.isEmpty())
        proposed = QFileInfo(QUrl(proposed.mid(11)).path()).fileName();
    if (proposed.isEmpty())
        proposed = QStringLiteral("untitled.xml");
    request.proposedName = proposed;
    request.allowedExtensions = {QStringLiteral("xml"), QStringLiteral("rss")};
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return {};
    const QString path = QFileInfo(chosen.first()).absoluteFilePath();
    const QUrl url = QUrl::fromLocalFile(path);
    QVariantMap updated = entry;
    updated.insert(kTransient, 0);
    updated.insert(kFileName, QFileInfo(path).fileName());
    updated.insert(kFeedURL, url.toString());
    if (!writeFeedToPath(path, updated))
        return {};
    // Another listed entry of that file is replaced by this one.
    for (int other = int(m_listOfFeeds.size()) - 1; other >= 0; --other) {
        if (other != row && m_listOfFeeds[other].value(kFeedURL).toString() == url.toString()) {
            m_listOfFeeds.removeAt(other);
            if (other < row)
                --row;
        }
    }
    m_listOfFeeds[row] = updated;
    userDefaults().setObject(QFileInfo(path).absolutePath(), QStringLiteral("LastFeedSavePath"));
    archiveCurrentFeedList();
    if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"))) {
        list->reloadData();
        list->selectRowAndNotifyDelegate(row, false);
    }
    setDocumentEdited(false);
    if (m_documentWindow)
        m_documentWindow->setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*]"));
    setStatusText(QDir::toNativeSeparators(path));
    return url;
}

bool Vellumcast::askToSaveChanges(bool quitting)
{
    finalizeChanges();
    auto ask = [quitting](const QString &what) {
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.title = QStringLiteral("Warning");
        alert.message = quitting
            ? QStringLiteral("Changes have been made to %1.  Do you want to save before you exit?")
                  .arg(what)
            : QStringLiteral("Changes have been made to %1.  Do you want to save them before "
                             "opening another feed?")
                  .arg(what);
        alert.defaultButton = QStringLiteral("Save...");
        alert.alternateButton = QStringLiteral("Don't Save");
        alert.otherButton = QStringLiteral("Cancel");
        return AlertService::show(alert);
    };
    if (isImageEdited()) {
        const int answer = ask(QStringLiteral("this feed's image"));
        if (answer == AlertService::kOther)
            return false;
        if (answer == AlertService::kDefault && hasCommandHandler(QStringLiteral("saveImage")))
            runCommand(QStringLiteral("saveImage"));
        else
            setImageEdited(false);
    }
    if (isDocumentEdited()) {
        const int answer = ask(QStringLiteral("this feed"));
        if (answer == AlertService::kOther)
            return false;
        if (answer == AlertService::kDefault) {
            auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
            if (!actualSaveDocument(list ? list->selectedRow() : -1))
                return false;
        } else {
            setDocumentEdited(false, true);
        }
    }
    return true;
}

void Vellumcast::setUpDocumentCommands()
{
    auto selectedFeedRow = [this] {
        auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
        return list ? list->selectedRow() : -1;
    };
    if (!hasCommandHandler(QStringLiteral("saveDocument")))
        setCommandHandler(QStringLiteral("saveDocument"),
                          [this, selectedFeedRow] { actualSaveDocument(selectedFeedRow()); });
    if (!hasCommandHandler(QStringLiteral("saveDocumentAs")))
        setCommandHandler(QStringLiteral("saveDocumentAs"), [this, selectedFeedRow] {
            const int row = selectedFeedRow();
            if (!actualSaveDocumentAs(row).isEmpty())
                setDocumentEdited(false);
        });
    if (!hasCommandHandler(QStringLiteral("openDocument")))
        setCommandHandler(QStringLiteral("openDocument"), [this] {
            FileRequest request;
            request.kind = FileRequest::Kind::OpenFile;
            request.title = tr("Open Feed");
            request.directory = userDefaults()
                                    .string(QStringLiteral("LastFeedOpenPath"))
                                    .value_or(QDir::homePath());
            const QStringList chosen = FileChooser::run(request);
            if (chosen.isEmpty())
                return;
            userDefaults().setObject(QFileInfo(chosen.first()).absolutePath(),
                                     QStringLiteral("LastFeedOpenPath"));
            openFeedAtPathWrapper(chosen.first());
        });
    if (!hasCommandHandler(QStringLiteral("openURL")))
        setCommandHandler(QStringLiteral("openURL"), [this] {
            finalizeChanges();
            if (!askToSaveChanges(false))
                return;
            // The panel offers the addresses opened before, most recent first.
            QStringList history;
            for (const QVariant &value : userDefaults()
                                             .array(QStringLiteral("feedDownloadHistory"))
                                             .value_or(QVariantList()))
                history << value.toString();
            bool accepted = false;
            const QString typed
                = QInputDialog::getItem(m_documentWindow, tr("Open URL"), tr("Feed address:"),
                                        history, 0, true, &accepted)
                      .trimmed();
            if (!accepted || typed.isEmpty())
                return;
            history.removeAll(typed);
            history.prepend(typed);
            userDefaults().setObject(QVariantList(history.cbegin(), history.cend()),
                                     QStringLiteral("feedDownloadHistory"));
            QString address = typed;
            if (QUrl(address).scheme().isEmpty())
                address = QStringLiteral("http://") + address;
            auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
            m_previousFeedViewed = (list ? list->selectedRow() : -1) + 1;
            openFeedAtPath(address);
        });
    if (!hasCommandHandler(QStringLiteral("revertDocumentToSaved")))
        setCommandHandler(QStringLiteral("revertDocumentToSaved"), [this] {
            finalizeChanges();
            if (m_dataFromFile.isEmpty())
                return;
            reparseLoadedFeed(m_dataFromFile);
            setDocumentEdited(false, true);
            setImageEdited(false);
        });
    setQuitQuestion([this] { return askToSaveChanges(true); });
    setLeaveQuestion([this] { return askToSaveChanges(false); });
}
