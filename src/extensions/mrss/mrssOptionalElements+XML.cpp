// Reading and writing the optional elements, the media:adult repair and the checks.

#include "extensions/mrss/mrssOptionalElements.h"

#include "io/vlxXMLDOM.h"
#include "model/FeedElement.h"
#include "model/UTF8Writer.h"
#include "model/VLXLogic.h"

using namespace Qt::StringLiterals;

namespace {

using K = mrssOptionalElements;

// How an attribute is written: made a safe link, or XML-escaped.
enum class Out { Safe, Escaped };

struct Attribute
{
    const char *key; // "attributeURL"
    const char *xml; // "url"
    Out out;
    bool required; // written even when empty
};

struct KindForm
{
    bool content; // <e>text</e>; otherwise an empty element <e ... />
    bool readsText;
    std::initializer_list<Attribute> attributes;
};

const KindForm &formOf(int kind)
{
    static const KindForm forms[] = {
        {true, true, {{"attributeScheme", "scheme", Out::Safe, false}}},
        {true, true, {{"attributeType", "type", Out::Escaped, false}}},
        {true, true, {{"attributeType", "type", Out::Escaped, false}}},
        {true, true, {}},
        {false,
         false,
         {{"attributeURL", "url", Out::Safe, true},
          {"attributeHeight", "height", Out::Escaped, false},
          {"attributeWidth", "width", Out::Escaped, false},
          {"attributeTime", "time", Out::Escaped, false}}},
        {true,
         true,
         {{"attributeScheme", "scheme", Out::Safe, false},
          {"attributeLabel", "label", Out::Escaped, false}}},
        {true, true, {{"attributeAlgo", "algo", Out::Escaped, false}}},
        // The player's text is read and kept, never written.
        {false,
         true,
         {{"attributeURL", "url", Out::Safe, true},
          {"attributeHeight", "height", Out::Escaped, false},
          {"attributeWidth", "width", Out::Escaped, false}}},
        {true,
         true,
         {{"attributeRole", "role", Out::Escaped, false},
          {"attributeScheme", "scheme", Out::Safe, false}}},
        {true, true, {{"attributeURL", "url", Out::Safe, false}}},
        {true,
         true,
         {{"attributeType", "type", Out::Escaped, false},
          {"attributeLang", "lang", Out::Escaped, false},
          {"attributeStart", "start", Out::Escaped, false},
          {"attributeEnd", "end", Out::Escaped, false}}},
        {true,
         true,
         {{"attributeRelationship", "relationship", Out::Escaped, true},
          {"attributeType", "type", Out::Escaped, false}}},
    };
    return forms[kind];
}

void appendElement(UTF8Writer &out, const QString &indent, int kind, const QVariantMap &element)
{
    const KindForm &form = formOf(kind);
    const QLatin1StringView name(K::elementNames()[size_t(kind)]);
    out.append(indent);
    out.append("<media:"_L1);
    out.append(name);
    for (const Attribute &attribute : form.attributes) {
        const QString value = element.value(QLatin1String(attribute.key)).toString();
        if (value.isEmpty() && !attribute.required)
            continue;
        out.append(' ');
        out.append(QLatin1StringView(attribute.xml));
        out.append("=\""_L1);
        if (attribute.out == Out::Safe)
            out.append(VLXLogic::createSafeLink(value));
        else
            out.appendEscaped(value, VLXLogic::encodeApos());
        out.append('"');
    }
    if (!form.content) {
        out.append(" />\n"_L1);
        return;
    }
    out.append('>');
    out.appendEscaped(element.value(K::kTextKey).toString(), VLXLogic::encodeApos());
    out.append("</media:"_L1);
    out.append(name);
    out.append(">\n"_L1);
}

QString str(const QVariantMap &element, const char *key)
{
    return element.value(QLatin1String(key)).toString();
}

QString trimmedDecoded(const QString &text)
{
    return VLXLogic::decodeNumericEncodedCharacters(text).trimmed();
}

// "html" is what marks a text as markup; one that holds markup without it is repaired.
bool needsHTMLType(const QVariantMap &element)
{
    return element.value(QStringLiteral("attributeType")).toString() != QLatin1String("html")
        && VLXLogic::containsHTML(element.value(K::kTextKey).toString());
}

QVariantMap withHTMLType(QVariantMap element)
{
    element.insert(QStringLiteral("attributeType"), QStringLiteral("html"));
    return element;
}

void note(FeedElement *owner, const char *kind, const QString &text)
{
    if (!owner)
        return;
    owner->addObjectToListOfErrors(QLatin1String(kind) + "::"_L1 + text);
    if (qstrcmp(kind, "Automatic Repair") == 0)
        owner->incrementRepairCount();
    else
        owner->incrementWarnCount();
}

QString htmlRepair(const char *label)
{
    return QStringLiteral(
               "The Media RSS \"%1\" appears to  contain HTML, but was not labled as such.")
        .arg(QLatin1String(label));
}

} // namespace

// --- writing
// ---------------------------------------------------------------------------------------

QString mrssOptionalElements::buildXML(const QString &indent) const
{
    UTF8Writer out;
    appendXML(out, indent);
    return QString::fromUtf8(out.view());
}

