// Saving the loaded feed with its backups, and the questions asked before it is left.
#include "app/Vellumcast.h"

#include "app/FeedListModel.h"
#include "app/ImageActions.h"
#include "app/LoadControl.h"
#include "app/LoadRunner.h"
#include "app/ParseLogPanel.h"
#include "editors/openURLPanel.h"
#include "io/FeedCredentials.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

namespace {
// A control for work run on the window's thread: it goes through to the end.
class ThroughControl : public LoadControl
{
public:
    bool report(Stage, qint64, qint64) override { return true; }
    bool stopRequested() const override { return false; }
};
} // namespace

bool Vellumcast::runOnWorker(const std::function<void(LoadControl &)> &work,
                             const QString &dialogTitle, const QString &doing)
{
    if (m_loader->isRunning()) {
        ThroughControl through;
        work(through);
        return true;
    }
    const FeedListEntry &entry = m_document->entry();
    const QString what = entry.isRemote() ? FeedCredentials::scrubbed(entry.url)
                                          : QDir::toNativeSeparators(entry.localPath());
    const QString status = statusText();
    LoadRunner::Wording wording;
    wording.dialogTitle = dialogTitle;
    wording.status = [doing](LoadControl::Stage stage, const QString &title) {
        return stage == LoadControl::Stage::Validating
            ? FeedDocument::stageStatus(stage, title)
            : QStringLiteral("%1   %2").arg(doing, title);
    };
    // The work reads the settings from a copy made here; what it learnt comes back here.
    auto settings = std::make_shared<VLXPreferences::ThreadCopy>();
    const bool finished = m_loader->run(
        [work, settings](LoadControl &control) {
            const VLXPreferences::ThreadCopy::Use use(*settings);
            work(control);
        },
        what, wording);
    setStatusText(status);
    if (finished)
        settings->commit();
    return finished;
}

bool Vellumcast::checkRequiredFields()
{
    ParseLogPanel::closeMessagePanel();
    // Validating walks every item: on the worker, with the counts and the log the message panel
    // shows when the feed does not validate.
    struct Counts
    {
        bool finished = false;
        FeedDocument::ParseLog log;
    };
    auto counts = std::make_shared<Counts>();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    const bool ran = runOnWorker(
        [feed, counts](LoadControl &control) {
            feed->clearParseXMLErrorList();
            VLXFeed::MessageCounts found;
            if (!feed->validate(
                    [&control](int done, int total) {
                        return control.report(LoadControl::Stage::Validating, done, total);
                    },
                    &found))
                return;
            counts->log.errors = found.errors;
            counts->log.warnings = found.warnings;
            counts->log.repairs = found.repairs;
            if (found.total() > 0)
                counts->log.messages = feed->parseXMLErrorList(true, true, true);
            counts->finished = true;
        },
        tr("Saving Feed"), QStringLiteral("Saving..."));
    if (!ran || !counts->finished)
        return false;
    if (counts->log.errors + counts->log.warnings + counts->log.repairs == 0)
        return true;
    m_parseLog->viewParseLog(counts->log);
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
        // A feed without a file of its own takes the file it is saved to.
        FeedListEntry adopted = entry;
        QString problem;
        const QUrl chosen = writeToChosenFile(row, &adopted, &problem);
        if (chosen.isEmpty())
            return false;
        // The feed now has a file of its own: the credentials of the address it came from go.
        if (entry.isRemote())
            FeedCredentials::forget(entry.uniqueIdentifier);
        // Another listed entry of that file is replaced by this one.
        for (int other = m_feedList->count() - 1; other >= 0; --other) {
            if (m_feedList->entry(other).url == adopted.url
                && m_feedList->entry(other).uniqueIdentifier != adopted.uniqueIdentifier)
                m_feedList->removeAt(other);
        }
        m_document->setEntry(adopted);
        archiveCurrentFeedList();
        selectDocumentRow();
        setDocumentEdited(false);
        settlePictureWithSave();
        setWindowTitleFromEntry();
        setStatusText(problem.isEmpty() ? QDir::toNativeSeparators(chosen.toLocalFile())
                                        : problem);
        return true;
    }
    if (!checkRequiredFields())
        return false;
    FeedListEntry updated = entry;
    QString problem;
    const auto savingRunner = [this](const std::function<void(LoadControl &)> &work) {
        return runOnWorker(work, tr("Saving Feed"), QStringLiteral("Saving..."));
    };
    if (!m_document->writeTo(url.toLocalFile(), updated, &problem, false, savingRunner)) {
        if (!problem.isEmpty())
            reportSaveFailure(problem);
        return false;
    }
    m_document->setEntry(updated);
    archiveCurrentFeedList();
    setDocumentEdited(false);
    settlePictureWithSave();
    if (!problem.isEmpty())
        setStatusText(problem);
    return true;
}

