// Saving the loaded feed with its backups, and the questions asked before it is left.
#include "app/Vellumcast.h"

#include "app/FeedListModel.h"
#include "editors/openURLPanel.h"
#include "io/FeedCredentials.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

bool Vellumcast::checkRequiredFields()
{
    closeMessagePanel();
    VLXFeed &feed = *m_document->feed();
    feed.clearParseXMLErrorList();
    feed.validate();
    if (feed.parseXMLErrorCount() + feed.parseXMLWarnCount() + feed.parseXMLRepairCount() == 0)
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

namespace {
// A write that failed: the previous file and the backups are as they were; the feed stays edited.
void reportSaveFailure(const QString &problem)
{
    Alert failure;
    failure.style = Alert::Style::Critical;
    failure.title = QStringLiteral("Save Failed");
    failure.message = QObject::tr("The feed could not be saved. %1\n\nThe previous file was kept; "
                                  "your changes are still in the editor.")
                          .arg(problem);
    AlertService::show(failure);
}
} // namespace

bool Vellumcast::actualSaveDocument(int row)
{
    finalizeChanges();
    // Only the loaded feed's own entry is saved: its file, never another entry's.
    if (!m_feedList->isRow(row)
        || m_feedList->entry(row).uniqueIdentifier != m_document->entry().uniqueIdentifier)
        return false;
    const FeedListEntry &entry = m_document->entry();
    const QUrl url
        = entry.url.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(entry.url) : QUrl(entry.url);
    if (entry.transient || entry.url.isEmpty() || !url.isLocalFile()
        || entry.fileName.startsWith(QLatin1String("(untitled)"))) {
        if (actualSaveDocumentAs(row).isEmpty())
            return false;
        setDocumentEdited(false);
        return true;
    }
    if (!checkRequiredFields())
        return false;
    FeedListEntry updated = entry;
    QString problem;
    if (!m_document->writeTo(url.toLocalFile(), updated, &problem)) {
        reportSaveFailure(problem);
        return false;
    }
    m_document->setEntry(updated);
    archiveCurrentFeedList();
    setDocumentEdited(false);
    if (!problem.isEmpty())
        setStatusText(problem);
    return true;
}

QUrl Vellumcast::actualSaveDocumentAs(int row)
{
    finalizeChanges();
    if (!m_feedList->isRow(row)
        || m_feedList->entry(row).uniqueIdentifier != m_document->entry().uniqueIdentifier)
        return {};
    if (!checkRequiredFields())
        return {};
    const FeedListEntry entry = m_document->entry();
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Feed");
    request.directory
        = userDefaults().string(QStringLiteral("LastFeedSavePath")).value_or(QDir::homePath());
    QString proposed = entry.fileName;
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
    FeedListEntry updated = entry;
    updated.transient = false;
    updated.fileName = QFileInfo(path).fileName();
    updated.url = url.toString();
    QString problem;
    if (!m_document->writeTo(path, updated, &problem)) {
        reportSaveFailure(problem);
        return {};
    }
    // The feed now has a file of its own: the credentials of the address it came from go.
    if (entry.isRemote())
        FeedCredentials::forget(entry.uniqueIdentifier);
    // Another listed entry of that file is replaced by this one.
    for (int other = m_feedList->count() - 1; other >= 0; --other) {
        if (m_feedList->entry(other).url == updated.url
            && m_feedList->entry(other).uniqueIdentifier != updated.uniqueIdentifier)
            m_feedList->removeAt(other);
    }
    m_document->setEntry(updated);
    userDefaults().setObject(QFileInfo(path).absolutePath(), QStringLiteral("LastFeedSavePath"));
    archiveCurrentFeedList();
    selectDocumentRow();
    setDocumentEdited(false);
    setWindowTitleFromEntry();
    setStatusText(problem.isEmpty() ? QDir::toNativeSeparators(path) : problem);
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
            if (!actualSaveDocument(lastFeedViewed()))
                return false;
        } else {
            setDocumentEdited(false, true);
        }
    }
    return true;
}

void Vellumcast::setUpDocumentCommands()
{
    if (!hasCommandHandler(QStringLiteral("saveDocument")))
        setCommandHandler(QStringLiteral("saveDocument"),
                          [this] { actualSaveDocument(lastFeedViewed()); });
    if (!hasCommandHandler(QStringLiteral("saveDocumentAs")))
        setCommandHandler(QStringLiteral("saveDocumentAs"), [this] {
            if (!actualSaveDocumentAs(lastFeedViewed()).isEmpty())
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
            showSelectedTab(FeedsTab);
            // The panel offers the addresses opened before, most recent first.
            const QString historyKey = QStringLiteral("feedDownloadHistory");
            QStringList history;
            for (const QVariant &value : userDefaults().array(historyKey).value_or(QVariantList()))
                history << value.toString();
            openURLPanel panel;
            panel.setHistory(history);
            if (panel.showOpenURLPanel(m_documentWindow) != 1)
                return;
            history = panel.history();
            // The history is a setting: a password typed into an address stays out of it.
            for (QString &entry : history)
                entry = FeedCredentials::scrubbed(entry);
            history.removeDuplicates();
            userDefaults().setObject(QVariantList(history.cbegin(), history.cend()), historyKey);
            const QList<QUrl> urls = panel.URLs();
            if (urls.isEmpty())
                return;
            QString address = urls.first().toString(QUrl::FullyEncoded);
            if (urls.first().scheme().isEmpty())
                address = QStringLiteral("http://") + address;
            rememberPreviousEntry();
            openFeedAtPath(address);
        });
    if (!hasCommandHandler(QStringLiteral("revertDocumentToSaved")))
        setCommandHandler(QStringLiteral("revertDocumentToSaved"), [this] {
            finalizeChanges();
            if (m_document->text().isEmpty())
                return;
            reparseLoadedFeed(m_document->text());
            setDocumentEdited(false, true);
            setImageEdited(false);
        });
    setCommandHandler(QStringLiteral("undo"), [this] { undo(); });
    setCommandHandler(QStringLiteral("redo"), [this] { redo(); });
    setQuitQuestion([this] { return askToSaveChanges(true); });
    setLeaveQuestion([this] { return askToSaveChanges(false); });
}
