// Bringing a feed into the editor: from a file, a web address or text in hand.
#include "app/FeedOpening.h"

#include "app/FeedSaving.h"
#include "app/WindowServices.h"

#include "app/Controller.h"
#include "app/LoadRunner.h"
#include "app/WindowStatusSink.h"
#include "document/FeedListModel.h"
#include "editors/errorListing.h"
#include "io/CURLHandle.h"
#include "io/FeedCredentials.h"
#include "io/VLXParseFeed.h"
#include "platform/AlertService.h"
#include "platform/BoundedFileReader.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
void drawOnce()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The bytes of a file, on the runner's worker: no more than a feed may be, and only of an
// ordinary file. Nothing when the file cannot be read (*problem says why) or the load was
// stopped. Reading counts as the start of decoding.
std::optional<QByteArray> readFeedFile(const QString &path, LoadControl &control, QString *problem)
{
    const qint64 size = QFileInfo(path).size();
    if (!control.report(LoadControl::Stage::Decoding, 0, size))
        return std::nullopt;
    std::optional<QByteArray> bytes
        = BoundedFileReader::read(path, vlxXMLDOM::maximumInputSize(), problem);
    if (bytes && control.stopRequested())
        return std::nullopt;
    return bytes;
}

Alert unreadableAlert(const QString &problem)
{
    Alert failure;
    failure.style = Alert::Style::Informational;
    failure.title = QStringLiteral("Open Feed");
    failure.message = problem;
    return failure;
}

// What a download needs of the window's thread, taken there before the worker starts.
struct Download
{
    QUrl url;
    QString userAgent;
    QString caBundle; // empty: the system's certificates
};

Download downloadOf(const QUrl &url)
{
    const QString bundle
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ca-bundle.crt"));
    const bool withBundle = url.scheme() == QLatin1String("https") && QFileInfo::exists(bundle);
    return {url, Controller::signature(), withBundle ? bundle : QString()};
}

// The bytes at a web address, on the runner's worker, counted as the start of decoding. The
// transfer has its time and size limits (CURLHandle's defaults): a server that drips, stays
// silent or sends without end fails the load with the reason, and a Cancel stops it. Nothing
// when it failed (*failure tells the user why) or was stopped.
std::optional<QByteArray> downloadFeed(const Download &download, LoadControl &control,
                                       std::optional<Alert> *failure)
{
    auto handle = CURLHandle::create(download.url, false);
    handle->setUserAgent(download.userAgent);
    handle->setFollowsRedirects(true);
    handle->setFailsOnError(true);
    if (!download.caBundle.isEmpty())
        handle->setStringOrNumberObject(download.caBundle, CURLOPT_CAINFO);
    handle->setTransferProgress([&control](qint64 received, qint64 expected) {
        return control.report(LoadControl::Stage::Decoding, received, expected);
    });
    std::optional<QByteArray> data = handle->loadInForeground();
    if (control.stopRequested())
        return std::nullopt;
    if (!data) {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = QStringLiteral("Connection Failure");
        alert.message
            = QStringLiteral("When trying to fetch the feed %1 the following error \"%2\" "
                             "was encountered")
                  .arg(FeedCredentials::displayString(download.url),
                       FeedCredentials::scrubbed(handle->curlError()));
        *failure = std::move(alert);
    }
    return data;
}

QUrl urlOfAddress(const QString &address)
{
    return address.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(address) : QUrl(address);
}
} // namespace

FeedOpening::FeedOpening(WindowServices &window, FeedSaving &saving, QObject *parent)
    : QObject(parent), m_window(window), m_saving(saving), m_document(window.document()),
      m_feedList(window.feedList()), m_loader(window.loadRunner()),
      m_statusSink(std::make_shared<WindowStatusSink>())
{
}

void FeedOpening::openFeedAtPath(const QString &path)
{
    if (path.isEmpty()) {
        QApplication::beep();
        return;
    }
    m_window.finalizeChanges();
    if (!m_saving.askToSaveChanges(FeedSaving::Leaving::OpeningAnother))
        return;
    openAskedFeed(path);
}

