#include "app/FeedSaving.h"

#include "app/ImageActions.h"
#include "app/ParseLogPanel.h"
#include "app/WindowServices.h"
#include "editors/errorListing.h"

#include "app/LoadRunner.h"
#include "document/FeedListModel.h"
#include "document/LoadControl.h"
#include "io/FeedCredentials.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFileInfo>

namespace {
// A control for work run on the window's thread: it goes through to the end.
class ThroughControl : public LoadControl
{
public:
    bool report(Stage, qint64, qint64) override { return true; }
    bool stopRequested() const override { return false; }
};
} // namespace

FeedSaving::FeedSaving(WindowServices &window, ImageActions &images, ParseLogPanel &parseLog,
                       QObject *parent)
    : QObject(parent), m_window(window), m_images(images), m_parseLog(parseLog),
      m_document(window.document()), m_feedList(window.feedList()), m_loader(window.loadRunner())
{
}

bool FeedSaving::runOnWorker(const std::function<void(LoadControl &)> &work,
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
    const QString status = m_window.statusText();
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
    m_window.setStatusText(status);
    if (finished)
        settings->commit();
    return finished;
}

std::optional<FeedDocument::ParseLog> FeedSaving::validateOnWorker(const QString &dialogTitle,
                                                                   const QString &doing)
{
    auto found = std::make_shared<std::optional<FeedDocument::ParseLog>>();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    const bool ran = runOnWorker(
        [feed, found](LoadControl &control) {
            VLXFeed::MessageCounts counts;
            QList<MessageGroup> messages;
            if (feed->validateAfresh(
                    [&control](int done, int total) {
                        return control.report(LoadControl::Stage::Validating, done, total);
                    },
                    &counts, &messages))
                *found = FeedDocument::ParseLog {std::move(messages), counts.errors,
                                                 counts.warnings, counts.repairs};
        },
        dialogTitle, doing);
    return ran ? *found : std::nullopt;
}

bool FeedSaving::checkRequiredFields()
{
    errorListing::closePanel();
    // Validating walks every item: on the worker, with the counts and the log the message panel
    // shows when the feed does not validate.
    std::optional<FeedDocument::ParseLog> log
        = validateOnWorker(tr("Saving Feed"), QStringLiteral("Saving..."));
    if (!log)
        return false;
    if (log->errors + log->warnings + log->repairs == 0)
        return true;
    m_parseLog.viewParseLog(*log);
    Alert question;
    question.style = Alert::Style::Critical;
    question.title = QStringLiteral("Feed Doesn't Validate");
    question.message
        = QStringLiteral("Vellumcast has detected problems with the feed that prevents "
                         "it from validating.  Do you wish to continue?");
    question.defaultButton = QStringLiteral("Yes");
    question.alternateButton = QStringLiteral("No");
    const bool goOn = AlertService::show(question) == AlertService::kDefault;
    // The log stays open beside the feed, and the keyboard goes back to the feed window, where
    // the save goes on. Asked for after the log's own request, so it holds however late the
    // desktop handles that one.
    m_window.window()->activateWindow();
    return goOn;
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

bool FeedSaving::actualSaveDocument(int row)
{
    m_window.finalizeChanges();
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
        m_window.archiveCurrentFeedList();
        m_window.selectDocumentRow();
        m_document->setEdited(false);
        settlePictureWithSave();
        m_window.setWindowTitleFromEntry();
        m_window.setStatusText(problem.isEmpty() ? QDir::toNativeSeparators(chosen.toLocalFile())
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
    m_window.archiveCurrentFeedList();
    m_document->setEdited(false);
    settlePictureWithSave();
    if (!problem.isEmpty())
        m_window.setStatusText(problem);
    return true;
}

void FeedSaving::settlePictureWithSave()
{
    // A picture the saved feed shows again when it is next loaded (its file's, or its image
    // URL's) is no unsaved change of the image.
    if (m_document->isImageEdited() && m_document->pictureKeptBySave())
        m_document->setImageEdited(false);
}

QString FeedSaving::proposedFileName(const FeedListEntry &entry, const QString &title)
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

QUrl FeedSaving::writeToChosenFile(int row, FeedListEntry *adopting, QString *problemOut)
{
    m_window.finalizeChanges();
    if (!m_feedList->isRow(row)
        || m_feedList->entry(row).uniqueIdentifier != m_document->entry().uniqueIdentifier)
        return {};
    if (!checkRequiredFields())
        return {};
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Feed");
    request.directory = VLXPreferences::sharedInstance()
                            .store()
                            .string(QStringLiteral("LastFeedSavePath"))
                            .value_or(QDir::homePath());
    request.proposedName = proposedFileName(m_document->entry(), m_document->feed()->title());
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
    VLXPreferences::sharedInstance().store().setObject(QFileInfo(path).absolutePath(),
                                                       QStringLiteral("LastFeedSavePath"));
    if (problemOut)
        *problemOut = problem;
    return url;
}

QUrl FeedSaving::actualSaveDocumentAs(int row)
{
    // A copy: the entry keeps its file, and the feed its title and its edited state.
    return writeToChosenFile(row, nullptr);
}

bool FeedSaving::askToSaveImage(Leaving why)
{
    if (!m_document->isImageEdited())
        return true;
    const int answer = askToSave(QStringLiteral("this feed's image"), why);
    if (answer == AlertService::kOther)
        return false;
    // A cancelled or failed save keeps the user with the image, which is not lost.
    if (answer == AlertService::kDefault && !m_document->picture().isNull())
        return m_images.saveImage();
    if (why != Leaving::OpeningAnother)
        m_document->setImageEdited(false);
    return true;
}

bool FeedSaving::askToSaveFeed(Leaving why)
{
    if (!m_document->isEdited())
        return true;
    const int answer = askToSave(QStringLiteral("this feed"), why);
    if (answer == AlertService::kOther)
        return false;
    if (answer == AlertService::kDefault)
        return actualSaveDocument(m_window.lastFeedViewed());
    // Another feed clears the state and the undo steps when it is shown in this one's place.
    if (why != Leaving::OpeningAnother)
        m_document->setEdited(false, true);
    return true;
}

int FeedSaving::askToSave(const QString &what, Leaving why)
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

bool FeedSaving::askToSaveChanges(Leaving why)
{
    m_window.finalizeChanges();
    return askToSaveImage(why) && askToSaveFeed(why);
}