void Vellumcast::settlePictureWithSave()
{
    // A picture the saved feed shows again when it is next loaded (its file's, or its image
    // URL's) is no unsaved change of the image.
    if (isImageEdited() && m_document->pictureKeptBySave())
        setImageEdited(false);
}

QString Vellumcast::proposedFileName(const FeedListEntry &entry, const QString &title)
{
    if (!entry.url.isEmpty()) {
        const QString name = QFileInfo(QUrl(entry.url).path()).fileName();
        if (!name.isEmpty())
            return name;
    }
    // A feed never saved is named after its title.
    QString name = title.trimmed();
    for (QChar &c : name) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    }
    return name;
}

QUrl Vellumcast::writeToChosenFile(int row, FeedListEntry *adopting, QString *problemOut)
{
    finalizeChanges();
    if (!m_feedList->isRow(row)
        || m_feedList->entry(row).uniqueIdentifier != m_document->entry().uniqueIdentifier)
        return {};
    if (!checkRequiredFields())
        return {};
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Feed");
    request.directory
        = userDefaults().string(QStringLiteral("LastFeedSavePath")).value_or(QDir::homePath());
    request.proposedName = proposedFileName(m_document->entry(), currentFeed()->title());
    request.allowedExtensions = {QStringLiteral("xml")};
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return {};
    const QString path = QFileInfo(chosen.first()).absoluteFilePath();
    const QUrl url = QUrl::fromLocalFile(path);
    // The companion is the entry as it will be: the adopted one, or the entry unchanged when a
    // copy is written.
    FeedListEntry written = adopting ? *adopting : m_document->entry();
    if (adopting) {
        written.transient = false;
        written.fileName = QFileInfo(path).fileName();
        written.url = url.toString();
    }
    QString problem;
    const auto savingRunner = [this](const std::function<void(LoadControl &)> &work) {
        return runOnWorker(work, tr("Saving Feed"), QStringLiteral("Saving..."));
    };
    if (!m_document->writeTo(path, written, &problem, !adopting, savingRunner)) {
        if (!problem.isEmpty())
            reportSaveFailure(problem);
        return {};
    }
    if (adopting)
        *adopting = written;
    userDefaults().setObject(QFileInfo(path).absolutePath(), QStringLiteral("LastFeedSavePath"));
    if (problemOut)
        *problemOut = problem;
    return url;
}

QUrl Vellumcast::actualSaveDocumentAs(int row)
{
    // A copy: the entry keeps its file, and the feed its title and its edited state.
    return writeToChosenFile(row, nullptr);
}

bool Vellumcast::askToSaveImage(Leaving why)
{
    if (!isImageEdited())
        return true;
    const int answer = askToSave(QStringLiteral("this feed's image"), why);
    if (answer == AlertService::kOther)
        return false;
    // A cancelled or failed save keeps the user with the image, which is not lost.
    if (answer == AlertService::kDefault && !m_document->picture().isNull())
        return m_imageActions->saveImage();
    if (why != Leaving::OpeningAnother)
        setImageEdited(false);
    return true;
}

bool Vellumcast::askToSaveFeed(Leaving why)
{
    if (!isDocumentEdited())
        return true;
    const int answer = askToSave(QStringLiteral("this feed"), why);
    if (answer == AlertService::kOther)
        return false;
    if (answer == AlertService::kDefault)
        return actualSaveDocument(lastFeedViewed());
    // Another feed clears the state and the undo steps when it is shown in this one's place.
    if (why != Leaving::OpeningAnother)
        setDocumentEdited(false, true);
    return true;
}