void FeedOpening::openAskedFeed(const QString &path)
{
    if (path.isEmpty()) {
        QApplication::beep();
        return;
    }
    m_window.showSelectedTab(WindowServices::FeedsTab);

    QString address = path;
    if (address.startsWith(QLatin1String("feed://")))
        address = QStringLiteral("http://") + address.mid(7);
    QUrl url(address);
    if (url.scheme().isEmpty() || address.startsWith(QLatin1Char('/')))
        url = QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());
    // A listed address given without the user name and password it was opened with gets them
    // back from the secret store.
    if (!url.isLocalFile() && !FeedCredentials::hasCredentials(url)) {
        const int listed = m_feedList->rowOfURL(url.toString());
        if (listed >= 0)
            url = FeedCredentials::withRemembered(m_feedList->entry(listed).uniqueIdentifier, url);
    }

    m_startupPending = false;
    // The file is read, or the address downloaded, on the loader's worker: one that cannot be
    // read leaves the list and the loaded feed as they are (a listed entry of the address
    // stays).
    const QString name = url.isLocalFile()
        ? url.toLocalFile()
        : QStringLiteral("(untitled) %1").arg(FeedCredentials::displayString(url));
    if (actuallyOpenFile(name, url, QString(), url.isLocalFile() ? 0 : 1) < 0) {
        m_window.forgetPreviousEntry();
        return;
    }
    m_window.dropLeftNewEntry();
}

int FeedOpening::actuallyOpenFile(const QString &path, const QUrl &url, const QString &text,
                                  int transient)
{
    // Opening a listed feed again keeps its entry's identity: its per-feed settings, publish
    // dates, extra files and local enclosure files stay attached. A user name and password in
    // the address stay out of the list, the settings and the status line.
    const PlacingFeed placing(m_window);
    const QString absolute = FeedCredentials::displayString(url);
    const int listed = m_feedList->rowOfURL(absolute);
    FeedListEntry entry = listed >= 0
        ? m_feedList->entry(listed)
        : FeedListEntry::make(QFileInfo(path).fileName(), absolute, transient != 0);
    entry.fileName = QFileInfo(path).fileName();
    entry.transient = transient != 0;

    const QString previousStatus = m_window.statusText();
    m_window.setStatusText(url.isLocalFile() ? QDir::toNativeSeparators(path)
                                             : FeedCredentials::scrubbed(path));
    const FeedDocument::LoadResult result = loadFeed(url, text, entry, true);
    if (!result.loaded()) {
        // Abandoned, cancelled, unreadable, or the source editor closed without saving: nothing
        // changes.
        m_window.setStatusText(previousStatus);
        if (result.outcome == FeedDocument::LoadOutcome::Unreadable)
            return -1;
        return result.outcome == FeedDocument::LoadOutcome::Abandoned ? 0 : 1;
    }
    m_feedList->removeURL(absolute);
    m_feedList->prepend(m_document->entry());
    rememberCredentials(url);
    m_window.showSelectedTab(WindowServices::FeedsTab);
    m_window.selectDocumentRow();
    m_window.archiveCurrentFeedList();
    m_window.updateTabAvailability();
    m_window.setWindowTitleFromEntry();
    // A fetched or mended feed asks to be saved.
    if (result.mended || transient != 0)
        m_document->setEdited(true);
    m_window.validateCommands();
    return 1;
}

