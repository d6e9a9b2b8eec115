// Bringing a feed into the editor: from a file, a web address or text in hand.
#include "app/Vellumcast.h"

#include "app/Controller.h"
#include "app/EditTracker.h"
#include "app/VLXUndoManager.h"
#include "app/WindowStatusSink.h"
#include "io/CURLHandle.h"
#include "io/VLXParseFeed.h"
#include "io/vlxXMLDOM.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kFileName = QStringLiteral("feedFileName");
const QString kFeedURL = QStringLiteral("feedURL");
const QString kTransient = QStringLiteral("isTransient");
const QString kUniqueIdentifier = QStringLiteral("UniqueIdentifier");
const QString kLocalEnclosures = QStringLiteral("LocalEnclosureFileInfo");

Vellumcast::XMLSourceEditor &sourceEditor()
{
    static Vellumcast::XMLSourceEditor editor;
    return editor;
}

// The plain editor used to mend a text that is not a feed: the text in a monospaced view, Save
// and Cancel. Answers the edited text, or nothing when cancelled.
std::optional<QString> editTextInWindow(QWidget *parent, const QString &text)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("XMLSourceWindow"));
    dialog.setWindowTitle(QObject::tr("XML Source"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *editor = new QPlainTextEdit(&dialog);
    editor->setObjectName(QStringLiteral("XMLSourceView"));
    editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor->setPlainText(text);
    layout->addWidget(editor);
    auto *buttons
        = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(700, 500);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return editor->toPlainText();
}

// Asks what to do with a text that is not a feed; answers the mended text, or nothing when the
// user abandons it (*abandoned set) or closes the editor without saving.
std::optional<QString> fixOrAbandon(VLXParseFeed &reader, const QString &text, bool *abandoned,
                                    QWidget *parent)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    const QVariantMap error = reader.errorDictionary();
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
        alert.message
            = QStringLiteral("This file does not appear to be an XML/RSS file.  Would you "
                             "like to try and fix it manually?");
    }
    alert.defaultButton = QStringLiteral("Manually fix it");
    alert.alternateButton = QStringLiteral("Abandon it");
    *abandoned = false;
    if (AlertService::show(alert) != AlertService::kDefault) {
        *abandoned = true;
        return std::nullopt;
    }
    Q_UNUSED(parent);
    return Vellumcast::editXMLText(text);
}

void drawOnce()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// What a loaded feed keeps outside its text: the items' local enclosure files and upload times.
struct LocalState
{
    QVariantMap enclosures;
    QDateTime feedUploaded;
    QDateTime imageUploaded;
};

LocalState localStateOf(const VLXFeed *feed)
{
    LocalState state;
    if (!feed)
        return state;
    state.enclosures = feed->enclosureLocalFileInfo();
    state.feedUploaded = feed->lastUploaded();
    if (feed->image())
        state.imageUploaded = feed->image()->lastUploaded();
    return state;
}
} // namespace

void Vellumcast::setXMLSourceEditor(XMLSourceEditor editor)
{
    sourceEditor() = std::move(editor);
}

std::optional<QString> Vellumcast::editXMLText(const QString &text)
{
    if (sourceEditor())
        return sourceEditor()(text);
    Vellumcast *window = existingInstance();
    return editTextInWindow(window ? window->window() : nullptr, text);
}

std::optional<QString> Vellumcast::fetchFeedText(const QUrl &url)
{
    if (url.scheme().isEmpty() || url.isLocalFile()) {
        const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            Alert failure;
            failure.style = Alert::Style::Informational;
            failure.title = QStringLiteral("Open Feed");
            failure.message = tr("The feed \"%1\" could not be read: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString());
            AlertService::show(failure);
            return std::nullopt;
        }
        return VLXParseFeed::stringFromXMLData(file.readAll());
    }
    auto handle = CURLHandle::create(url, false);
    handle->setUserAgent(Controller::signature());
    handle->setFollowsRedirects(true);
    handle->setFailsOnError(true);
    const QString bundle
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ca-bundle.crt"));
    if (url.scheme() == QLatin1String("https") && QFileInfo::exists(bundle))
        handle->setStringOrNumberObject(bundle, CURLOPT_CAINFO);
    const std::optional<QByteArray> data = handle->loadInForeground();
    if (!data) {
        Alert failure;
        failure.style = Alert::Style::Informational;
        failure.title = QStringLiteral("Connection Failure");
        failure.message
            = QStringLiteral("When trying to fetch the feed %1 the following error \"%2\" "
                             "was encountered")
                  .arg(url.toString(), handle->curlError());
        AlertService::show(failure);
        return std::nullopt;
    }
    return VLXParseFeed::stringFromXMLData(*data);
}