int Vellumcast::askToSave(const QString &what, Leaving why)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = QStringLiteral("Warning");
    switch (why) {
    case Leaving::Quitting:
        alert.message
            = QStringLiteral("Changes have been made to %1.  Do you want to save before you exit?")
                  .arg(what);
        break;
    case Leaving::CreatingNew:
        alert.message = QStringLiteral("Changes have been made to %1.  Do you want to save them "
                                       "before creating a new feed?")
                            .arg(what);
        break;
    case Leaving::OpeningAnother:
        alert.message = QStringLiteral("Changes have been made to %1.  Do you want to save them "
                                       "before opening another feed?")
                            .arg(what);
        break;
    }
    alert.defaultButton = QStringLiteral("Save...");
    alert.alternateButton = QStringLiteral("Don't Save");
    alert.otherButton = QStringLiteral("Cancel");
    return AlertService::show(alert);
}

bool Vellumcast::askToSaveChanges(Leaving why)
{
    finalizeChanges();
    return askToSaveImage(why) && askToSaveFeed(why);
}

void Vellumcast::setUpDocumentCommands()
{
    if (!hasCommandHandler(QStringLiteral("saveDocument")))
        setCommandHandler(QStringLiteral("saveDocument"),
                          [this] { actualSaveDocument(lastFeedViewed()); });
    if (!hasCommandHandler(QStringLiteral("saveDocumentAs")))
        setCommandHandler(QStringLiteral("saveDocumentAs"),
                          [this] { actualSaveDocumentAs(lastFeedViewed()); });
    // Whatever way Open and Open URL end, the window is left with a feed.
    if (!hasCommandHandler(QStringLiteral("openDocument")))
        setCommandHandler(QStringLiteral("openDocument"), [this] {
            openDocument();
            ensureAFeed();
        });
    if (!hasCommandHandler(QStringLiteral("openURL")))
        setCommandHandler(QStringLiteral("openURL"), [this] {
            openURL();
            ensureAFeed();
        });
    if (!hasCommandHandler(QStringLiteral("revertDocumentToSaved")))
        setCommandHandler(QStringLiteral("revertDocumentToSaved"), [this] {
            finalizeChanges();
            // The file as it was read (or last saved), not as it may be on disk now.
            const QByteArray bytes = m_document->bytes();
            const QString text = bytes.isNull() ? m_document->text() : QString();
            if (bytes.isEmpty() && text.isEmpty())
                return;
            if (!rereadLoadedFeed(bytes, text))
                return;
            setDocumentEdited(false, true);
            setImageEdited(false);
        });
    setCommandHandler(QStringLiteral("undo"), [this] { undo(); });
    setCommandHandler(QStringLiteral("redo"), [this] { redo(); });
    setQuitQuestion([this] { return askToSaveChanges(Leaving::Quitting); });
    setLeaveQuestion([this] { return askToSaveChanges(Leaving::OpeningAnother); });
}

void Vellumcast::openDocument()
{
    // The question comes before the panel: Cancel there leaves everything as it is.
    finalizeChanges();
    if (!askToSaveChanges(Leaving::OpeningAnother))
        return;
    showSelectedTab(FeedsTab);
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Open Feed");
    request.directory
        = userDefaults().string(QStringLiteral("LastFeedOpenPath")).value_or(QDir::homePath());
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    userDefaults().setObject(QFileInfo(chosen.first()).absolutePath(),
                             QStringLiteral("LastFeedOpenPath"));
    rememberPreviousEntry();
    openAskedFeed(chosen.first());
}

void Vellumcast::openURL()
{
    finalizeChanges();
    if (!askToSaveChanges(Leaving::OpeningAnother))
        return;
    showSelectedTab(FeedsTab);
    // The panel offers the addresses opened before, most recent first.
    const std::optional<QUrl> url
        = openURLPanel::askForURL(m_documentWindow, QStringLiteral("feedDownloadHistory"));
    if (!url)
        return;
    QString address = url->toString(QUrl::FullyEncoded);
    if (url->scheme().isEmpty())
        address = QStringLiteral("http://") + address;
    rememberPreviousEntry();
    openAskedFeed(address);
}