FeedDocument::LoadResult FeedOpening::loadFeed(const QUrl &address, QString text,
                                               FeedListEntry entry, bool reloadImage, bool validate,
                                               bool hideErrors)
{
    if (m_window.isTerminating())
        return {FeedDocument::LoadOutcome::Unsaved, false, false};
    m_window.finalizeChanges();
    errorListing::closePanel();
    drawOnce();
    FeedDocument::LoadOptions options;
    options.validate = validate;
    options.hideErrors = hideErrors;
    options.reloadImage = reloadImage;
    options.address = address;
    options.status = m_window.statusText();
    options.statusSink = m_statusSink.get();
    // The check is used once. The text handed in may be the check's own: this copy of it
    // stays alive once the check is let go of.
    if (m_checked && m_checked->text.isSharedWith(text) && entry.localPath() == m_checked->path)
        options.checkedReader = m_checked->reader;
    m_checked.reset();

    // Everything up to the feed ready to show runs on the loader's worker; the document changes
    // only afterwards, here, so a cancelled load leaves the feed shown as it was.
    struct Outcome
    {
        FeedDocument::Prepared prepared;
        std::optional<Alert> failure; // the file or address could not be read
    };
    auto outcome = std::make_shared<Outcome>();
    const FeedDocument::Carry carry = m_document->carry(entry, options);
    const QString path = address.isLocalFile() ? address.toLocalFile() : QString();
    const Download download = downloadOf(address);
    const bool finished = m_loader->run(
        [outcome, path, download, text, options, carry](LoadControl &control) {
            QByteArray bytes;
            if (text.isNull()) {
                QString problem;
                std::optional<QByteArray> read = path.isEmpty()
                    ? downloadFeed(download, control, &outcome->failure)
                    : readFeedFile(path, control, &problem);
                if (!read) {
                    if (!path.isEmpty() && !control.stopRequested())
                        outcome->failure = unreadableAlert(problem);
                    return;
                }
                bytes = std::move(*read);
            }
            // The load lets go of the bytes once they are decoded.
            outcome->prepared
                = FeedDocument::prepare(std::move(bytes), text, options, carry, &control);
        },
        entry.isRemote() ? FeedCredentials::scrubbed(entry.url)
                         : QDir::toNativeSeparators(path.isEmpty() ? entry.localPath() : path));
    if (!finished || outcome->prepared.result.outcome == FeedDocument::LoadOutcome::Cancelled) {
        m_window.setStatusText(options.status);
        return {FeedDocument::LoadOutcome::Cancelled, false, false};
    }
    if (outcome->failure) {
        m_window.setStatusText(options.status);
        AlertService::show(*outcome->failure);
        return {FeedDocument::LoadOutcome::Unreadable, false, false};
    }
    return m_document->finish(std::move(outcome->prepared), entry, options);
}

bool FeedOpening::loadEntry(const FeedListEntry &entry)
{
    m_startupPending = false;
    FeedDocument::LoadResult result;
    if (m_checked && !entry.isRemote() && entry.localPath() == m_checked->path) {
        result = loadFeed(QUrl(), m_checked->text, entry, true);
    } else {
        m_checked.reset();
        const QUrl address = urlOfAddress(entry.url);
        result = loadFeed(entry.isRemote()
                              ? FeedCredentials::withRemembered(entry.uniqueIdentifier, address)
                              : address,
                          QString(), entry, true);
    }
    if (result.outcome == FeedDocument::LoadOutcome::Abandoned
        && entry.uniqueIdentifier != m_document->entry().uniqueIdentifier) {
        // The user gave up on this feed's text: its entry leaves the list.
        const QString identifier = entry.uniqueIdentifier;
        QTimer::singleShot(100, this, [this, identifier] {
            m_window.removeFeedFromList(m_feedList->rowOf(identifier));
        });
    }
    return result.loaded();
}

std::optional<bool> FeedOpening::checkFeedFile(const QString &path)
{
    // The same bounded read as opening, on the runner's worker: a listed file that became huge,
    // a device or a pipe is passed over instead of holding up the start. The check reads the
    // settings from a copy made here, and what it learnt comes back here.
    auto checked = std::make_shared<CheckedFeed>();
    checked->path = path;
    auto settings = std::make_shared<VLXPreferences::ThreadCopy>();
    const bool finished = m_loader->run(
        [checked, settings](LoadControl &control) {
            const VLXPreferences::ThreadCopy::Use use(*settings);
            QString problem;
            const std::optional<QByteArray> bytes = readFeedFile(checked->path, control, &problem);
            if (!bytes)
                return;
            QString text = VLXParseFeed::stringFromXMLData(*bytes);
            auto reader = std::make_shared<VLXParseFeed>();
            reader->setProgress([&control](LoadControl::Stage stage, qint64 done, qint64 total) {
                return control.report(stage, done, total);
            });
            const int status = reader->isItAFeed(text);
            reader->setProgress(nullptr);
            if (status != VLXParseFeed::Success)
                return;
            checked->text = std::move(text);
            checked->reader = std::move(reader);
        },
        QDir::toNativeSeparators(path));
    if (!finished)
        return std::nullopt;
    settings->commit();
    if (!checked->reader)
        return false;
    // The load that follows reads the tree this check built.
    m_checked = std::move(*checked);
    return true;
}

int FeedOpening::populateFeedFromString(const QString &text, bool reloadImage, bool validate,
                                        bool hideErrors)
{
    loadFeed(QUrl(), text, m_document->entry(), reloadImage, validate, hideErrors);
    return 1;
}

