// Reading a feed into the document, and writing it out.
#include "document/FeedDocument.h"

#include "document/FreeAside.h"
#include "document/LoadControl.h"
#include "io/FeedFileWriter.h"
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "platform/AlertService.h"
#include "platform/ApplicationIdentity.h"
#include "platform/MainThreadCall.h"
#include "platform/QuestionNotice.h"
#include "platform/ShownText.h"
#include "platform/StatusSink.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>

#include <atomic>

namespace {
FeedDocument::SourceEditor &sourceEditor()
{
    static FeedDocument::SourceEditor editor;
    return editor;
}

// "M_ShowParseResults": 0 any message, 1 errors or warnings, 2 errors only, else never.
bool resultsWanted(int repairs, int errors, int warnings)
{
    switch (VLXPreferences::objectForKey(QStringLiteral("M_ShowParseResults")).toInt()) {
    case 0:
        return repairs + errors + warnings > 0;
    case 1:
        return errors + warnings > 0;
    case 2:
        return errors > 0;
    default:
        return false;
    }
}

// Answers true when the user asked to see the log. The counts walk every item, so a load on a
// worker thread takes them there; the question is asked on the window's thread.
bool showResults(int repairs, int errors, int warnings)
{
    if (!resultsWanted(repairs, errors, warnings))
        return false;
    Alert results;
    results.style = Alert::Style::Critical;
    results.title = QStringLiteral("Feed Parsing Results:");
    const auto number = [](int n) { return QStringLiteral("%1").arg(n, 4); };
    results.message = QStringLiteral("%1 Repairs\n%2 Errors\n%3 Warnings")
                          .arg(number(repairs), number(errors), number(warnings));
    if (repairs > 0)
        results.message += QStringLiteral(
            "\n\nVellumcast has made some modifications to this file to make it conform "
            "better to the standards.  To preserve these changes the feed will have to be saved.");
    results.defaultButton = QStringLiteral("View Log");
    results.alternateButton = QStringLiteral("Close");
    return AlertService::show(results) == AlertService::kDefault;
}

void showStatus(StatusSink *sink, const QString &text)
{
    if (sink)
        sink->setStatus(text);
}

} // namespace

void FeedDocument::setSourceEditor(SourceEditor editor)
{
    sourceEditor() = std::move(editor);
}

std::optional<QString> FeedDocument::editSource(const QString &text, const Refusal &why)
{
    QuestionNotice::announce();
    return sourceEditor() ? sourceEditor()(text, why) : std::nullopt;
}

std::optional<QString> FeedDocument::fixOrAbandon(const QVariantMap &error, const Refusal &refusal,
                                                  const QString &text, bool *abandoned)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    Refusal why = refusal;
    // The one who mends the text is told what the alert told, cut where the alert cuts it: the
    // alert's whole message stays within what an alert shows uncut.
    if (!error.isEmpty()) {
        why.line = error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt();
        if (why.cause == VLXParseFeed::Cause::None)
            why.cause = VLXParseFeed::Cause::NotWellFormed;
        const QString lead
            = QStringLiteral("The following error was detected on line %1:\n\n").arg(why.line);
        const QString rest = QStringLiteral(
            "\n\nYou may either abandon your changes and revert back to before you started "
            "editing or continue editing and fix the error.");
        const QString description = ShownText::fitted(
            error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString(),
            ShownText::kLongest - lead.size() - rest.size());
        why.reason = QStringLiteral("Line %1: ").arg(why.line) + description;
        alert.title = QStringLiteral("Error in XML");
        alert.message = lead + description + rest;
    } else {
        alert.title = QStringLiteral("Not XML/RSS");
        alert.message = QStringLiteral("This file does not appear to be an XML/RSS file.  Would "
                                       "you like to try and fix it manually?");
        if (!why.reason.isEmpty()) {
            const QString gap = QStringLiteral("\n\n");
            why.reason = ShownText::fitted(why.reason,
                                           ShownText::kLongest - alert.message.size() - gap.size());
            alert.message += gap + why.reason;
        }
    }
    alert.defaultButton = QStringLiteral("Manually fix it");
    alert.alternateButton = QStringLiteral("Abandon it");
    *abandoned = AlertService::show(alert) != AlertService::kDefault;
    if (*abandoned)
        return std::nullopt;
    // The editor is a window: a load on a worker thread waits for it on the window's thread.
    return MainThreadCall::ask<std::optional<QString>>(
        [&text, &why] { return FeedDocument::editSource(text, why); }, std::nullopt);
}

