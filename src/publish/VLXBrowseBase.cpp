#include "publish/VLXBrowseBase.h"

#include "publish/FTPListingParser.h"
#include "publish/VLXDMBrowse.h"
#include "publish/VLXFTPBrowse.h"
#include "publish/VLXLCLBrowse.h"
#include "ui/DialogPlacement.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"

#include <QApplication>
#include <QLocale>
#include <algorithm>
#include <iterator>

const QString VLXBrowseBase::kSymbolicLinkTargetTypeKey = QStringLiteral("cxSymbolicLinkTargetType");
const QString VLXBrowseBase::kIconKey = QStringLiteral("Icon");
const QString VLXBrowseBase::kResponsePWDKey = QStringLiteral("dictKeyFTPResponsePWD");
const QString VLXBrowseBase::kResponseCWDStepsKey = QStringLiteral("dictKeyFTPResponseCWDSteps");

namespace {

using P = FTPListingParser;

// What a link row points at: its target without the "-> " the listing puts before it, and
// whether that is a full path.
struct LinkTarget
{
    QString path;
    bool absolute = false;
};

LinkTarget linkTarget(const QVariantMap &entry)
{
    const QString text = entry.value(P::kSymbolicLinkTargetKey).toString();
    LinkTarget target;
    target.path = text.mid(3);
    target.absolute = text.size() > 3 && text.at(3) == u'/';
    return target;
}

} // namespace

VLXBrowseBase::VLXBrowseBase()
{
    buildWindow();
}

VLXBrowseBase::~VLXBrowseBase()
{
    delete m_window;
}

std::unique_ptr<FolderBrowser> VLXBrowseBase::browserForRequest(const FolderBrowserRequest &request)
{
    switch (request.siteType) {
    case 1: {
        auto browser = std::make_unique<VLXFTPBrowse>();
        browser->setFTPserver(request.ftpServer);
        browser->setProtocol(request.ftpProtocol);
        browser->setUsePASV(request.usePASV ? 1 : 0);
        browser->setUseEPSV(request.useEPSV ? 1 : 0);
        browser->setUseEPRT(request.useEPRT ? 1 : 0);
        browser->setTransferLog(request.transferLog);
        return browser;
    }
    case 2: {
        auto browser = std::make_unique<VLXDMBrowse>();
        browser->setUseAlternateAccount(request.useAlternateAccount);
        browser->setAccount(request.dmAccount);
        return browser;
    }
    case 3:
        return std::make_unique<VLXLCLBrowse>();
    default:
        return nullptr;
    }
}

int VLXBrowseBase::browse(const QString &folder, const QString &username, const QString &password)
{
    if (!m_window)
        buildWindow();
    DialogPlacement::overActiveWindow(m_window);
    stopProgress();
    m_username = username;
    m_password = password;
    // The caller's folder is kept as given: there is no home folder yet to make it relative to.
    m_homeDir.clear();
    setDirectory(folder);
    m_browseHistory->clear();
    updateUpButton();
    m_browseFiles.clear();
    m_browseFTPProperties.clear();
    reloadTable();
    startBrowsing();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    const int code = m_window->exec();
    stopBrowsing();
    if (m_window)
        m_window->hide();
    return code == QDialog::Accepted ? 1 : 0;
}

// --- The folder value ---------------------------------------------------------------------------

std::optional<QString> VLXBrowseBase::insideHome(const QString &path, const QString &home)
{
    if (home.isEmpty())
        return std::nullopt;
    if (path == home)
        return QString();
    // A login folder of "/" holds every path of the server.
    const QString prefix = home.endsWith(u'/') ? home : home + u'/';
    if (path.startsWith(prefix))
        return path.mid(prefix.size());
    return std::nullopt;
}

void VLXBrowseBase::setDirectory(const QString &path)
{
    m_directory = insideHome(path, m_homeDir).value_or(path);
}

QString VLXBrowseBase::directory() const
{
    if (m_directory == u"~")
        return QString();
    if (m_directory.startsWith(QLatin1String("~/")))
        return m_directory.mid(2);
    return m_directory;
}

// --- Paths and the history --------------------------------------------------------------------

QStringList VLXBrowseBase::pathComponents(const QString &path)
{
    QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    if (path.startsWith(u'/'))
        components.prepend(QStringLiteral("/"));
    return components;
}

QString VLXBrowseBase::appendingPathComponent(const QString &base, const QString &component)
{
    QString rest = component;
    while (rest.startsWith(u'/') && !base.isEmpty())
        rest.remove(0, 1);
    if (base.isEmpty())
        return rest;
    return base.endsWith(u'/') ? base + rest : base + u'/' + rest;
}

QString VLXBrowseBase::deletingLastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash < 0 ? QString() : trimmed.left(slash + 1);
}

QStringList VLXBrowseBase::historyTitlesForPath(const QString &path, const QString &home,
                                                bool tildeForHome)
{
    QStringList components;
    const std::optional<QString> rest = tildeForHome ? insideHome(path, home) : std::nullopt;
    if (rest)
        components = QStringList {QStringLiteral("~")} + pathComponents(*rest);
    else
        components = pathComponents(path);
    QStringList titles;
    for (const QString &component : components)
        titles.append(titles.isEmpty() ? component
                                       : appendingPathComponent(titles.last(), component));
    return titles;
}

void VLXBrowseBase::updateBrowseHistory(const QString &path)
{
    m_browseHistory->clear();
    const QStringList titles = historyTitlesForPath(path, m_homeDir, writesHomeAsTilde());
    m_browseHistory->addItems(titles);
    m_browseHistory->setCurrentIndex(int(titles.size()) - 1);
    updateUpButton();
}

