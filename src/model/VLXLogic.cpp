#include "model/VLXLogic.h"

#include "settings/VLXPreferences.h"
#include "xml/UTF8Writer.h"
#include "xml/XMLentities.h"

// Settings access and the RSS fragment builders and escapers. Links and GUIDs are in
// VLXLogic+Links.cpp, the text helpers in VLXLogic+Text.cpp, dates in VLXLogic+Dates.cpp and
// VLXLogic+DateRepair.cpp.

namespace {
// Joins the pieces of the arguments that are not exactly "" and a final blank piece.
QString attributeList(std::initializer_list<std::pair<const char16_t *, const QString *>> parts)
{
    QString result;
    for (const auto &[format, value] : parts) {
        if (value->isEmpty())
            continue;
        // Each format is `prefix%@suffix`; the value goes where the marker stands.
        const QStringView f(format);
        const qsizetype marker = f.indexOf(u"%@");
        result += f.left(marker);
        result += *value;
        result += f.mid(marker + 2);
        result += u' ';
    }
    result += u' ';
    return result;
}

bool isEscaped(char16_t c, bool apos)
{
    return c == u'&' || c == u'<' || c == u'>' || c == u'"' || (apos && c == u'\'');
}

// Number of characters the plain escaper replaces.
qsizetype escapeCount(QStringView text, bool apos)
{
    qsizetype count = 0;
    for (QChar c : text)
        count += isEscaped(c.unicode(), apos) ? 1 : 0;
    return count;
}

QString escape(const QString &text, bool apos, qsizetype count)
{
    if (count == 0)
        return text;
    QString out;
    out.reserve(text.size() + count * 5);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        case u'\'':
            if (apos)
                out += u"&apos;";
            else
                out += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

int digitValue(char16_t c, bool hex)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (hex && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (hex && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool isLegalXMLCharacter(uint value)
{
    return value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF);
}
} // namespace

void VLXLogic::setSettingReader(SettingReader reader)
{
    VLXPreferences::storeReader() = std::move(reader);
}

bool VLXLogic::encodeApos()
{
    static const QString key = QStringLiteral("EncodeApos");
    const auto &reader = VLXPreferences::storeReader();
    return reader && reader(key).toInt() != 0;
}

bool VLXLogic::encodeApos(const UTF8Writer &out)
{
    const std::optional<bool> chosen = out.encodesApos();
    return chosen ? *chosen : encodeApos();
}

QString VLXLogic::buildCategoryString(const QString &value, const QString &domain)
{
    return attributeList({{u"%@", &value}, {u"domain=\"%@\"", &domain}});
}

QString VLXLogic::buildCloudString(const QString &domain, const QString &port, const QString &path,
                                   const QString &regProc, const QString &protocol)
{
    return attributeList({{u"domain=\"%@\"", &domain},
                          {u"port=\"%@\"", &port},
                          {u"path=\"%@\"", &path},
                          {u"registerProcedure=\"%@\"", &regProc},
                          {u"protocol=\"%@\"", &protocol}});
}

QString VLXLogic::buildTextInputString(const QString &title, const QString &description,
                                       const QString &name, const QString &link)
{
    return attributeList({{u"title=\"%@\"", &title},
                          {u"description=\"%@\"", &description},
                          {u"name=\"%@\"", &name},
                          {u"link=\"%@\"", &link}});
}

QString VLXLogic::buildSourceString(const QString &source, const QString &url)
{
    return attributeList({{u"%@", &source}, {u"url=\"%@\"", &url}});
}

QString VLXLogic::buildEnclosureString(const QString &url, const QString &length,
                                       const QString &type)
{
    return attributeList(
        {{u"url=\"%@\"", &url}, {u"length=\"%@\"", &length}, {u"type=\"%@\"", &type}});
}

QString VLXLogic::buildSkipHoursString(const std::array<int, 24> &hours)
{
    QStringList listed;
    for (int hour = 0; hour < 24; ++hour) {
        if (hours[hour] != 0)
            listed.append(QString::number(hour));
    }
    return listed.isEmpty() ? QStringLiteral(" ") : listed.join(u',');
}

QString VLXLogic::buildSkipDaysString(const std::array<int, 7> &days)
{
    static const char *const names[7]
        = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    QStringList listed;
    for (int day = 0; day < 7; ++day) {
        if (days[day] != 0)
            listed.append(QLatin1String(names[day]));
    }
    return listed.isEmpty() ? QStringLiteral(" ") : listed.join(u',');
}

QString VLXLogic::buildGUIDString(const QString &guid, int isPerma)
{
    if (guid.isEmpty())
        return QStringLiteral(" ");
    return guid
        + (isPerma ? QStringLiteral(" isPermaLink=\"true\"")
                   : QStringLiteral(" isPermaLink=\"false\""));
}

QString VLXLogic::buildNameSpaceListString(const QStringList &declarations)
{
    QStringList prefixes;
    for (const QString &declaration : declarations) {
        // The prefix is the second part of the text before "=" split at ":", when it has
        // exactly two parts.
        const QString head = declaration.section(u'=', 0, 0);
        const QStringList parts = head.split(u':');
        prefixes.append(parts.size() == 2 ? parts.at(1) : QStringLiteral(""));
    }
    return prefixes.join(QStringLiteral(", "));
}

QString VLXLogic::encodeSpecialXMLChars(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("");
    const bool apos = encodeApos();
    return escape(text, apos, escapeCount(text, apos));
}

QString VLXLogic::encodeDescriptionWithBestEncoding(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("");
    const bool apos = encodeApos();
    const qsizetype count = escapeCount(text, apos);
    if (count <= 20)
        return escape(text, apos, count); // a "]]>" comes out as "]]&gt;"
    // In as many sections as the writer makes (a "]]>" inside split, a long text cut), so the
    // text reads back exactly.
    QString out = QStringLiteral("<![CDATA[");
    for (qsizetype from = 0;;) {
        const qsizetype end = UTF8Writer::cdataSectionEnd(text, from);
        out += QStringView(text).sliced(from, end - from);
        if (end == text.size())
            break;
        out += QStringLiteral("]]><![CDATA[");
        from = end;
    }
    return out + QStringLiteral("]]>");
}

QString VLXLogic::decodeNumericEncodedCharacters(const QString &text)
{
    return decodeNumericReferences(text, false);
}

QString VLXLogic::decodeNumericEncodedCharactersInHTML(const QString &text)
{
    return decodeNumericReferences(text, true);
}

QString VLXLogic::decodeNumericReferences(const QString &text, bool html)
{
    // "&#" found through its ampersand: ampersands are rare in text, and the single-character
    // search is the quick one.
    const auto nextReference = [](const QString &in, qsizetype from) {
        for (qsizetype at = in.indexOf(u'&', from); at >= 0; at = in.indexOf(u'&', at + 1)) {
            if (at + 1 < in.size() && in.at(at + 1) == u'#')
                return at;
        }
        return qsizetype(-1);
    };
    QString out = text;
    qsizetype at = nextReference(out, 0);
    while (at >= 0) {
        qsizetype next = at + 2;
        const qsizetype semicolon = out.indexOf(u';', at + 2);
        const qsizetype distance = semicolon - at;
        if (semicolon >= 0 && distance >= 4 && distance <= 7) {
            const bool hex = out.at(at + 2) == u'x' || out.at(at + 2) == u'X';
            const QStringView digits
                = QStringView(out).mid(at + (hex ? 3 : 2), semicolon - at - (hex ? 3 : 2));
            // Only plain digits of the base make a reference: no sign, nothing else, and the
            // value must be a character XML allows, so decoding never makes a document
            // ill-formed.
            bool ok = !digits.isEmpty();
            uint value = 0;
            for (QChar c : digits) {
                const int digit = digitValue(c.unicode(), hex);
                if (digit < 0) {
                    ok = false;
                    break;
                }
                value = value * (hex ? 16 : 10) + uint(digit);
            }
            // In HTML a reference to "&", "<", ">" or a quote is that character as text; decoded,
            // it would become markup (the reference to "&" followed by "lt;" would show as "<").
            const bool markup
                = value == '&' || value == '<' || value == '>' || value == '"' || value == '\'';
            if (ok && value <= 255 && isLegalXMLCharacter(value) && !(html && markup)) {
                out.replace(at, distance + 1, QChar(char16_t(XMLentities::htmlCharacter(value))));
                next = at + 1;
            }
        }
        at = nextReference(out, next);
    }
    return out;
}
