// Reading a feed into the document, and writing it out.
#include "app/FeedDocument.h"

#include "app/Controller.h"
#include "io/FeedFileWriter.h"
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"
#include "io/vlxXMLDOM.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "platform/AlertService.h"
#include "platform/StatusSink.h"
#include "settings/VLXPreferences.h"

#include <QCoreApplication>
#include <QDir>

namespace {
FeedDocument::SourceEditor &sourceEditor()
{
    static FeedDocument::SourceEditor editor;
    return editor;
}

// Asks what to do with a text that is not a feed: the mended text, or nothing when the user
// abandons it (*abandoned set) or closes the editor without saving.
std::optional<QString> fixOrAbandon(const QVariantMap &error, const QString &text, bool *abandoned)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    if (!error.isEmpty()) {
        alert.title = QStringLiteral("Error in XML");
        alert.message
            = QStringLiteral("The following error was detected on line %1:\n\n%2\n\nYou may "
                             "either abandon your changes and revert back to before you "
                             "started editing or continue editing and fix the error.")
                  .arg(error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt())
                  .arg(error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString());
    } else {
        alert.title = QStringLiteral("Not XML/RSS");
        alert.message = QStringLiteral("This file does not appear to be an XML/RSS file.  Would "
                                       "you like to try and fix it manually?");
    }
    alert.defaultButton = QStringLiteral("Manually fix it");
    alert.alternateButton = QStringLiteral("Abandon it");
    *abandoned = AlertService::show(alert) != AlertService::kDefault;
    if (*abandoned)
        return std::nullopt;
    return FeedDocument::editSource(text);
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

// Answers true when the user asked to see the log.
bool showResults(const VLXFeed &feed)
{
    const int repairs = feed.parseXMLRepairCount();
    const int errors = feed.parseXMLErrorCount();
    const int warnings = feed.parseXMLWarnCount();
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
            "\n\nFeedVellumcast has made some modifications to this file to make it conform "
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

QString stageStatus(FeedLoader::Stage stage, const QString &base)
{
    switch (stage) {
    case FeedLoader::Stage::Decoding:
    case FeedLoader::Stage::Checking:
        return QStringLiteral("Loading... %1").arg(base);
    case FeedLoader::Stage::Reading:
    case FeedLoader::Stage::Finishing:
        return QStringLiteral("Parsing...   %1").arg(base);
    case FeedLoader::Stage::Validating:
        return QStringLiteral("Validating...   %1").arg(base);
    }
    return base;
}
} // namespace

void FeedDocument::setSourceEditor(SourceEditor editor)
{
    sourceEditor() = std::move(editor);
}

std::optional<QString> FeedDocument::editSource(const QString &text)
{
    return sourceEditor() ? sourceEditor()(text) : std::nullopt;
}

FeedDocument::LoadResult FeedDocument::load(const QString &text, const FeedListEntry &entry,
                                            const LoadOptions &options)
{
    LoadResult result;
    QString feedText = text;
    // One loader checks, repairs, reads and validates; the tree of its check is read, not
    // parsed again.
    std::shared_ptr<VLXParseFeed> checkedReader = options.checkedReader;
    std::shared_ptr<VLXFeed> feed;
    for (;;) {
        FeedLoader::Request request;
        request.text = feedText;
        request.validate = options.validate;
        request.checkedReader = std::exchange(checkedReader, nullptr);
        FeedLoader loader(std::move(request));
        std::optional<FeedLoader::Stage> shownStage;
        FeedLoader::Result loaded
            = loader.run([&](FeedLoader::Stage stage, qint64, qint64) {
                  if (stage != shownStage) {
                      shownStage = stage;
                      showStatus(options.statusSink, stageStatus(stage, options.status));
                  }
                  return true;
              });
        loader.commitSettings();
        for (const Alert &alert : std::as_const(loaded.alerts))
            AlertService::show(alert);
        if (loaded.outcome == FeedLoader::Outcome::Loaded) {
            feed = std::move(loaded.feed);
            break;
        }
        bool abandoned = false;
        const std::optional<QString> fixed = fixOrAbandon(loaded.error, feedText, &abandoned);
        if (abandoned || !fixed) {
            result.outcome = abandoned ? LoadOutcome::Abandoned : LoadOutcome::Unsaved;
            return result;
        }
        feedText = *fixed;
        result.mended = true;
    }

    if (options.rereading) {
        // What the text does not hold stays with the feed read again.
        feed->setEnclosureLocalFileInfo(m_feed->enclosureLocalFileInfo());
        if (m_feed->lastUploaded().isValid())
            feed->setLastUploaded(m_feed->lastUploaded());
        if (m_feed->image()->lastUploaded().isValid())
            feed->image()->setLastUploaded(m_feed->image()->lastUploaded());
        feed->setAutoPubDate(m_feed->autoPubDate());
    } else {
        feed->setEnclosureLocalFileInfo(entry.localEnclosureFileInfo);
        if (entry.lastPublished.isValid())
            feed->setLastUploaded(entry.lastPublished);
        if (entry.imageLastPublished.isValid())
            feed->image()->setLastUploaded(entry.imageLastPublished);
    }
    bool changed = result.mended || feed->parseXMLRepairCount() > 0;
    const bool viewLog = !options.hideErrors && showResults(*feed);

    showStatus(options.statusSink,
               QStringLiteral("Updating Interface...   %1").arg(options.status));
    if (feed->countOfItems() == 0) {
        const QStringList extensions = feed->XMLExtensions()
            ? feed->XMLExtensions()->arrayOfExtensionDescriptions()
            : QStringList();
        auto item = VLXItems::initWithUniqueString(entry.uniqueIdentifier, extensions);
        if (item->title().isEmpty())
            item->setTitle(QStringLiteral("(untitled)"));
        feed->addItem(item);
        result.itemAdded = true;
        changed = true;
    }
    const int shown = options.rereading ? m_shownItem : 0;
    install(feed, entry, options.rereading);
    if (options.rereading)
        m_shownItem = shown >= 0 && shown < itemCount() ? shown : (itemCount() > 0 ? 0 : -1);
    // A feed read again keeps the text of its file; a feed made in memory has none yet.
    if (!options.rereading)
        m_text = options.fromFile ? feedText : QString();
    if (changed)
        setEdited(true);
    emit entryChanged();
    emit feedReplaced(options.reloadImage);
    if (viewLog)
        emit parseLogRequested();
    showStatus(options.statusSink, options.status);
    result.outcome = LoadOutcome::Loaded;
    return result;
}

bool FeedDocument::writeTo(const QString &path, FeedListEntry &entry, QString *problem, bool copy)
{
    entry.setValue(FeedListEntry::kLocalEnclosureFileInfo, m_feed->enclosureLocalFileInfo());
    if (m_feed->lastUploaded().isValid())
        entry.lastPublished = m_feed->lastUploaded();
    if (m_feed->image()->lastUploaded().isValid())
        entry.imageLastPublished = m_feed->image()->lastUploaded();
    const QByteArray xml = m_feed->buildXMLData();
    const QString temporary = QDir(Controller::userFolder()).filePath(QStringLiteral("Temporary"));
    const FeedFileWriter::Result written
        = FeedFileWriter::save(path, xml, entry.toMap(), temporary);
    if (problem)
        *problem = written.ok ? written.backupProblem : written.problem;
    if (!written.ok)
        return false;
    if (!copy)
        m_text = QString::fromUtf8(xml);
    return true;
}
