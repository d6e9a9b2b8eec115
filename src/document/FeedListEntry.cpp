#include "document/FeedListEntry.h"

#include <QUrl>
#include <QUuid>

const QString FeedListEntry::kFileName = QStringLiteral("feedFileName");
const QString FeedListEntry::kURL = QStringLiteral("feedURL");
const QString FeedListEntry::kTransient = QStringLiteral("isTransient");
const QString FeedListEntry::kUniqueIdentifier = QStringLiteral("UniqueIdentifier");
const QString FeedListEntry::kLocalEnclosureFileInfo = QStringLiteral("LocalEnclosureFileInfo");
const QString FeedListEntry::kLastPublished = QStringLiteral("LastPublished");
const QString FeedListEntry::kImageLastPublished = QStringLiteral("ImageLastPublished");
const QString FeedListEntry::kAdditionalFiles = QStringLiteral("additionalFiles");

namespace {
// A path or URL text as a URL: absolute paths become file URLs.
QUrl urlFromString(const QString &text)
{
    if (text.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(text);
    return QUrl(text);
}
} // namespace

FeedListEntry FeedListEntry::make(const QString &fileName, const QString &url, bool transient)
{
    FeedListEntry entry;
    entry.fileName = fileName;
    entry.url = url;
    entry.transient = transient;
    entry.uniqueIdentifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return entry;
}

FeedListEntry FeedListEntry::fromMap(const QVariantMap &map)
{
    FeedListEntry entry;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        entry.setValue(it.key(), it.value());
    return entry;
}

QVariantMap FeedListEntry::toMap() const
{
    QVariantMap map = others;
    map.insert(kFileName, fileName);
    map.insert(kURL, url);
    map.insert(kTransient, transient ? 1 : 0);
    map.insert(kUniqueIdentifier, uniqueIdentifier);
    if (m_hasEnclosures)
        map.insert(kLocalEnclosureFileInfo, localEnclosureFileInfo);
    if (lastPublished.isValid())
        map.insert(kLastPublished, lastPublished);
    if (imageLastPublished.isValid())
        map.insert(kImageLastPublished, imageLastPublished);
    if (m_hasAdditional)
        map.insert(kAdditionalFiles, additionalFiles);
    return map;
}

QVariant FeedListEntry::value(const QString &key) const
{
    if (key == kFileName || key == kURL || key == kTransient || key == kUniqueIdentifier
        || key == kLocalEnclosureFileInfo || key == kLastPublished || key == kImageLastPublished
        || key == kAdditionalFiles)
        return toMap().value(key);
    return others.value(key);
}

void FeedListEntry::setValue(const QString &key, const QVariant &value)
{
    if (key == kFileName) {
        fileName = value.toString();
    } else if (key == kURL) {
        url = value.toString();
    } else if (key == kTransient) {
        transient = value.toInt() != 0;
    } else if (key == kUniqueIdentifier) {
        uniqueIdentifier = value.toString();
    } else if (key == kLocalEnclosureFileInfo) {
        localEnclosureFileInfo = value.toMap();
        m_hasEnclosures = true;
    } else if (key == kLastPublished) {
        lastPublished = value.toDateTime();
    } else if (key == kImageLastPublished) {
        imageLastPublished = value.toDateTime();
    } else if (key == kAdditionalFiles) {
        additionalFiles = value.toByteArray();
        m_hasAdditional = true;
    } else {
        others.insert(key, value);
    }
}

void FeedListEntry::remove(const QString &key)
{
    if (key == kLocalEnclosureFileInfo) {
        localEnclosureFileInfo.clear();
        m_hasEnclosures = false;
    } else if (key == kLastPublished) {
        lastPublished = {};
    } else if (key == kImageLastPublished) {
        imageLastPublished = {};
    } else if (key == kAdditionalFiles) {
        additionalFiles.clear();
        m_hasAdditional = false;
    } else {
        others.remove(key);
    }
}

QString FeedListEntry::localPath() const
{
    const QUrl parsed = urlFromString(url);
    if (parsed.isLocalFile())
        return parsed.toLocalFile();
    if (parsed.scheme().isEmpty())
        return parsed.path();
    return {};
}

bool FeedListEntry::isRemote() const
{
    const QUrl parsed = urlFromString(url);
    return !parsed.scheme().isEmpty() && !parsed.isLocalFile();
}
