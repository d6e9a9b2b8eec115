#include "io/VLXExportTemplate.h"

#include "model/VLXLogic.h"
#include "xml/HTMLText.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>

const QString VLXExportTemplate::kBeginItemsRecord = QStringLiteral("~~~BeginItemsRecord~~~");
const QString VLXExportTemplate::kBeginAlternateItemsRecord
    = QStringLiteral("~~~BeginAlternateItemsRecord~~~");
const QString VLXExportTemplate::kEndItemsRecord = QStringLiteral("~~~EndItemsRecord~~~");

QVariantList VLXExportTemplate::substitutionsForType(int type)
{
    switch (type) {
    case HTML:
    case JavaScript:
    case Text:
        return {QStringLiteral("&apos;"), QStringLiteral("'")};
    case CSV:
        return {QStringLiteral("\""), QStringLiteral("\"\""), QStringLiteral("&apos;"),
                QStringLiteral("'")};
    default:
        return {};
    }
}

QString VLXExportTemplate::doSubstitution(const QString &value, const QVariantList &substitutions)
{
    if (value.isNull())
        return QStringLiteral("");
    QString result = value;
    // A list of odd length has a find text without its replacement: that last one is skipped.
    for (qsizetype i = 0; i + 1 < substitutions.size(); i += 2) {
        const QString find = substitutions.at(i).toString();
        if (find.isEmpty())
            continue; // replacing "" would insert the replacement between every character
        result.replace(find, substitutions.at(i + 1).toString());
    }
    return result;
}

namespace {
// The replacement of the last pair of an export that writes HTML.
const QString kWritesHTML = QStringLiteral("text/html");
} // namespace

QVariantList VLXExportTemplate::substitutionsForExport(int type)
{
    QVariantList substitutions = substitutionsForType(type);
    if (type == HTML || type == JavaScript)
        substitutions << QString() << kWritesHTML;
    return substitutions;
}

bool VLXExportTemplate::writesHTML(const QVariantList &substitutions)
{
    const qsizetype n = substitutions.size();
    return n >= 2 && n % 2 == 0 && substitutions.at(n - 2).toString().isEmpty()
        && substitutions.at(n - 1).toString() == kWritesHTML;
}

QString VLXExportTemplate::placedValue(const QString &value, const QVariantList &substitutions,
                                       Holds holds)
{
    const QString substituted = doSubstitution(value, substitutions);
    if (holds == Holds::HTML || !writesHTML(substitutions))
        return substituted;
    if (holds == Holds::Address && !HTMLText::isSafeLink(substituted))
        return QStringLiteral("#");
    return HTMLText::fromPlainText(substituted, HTMLText::Quotes::Escaped);
}

namespace {

const QStringView kMark = u"~~~";

// The placeholder that starts at the "~~~" at `at`: up to and with the next "~~~". Empty when no
// "~~~" follows.
QStringView placeholderAt(QStringView text, qsizetype at)
{
    const qsizetype close = text.indexOf(kMark, at + kMark.size());
    return close < 0 ? QStringView() : text.sliced(at, close + kMark.size() - at);
}

struct Found
{
    qsizetype at = -1;
    QStringView name;
};

// The first placeholder at or after `from` that `takes` accepts, leftmost first: one that is not
// accepted lets the walk go on at the next character, so a placeholder may start inside it.
// Each part of the text is looked at a bounded number of times.
template<typename Takes> Found nextPlaceholder(QStringView text, qsizetype from, const Takes &takes)
{
    for (qsizetype at = text.indexOf(kMark, from); at >= 0; at = text.indexOf(kMark, at + 1)) {
        const QStringView name = placeholderAt(text, at);
        if (name.isEmpty())
            break;
        if (takes(name))
            return {at, name};
    }
    return {};
}

// The first marker at or after `from`, the channel's placeholders walked over as the whole walk
// does, so that a marker is found where the walk would find it.
qsizetype nextMarker(QStringView text, qsizetype from, QStringView marker,
                     const TemplateValues &channel)
{
    for (;;) {
        const Found found = nextPlaceholder(
            text, from, [&](QStringView name) { return name == marker || channel.find(name); });
        if (found.at < 0 || found.name == marker)
            return found.at;
        from = found.at + found.name.size();
    }
}

} // namespace