void FeedOpening::populateFeedFromURL(const QString &address)
{
    if (address.isEmpty()) {
        populateFeedFromString(m_document->text(), true);
        return;
    }
    const QString absolute = FeedCredentials::displayString(urlOfAddress(address));
    const int listed = m_feedList->rowOfURL(absolute);
    FeedListEntry entry = listed >= 0 ? m_feedList->entry(listed) : m_document->entry();
    if (listed < 0)
        entry.url = absolute;
    loadEntry(entry);
}

int FeedOpening::reparseLoadedFeed(const QString &text)
{
    return rereadLoadedFeed(QByteArray(), text).loaded() ? 1 : 0;
}

FeedDocument::LoadResult FeedOpening::rereadLoadedFeed(const QByteArray &bytes, const QString &text)
{
    if (m_window.isTerminating())
        return {FeedDocument::LoadOutcome::Loaded};
    errorListing::closePanel();
    FeedDocument::LoadOptions options;
    options.rereading = true;
    options.reloadImage = false;
    const FeedListEntry entry = m_document->entry();
    if (entry.isRemote())
        options.address = urlOfAddress(entry.url);
    options.status = m_window.statusText();
    options.statusSink = m_statusSink.get();
    // The text or the bytes are read on the loader's worker; the feed shown stays in place
    // until they became a feed. (A read asked for by a question of a load under way is made
    // here, on the window's thread.)
    if (m_loader->isRunning()) {
        const QString read = bytes.isNull() ? text : VLXParseFeed::stringFromXMLData(bytes);
        return m_document->load(read, entry, options);
    }
    auto prepared = std::make_shared<FeedDocument::Prepared>();
    // The text goes to the worker and on into the result: no copy of it is left to be freed
    // on this thread. What the feed shown carries over is taken there too.
    auto input = std::make_shared<QString>(text);
    const bool finished = m_loader->run(
        [prepared, bytes, input, options, shown = m_document->feed(), entry](LoadControl &control) {
            const FeedDocument::Carry carry = FeedDocument::carry(*shown, entry, options);
            *prepared
                = FeedDocument::prepare(bytes, std::exchange(*input, {}), options, carry, &control);
        },
        entry.isRemote() ? FeedCredentials::scrubbed(entry.url)
                         : QDir::toNativeSeparators(entry.localPath()));
    if (!finished || prepared->result.outcome == FeedDocument::LoadOutcome::Cancelled) {
        m_window.setStatusText(options.status);
        return {FeedDocument::LoadOutcome::Cancelled};
    }
    return m_document->finish(std::move(*prepared), entry, options);
}

void FeedOpening::rememberCredentials(const QUrl &url)
{
    if (!FeedCredentials::hasCredentials(url))
        return;
    QString problem;
    if (!FeedCredentials::remember(m_document->entry().uniqueIdentifier, url, &problem))
        m_window.setStatusText(
            tr("The user name and password of this address were not kept: %1").arg(problem));
}

void FeedOpening::moveStoredCredentials()
{
    const std::optional<QVariantList> stored
        = VLXPreferences::sharedInstance().store().array(FeedListModel::kFeedListKey);
    if (!stored)
        return;
    QVariantList cleaned;
    bool changed = false;
    for (const QVariant &value : *stored) {
        QVariantMap map = value.toMap();
        const FeedListEntry entry = FeedListEntry::fromMap(map);
        const QUrl url(entry.url);
        if (!entry.isRemote()) {
            cleaned << value;
            continue;
        }
        if (entry.transient) {
            // A fetched feed does not outlive the run, and neither do its credentials.
            FeedCredentials::forget(entry.uniqueIdentifier);
        } else if (FeedCredentials::hasCredentials(url)) {
            QString problem;
            if (!FeedCredentials::remember(entry.uniqueIdentifier, url, &problem))
                qWarning().noquote() << "The user name and password of the feed"
                                     << FeedCredentials::displayString(url)
                                     << "were taken out of the feed list but not kept:" << problem;
            map.insert(FeedListEntry::kURL, FeedCredentials::displayString(url));
            changed = true;
        }
        cleaned << map;
    }
    if (changed)
        VLXPreferences::sharedInstance().store().setObject(cleaned, FeedListModel::kFeedListKey);
}