FeedDocument::ParseLog FeedDocument::parseLogOf(const VLXFeed &feed)
{
    return {feed.parseXMLErrorList(true, true, true), feed.parseXMLErrorCount(),
            feed.parseXMLWarnCount(), feed.parseXMLRepairCount()};
}

QString FeedDocument::stageStatus(VLXParseFeed::Stage stage, const QString &base)
{
    switch (stage) {
    case VLXParseFeed::Stage::Decoding:
    case VLXParseFeed::Stage::Checking:
        return QStringLiteral("Loading... %1").arg(base);
    case VLXParseFeed::Stage::Reading:
    case VLXParseFeed::Stage::Finishing:
        return QStringLiteral("Parsing...   %1").arg(base);
    case VLXParseFeed::Stage::Validating:
        return QStringLiteral("Validating...   %1").arg(base);
    }
    return base;
}
FeedDocument::LoadResult FeedDocument::load(const QString &text, const FeedListEntry &entry,
                                            const LoadOptions &options)
{
    return finish(prepare({}, text, options, carry(entry, options), nullptr), entry, options);
}

FeedDocument::Carry FeedDocument::carry(const FeedListEntry &entry,
                                        const LoadOptions &options) const
{
    return carry(*m_feed, entry, options);
}

FeedDocument::Carry FeedDocument::carry(const VLXFeed &shown, const FeedListEntry &entry,
                                        const LoadOptions &options)
{
    Carry carried;
    if (options.rereading) {
        // What the text does not hold stays with the feed read again.
        carried.enclosureLocalFileInfo = shown.enclosureLocalFileInfo();
        carried.lastUploaded = shown.lastUploaded();
        carried.imageLastUploaded = shown.image()->lastUploaded();
        carried.autoPubDate = shown.autoPubDate();
    } else {
        carried.enclosureLocalFileInfo = entry.localEnclosureFileInfo;
        carried.lastUploaded = entry.lastPublished;
        carried.imageLastUploaded = entry.imageLastPublished;
    }
    return carried;
}

