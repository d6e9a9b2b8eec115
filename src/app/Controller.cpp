#include "app/Controller.h"

#include "app/AboutWindow.h"
#include "app/LoadRunner.h"
#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "app/WindowStatusSink.h"
#include "import/ImportWindowTool.h"
#include "io/CURLHandle.h"
#include "opml/OPMLDocument.h"
#include "opml/OPMLWindowTool.h"
#include "panes/cc/CreativeCommonsPasteTool.h"
#include "platform/ApplicationIdentity.h"
#include "platform/DefaultsStore.h"
#include "platform/MainThreadCall.h"
#include "platform/QtAlertService.h"
#include "platform/QtFileChooser.h"
#include "platform/QtHelpService.h"
#include "platform/Workspace.h"
#include "prefs/PreferencesPanel.h"
#include "publish/PublishDialogs.h"
#include "publish/VLXBrowseBase.h"
#include "publish/additionalFiles.h"
#include "publish/publishAdditionalFiles.h"
#include "settings/VLXPreferences.h"
#include "ui/ClosingKeys.h"
#include "ui/VLXHelpAnchored.h"
#include "wizard/FeedWizard.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include <malloc.h>
#include <utility>

namespace {
const QString kTemplates = QStringLiteral("Templates");
const QString kRSSIcons = QStringLiteral("RSSIcons");
const QString kScripts = QStringLiteral("Scripts");
const QString kFeeds = QStringLiteral("Feeds");
const QString kExports = QStringLiteral("Exports");
const QString kTemporary = QStringLiteral("Temporary");

const QString kWebsite = QStringLiteral("https://vellumcast.example.org/");
const QString kForum = QStringLiteral("https://vellumcast.example.org/forum/");

DefaultsStore &defaults()
{
    return VLXPreferences::sharedInstance().store();
}

void setWhenAbsent(const QString &key, const QString &value)
{
    if (!defaults().contains(key))
        defaults().setObject(value, key);
}

// Copies one resource file unless the destination exists. Resource files are read-only; the copy
// is the user's to edit.
bool copyResource(const QString &source, const QString &destination)
{
    if (!QFileInfo::exists(source) || QFileInfo::exists(destination))
        return false;
    if (!QFile::copy(source, destination))
        return false;
    QFile::setPermissions(destination,
                          QFile::permissions(destination) | QFile::WriteOwner | QFile::ReadOwner);
    return true;
}

// Copies every file of a resource folder that the destination lacks.
void copyMissingFrom(const QString &resourceFolder, const QString &destination)
{
    QDirIterator files(resourceFolder, QDir::Files);
    while (files.hasNext()) {
        const QString source = files.next();
        QString name = QFileInfo(source).fileName();
        // The JavaScript template travels with a text suffix so nothing runs it by accident.
        if (name == QLatin1String("BasicJavaScript.js.txt"))
            name = QStringLiteral("BasicJavaScript.js");
        copyResource(source, QDir(destination).filePath(name));
    }
}

} // namespace

Controller::Controller(QObject *parent) : QObject(parent)
{
    // Small blocks freed go straight back to the allocator's free lists instead of piling up in
    // its quick lists: a big feed freed on a pool thread would otherwise leave a hundred thousand
    // of them, and the next larger free sorts them all in one go while holding the lock the
    // window's thread waits on to allocate (tens of milliseconds without an event handled).
    mallopt(M_MXFAST, 0);
    qApp->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Controller::applicationWillTerminate);
    m_openHandedOver = new QTimer(this);
    m_openHandedOver->setSingleShot(true);
    connect(m_openHandedOver, &QTimer::timeout, this, &Controller::openHandedOverWhenFree);
}

Controller::~Controller()
{
    if (qApp)
        qApp->removeEventFilter(this);
    VLXHelpAnchored::setHelpHandler({});
    delete m_feedController;
    // The help window must not outlive the application object.
    if (m_help && &HelpService::instance() == m_help.get())
        HelpService::setInstance(nullptr);
}

QString Controller::userFolder()
{
    return ApplicationIdentity::userFolder();
}

QStringList Controller::userSubfolders()
{
    return {kTemplates, kRSSIcons, kScripts, kFeeds, kExports, kTemporary};
}

QString Controller::signature()
{
    return ApplicationIdentity::signature();
}

Vellumcast *Controller::feedController() const
{
    return m_feedController;
}

QMainWindow *Controller::mainWindow() const
{
    return m_feedController ? m_feedController->window() : nullptr;
}

void Controller::installDesktopServices()
{
    AlertService::setInstance(std::make_shared<QtAlertService>());
    FileChooser::setInstance(std::make_shared<QtFileChooser>());
    StatusSink::setInstance(std::make_shared<WindowStatusSink>());
}

void Controller::start(const QStringList &files)
{
    awakeFromNib();
    applicationWillFinishLaunching();
    for (const QString &file : files)
        applicationOpenFile(file);
    applicationDidFinishLaunching();
}

