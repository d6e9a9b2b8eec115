#include "publish/VLXFTPBrowse.h"

#include "io/CURLHandle.h"
#include "publish/FTPListingParser.h"
#include "publish/PublishPaths.h"

#include <QRegularExpression>

namespace {

using P = FTPListingParser;

} // namespace

VLXFTPBrowse::VLXFTPBrowse()
{
    m_deferred.setSingleShot(true);
    connect(&m_deferred, &QTimer::timeout, this, [this] {
        if (const std::function<void()> call = std::exchange(m_deferredCall, {}))
            call();
    });
}

VLXFTPBrowse::~VLXFTPBrowse()
{
    cancelTransfer();
}

void VLXFTPBrowse::startBrowsing()
{
    setNewFolderAvailable(true);
    m_browseFTPProperties.clear();
    findHomeDirectory();
}

void VLXFTPBrowse::stopBrowsing()
{
    cancelTransfer();
    stopProgress();
}

void VLXFTPBrowse::defer(int milliseconds, std::function<void()> call)
{
    m_deferredCall = std::move(call);
    m_deferred.start(milliseconds);
}

// --- Addresses ----------------------------------------------------------------------------------

QString VLXFTPBrowse::listingAddress(const QString &server, const QString &path)
{
    QString rest = path;
    // "~" is the login folder, not the server's root.
    if (rest == u"~")
        rest.clear();
    else if (rest.startsWith(QLatin1String("~/")))
        rest = rest.mid(2);
    else if (rest.startsWith(u'~'))
        rest = rest.mid(1);
    while (rest.size() > 1 && rest.endsWith(u'/'))
        rest.chop(1);
    if (rest.isEmpty())
        return QStringLiteral("ftp://%1/").arg(server);
    // A full path follows the server's own slash: libcurl starts it at the server's root.
    if (rest == u"/")
        return QStringLiteral("ftp://%1//").arg(server);
    return QStringLiteral("ftp://%1/%2/").arg(server, PublishPaths::escapeSegments(rest));
}

URLHandle *VLXFTPBrowse::transfer() const
{
    return m_handle.get();
}

QString VLXFTPBrowse::transferAddress() const
{
    return m_handle ? m_handle->url().toString(QUrl::FullyEncoded) : QString();
}

void VLXFTPBrowse::findHomeDirectory()
{
    cancelTransfer();
    startTransfer(FindingHome, listingAddress(FTPserver(), QString()));
}

void VLXFTPBrowse::getFileListing(const QString &path)
{
    listFolder(path, false);
}

void VLXFTPBrowse::listFolder(const QString &path, bool fallback)
{
    cancelTransfer();
    if (!fallback)
        m_fallbackUsed = false;
    startTransfer(Listing, listingAddress(FTPserver(), path));
}

void VLXFTPBrowse::browseCreateNewFolder()
{
    const QString name = newFolderName();
    if (name.isEmpty())
        return;
    // Made in the folder shown: listing it with missing folders created makes it.
    const QStringList history = historyTitles();
    const QString path = history.isEmpty() ? name
                                           : appendingPathComponent(history.last(), name);
    cancelTransfer();
    m_fallbackUsed = false;
    startTransfer(Listing, listingAddress(FTPserver(), path), true);
}

void VLXFTPBrowse::resolveTypeOfSymbolicLinks()
{
    m_linksToCheck.clear();
    for (int row = 0; row < m_browseFiles.size(); ++row) {
        if (m_browseFiles.at(row).value(P::kFileType) == P::kTypeSymbolicLink)
            m_linksToCheck.append(row);
    }
    checkNextLink();
}

void VLXFTPBrowse::checkNextLink()
{
    if (m_linksToCheck.isEmpty()) {
        reloadTable();
        if (m_listingTruncated)
            setStatus(listingLimitText());
        return;
    }
    m_linkRow = m_linksToCheck.takeFirst();
    const QString target
        = m_browseFiles.at(m_linkRow).value(P::kSymbolicLinkTargetKey).toString().mid(3);
    // A relative target lies beside the link, in the folder listed.
    const QString path = target.startsWith(u'/') || currentFolder().isEmpty()
        ? target
        : appendingPathComponent(currentFolder(), target);
    startTransfer(CheckingLink, listingAddress(FTPserver(), path));
}

void VLXFTPBrowse::linkChecked(bool isFolder)
{
    if (m_linkRow >= 0 && m_linkRow < m_browseFiles.size()) {
        QVariantMap &entry = m_browseFiles[m_linkRow];
        entry.insert(kSymbolicLinkTargetTypeKey, isFolder ? P::kTypeDirectory : P::kTypeRegular);
        // The icon shows what the link leads to: drawn again.
        entry.remove(kIconKey);
    }
    m_linkRow = -1;
    // From the event loop: the ended transfer's handle is gone before the next one starts.
    defer(0, [this] { checkNextLink(); });
}

// --- Replies ------------------------------------------------------------------------------------

std::optional<QString> VLXFTPBrowse::scanBetweenQuotes(const QString &line)
{
    const qsizetype first = line.indexOf(u'"');
    const qsizetype last = line.lastIndexOf(u'"');
    if (first < 0 || last <= first)
        return std::nullopt;
    QString quoted = line.mid(first + 1, last - first - 1);
    quoted.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return quoted;
}

QVariantMap VLXFTPBrowse::parseFTPResponses(const QString &transcript)
{
    static const QRegularExpression lineEnds(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    const QStringList lines = transcript.split(lineEnds);
    QStringList paths;
    QStringList steps;
    // libcurl's own notes can come between a command and its reply: a 250 reply answers the
    // last command sent.
    QString lastCommand;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("> "))) {
            lastCommand = line.mid(2);
        } else if (line.startsWith(QLatin1String("< 257"))) {
            if (const std::optional<QString> path = scanBetweenQuotes(line)) {
                paths.append(*path);
                steps.append(QStringLiteral("PWD %1").arg(*path));
            }
        } else if (line.startsWith(QLatin1String("< 250")) && !lastCommand.isEmpty()) {
            steps.append(lastCommand);
        }
    }
    QVariantMap responses;
    if (!paths.isEmpty())
        responses.insert(kResponsePWDKey, paths);
    if (!steps.isEmpty())
        responses.insert(kResponseCWDStepsKey, steps);
    return responses;
}

QString VLXFTPBrowse::deepestFolder(const QStringList &steps)
{
    QString folder;
    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String("PWD ")))
            folder = step.mid(4);
        else if (step.startsWith(QLatin1String("CWD /")))
            folder = step.mid(4);
        else if (step.startsWith(QLatin1String("CWD ")))
            folder = appendingPathComponent(folder, step.mid(4));
    }
    return folder;
}