FeedDocument::Prepared FeedDocument::prepare(QByteArray bytes, const QString &text,
                                             const LoadOptions &options, const Carry &carry,
                                             LoadControl *control)
{
    Prepared prepared;
    QString feedText = text;
    // The bytes stay as they came (what Revert reads again): the loader needs no text of its
    // own after decoding them, which keeps the peak low. Shared, so not copied.
    const QByteArray kept = bytes;
    // One loader decodes, checks, repairs, reads and validates; the tree of a check made before
    // is read, not parsed again.
    std::shared_ptr<VLXParseFeed> checkedReader = options.checkedReader;
    std::shared_ptr<VLXFeed> feed;
    std::optional<VLXFeed::MessageCounts> loadedCounts;
    for (;;) {
        FeedLoader::Request request;
        request.bytes = std::exchange(bytes, {});
        request.text = feedText;
        request.address = options.address;
        request.validate = options.validate;
        request.checkedReader = std::exchange(checkedReader, nullptr);
        request.keepText = kept.isNull() || prepared.result.mended;
        // The loader copies the settings, and gives back what it learnt, on the window's thread.
        std::unique_ptr<FeedLoader> loader;
        MainThreadCall::run([&] { loader = std::make_unique<FeedLoader>(std::move(request)); });
        if (!loader) {
            prepared.result.outcome = LoadOutcome::Cancelled;
            return prepared;
        }
        std::optional<FeedLoader::Stage> shownStage;
        FeedLoader::Result loaded
            = loader->run([&](FeedLoader::Stage stage, qint64 done, qint64 total) {
                  if (control)
                      return control->report(stage, done, total);
                  if (stage != shownStage) {
                      shownStage = stage;
                      showStatus(options.statusSink, stageStatus(stage, options.status));
                  }
                  return true;
              });
        MainThreadCall::run([&] { loader->commitSettings(); });
        loader.reset();
        if (loaded.outcome == FeedLoader::Outcome::Stopped
            || (control && control->stopRequested())) {
            prepared.result.outcome = LoadOutcome::Cancelled;
            return prepared;
        }
        // The notices the read raised (a format to be converted), in their order.
        for (const Alert &alert : std::as_const(loaded.alerts))
            AlertService::show(alert);
        // A feed too large to read: its alert said so, and nothing changes.
        if (loaded.outcome == FeedLoader::Outcome::Refused) {
            prepared.result.outcome = LoadOutcome::Unreadable;
            return prepared;
        }
        if (loaded.outcome == FeedLoader::Outcome::Loaded) {
            feed = std::move(loaded.feed);
            loadedCounts = loaded.counts;
            if (!loaded.text.isNull())
                feedText = std::move(loaded.text);
            break;
        }
        if (!loaded.text.isNull())
            feedText = std::move(loaded.text);
        else if (feedText.isNull() && !kept.isNull())
            feedText = VLXParseFeed::textForMending(kept);
        bool abandoned = false;
        const std::optional<QString> fixed = fixOrAbandon(
            loaded.error, {loaded.reason, loaded.reasonLine, loaded.cause}, feedText, &abandoned);
        if (abandoned || !fixed) {
            prepared.result.outcome = abandoned ? LoadOutcome::Abandoned : LoadOutcome::Unsaved;
            return prepared;
        }
        feedText = *fixed;
        prepared.result.mended = true;
    }

    // A feed just read has no local copies: only a carried entry can give it some, and without
    // one there is no need to visit every item.
    if (!carry.enclosureLocalFileInfo.isEmpty())
        feed->setEnclosureLocalFileInfo(carry.enclosureLocalFileInfo);
    if (carry.lastUploaded.isValid())
        feed->setLastUploaded(carry.lastUploaded);
    if (carry.imageLastUploaded.isValid())
        feed->image()->setLastUploaded(carry.imageLastUploaded);
    if (carry.autoPubDate)
        feed->setAutoPubDate(*carry.autoPubDate);
    // The validation counted the messages; without one, counting walks every item (here, off
    // the window's thread when there is a worker).
    const VLXFeed::MessageCounts counts = loadedCounts
        ? *loadedCounts
        : VLXFeed::MessageCounts {feed->parseXMLErrorCount(), feed->parseXMLWarnCount(),
                                  feed->parseXMLRepairCount()};
    const int repairs = counts.repairs;
    const int errors = counts.errors;
    const int warnings = counts.warnings;
    prepared.repaired = repairs > 0;
    if (!options.hideErrors) {
        prepared.viewLog = MainThreadCall::ask<bool>(
            [&] { return showResults(repairs, errors, warnings); }, false);
    }
    if (prepared.viewLog)
        prepared.log
            = ParseLog {feed->parseXMLErrorList(true, true, true), errors, warnings, repairs};
    if (control && control->stopRequested()) {
        prepared.result.outcome = LoadOutcome::Cancelled;
        return prepared;
    }
    prepared.feed = std::move(feed);
    if (prepared.result.mended || kept.isNull())
        prepared.text = std::move(feedText);
    else
        prepared.bytes = kept;
    prepared.result.outcome = LoadOutcome::Loaded;
    return prepared;
}

FeedDocument::LoadResult FeedDocument::finish(Prepared prepared, const FeedListEntry &entry,
                                              const LoadOptions &options)
{
    LoadResult result = prepared.result;
    result.repaired = prepared.repaired;
    const std::shared_ptr<VLXFeed> feed = std::move(prepared.feed);
    if (!feed || !result.loaded())
        return result;
    showStatus(options.statusSink,
               QStringLiteral("Updating Interface...   %1").arg(options.status));
    if (feed->countOfItems() == 0) {
        // The new item takes the feed's defaults from the settings, which belong to this thread.
        const QStringList extensions = feed->XMLExtensions()
            ? feed->XMLExtensions()->arrayOfExtensionDescriptions()
            : QStringList();
        auto item = VLXItems::initWithUniqueString(entry.uniqueIdentifier, extensions);
        if (item->title().isEmpty())
            item->setTitle(QStringLiteral("(untitled)"));
        feed->addItem(item);
        result.itemAdded = true;
    }
    const int shown = options.rereading ? m_shownItem : 0;
    install(feed, entry, options.rereading);
    if (options.rereading)
        m_shownItem = shown >= 0 && shown < itemCount() ? shown : (itemCount() > 0 ? 0 : -1);
    // A feed read again keeps the text of its file; a feed made in memory has none yet.
    if (!options.rereading) {
        freeAside(
            std::exchange(m_bytes, options.fromFile ? std::move(prepared.bytes) : QByteArray()));
        freeAside(std::exchange(m_text, options.fromFile ? std::move(prepared.text) : QString()));
    }
    // What was read and is not kept (the text of an edit read again) goes too.
    freeAside(std::move(prepared.bytes));
    freeAside(std::move(prepared.text));
    if (result.changedInReading())
        setEdited(true);
    emit entryChanged();
    emit feedReplaced(options.reloadImage);
    if (prepared.viewLog)
        emit parseLogRequested(prepared.log ? *prepared.log : parseLogOf(*m_feed));
    showStatus(options.statusSink, options.status);
    return result;
}

