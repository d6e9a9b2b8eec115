#include "opml/OPMLDocument.h"

#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "platform/BoundedFileReader.h"
#include "settings/SettingTextLimits.h"
#include "settings/VLXPreferences.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

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

enum class Place { Content, Attribute };

// A carriage return anywhere would read back as a line feed, and a line feed or a tab in an
// attribute as a blank: they are written as references. Characters XML cannot hold at all are
// dropped when the document is encoded (UTF8Writer).
QString withReferences(QString text, Place place)
{
    text.replace(u'\r', QStringLiteral("&#13;"));
    if (place == Place::Attribute) {
        text.replace(u'\n', QStringLiteral("&#10;"));
        text.replace(u'\t', QStringLiteral("&#9;"));
    }
    return text;
}

QString escaped(const QString &value, Place place)
{
    return withReferences(VLXLogic::encodeSpecialXMLChars(value), place);
}

QString link(const QString &value)
{
    return withReferences(VLXLogic::createSafeLink(value), Place::Attribute);
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
            line(4,
                 QStringLiteral("<%1>%2</%1>")
                     .arg(QLatin1String(name), escaped(value, Place::Content)));
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
                              .arg(escaped(row.title, Place::Attribute), link(row.XMLURL));
        if (!row.HTMLURL.isEmpty())
            outline += QStringLiteral(" htmlUrl=\"%1\"").arg(link(row.HTMLURL));
        if (!row.language.isEmpty())
            outline
                += QStringLiteral(" language=\"%1\"").arg(escaped(row.language, Place::Attribute));
        outline += QStringLiteral(" type=\"rss\" />");
        line(4, outline);
    }
    line(0, QStringLiteral("</body>"));
    line(0, QStringLiteral("</opml>"));
    UTF8Writer bytes(document.size() + document.size() / 4);
    bytes.append(QStringView(document));
    return bytes.take();
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
    // As the window reads a feed: only an ordinary file no larger than a feed may be.
    const std::optional<QByteArray> bytes
        = BoundedFileReader::read(path, vlxXMLDOM::maximumInputSize());
    if (!bytes)
        return false;
    VLXParseFeed reader;
    if (reader.parseFeedChannelOnly(VLXParseFeed::stringFromXMLData(*bytes)) != 0 || !reader.feed())
        return false;
    const VLXFeed &channel = *reader.feed();
    // A value longer than the settings keep is not taken: the row would not be stored.
    auto fill = [](QString &value, const QString &found, SettingTextLimits::Kind kind) {
        if (value.isEmpty() && SettingTextLimits::fits(kind, found))
            value = found;
    };
    using Kind = SettingTextLimits::Kind;
    fill(row.rawTitle, channel.title(), Kind::Line);
    fill(row.title, channel.title(), Kind::Line);
    fill(row.rawHTMLURL, channel.link(), Kind::Address);
    fill(row.HTMLURL, channel.link(), Kind::Address);
    fill(row.language, channel.language(), Kind::Line);
    return true;
}

QString OPMLDocument::refusal(const Head &head, const QList<Row> &rows)
{
    using Kind = SettingTextLimits::Kind;
    const struct
    {
        Kind kind;
        QString what;
        const QString &text;
    } headParts[] = {
        {Kind::Line, QStringLiteral("The title of the list"), head.title},
        {Kind::Line, QStringLiteral("The owner's name"), head.ownerName},
        {Kind::Line, QStringLiteral("The owner's e-mail address"), head.ownerEMail},
    };
    for (const auto &part : headParts) {
        if (const QString problem = SettingTextLimits::problem(part.kind, part.what, part.text);
            !problem.isEmpty())
            return problem;
    }
    for (const Row &row : rows) {
        const QString feed = QFileInfo(feedFilePath(row.feedURL)).fileName();
        const struct
        {
            Kind kind;
            const char *what;
            const QString &text;
        } rowParts[] = {
            {Kind::Line, "The title", row.title},
            {Kind::Line, "The title found", row.rawTitle},
            {Kind::Address, "The HTML URL", row.HTMLURL},
            {Kind::Address, "The HTML URL found", row.rawHTMLURL},
            {Kind::Address, "The XML URL", row.XMLURL},
            {Kind::Line, "The language", row.language},
        };
        for (const auto &part : rowParts) {
            const QString what
                = QStringLiteral("%1 of the feed \"%2\"").arg(QLatin1String(part.what), feed);
            if (const QString problem = SettingTextLimits::problem(part.kind, what, part.text);
                !problem.isEmpty())
                return problem;
        }
    }
    return QString();
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