void Vellumcast::openFeedAtPath(const QString &path)
{
    if (path.isEmpty()) {
        QApplication::beep();
        return;
    }
    finalizeChanges();
    if (!askToSaveChanges(false))
        return;
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        tabs->setCurrentIndex(FeedsTab);
    if (auto *sub = outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub")))
        sub->setCurrentIndex(0);

    QString address = path;
    if (address.startsWith(QLatin1String("feed://")))
        address = QStringLiteral("http://") + address.mid(7);
    QUrl url(address);
    if (url.scheme().isEmpty() || address.startsWith(QLatin1Char('/')))
        url = QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());

    if (url.isLocalFile()) {
        // An unreadable file leaves the list and the loaded feed as they are.
        const std::optional<QString> text = fetchFeedText(url);
        if (!text)
            return;
        actuallyOpenFile(url.toLocalFile(), url, *text, 0);
        m_lastFeedViewed = 0;
    } else {
        setStatusText(QStringLiteral("Downloading ..."));
        drawOnce();
        // A failed fetch leaves the list as it was: a listed entry of the address stays.
        const std::optional<QString> text = fetchFeedText(url);
        if (!text) {
            setStatusText(QString());
            return;
        }
        actuallyOpenFile(QStringLiteral("(untitled) %1").arg(url.toString()), url, *text, 1);
        m_lastFeedViewed = 0;
    }

    if (m_previousFeedViewed >= 0 && m_previousFeedViewed < m_listOfFeeds.size()) {
        const QVariantMap &previous = m_listOfFeeds[m_previousFeedViewed];
        if (previous.value(kTransient).toInt() == 1
            && previous.value(kFeedURL).toString().isEmpty()) {
            VLXPreferences::removeUniqueKey(previous.value(kUniqueIdentifier).toString());
            m_listOfFeeds.removeAt(m_previousFeedViewed);
            if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"))) {
                list->reloadData();
                list->selectRowAndNotifyDelegate(0, false);
            }
            archiveCurrentFeedList();
        }
    }
    m_previousFeedViewed = -1;
}