QStringList VLXBrowseBase::historyTitles() const
{
    QStringList titles;
    for (int i = 0; m_browseHistory && i < m_browseHistory->count(); ++i)
        titles.append(m_browseHistory->itemText(i));
    return titles;
}

QString VLXBrowseBase::selectedHistoryTitle() const
{
    return m_browseHistory ? m_browseHistory->currentText() : QString();
}

QString VLXBrowseBase::currentFolder() const
{
    const QStringList paths = m_browseFTPProperties.value(kResponsePWDKey).toStringList();
    return paths.isEmpty() ? QString() : paths.last();
}

// --- Actions ------------------------------------------------------------------------------------

void VLXBrowseBase::browseHistorySelected()
{
    if (m_browseHistory->currentIndex() >= 0)
        getFileListing(m_browseHistory->currentText());
}

void VLXBrowseBase::browseUpHistorySelected()
{
    if (m_browseHistory->count() <= 1) {
        QApplication::beep();
        return;
    }
    listHistoryTitle(m_browseHistory->count() - 2);
}

void VLXBrowseBase::listHistoryTitle(int index)
{
    getFileListing(m_browseHistory->itemText(index));
}

void VLXBrowseBase::browseCreateNewFolder() { }

bool VLXBrowseBase::browseGoTo(const QString &)
{
    QApplication::beep();
    return false;
}

void VLXBrowseBase::browseAccept(bool fromTable)
{
    const int row = m_browseTable->selectedRow();
    const QString shown = selectedHistoryTitle();
    if (row < 0 || row >= m_browseFiles.size()) {
        if (m_browseHistory->currentIndex() >= 0)
            setDirectory(shown);
        m_window->done(QDialog::Accepted);
        return;
    }
    const QVariantMap &entry = m_browseFiles.at(row);
    const QString type = entry.value(P::kFileType).toString();
    const QString name = entry.value(P::kFilenameKey).toString();
    if (type == P::kTypeDirectory) {
        if (fromTable)
            return;
        setDirectory(appendingPathComponent(shown, name));
    } else if (type == P::kTypeRegular) {
        setDirectory(shown);
    } else if (type == P::kTypeSymbolicLink) {
        if (fromTable)
            return;
        const LinkTarget target = linkTarget(entry);
        if (entry.value(kSymbolicLinkTargetTypeKey) == P::kTypeDirectory) {
            setDirectory(target.absolute ? target.path
                                         : appendingPathComponent(currentFolder(), target.path));
        } else {
            const QString file
                = target.absolute ? target.path : appendingPathComponent(shown, target.path);
            setDirectory(deletingLastPathComponent(file));
        }
    }
    m_window->done(QDialog::Accepted);
}

void VLXBrowseBase::browseCancel()
{
    m_window->done(QDialog::Rejected);
}

void VLXBrowseBase::helpButton()
{
    VLXHelpAnchored::helpForField(QStringLiteral("STDBrowserWindow"));
}

void VLXBrowseBase::browseDoubleClick()
{
    const int row = m_browseTable->selectedRow();
    if (row < 0 || row >= m_browseFiles.size())
        return;
    const QVariantMap &entry = m_browseFiles.at(row);
    const QString type = entry.value(P::kFileType).toString();
    if (type == P::kTypeDirectory) {
        getFileListing(
            appendingPathComponent(currentFolder(), entry.value(P::kFilenameKey).toString()));
    } else if (type == P::kTypeRegular) {
        setDirectory(selectedHistoryTitle());
        browseAccept(true);
    } else if (type == P::kTypeSymbolicLink) {
        const LinkTarget target = linkTarget(entry);
        const QString targetType = entry.value(kSymbolicLinkTargetTypeKey).toString();
        if (targetType == P::kTypeRegular) {
            // A link known to lead to a file is chosen as the file would be: listing it would
            // show (and let the user accept) a file as a folder.
            const QString file = target.absolute
                ? target.path
                : appendingPathComponent(selectedHistoryTitle(), target.path);
            setDirectory(deletingLastPathComponent(file));
            m_window->done(QDialog::Accepted);
        } else if (target.absolute) {
            getFileListing(target.path);
        } else if (targetType == P::kTypeDirectory) {
            getFileListing(appendingPathComponent(currentFolder(), target.path));
        } else {
            getFileListing(appendingPathComponent(selectedHistoryTitle(), target.path));
        }
    }
}

// --- Listings -----------------------------------------------------------------------------------

bool VLXBrowseBase::isHiddenEntry(const QVariantMap &entry)
{
    return entry.value(P::kFilenameKey).toString().startsWith(u'.');
}

QList<QVariantMap> VLXBrowseBase::withoutHiddenEntries(const QVariantList &entries)
{
    QList<QVariantMap> visible;
    visible.reserve(entries.size());
    for (const QVariant &entry : entries) {
        QVariantMap map = entry.toMap();
        if (!isHiddenEntry(map))
            visible.append(std::move(map));
    }
    return visible;
}

QString VLXBrowseBase::listingLimitText()
{
    return tr("This folder holds more than %1 entries: only the first %1 are shown")
        .arg(QLocale(QLocale::English).toString(qlonglong(FTPListingParser::kListingLimit)));
}

void VLXBrowseBase::showListing(const QList<QVariantMap> &files, const QString &listedPath)
{
    m_browseFiles.clear();
    std::copy_if(files.cbegin(), files.cend(), std::back_inserter(m_browseFiles),
                 [](const QVariantMap &entry) { return !isHiddenEntry(entry); });
    reloadTable();
    updateBrowseHistory(listedPath);
    m_browseFTPProperties = {{kResponsePWDKey, QStringList {listedPath}}};
}