TemplateValues::Names VLXExportTemplate::placeholdersIn(QStringView text)
{
    TemplateValues::Names names;
    for (qsizetype at = text.indexOf(kMark); at >= 0; at = text.indexOf(kMark, at + 1)) {
        const QStringView name = placeholderAt(text, at);
        if (name.isEmpty())
            break;
        names.insert(name.toString());
    }
    return names;
}

QString VLXExportTemplate::fill(QStringView text, const TemplateValues &values,
                                const QVariantList &substitutions)
{
    QString out;
    qsizetype copied = 0; // text[0, copied) is in out
    for (;;) {
        const Found found
            = nextPlaceholder(text, copied, [&](QStringView name) { return values.find(name); });
        if (found.at < 0)
            break;
        const TemplateValues::Value *value = values.find(found.name);
        out += text.sliced(copied, found.at - copied);
        out += placedValue(value->text, substitutions, value->holds);
        copied = found.at + found.name.size();
    }
    out += text.sliced(copied);
    return out;
}

QString VLXExportTemplate::fillTemplate(QStringView text, const TemplateValues &channel,
                                        const QVariantList &substitutions, int chosenCount,
                                        const ItemValues &itemValues)
{
    QString out;
    qsizetype copied = 0; // text[0, copied) is in out
    qsizetype from = 0;
    bool records = true; // false once a begin marker has no end marker after it
    for (;;) {
        const Found found = nextPlaceholder(text, from, [&](QStringView name) {
            return (records && name == kBeginItemsRecord) || channel.find(name);
        });
        if (found.at < 0)
            break;
        if (found.name != kBeginItemsRecord) {
            const TemplateValues::Value *value = channel.find(found.name);
            out += text.sliced(copied, found.at - copied);
            out += placedValue(value->text, substitutions, value->holds);
            copied = from = found.at + found.name.size();
            continue;
        }
        const qsizetype start = found.at + found.name.size();
        const qsizetype end = nextMarker(text, start, kEndItemsRecord, channel);
        if (end < 0) {
            // The marker stays text; the walk goes on inside it.
            records = false;
            from = found.at + 1;
            continue;
        }
        out += text.sliced(copied, found.at - copied);
        const QStringView block = text.sliced(start, end - start);
        const qsizetype alternate = nextMarker(block, 0, kBeginAlternateItemsRecord, channel);
        const QStringView main = alternate < 0 ? block : block.first(alternate);
        const QStringView other
            = alternate < 0 ? block : block.sliced(alternate + kBeginAlternateItemsRecord.size());
        for (int k = 0; k < chosenCount; ++k) {
            TemplateValues item(channel.asked(), &channel);
            itemValues(k, item);
            out += fill(k % 2 == 0 ? main : other, item, substitutions);
        }
        copied = from = end + kEndItemsRecord.size();
    }
    out += text.sliced(copied);
    return out;
}

void VLXExportTemplate::removeDirectives(QString &text)
{
    static const QString fileName = QStringLiteral("~~~FeedXMLFilename~~~");
    static const QString maxItems = QStringLiteral("~~~FeedMaxItems=");
    static const QString close = QStringLiteral("~~~");
    text.remove(fileName);
    text.remove(QStringLiteral("~~~NoFutureItems~~~"));
    text.remove(QStringLiteral("~~~SortByPubDate~~~"));
    const qsizetype at = text.indexOf(maxItems);
    if (at >= 0) {
        // The closing marker must lie within the ten characters that start at the "=", and the
        // window never reaches past the end of the text.
        const qsizetype equals = at + maxItems.size() - 1;
        const QStringView window = QStringView(text).mid(equals, 10);
        const qsizetype closing = window.indexOf(close);
        if (closing >= 0 && closing + close.size() <= window.size())
            text.remove(at, equals + closing + close.size() - at);
    }
    text.remove(fileName);
}