void Controller::awakeFromNib()
{
    if (!m_help) {
        m_help = std::make_shared<QtHelpService>();
        HelpService::setInstance(m_help);
    }
    VLXHelpAnchored::setHelpHandler([this](const QString &anchor) { return helpForField(anchor); });
}

void Controller::applicationWillFinishLaunching()
{
    // The folder is a convenience: when it cannot be made the application still starts, and the
    // transfer layer is started all the same.
    if (!prepareUserFolder())
        qWarning().noquote() << "Vellumcast:" << m_userFolderProblem;
    CURLHandle::curlHelloSignature(signature(), true);
    m_transferLayerStarted = true;
    // The publish window's and the site editor's folder browsers and additional-file dialog.
    PublishDialogs::setFolderBrowserFactory(&VLXBrowseBase::browserForRequest);
    PublishDialogs::setAdditionalFileEditorFactory(
        [] { return std::make_unique<publishAdditionalFiles>(); });
    // A published OPML list is the document of the window's feed list as it stands.
    additionalFiles::setOPMLBuilder([]() -> std::optional<QByteArray> {
        return MainThreadCall::ask<std::optional<QByteArray>>(
            []() -> std::optional<QByteArray> {
                Vellumcast *window = Vellumcast::existingInstance();
                if (!window)
                    return std::nullopt;
                return OPMLDocument::buildForFeeds(window->currentListOfFeeds());
            },
            std::nullopt);
    });
}

bool Controller::prepareUserFolder()
{
    const QDir home(QDir::homePath());
    auto fail = [this](const QString &path) {
        m_userFolderProblem = tr("The folder \"%1\" could not be created; templates and the sample "
                                 "feed are not available.")
                                  .arg(QDir::toNativeSeparators(path));
        return false;
    };
    if (!home.exists(QStringLiteral("Documents"))) {
        if (!home.exists(QStringLiteral("Library")) && !home.mkdir(QStringLiteral("Library")))
            return fail(home.filePath(QStringLiteral("Library")));
        if (!home.mkdir(QStringLiteral("Documents")))
            return fail(home.filePath(QStringLiteral("Documents")));
    }
    const QString root = userFolder();
    if (!QFileInfo(root).isDir() && !QDir().mkpath(root))
        return fail(root);
    const QDir folder(root);
    auto sub = [&folder](const QString &name) {
        folder.mkdir(name);
        return folder.filePath(name);
    };

    const QString templates = sub(kTemplates);
    setWhenAbsent(QStringLiteral("LastFeedTemplatePath"), templates);
    copyMissingFrom(QStringLiteral(":/templates"), templates);

    copyMissingFrom(QStringLiteral(":/RSSIcons"), sub(kRSSIcons));
    copyMissingFrom(QStringLiteral(":/scripts"), sub(kScripts));

    const QString feeds = sub(kFeeds);
    copyResource(QStringLiteral(":/feeds/sample.xml"),
                 QDir(feeds).filePath(QStringLiteral("sample.xml")));
    for (const char *key : {"LastFeedOpenPath", "LastFeedSavePath", "LastImageOpenPath",
                            "LastImageSavePath", "LastOPMLSavePath"})
        setWhenAbsent(QLatin1String(key), feeds);
    setWhenAbsent(QStringLiteral("LastOPMLSaveName"), QStringLiteral("Vellumcast.opml"));

    setWhenAbsent(QStringLiteral("LastFeedExportPath"), sub(kExports));
    sub(kTemporary);
    return true;
}

void Controller::giveFallbackPathSettings()
{
    const QString home = QDir::homePath();
    for (const char *key : {"LastFeedTemplatePath", "LastFeedOpenPath", "LastFeedSavePath",
                            "LastImageOpenPath", "LastImageSavePath", "LastFeedExportPath"})
        setWhenAbsent(QLatin1String(key), home);
}

bool Controller::applicationOpenFile(const QString &path)
{
    if (m_feedController && m_feedController->window())
        m_feedController->openFeedAtPathWrapper(path);
    else
        m_filesToOpenLater.append(path);
    return true;
}

