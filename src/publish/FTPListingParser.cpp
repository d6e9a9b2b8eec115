#include "publish/FTPListingParser.h"

#include "model/DateFields.h"
#include "model/DatePattern.h"
#include "platform/Clock.h"

#include <QStringList>
#include <QtDebug>
#include <algorithm>
#include <optional>

const QString FTPListingParser::kFileType = QStringLiteral("NSFileType");
const QString FTPListingParser::kTypeDirectory = QStringLiteral("NSFileTypeDirectory");
const QString FTPListingParser::kTypeSymbolicLink = QStringLiteral("NSFileTypeSymbolicLink");
const QString FTPListingParser::kTypeRegular = QStringLiteral("NSFileTypeRegular");
const QString FTPListingParser::kTypeUnknown = QStringLiteral("NSFileTypeUnknown");
const QString FTPListingParser::kPosixPermissions = QStringLiteral("NSFilePosixPermissions");
const QString FTPListingParser::kReferenceCount = QStringLiteral("NSFileReferenceCount");
const QString FTPListingParser::kOwnerAccountID = QStringLiteral("NSFileOwnerAccountID");
const QString FTPListingParser::kGroupOwnerAccountID = QStringLiteral("NSFileGroupOwnerAccountID");
const QString FTPListingParser::kSize = QStringLiteral("NSFileSize");
const QString FTPListingParser::kModificationDate = QStringLiteral("NSFileModificationDate");
const QString FTPListingParser::kFilenameKey = QStringLiteral("cxFilenameKey");
const QString FTPListingParser::kSymbolicLinkTargetKey = QStringLiteral("cxSymbolicLinkTargetKey");

namespace {

// The integer a token starts with (optional sign, then digits); 0 when it starts otherwise.
qint64 leadingInteger(const QString &token)
{
    qsizetype end = 0;
    if (end < token.size() && (token.at(end) == u'-' || token.at(end) == u'+'))
        ++end;
    while (end < token.size() && token.at(end).isDigit())
        ++end;
    bool ok = false;
    const qint64 value = token.left(end).toLongLong(&ok);
    return ok ? value : 0;
}

// The number a size token starts with; 0 when it is not a number.
double sizeValue(const QString &token)
{
    bool ok = false;
    const double value = token.toDouble(&ok);
    return ok ? value : double(leadingInteger(token));
}

// Month, day and a time of day or a year, as ls prints them. A time of day lies within the last
// year: this year's date, or last year's when this year's would be later than now.
std::optional<QDateTime> readListedDate(const QString &month, const QString &day,
                                        const QString &timeOrYear)
{
    static const DatePattern withYear(u"%b %d %Y");
    static const DatePattern withTime(u"%b %d %Y %H:%M");
    DateFields fields;
    if (!timeOrYear.contains(u':')) {
        if (!withYear.read(QString(month + u' ' + day + u' ' + timeOrYear), fields))
            return std::nullopt;
        return fields.toDateTime();
    }
    const QDateTime now = Clock::now();
    const int year = now.toLocalTime().date().year();
    // 29 February without a year: the last year that had one.
    if (!withTime.read(QStringLiteral("%1 %2 %3 %4").arg(month, day).arg(year).arg(timeOrYear),
                       fields)
        && !withTime.read(
            QStringLiteral("%1 %2 %3 %4").arg(month, day).arg(year - 1).arg(timeOrYear), fields))
        return std::nullopt;
    QDateTime date = fields.toDateTime();
    if (date > now) {
        fields.year -= 1;
        if (!fields.isValid())
            return std::nullopt;
        date = fields.toDateTime();
    }
    return date;
}

QString joinFrom(const QStringList &tokens, qsizetype start)
{
    return tokens.mid(start).join(u' ');
}

void setName(QVariantMap &entry, const QStringList &tokens, qsizetype start, bool splitLink)
{
    const QString type = entry.value(FTPListingParser::kFileType).toString();
    if (splitLink && type == FTPListingParser::kTypeSymbolicLink) {
        QStringList kept;
        for (qsizetype i = start; i < tokens.size(); ++i) {
            const qsizetype arrow = tokens.at(i).indexOf(QStringLiteral("->"));
            if (arrow < 0) {
                kept.append(tokens.at(i));
                continue;
            }
            if (arrow > 0)
                kept.append(tokens.at(i).left(arrow));
            QString target = tokens.at(i).mid(arrow);
            if (i + 1 < tokens.size())
                target += u' ' + joinFrom(tokens, i + 1);
            entry.insert(FTPListingParser::kFilenameKey, kept.join(u' '));
            entry.insert(FTPListingParser::kSymbolicLinkTargetKey, target);
            return;
        }
    }
    QString name = joinFrom(tokens, start);
    if (type == FTPListingParser::kTypeDirectory && name.endsWith(u'/'))
        name.chop(1);
    entry.insert(FTPListingParser::kFilenameKey, name);
}

QString dateText(const QDateTime &date)
{
    static const DatePattern pattern(u"%d %b %Y %H:%M");
    return pattern.write(date.toLocalTime());
}

// Where the columns of a line stand: the size, the first token of the date, the name.
struct Columns
{
    qsizetype size;
    qsizetype date;
    qsizetype name;
    bool hasGroup;
};
constexpr Columns kNineColumns {4, 5, 8, true}; // perms links owner group size Mon DD time name
constexpr Columns kEightColumns {3, 4, 7, false}; // perms links owner size Mon DD time name

std::optional<QVariantMap> parseLine(const QStringList &t, FTPListingParser::DateStyle style)
{
    QVariantMap entry;
    FTPListingParser::parsePermissions(t.at(0), entry);

    if (t.at(1) == u"folder") {
        // drwxrwxrwx folder 2 May 10 1996 network
        entry.insert(FTPListingParser::kReferenceCount, leadingInteger(t.at(2)));
        if (const auto date = readListedDate(t.at(3), t.at(4), t.at(5)))
            entry.insert(FTPListingParser::kModificationDate, *date);
        setName(entry, t, 6, false);
        return entry;
    }

    const auto dateAt = [&](const Columns &c) -> std::optional<QDateTime> {
        if (t.size() <= c.name)
            return std::nullopt;
        return readListedDate(t.at(c.date), t.at(c.date + 1), t.at(c.date + 2));
    };
    std::optional<QDateTime> date = dateAt(kNineColumns);
    Columns columns = kNineColumns;
    if (!date) {
        date = dateAt(kEightColumns);
        if (date) {
            columns = kEightColumns;
        } else {
            // No date where either form has one: a named owner suggests the usual nine columns.
            const bool namedOwner = leadingInteger(t.at(2)) < 1;
            columns = namedOwner && t.size() > kNineColumns.name ? kNineColumns : kEightColumns;
            if (t.size() <= columns.name)
                return std::nullopt;
        }
    }

    entry.insert(FTPListingParser::kReferenceCount, leadingInteger(t.at(1)));
    entry.insert(FTPListingParser::kOwnerAccountID, t.at(2));
    if (columns.hasGroup)
        entry.insert(FTPListingParser::kGroupOwnerAccountID, t.at(3));
    entry.insert(FTPListingParser::kSize, sizeValue(t.at(columns.size)));
    if (date) {
        if (style == FTPListingParser::DateStyle::Text)
            entry.insert(FTPListingParser::kModificationDate, dateText(*date));
        else
            entry.insert(FTPListingParser::kModificationDate, *date);
    }
    setName(entry, t, columns.name, true);
    if (entry.value(FTPListingParser::kFilenameKey).toString().isEmpty())
        return std::nullopt;
    return entry;
}

QVariantList sorted(QList<QVariantMap> &entries)
{
    std::stable_sort(entries.begin(), entries.end(), FTPListingParser::filenameSort);
    QVariantList result;
    result.reserve(entries.size());
    for (QVariantMap &entry : entries)
        result.append(std::move(entry));
    return result;
}

std::optional<QVariantMap> parseOneLine(const QString &line, FTPListingParser::DateStyle style)
{
    const QStringList tokens = line.split(u' ', Qt::SkipEmptyParts);
    if (tokens.size() < 7)
        return std::nullopt;
    return parseLine(tokens, style);
}

} // namespace