std::vector<int> VLXExportTemplate::chooseItems(const std::vector<int> &candidates, bool limitItems,
                                                int limitNumber)
{
    std::vector<int> chosen;
    const qsizetype count = qsizetype(candidates.size());
    if (!limitItems || limitNumber == 0) {
        chosen = candidates;
        return chosen;
    }
    if (limitNumber > 0) {
        const qsizetype take = std::min<qsizetype>(limitNumber, count);
        chosen.assign(candidates.begin(), candidates.begin() + take);
        return chosen;
    }
    // -(INT_MIN) does not fit an int: count in 64 bits.
    const qsizetype take = std::min<qsizetype>(-qint64(limitNumber), count);
    chosen.reserve(size_t(take));
    for (qsizetype i = count - 1; i >= count - take; --i)
        chosen.push_back(candidates[size_t(i)]);
    return chosen;
}

QString VLXExportTemplate::finishJavaScript(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8 + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += u"\\\\";
            break;
        case u'\'':
            escaped += u"\\'";
            break;
        case u'"':
            escaped += u"\\\"";
            break;
        // Separators a script or a browser could take for a line end: escaped, they stay in the
        // string, and the page holds them where the value had them.
        case 0x85:
            escaped += u"\\u0085";
            break;
        case 0x2028:
            escaped += u"\\u2028";
            break;
        case 0x2029:
            escaped += u"\\u2029";
            break;
        default:
            escaped += c;
        }
    }

    static const QLatin1String head("document.write('");
    static const QLatin1String tail("');\n");
    QString out;
    out.reserve(escaped.size() + (escaped.size() / 40 + 1) * (head.size() + tail.size()));
    const qsizetype n = escaped.size();
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (lineStart < n) {
        i = lineStart;
        while (i < n) {
            const char16_t u = escaped.at(i).unicode();
            if (u == u'\n' || u == u'\r')
                break;
            ++i;
        }
        out += head;
        out += QStringView(escaped).mid(lineStart, i - lineStart);
        out += tail;
        if (i < n && escaped.at(i) == u'\r' && i + 1 < n && escaped.at(i + 1) == u'\n')
            ++i;
        lineStart = i + 1;
    }
    return out;
}

bool VLXExportTemplate::readTemplate(const QString &path, QString *text)
{
    QFile file(path);
    if (path.isEmpty() || !file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;

    if (const auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        QString decoded = decoder.decode(bytes);
        if (!decoder.hasError()) {
            *text = decoded;
            return true;
        }
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) {
        *text = decoded;
        return true;
    }
    QStringDecoder windows1252("windows-1252");
    if (windows1252.isValid()) {
        *text = windows1252.decode(bytes);
        return true;
    }
    *text = QString::fromLatin1(bytes);
    return true;
}

QString VLXExportTemplate::formatPubDate(const QString &pubDate, DateStyle style)
{
    if (pubDate.trimmed().isEmpty())
        return QStringLiteral("");
    QDateTime date = VLXLogic::dateFromRFC822(pubDate);
    if (!date.isValid())
        date = VLXLogic::dateFromNaturalLanguage(pubDate);
    if (!date.isValid())
        return QStringLiteral("");
    const QDateTime local = date.toLocalTime();
    const QLocale locale = QLocale::system();
    switch (style) {
    case DateStyle::Long:
        return locale.toString(local.date(), QLocale::LongFormat);
    case DateStyle::Short:
        return locale.toString(local.date(), QLocale::ShortFormat);
    case DateStyle::Time:
        break;
    }
    return locale.toString(local.time(), QLocale::ShortFormat);
}