void mrssOptionalElements::appendXML(UTF8Writer &out, const QString &indent) const
{
    if (m_adultUsed) {
        out.append(indent);
        out.append(m_adultValue ? "<media:adult>true</media:adult>\n"_L1
                                : "<media:adult>false</media:adult>\n"_L1);
    }
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (!m_used[size_t(kind)])
            continue;
        if (isSingle(kind)) {
            appendElement(out, indent, kind, m_single[size_t(kind)]);
            continue;
        }
        for (const QVariantMap &element : m_lists[size_t(kind)])
            appendElement(out, indent, kind, element);
    }
}

// --- reading
// ---------------------------------------------------------------------------------------

int mrssOptionalElements::parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return 0;
    const int position = int(fieldNames.indexOf(vlxXMLDOM::nameOfNode(node).toLower()));
    if (position < 0 || position > kAdultPosition)
        return 0;
    if (position == kAdultPosition) {
        m_adultValue = vlxXMLDOM::descriptionOfNode(node).trimmed().compare(QLatin1String("true"),
                                                                            Qt::CaseInsensitive)
            == 0;
        m_adultUsed = true;
        return 0;
    }
    const KindForm &form = formOf(position);
    QVariantMap element;
    element.insert(kTypeKey, position);
    if (form.readsText)
        element.insert(
            kTextKey,
            VLXLogic::decodeNumericEncodedCharacters(vlxXMLDOM::descriptionOfNode(node).trimmed()));
    for (const Attribute &attribute : form.attributes) {
        QString value
            = trimmedDecoded(vlxXMLDOM::attributeOfNode(node, QLatin1String(attribute.xml)));
        if (attribute.out == Out::Safe)
            value = VLXLogic::unescapeURLString(value);
        element.insert(QLatin1String(attribute.key), value);
    }
    if (isSingle(position))
        m_single[size_t(position)] = element;
    else
        m_lists[size_t(position)].append(element);
    m_used[size_t(position)] = true;
    return 0;
}

// --- repairs and checks
// ----------------------------------------------------------------------------

void mrssOptionalElements::finalProcessing()
{
    if (!m_adultUsed)
        return;
    bool simpleRating = false;
    if (m_used[kRating]) {
        for (const QVariantMap &rating : m_lists[kRating])
            simpleRating = simpleRating || str(rating, "attributeScheme") == "urn:simple"_L1;
    }
    if (!simpleRating) {
        QVariantMap rating;
        rating.insert(kTextKey,
                      m_adultValue ? QStringLiteral("adult") : QStringLiteral("nonadult"));
        rating.insert(QStringLiteral("attributeScheme"), QStringLiteral("urn:simple"));
        rating.insert(kTypeKey, int(kRating));
        m_lists[kRating].append(rating);
        m_used[kRating] = true;
    }
    m_adultUsed = false;
}

void mrssOptionalElements::validate(FeedElement *owner)
{
    if (isEmpty())
        return;
    const char *const repair = "Automatic Repair";
    const char *const warning = "Validate Warning";
    for (const int kind : {int(kTitle), int(kDescription)}) {
        if (m_used[size_t(kind)] && needsHTMLType(m_single[size_t(kind)])) {
            m_single[size_t(kind)] = withHTMLType(m_single[size_t(kind)]);
            note(owner, repair, htmlRepair(kind == kTitle ? "Title" : "Description"));
        }
    }
    for (const QVariantMap &keywords : m_lists[kKeywords]) {
        const QString text = keywords.value(kTextKey).toString();
        // The splits count on the text as it is, blanks at its ends included.
        if (!text.trimmed().isEmpty() && text.split(u',').size() < 2 && text.split(u' ').size() > 1)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Keywords\" should use commas to separate the "
                                "words or phrases"));
    }
    for (const QVariantMap &thumbnail : m_lists[kThumbnail]) {
        if (str(thumbnail, "attributeURL").trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral(
                     "The Media RSS \"Thumbnail\" requires a value in the \"url\" attribute"));
    }
    bool sha1Seen = false;
    bool otherSeen = false;
    for (const QVariantMap &hash : m_lists[kHash]) {
        const bool sha1 = str(hash, "attributeAlgo") == "sha1"_L1;
        bool &seen = sha1 ? sha1Seen : otherSeen;
        if (seen)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Hash\" can only have one entry for the \"%1\" "
                                "algorithm")
                     .arg(sha1 ? "SHA1"_L1 : "MD5"_L1));
        seen = true;
    }
    for (const QVariantMap &player : m_lists[kPlayer]) {
        if (str(player, "attributeURL").trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral(
                     "The Media RSS \"Player\" requires a value in the \"url\" attribute"));
    }
    QList<QVariantMap> &texts = m_lists[kText];
    for (QVariantMap &text : texts) {
        if (needsHTMLType(text)) {
            text = withHTMLType(text);
            note(owner, repair, htmlRepair("Text"));
        }
    }
    bool countrySeen = false;
    bool uriSeen = false;
    for (const QVariantMap &restriction : m_lists[kRestriction]) {
        if (str(restriction, "attributeRelationship").trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Restriction\" requires a value in the "
                                "\"relationship\" attribute"));
        const bool country = str(restriction, "attributeType") == "country"_L1;
        bool &seen = country ? countrySeen : uriSeen;
        if (seen)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Restriction\" can only have one entry for the "
                                "\"%1\" type")
                     .arg(country ? "Country"_L1 : "URI"_L1));
        seen = true;
    }
}
