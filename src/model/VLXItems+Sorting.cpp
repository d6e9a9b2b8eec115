// The item's RSS 2.0 children, its own XML tree and the sort keys taken from it.

#include "model/VLXItems.h"

#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "model/sortTags.h"
#include "xml/vlxXMLDOM.h"

#include <optional>

namespace {

// The leading decimal number of a text (optional sign, digits, fraction, exponent); 0 when the
// text does not start with one. Never NaN, so every key orders.
double leadingNumber(const QString &text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char *s = bytes.constData();
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && s[i] >= '0' && s[i] <= '9')
        ++i;
    qsizetype mantissaDigits = i - digitsStart;
    if (i < n && s[i] == '.') {
        ++i;
        const qsizetype fractionStart = i;
        while (i < n && s[i] >= '0' && s[i] <= '9')
            ++i;
        mantissaDigits += i - fractionStart;
    }
    if (mantissaDigits == 0)
        return 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < n && s[j] >= '0' && s[j] <= '9') {
            while (j < n && s[j] >= '0' && s[j] <= '9')
                ++j;
            i = j;
        }
    }
    bool ok = false;
    const double value = QByteArray(s, i).toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

void VLXItems::updateDOM()
{
    m_XMLFeed
        = std::make_unique<vlxXMLDOM>(QLatin1String("<?xml version=\"1.0\"?><rss>")
                                      + buildXML(QStringLiteral("    ")) + QLatin1String("</rss>"));
}

namespace {

// True when the text reads back from the written element exactly as it is: only characters XML
// allows, no carriage return (parsers turn it into a line feed), no "<" (a "<![CDATA[" inside
// would be unwrapped), no "]" (the best encoding may split a CDATA section there), and not
// white space alone.
bool readsBackUnchanged(const QString &text)
{
    bool onlySpace = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'<' || c == u']' || c == 0xFFFE || c == 0xFFFF)
            return false;
        if (c < 0x20 && c != u'\t' && c != u'\n')
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
        if (c != u' ' && c != u'\t' && c != u'\n')
            onlySpace = false;
    }
    return text.isEmpty() || !onlySpace;
}

} // namespace

std::optional<QString> VLXItems::coreSortText(const QString &field) const
{
    // Core elements come before every extension element, so a written core element is the
    // first child of its name; an unwritten one can only be met in an extension's raw XML,
    // which only listed and user-defined extensions hold without a prefix.
    const QString *value = nullptr;
    bool written = false;
    QString description;
    if (field == QLatin1String("title")) {
        value = &m_title;
        written = true;
    } else if (field == QLatin1String("description")) {
        description = descriptionElement();
        value = &description;
        written = true;
    } else if (field == QLatin1String("pubDate")) {
        value = &m_pubDate;
    } else if (field == QLatin1String("guid")) {
        value = &m_GUID;
    } else if (field == QLatin1String("author")) {
        value = &m_author;
    } else if (field == QLatin1String("source")) {
        value = &source();
    } else if (field == QLatin1String("category")) {
        if (!m_category.isEmpty())
            value = &m_category.first().categoryString();
        written = !m_category.isEmpty();
    } else {
        return std::nullopt;
    }
    if (value && !value->isEmpty())
        written = true;
    if (!written) {
        if (m_XMLExtensions->unknownExtensionUsed()
            || m_XMLExtensions->holdsListedNamespaces())
            return std::nullopt;
        return QStringLiteral("");
    }
    if (!readsBackUnchanged(*value))
        return std::nullopt;
    return *value;
}

bool VLXItems::sortTextForField(const QString &field, QString *text, bool shortcut)
{
    if (shortcut) {
        if (const std::optional<QString> core = coreSortText(field)) {
            *text = *core;
            return true;
        }
    }
    updateDOM();
    const vlxXMLNode *rss
        = m_XMLFeed->nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
    if (!rss)
        return false;
    const int count = vlxXMLDOM::numberOfChildren(rss);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, rss);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element
            || vlxXMLDOM::nameOfNode(child) != field)
            continue;
        *text = vlxXMLDOM::descriptionOfChildAtIndex(i, rss);
        return true;
    }
    return false;
}

void VLXItems::setSortStringToField(const QString &field)
{
    // A key left from an earlier sort by another element would put this item among the
    // items that have the element; an item without it sorts as "".
    setSortingString(QStringLiteral(""));
    QString text;
    if (sortTextForField(field, &text, true))
        setSortingString(text);
}

void VLXItems::setSortNumberToField(const QString &field)
{
    setSortingNumber(0);
    QString text;
    if (sortTextForField(field, &text, true))
        setSortingNumber(sortNumberForText(field, text));
}

double VLXItems::sortNumberForText(const QString &field, const QString &text)
{
    if (field == QLatin1String("pubDate"))
        return VLXLogic::InternetDateTime(text);
    if (field == QLatin1String("dc:date"))
        return VLXLogic::RDFInternetDateTime(text);
    if (field == QLatin1String("itunes:duration")) {
        double seconds = 0;
        for (const QString &part : VLXLogic::convertStringToHHMMSS(text).split(QLatin1Char(':')))
            seconds = seconds * 60 + leadingNumber(part);
        return seconds;
    }
    return leadingNumber(text);
}

QVariantMap VLXItems::findSortableTags() const
{
    QVariantMap catalogue = sortTags::coreSortTags();
    const QVariantMap extensions = m_XMLExtensions->findSortableTags();
    for (auto it = extensions.cbegin(); it != extensions.cend(); ++it)
        catalogue.insert(it.key(), it.value());
    return catalogue;
}
