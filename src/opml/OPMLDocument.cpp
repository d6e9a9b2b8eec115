#include "opml/OPMLDocument.h"

#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "settings/VLXPreferences.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {
const QString kFeedURL = QStringLiteral("feedURL");
const QString kUniqueIdentifier = QStringLiteral("UniqueIdentifier");
const QString kIncluded = QStringLiteral("OPML_CF_Included");
const QString kLastSaved = QStringLiteral("OPML_CF_LastSaved");
const QString kRawTitle = QStringLiteral("OPML_CF_RawTitle");
const QString kTitle = QStringLiteral("OPML_CF_Title");
const QString kRawHTMLURL = QStringLiteral("OPML_CF_RawHTMLURL");
const QString kHTMLURL = QStringLiteral("OPML_CF_HTMLURL");
const QString kXMLURL = QStringLiteral("OPML_CF_XMLURL");
const QString kLanguage = QStringLiteral("OPML_CF_Language");

QString text(const QString &key, const QString &uniqueKey)
{
    return VLXPreferences::objectForKey(key, uniqueKey).toString();
}

QString escaped(const QString &value)
{
    return VLXLogic::encodeSpecialXMLChars(value);
}

// The path of a feed file's address; a bare path is taken as it is.
QString feedFilePath(const QString &feedURL)
{
    const QUrl url(feedURL);
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.scheme().isEmpty() ? feedURL : QString();
}
} // namespace

QList<OPMLDocument::Row> OPMLDocument::rowsOfFeeds(const QList<QVariantMap> &listOfFeeds)
{
    QList<Row> rows;
    rows.reserve(listOfFeeds.size());
    for (const QVariantMap &entry : listOfFeeds) {
        Row row;
        row.uniqueIdentifier = entry.value(kUniqueIdentifier).toString();
        row.feedURL = entry.value(kFeedURL).toString();
        const QString &key = row.uniqueIdentifier;
        row.included = VLXPreferences::objectForKey(kIncluded, key).toInt();
        row.lastSaved = VLXPreferences::objectForKey(kLastSaved, key).toDateTime();
        row.rawTitle = text(kRawTitle, key);
        row.title = text(kTitle, key);
        row.rawHTMLURL = text(kRawHTMLURL, key);
        row.HTMLURL = text(kHTMLURL, key);
        row.XMLURL = text(kXMLURL, key);
        row.language = text(kLanguage, key);
        rows << row;
    }
    return rows;
}

OPMLDocument::Head OPMLDocument::storedHead()
{
    return {VLXPreferences::objectForKey(QStringLiteral("OPML_Title")).toString(),
            VLXPreferences::objectForKey(QStringLiteral("OPML_OwnerName")).toString(),
            VLXPreferences::objectForKey(QStringLiteral("OPML_OwnerEMail")).toString()};
}

void OPMLDocument::storeHead(const Head &head)
{
    VLXPreferences::setObjectForKey(head.title, QStringLiteral("OPML_Title"));
    VLXPreferences::setObjectForKey(head.ownerName, QStringLiteral("OPML_OwnerName"));
    VLXPreferences::setObjectForKey(head.ownerEMail, QStringLiteral("OPML_OwnerEMail"));
}

void OPMLDocument::storeRow(const Row &row, const QDateTime &savedAt)
{
    const QString &key = row.uniqueIdentifier;
    VLXPreferences::setObjectForKey(row.included, kIncluded, key);
    VLXPreferences::setObjectForKey(savedAt, kLastSaved, key);
    VLXPreferences::setObjectForKey(row.rawTitle, kRawTitle, key);
    VLXPreferences::setObjectForKey(row.title, kTitle, key);
    VLXPreferences::setObjectForKey(row.HTMLURL, kHTMLURL, key);
    VLXPreferences::setObjectForKey(row.XMLURL, kXMLURL, key);
    VLXPreferences::setObjectForKey(row.rawHTMLURL, kRawHTMLURL, key);
    VLXPreferences::setObjectForKey(row.language, kLanguage, key);
}

QByteArray OPMLDocument::build(const Head &head, const QList<Row> &rows)
{
    QString document;
    auto line = [&document](int indent, const QString &content) {
        document += QString(indent, QLatin1Char(' ')) + content + QLatin1Char('\n');
    };
    auto element = [&line](const char *name, const QString &value) {
        if (!value.isEmpty())
            line(4, QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), escaped(value)));
    };
    line(0, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    line(0, QStringLiteral("<opml version=\"1.0\">"));
    line(4, QStringLiteral("<head>"));
    element("title", head.title);
    element("ownerName", head.ownerName);
    element("ownerEmail", head.ownerEMail);
    line(0, QStringLiteral("</head>"));
    line(0, QStringLiteral("<body>"));
    for (const Row &row : rows) {
        if (!row.writable())
            continue;
        QString outline = QStringLiteral("<outline text=\"%1\" xmlUrl=\"%2\"")
                              .arg(escaped(row.title), VLXLogic::createSafeLink(row.XMLURL));
        if (!row.HTMLURL.isEmpty())
            outline += QStringLiteral(" htmlUrl=\"%1\"").arg(VLXLogic::createSafeLink(row.HTMLURL));
        if (!row.language.isEmpty())
            outline += QStringLiteral(" language=\"%1\"").arg(escaped(row.language));
        outline += QStringLiteral(" type=\"rss\" />");
        line(4, outline);
    }
    line(0, QStringLiteral("</body>"));
    line(0, QStringLiteral("</opml>"));
    return document.toUtf8();
}

QByteArray OPMLDocument::buildForFeeds(const QList<QVariantMap> &listOfFeeds)
{
    // The head the user gave in the window belongs to every copy of the list, the published
    // one included.
    return build(storedHead(), rowsOfFeeds(listOfFeeds));
}

bool OPMLDocument::needsFeedFile(const Row &row)
{
    if (row.rawTitle.isEmpty() || row.title.isEmpty() || row.rawHTMLURL.isEmpty()
        || row.HTMLURL.isEmpty() || row.language.isEmpty())
        return true;
    const QString path = feedFilePath(row.feedURL);
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    return file.exists() && (!row.lastSaved.isValid() || file.lastModified() > row.lastSaved);
}

bool OPMLDocument::fillFromFeedFile(Row &row)
{
    const QString path = feedFilePath(row.feedURL);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    VLXParseFeed reader;
    if (reader.parseFeedChannelOnly(VLXParseFeed::stringFromXMLData(file.readAll())) != 0
        || !reader.feed())
        return false;
    const VLXFeed &channel = *reader.feed();
    auto fill = [](QString &value, const QString &found) {
        if (value.isEmpty())
            value = found;
    };
    fill(row.rawTitle, channel.title());
    fill(row.title, channel.title());
    fill(row.rawHTMLURL, channel.link());
    fill(row.HTMLURL, channel.link());
    fill(row.language, channel.language());
    return true;
}

bool OPMLDocument::save(const QString &path, const QByteArray &bytes, QString *problem)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (problem)
        *problem = file.errorString();
    return false;
}