int Vellumcast::actuallyOpenFile(const QString &path, const QUrl &url, const QString &text,
                                 int transient)
{
    VLXParseFeed reader;
    QString feedText = text;
    bool changed = false;
    while (reader.isItAFeed(feedText) != VLXParseFeed::Success) {
        bool abandoned = false;
        const std::optional<QString> fixed
            = fixOrAbandon(reader, feedText, &abandoned, m_documentWindow);
        if (abandoned)
            return 0;
        if (!fixed)
            return 1;
        feedText = *fixed;
        changed = true;
    }

    // Opening a listed feed again keeps its entry's identity: its per-feed settings, publish
    // dates, extra files and local enclosure files stay attached.
    const QString absolute = url.toString();
    QVariantMap entry = newFeedEntry(QFileInfo(url.path()).fileName(), absolute, transient != 0);
    entry.insert(kFileName, QFileInfo(path).fileName());
    for (const QVariantMap &listed : std::as_const(m_listOfFeeds)) {
        if (listed.value(kFeedURL).toString() == absolute) {
            QVariantMap kept = listed;
            kept.insert(kFileName, entry.value(kFileName));
            kept.insert(kTransient, transient);
            entry = kept;
            break;
        }
    }
    removeDuplicateFeed(absolute);
    m_dataFromFile = feedText;
    addFeed(entry);

    setStatusText(url.isLocalFile() ? QDir::toNativeSeparators(path) : path);
    setDocumentEdited(false, true);
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        tabs->setCurrentIndex(FeedsTab);
    if (auto *sub = outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub")))
        sub->setCurrentIndex(0);

    // The new entry is the one being loaded: a load abandoned below removes this row.
    if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files")))
        list->selectRowAndNotifyDelegate(0, false);
    populateFeedFromString(feedText, true);
    applyEntryToFeed(entry);

    m_lastFeedViewed = -1;
    if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files")))
        list->selectRowAndNotifyDelegate(0, false);
    archiveCurrentFeedList();
    setImageEdited(false);
    if (m_documentWindow)
        m_documentWindow->setWindowTitle(entry.value(kFileName).toString() + QStringLiteral("[*]"));
    if (changed || transient != 0)
        setDocumentEdited(true);
    validateCommands();
    return 1;
}

int Vellumcast::populateFeedFromString(const QString &text, bool reloadImage, bool validate,
                                       bool hideErrors)
{
    if (m_terminating)
        return 1;
    const QString status = statusText();
    auto sink = std::make_shared<WindowStatusSink>();
    QString feedText = text;
    bool changed = false;
    drawOnce();
    for (;;) {
        VLXParseFeed reader;
        if (reader.isItAFeed(feedText) == VLXParseFeed::Success
            && reader.parseFeed(feedText, status, sink.get()) == VLXParseFeed::Success
            && reader.feed()) {
            // A re-read of the loaded feed (undo of a raw edit, revert) keeps what the text does
            // not hold: the items' local enclosure files and the upload times.
            const LocalState kept = localStateOf(m_feed.get());
            const bool sameFeed = m_feed && m_reparsingLoadedFeed;
            if (m_feed && m_feed != reader.feed())
                m_feed->deactivate();
            m_feed = reader.feed();
            if (sameFeed) {
                m_feed->setEnclosureLocalFileInfo(kept.enclosures);
                if (kept.feedUploaded.isValid())
                    m_feed->setLastUploaded(kept.feedUploaded);
                if (kept.imageUploaded.isValid() && m_feed->image())
                    m_feed->image()->setLastUploaded(kept.imageUploaded);
            }
            break;
        }
        bool abandoned = false;
        const std::optional<QString> fixed
            = fixOrAbandon(reader, feedText, &abandoned, m_documentWindow);
        if (abandoned) {
            auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
            const int row = list ? list->selectedRow() : -1;
            if (row >= 0)
                QTimer::singleShot(100, this, [this, row] { removeFeedFromList(row); });
            return 1;
        }
        if (!fixed)
            return 1;
        feedText = *fixed;
        changed = true;
    }
    m_dataFromFile = feedText;

    if (validate) {
        setStatusText(QStringLiteral("Validating...   %1").arg(status));
        drawOnce();
        m_feed->validate();
    }
    if (m_feed->parseXMLRepairCount() > 0)
        changed = true;

    const int repairs = m_feed->parseXMLRepairCount();
    const int errors = m_feed->parseXMLErrorCount();
    const int warnings = m_feed->parseXMLWarnCount();
    bool show = false;
    switch (VLXPreferences::objectForKey(QStringLiteral("M_ShowParseResults")).toInt()) {
    case 0:
        show = repairs + errors + warnings > 0;
        break;
    case 1:
        show = errors + warnings > 0;
        break;
    case 2:
        show = errors > 0;
        break;
    default:
        break;
    }
    if (show && !hideErrors) {
        Alert results;
        results.style = Alert::Style::Critical;
        results.title = QStringLiteral("Feed Parsing Results:");
        const auto number = [](int n) { return QStringLiteral("%1").arg(n, 4); };
        results.message = QStringLiteral("%1 Repairs\n%2 Errors\n%3 Warnings")
                              .arg(number(repairs), number(errors), number(warnings));
        if (repairs > 0)
            results.message += QStringLiteral(
                "\n\nFeedVellumcast has made some modifications to this file to make it "
                "conform better to the standards.  To preserve these changes the feed will "
                "have to be saved.");
        results.defaultButton = QStringLiteral("View Log");
        results.alternateButton = QStringLiteral("Close");
        if (AlertService::show(results) == AlertService::kDefault
            && hasCommandHandler(QStringLiteral("viewParseLog")))
            runCommand(QStringLiteral("viewParseLog"));
    }

    setStatusText(QStringLiteral("Updating Interface...   %1").arg(status));
    drawOnce();
    if (m_feed->countOfItems() == 0) {
        const QString unique = currentFeedObjectForKey(kUniqueIdentifier).toString();
        const QStringList extensions = m_feed->XMLExtensions()
            ? m_feed->XMLExtensions()->arrayOfExtensionDescriptions()
            : QStringList();
        auto item = VLXItems::initWithUniqueString(unique, extensions);
        if (item->title().isEmpty())
            item->setTitle(QStringLiteral("(untitled)"));
        m_feed->addItem(item);
        changed = true;
    }
    updateInterface(reloadImage);
    if (changed)
        setDocumentEdited(true);
    if (m_documentWindow && !m_feed->title().isEmpty())
        m_documentWindow->setWindowTitle(m_feed->title() + QStringLiteral("[*]"));
    setStatusText(status);
    drawOnce();
    return 1;
}

void Vellumcast::populateFeedFromURL(const QString &address)
{
    // Another feed comes in: the steps recorded for the one shown before must not be applied to
    // it (their rows and fields belong to that feed).
    setDocumentEdited(false, true);
    if (!address.isEmpty()) {
        const QUrl url
            = address.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(address) : QUrl(address);
        const std::optional<QString> text = fetchFeedText(url);
        if (!text)
            return;
        m_rawString = *text;
    }
    populateFeedFromString(m_rawString, true);
}

int Vellumcast::reparseLoadedFeed(const QString &text)
{
    const bool before = m_reparsingLoadedFeed;
    m_reparsingLoadedFeed = true;
    const int answer = populateFeedFromString(text, false);
    m_reparsingLoadedFeed = before;
    return answer;
}
