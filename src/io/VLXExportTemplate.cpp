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

void VLXExportTemplate::replacePlaceholder(QString &text, QStringView placeholder,
                                           const QString &value, const QVariantList &substitutions,
                                           Holds holds)
{
    if (!text.contains(placeholder))
        return;
    text.replace(placeholder.toString(), placedValue(value, substitutions, holds));
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

void VLXExportTemplate::fillRecords(QString &text, int chosenCount, const RecordFill &fill)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype begin = text.indexOf(kBeginItemsRecord, from);
        if (begin < 0)
            return;
        const qsizetype bodyStart = begin + kBeginItemsRecord.size();
        const qsizetype end = text.indexOf(kEndItemsRecord, bodyStart);
        if (end < 0)
            return;
        qsizetype alternate = text.indexOf(kBeginAlternateItemsRecord, bodyStart);
        if (alternate >= end)
            alternate = -1;
        const QString main = text.mid(bodyStart, (alternate >= 0 ? alternate : end) - bodyStart);
        const QString other = alternate >= 0
            ? text.mid(alternate + kBeginAlternateItemsRecord.size(),
                       end - alternate - kBeginAlternateItemsRecord.size())
            : main;
        QString filled;
        filled.reserve(qsizetype(chosenCount) * (main.size() + 64));
        for (int k = 0; k < chosenCount; ++k)
            filled += fill(k, (k % 2 == 0) ? main : other);
        text.replace(begin, end + kEndItemsRecord.size() - begin, filled);
        from = begin + filled.size();
    }
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
            if (u == u'\n' || u == u'\r' || u == 0x85 || u == 0x2028 || u == 0x2029)
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