QVariantList FTPListingParser::parseLines(const QString &text, DateStyle style)
{
    if (text.isEmpty())
        return {};
    QString normalised = text;
    normalised.replace(u'\r', u'\n');
    QList<QVariantMap> entries;
    for (const QString &line : normalised.split(u'\n', Qt::SkipEmptyParts)) {
        if (auto entry = parseOneLine(line, style))
            entries.append(std::move(*entry));
    }
    return sorted(entries);
}

FTPListingParser::Listing FTPListingParser::parseListing(const QByteArray &reply, DateStyle style,
                                                         qsizetype limit)
{
    Listing listing;
    QList<QVariantMap> entries;
    qsizetype start = 0;
    while (start < reply.size()) {
        qsizetype end = start;
        while (end < reply.size() && reply.at(end) != '\n' && reply.at(end) != '\r')
            ++end;
        if (end > start) {
            if (auto entry
                = parseOneLine(QString::fromUtf8(reply.constData() + start, end - start), style)) {
                if (entries.size() >= limit) {
                    listing.truncated = true;
                    break;
                }
                entries.append(std::move(*entry));
            }
        }
        start = end + 1;
    }
    listing.entries = sorted(entries);
    return listing;
}

void FTPListingParser::parsePermissions(const QString &token, QVariantMap &entry)
{
    const QChar first = token.isEmpty() ? QChar() : token.at(0);
    QString type = kTypeUnknown;
    if (first == u'd')
        type = kTypeDirectory;
    else if (first == u'l')
        type = kTypeSymbolicLink;
    else if (first == u'-')
        type = kTypeRegular;
    entry.insert(kFileType, type);

    if (token.size() < 2 || (token.at(1) != u'-' && token.at(1) != u'r')) {
        qWarning("Unknown FTP Permission state");
        return;
    }
    // Only these exact letters count: s, S, t and T set no bit.
    static const struct
    {
        char16_t letter;
        uint bit;
    } kBits[] = {{u'r', 0400}, {u'w', 0200}, {u'x', 0100}, {u'r', 040}, {u'w', 020},
                 {u'x', 010},  {u'r', 04},   {u'w', 02},   {u'x', 01}};
    uint permissions = 0;
    for (qsizetype i = 0; i < 9 && i + 1 < token.size(); ++i) {
        if (token.at(i + 1) == kBits[i].letter)
            permissions |= kBits[i].bit;
    }
    entry.insert(kPosixPermissions, permissions);
}

QString FTPListingParser::directoriesOnly(const QByteArray &reply)
{
    QStringList lines;
    for (const QVariant &value : parseLines(QString::fromUtf8(reply))) {
        const QVariantMap entry = value.toMap();
        if (entry.value(kFileType).toString() == kTypeDirectory)
            lines.append(QStringLiteral("        %1/").arg(entry.value(kFilenameKey).toString()));
    }
    return lines.join(u'\n');
}

bool FTPListingParser::filenameSort(const QVariantMap &a, const QVariantMap &b)
{
    return QString::compare(a.value(kFilenameKey).toString(), b.value(kFilenameKey).toString(),
                            Qt::CaseInsensitive)
        < 0;
}