void Controller::documentsHandedOver(const QStringList &documents)
{
    if (QMainWindow *window = mainWindow()) {
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
    // Documents that come while a question is up wait; a flood of them would wait without end.
    qsizetype characters = 0;
    for (const QString &waiting : std::as_const(m_handedOver))
        characters += waiting.size();
    for (const QString &document : documents) {
        characters += document.size();
        if (m_handedOver.size() >= kMostWaiting || characters > kMostWaitingCharacters) {
            // Said once, not once a hand-over: a flood would flood the log too.
            if (!std::exchange(m_droppingHandedOver, true))
                qWarning().noquote()
                    << tr("Vellumcast: %1 handed-over documents wait to open; later ones are "
                          "dropped until one of them has opened.")
                           .arg(m_handedOver.size());
            break;
        }
        m_handedOver << document;
    }
    // Never opened from here: a hand-over can come while an open turns the event loop, and an
    // open begun inside another goes one level deeper with each document of a burst.
    if (!m_openHandedOver->isActive())
        m_openHandedOver->start(0);
}

void Controller::openHandedOverWhenFree()
{
    if (m_handedOver.isEmpty() || m_terminated)
        return;
    // Not under a question, a dialog or a menu, nor in the middle of a read or of another open:
    // each document is opened as a document the system hands over, when the user could have
    // opened it too. The one timer comes back for the next. A handed-over open turns the event
    // loop before any read (asking to save the feed shown), and the user's own opens are no
    // hand-overs: neither check covers the other.
    const bool busy = m_openingHandedOver || QApplication::activeModalWidget()
        || QApplication::activePopupWidget()
        || (m_feedController
            && (m_feedController->loadRunner()->isRunning() || m_feedController->isPlacingFeed()));
    if (busy) {
        m_openHandedOver->start(200);
        return;
    }
    const QString next = m_handedOver.takeFirst();
    m_droppingHandedOver = false;
    m_openingHandedOver = true;
    applicationOpenFile(next);
    m_openingHandedOver = false;
    if (!m_handedOver.isEmpty())
        m_openHandedOver->start(0);
}

void Controller::applicationDidFinishLaunching()
{
    giveFallbackPathSettings();
    defaults().sync();
    openVellumcastWindow();
    if (m_about)
        m_about->hide();
    if (!m_userFolderProblem.isEmpty() && m_feedController)
        m_feedController->setStatusText(m_userFolderProblem);
}

void Controller::openVellumcastWindow()
{
    if (m_feedController)
        return;
    m_feedController = Vellumcast::sharedInstance();
    m_feedController->showVellumcastWindow(this);
    installCommands();
    // Every document handed over early is opened, in order, so the last one ends up shown;
    // keeping only the last would silently drop the others.
    const QStringList early = std::exchange(m_filesToOpenLater, {});
    for (const QString &path : early)
        m_feedController->openFeedAtPath(path);
}

void Controller::installCommands()
{
    Vellumcast *window = m_feedController;
    window->setCommandHandler(QStringLiteral("aboutActionShow"), [this] { aboutActionShow(); });
    window->setCommandHandler(QStringLiteral("helpWhatsNew"),
                              [this] { helpForField(QStringLiteral("WhatsNew")); });
    window->setCommandHandler(QStringLiteral("helpKeyboardShortcuts"),
                              [this] { helpForField(QStringLiteral("KeyboardShortcuts")); });
    window->setCommandHandler(QStringLiteral("helpGotoWebsite"),
                              [] { Workspace::open(QUrl(kWebsite)); });
    window->setCommandHandler(QStringLiteral("helpGotoForum"),
                              [] { Workspace::open(QUrl(kForum)); });
    window->tools().setItemImportTool(std::make_shared<ImportWindowTool>());
    window->tools().setOPMLTool(std::make_shared<OPMLWindowTool>());
    window->tools().setLicencePasteTool(std::make_shared<CreativeCommonsPasteTool>());
    // The feed and item wizard; its first-run offer comes a moment after the window shows.
    window->tools().setFeedWizard(std::make_shared<FeedWizard>());
    window->tools().setPreferencesTool(std::make_shared<PreferencesPanel>());
}

bool Controller::applicationShouldTerminate()
{
    return !m_feedController || m_feedController->shouldTerminate();
}

void Controller::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    VLXPreferences::saveDefaults();
    defaults().sync();
    if (m_transferLayerStarted)
        CURLHandle::curlGoodbye();
}

bool Controller::helpForField(const QString &anchor)
{
    if (anchor.isEmpty())
        return false;
    if (m_help)
        return m_help->lookupAnchor(anchor);
    HelpService::open(anchor);
    return false;
}

void Controller::aboutActionShow()
{
    if (!m_about)
        m_about = std::make_unique<AboutWindow>();
    const QStringList parts = defaults()
                                  .string(QStringLiteral("NSWindow Frame Vellumcast"))
                                  .value_or(QString())
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QRect frame;
    if (parts.size() >= 4)
        frame = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
    if (QMainWindow *window = mainWindow(); window && window->isVisible())
        frame = window->frameGeometry();
    m_about->showCentredOver(frame);
}

void Controller::aboutActionOK()
{
    if (m_about)
        m_about->hide();
}

bool Controller::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FileOpen && watched == qApp) {
        applicationOpenFile(static_cast<QFileOpenEvent *>(event)->file());
        return true;
    }
    // Every window but the feed window closes from the keyboard: one that has no keys of its own
    // by the time it shows (the help window, a dialog's Ctrl+W) gets them then.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *window = static_cast<QWidget *>(watched);
        if (window->isWindow() && window != mainWindow())
            ClosingKeys::cover(window);
    }
    return QObject::eventFilter(watched, event);
}