namespace {
// Where a save on a worker stands: the window may give up on it only before it writes.
struct SaveRun
{
    enum State { Building, Writing, GivenUp };
    std::atomic<int> state {Building};
    std::atomic<bool> ended {false};
    QByteArray bytes;
    std::optional<QVariantMap> localFiles;
    FeedFileWriter::Result written;
};

// A control for work run on the calling thread: it goes through to the end.
class ThroughControl : public LoadControl
{
public:
    bool report(Stage, qint64, qint64) override { return true; }
    bool stopRequested() const override { return false; }
};
} // namespace

QString FeedDocument::text() const
{
    return m_bytes.isNull() ? m_text : VLXParseFeed::stringFromXMLData(m_bytes);
}

bool FeedDocument::writeTo(const QString &path, FeedListEntry &entry, QString *problem, bool copy,
                           const WorkRunner &runner)
{
    if (m_feed->lastUploaded().isValid())
        entry.lastPublished = m_feed->lastUploaded();
    if (m_feed->image()->lastUploaded().isValid())
        entry.imageLastPublished = m_feed->image()->lastUploaded();
    // A channel is always written with the moment of the save as its lastBuildDate, and the
    // reader gives a channel without a pubDate that date as its pubDate: the feed would read
    // back repaired, and ask to be saved again. The feed takes that date itself as it is saved.
    if (!copy && m_feed->pubDate().isEmpty())
        setFeedPubDate(SmartDate::feedAutoPubDate());
    const QString temporary
        = QDir(ApplicationIdentity::userFolder()).filePath(QStringLiteral("Temporary"));
    auto run = std::make_shared<SaveRun>();
    const auto work = [run, feed = m_feed, path, entry, temporary](LoadControl &control) {
        const auto end = qScopeGuard([&run] { run->ended = true; });
        if (!control.report(LoadControl::Stage::Finishing, 0, 0))
            return;
        // The local files walk every item, so they are taken here too.
        FeedListEntry companion = entry;
        run->localFiles = feed->enclosureLocalFileInfo();
        companion.setValue(FeedListEntry::kLocalEnclosureFileInfo, *run->localFiles);
        QByteArray bytes = feed->buildXMLData();
        int building = SaveRun::Building;
        if (control.stopRequested()
            || !run->state.compare_exchange_strong(building, SaveRun::Writing))
            return;
        run->written = FeedFileWriter::save(path, bytes, companion.toMap(), temporary);
        run->bytes = std::move(bytes);
    };
    if (runner) {
        const bool finished = runner(work);
        int building = SaveRun::Building;
        if (!finished && run->state.compare_exchange_strong(building, SaveRun::GivenUp)) {
            if (problem)
                problem->clear();
            return false;
        }
        // The writing began: the worker has the last word, seen through without input.
        while (!run->ended)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
    } else {
        ThroughControl through;
        work(through);
    }
    if (run->localFiles)
        entry.setValue(FeedListEntry::kLocalEnclosureFileInfo, *run->localFiles);
    const FeedFileWriter::Result &written = run->written;
    if (problem)
        *problem = written.ok ? written.backupProblem : written.problem;
    if (!written.ok)
        return false;
    if (!copy) {
        // The bytes written are what Revert goes back to.
        freeAside(std::exchange(m_bytes, std::move(run->bytes)));
        freeAside(std::exchange(m_text, QString()));
    }
    return true;
}
