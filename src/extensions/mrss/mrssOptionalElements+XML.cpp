// Reading and writing the optional elements, the media:adult repair and the checks.

#include "extensions/mrss/mrssOptionalElements.h"

#include "extensions/OwnElementNames.h"
#include "io/VLXRSSWriter.h"
#include "model/FeedElement.h"
#include "model/VLXLogic.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

using K = mrssOptionalElements;

// How an attribute is written: made a safe link, or XML-escaped.
enum class Out { Safe, Escaped };

// Keys and names are shared strings: a dictionary entry or a look-up copies no text.
struct Attribute
{
    QString key; // "attributeURL"
    QString xml; // "url"
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
        {true, true, {{u"attributeScheme"_s, u"scheme"_s, Out::Safe, false}}},
        {true, true, {{u"attributeType"_s, u"type"_s, Out::Escaped, false}}},
        {true, true, {{u"attributeType"_s, u"type"_s, Out::Escaped, false}}},
        {true, true, {}},
        {false,
         false,
         {{u"attributeURL"_s, u"url"_s, Out::Safe, true},
          {u"attributeHeight"_s, u"height"_s, Out::Escaped, false},
          {u"attributeWidth"_s, u"width"_s, Out::Escaped, false},
          {u"attributeTime"_s, u"time"_s, Out::Escaped, false}}},
        {true,
         true,
         {{u"attributeScheme"_s, u"scheme"_s, Out::Safe, false},
          {u"attributeLabel"_s, u"label"_s, Out::Escaped, false}}},
        {true, true, {{u"attributeAlgo"_s, u"algo"_s, Out::Escaped, false}}},
        // The player's text is read and kept, never written.
        {false,
         true,
         {{u"attributeURL"_s, u"url"_s, Out::Safe, true},
          {u"attributeHeight"_s, u"height"_s, Out::Escaped, false},
          {u"attributeWidth"_s, u"width"_s, Out::Escaped, false}}},
        {true,
         true,
         {{u"attributeRole"_s, u"role"_s, Out::Escaped, false},
          {u"attributeScheme"_s, u"scheme"_s, Out::Safe, false}}},
        {true, true, {{u"attributeURL"_s, u"url"_s, Out::Safe, false}}},
        {true,
         true,
         {{u"attributeType"_s, u"type"_s, Out::Escaped, false},
          {u"attributeLang"_s, u"lang"_s, Out::Escaped, false},
          {u"attributeStart"_s, u"start"_s, Out::Escaped, false},
          {u"attributeEnd"_s, u"end"_s, Out::Escaped, false}}},
        {true,
         true,
         {{u"attributeRelationship"_s, u"relationship"_s, Out::Escaped, true},
          {u"attributeType"_s, u"type"_s, Out::Escaped, false}}},
    };
    return forms[kind];
}

void appendOpening(UTF8Writer &out, const QString &indent, QLatin1StringView name)
{
    out.append(indent);
    out.append("<media:"_L1);
    out.append(name);
}

void appendAttribute(UTF8Writer &out, const Attribute &attribute, QStringView value)
{
    if (value.isEmpty() && !attribute.required)
        return;
    out.append(' ');
    out.append(attribute.xml);
    out.append("=\""_L1);
    if (attribute.out == Out::Safe)
        VLXRSSWriter::appendSafeLink(out, value);
    else
        out.appendEscaped(value, VLXLogic::encodeApos(out));
    out.append('"');
}

void appendClosing(UTF8Writer &out, const KindForm &form, QLatin1StringView name, QStringView text)
{
    if (!form.content) {
        out.append(" />\n"_L1);
        return;
    }
    out.append('>');
    out.appendEscaped(text, VLXLogic::encodeApos(out));
    out.append("</media:"_L1);
    out.append(name);
    out.append(">\n"_L1);
}

// Whether each text of the element is written as it stands (a link needs no change, any other
// text no entity), as nearly all are: the element is then one measured line copied byte for byte.
bool isPlainElement(const KindForm &form, const K::Element &element)
{
    if (element.kept || (form.content && !UTF8Writer::isPlain(element.field(0))))
        return false;
    int index = 1;
    for (const Attribute &attribute : form.attributes) {
        const QStringView value = element.field(index++);
        if (!(attribute.out == Out::Safe ? VLXRSSWriter::isPlainLink(value)
                                         : UTF8Writer::isPlain(value)))
            return false;
    }
    return true;
}

void appendPlainElement(UTF8Writer &out, QStringView indent, const KindForm &form,
                        QLatin1StringView name, const K::Element &element)
{
    constexpr QLatin1StringView open("<media:");
    constexpr QLatin1StringView close("</media:");
    qsizetype size = indent.size() + open.size() + name.size();
    int index = 1;
    for (const Attribute &attribute : form.attributes) {
        const qsizetype length = element.field(index++).size();
        if (length > 0 || attribute.required)
            size += attribute.xml.size() + length + 4; // ' name="value"'
    }
    const QStringView text = element.field(0);
    size += form.content ? 1 + text.size() + close.size() + name.size() + 2 : 4;

    char *to = UTF8Writer::copyPlain(out.appendSpan(size), indent);
    to = UTF8Writer::copyPlain(UTF8Writer::copyPlain(to, open), name);
    index = 1;
    for (const Attribute &attribute : form.attributes) {
        const QStringView value = element.field(index++);
        if (value.isEmpty() && !attribute.required)
            continue;
        *to++ = ' ';
        to = UTF8Writer::copyPlain(to, attribute.xml);
        *to++ = '=';
        *to++ = '"';
        to = UTF8Writer::copyPlain(to, value);
        *to++ = '"';
    }
    if (!form.content) {
        UTF8Writer::copyPlain(to, " />\n"_L1);
        return;
    }
    *to++ = '>';
    to = UTF8Writer::copyPlain(to, text);
    to = UTF8Writer::copyPlain(UTF8Writer::copyPlain(to, close), name);
    UTF8Writer::copyPlain(to, ">\n"_L1);
}

void appendElement(UTF8Writer &out, const QString &indent, int kind, const K::Element &element)
{
    const KindForm &form = formOf(kind);
    const QLatin1StringView name(K::elementNames()[size_t(kind)]);
    if (isPlainElement(form, element) && UTF8Writer::isPlain(indent)) {
        appendPlainElement(out, indent, form, name, element);
        return;
    }
    appendOpening(out, indent, name);
    if (element.kept) {
        // Values of another type than text are written as their text.
        for (const Attribute &attribute : form.attributes)
            appendAttribute(out, attribute, element.dictionary.value(attribute.key).toString());
        appendClosing(out, form, name, element.dictionary.value(K::kTextKey).toString());
        return;
    }
    int index = 1;
    for (const Attribute &attribute : form.attributes)
        appendAttribute(out, attribute, element.field(index++));
    appendClosing(out, form, name, element.field(0));
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
    if (qstrcmp(kind, "Automatic Repair") == 0)
        owner->recordRepair(text);
    else
        owner->recordWarning(text);
}

QString htmlRepair(const char *label)
{
    return QStringLiteral(
               "The Media RSS \"%1\" appears to  contain HTML, but was not labled as such.")
        .arg(QLatin1String(label));
}

} // namespace

int mrssOptionalElements::fieldCount(int kind)
{
    return 1 + int(formOf(kind).attributes.size());
}

const QString &mrssOptionalElements::fieldKey(int kind, int index)
{
    return index == 0 ? kTextKey : (formOf(kind).attributes.begin() + (index - 1))->key;
}

// --- writing
// ---------------------------------------------------------------------------------------

QString mrssOptionalElements::buildXML(const QString &indent) const
{
    UTF8Writer out;
    appendXML(out, indent);
    return QString::fromUtf8(out.view());
}

QString mrssOptionalElements::deeper(const QString &indent)
{
    thread_local QString lastIndent;
    thread_local QString lastDeeper;
    if (lastIndent.isNull() || lastIndent.constData() != indent.constData()
        || lastIndent.size() != indent.size()) {
        if (lastIndent.isNull() || lastIndent != indent)
            lastDeeper = indent + QLatin1String("    ");
        lastIndent = indent;
    }
    return lastDeeper;
}

void mrssOptionalElements::appendXML(UTF8Writer &out, const QString &indent) const
{
    if (m_adultUsed) {
        out.append(indent);
        out.append(m_adultValue ? "<media:adult>true</media:adult>\n"_L1
                                : "<media:adult>false</media:adult>\n"_L1);
    }
    if (m_used == 0 || !m_kinds)
        return;
    const Kinds &k = *m_kinds;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (!(m_used & (1u << kind)))
            continue;
        if (isSingle(kind)) {
            appendElement(out, indent, kind, k.single[singlePlace(kind)]);
            continue;
        }
        for (const Element &element : k.lists[size_t(kind)])
            appendElement(out, indent, kind, element);
    }
}

// --- reading
// ---------------------------------------------------------------------------------------

int mrssOptionalElements::parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames)
{
    take(node, positionOf(node, fieldNames));
    return 0;
}

int mrssOptionalElements::positionOf(const vlxXMLNode *node, const QStringList &fieldNames)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return -1;
    // The element is the namespace's (its reader made sure): its local name tells the position.
    const qsizetype found
        = OwnElementNames::indexOfLocalName(vlxXMLDOM::nameOfNode(node), fieldNames);
    return found > kAdultPosition ? -1 : int(found);
}

bool mrssOptionalElements::holds(int position) const
{
    if (position == kAdultPosition)
        return m_adultUsed;
    return validKind(position) && isSingle(position) && used(position);
}

void mrssOptionalElements::take(const vlxXMLNode *node, int position)
{
    if (position < 0 || position > kAdultPosition)
        return;
    // The flag is the word the element holds with any markup around it taken away.
    if (position == kAdultPosition) {
        m_adultValue = vlxXMLDOM::textContentOfNode(node).trimmed().compare(QLatin1String("true"),
                                                                            Qt::CaseInsensitive)
            == 0;
        m_adultUsed = true;
        return;
    }
    const KindForm &form = formOf(position);
    std::array<QString, Element::kFieldCount> fields;
    // A text keeps markup around its words as text, as it reads when the feed escaped it; a
    // title or description holding it is marked as HTML when validated.
    if (form.readsText)
        fields[0] = VLXLogic::decodeNumericEncodedCharacters(
            vlxXMLDOM::descriptionOfNode(node).trimmed());
    int count = 1;
    for (const Attribute &attribute : form.attributes) {
        QString value = trimmedDecoded(vlxXMLDOM::attributeOfNode(node, attribute.xml));
        if (attribute.out == Out::Safe)
            value = VLXLogic::unescapeURLString(value);
        fields[size_t(count++)] = std::move(value);
    }
    qsizetype total = 0;
    for (const QString &field : fields)
        total += field.size();
    Element element;
    element.typed = true;
    if (form.readsText && total == fields[0].size()) {
        // The element's text is all it has (a title, say): taken as it is, copying nothing.
        element.texts = std::move(fields[0]);
        for (int index = 0; index < count; ++index)
            element.add(index, QStringView());
    } else {
        element.texts.reserve(total);
        for (int index = form.readsText ? 0 : 1; index < count; ++index)
            element.add(index, fields[size_t(index)]);
    }
    Kinds &k = changedKinds();
    if (isSingle(position))
        k.single[singlePlace(position)] = std::move(element);
    else
        k.lists[size_t(position)].append(std::move(element));
    setUsed(position, true);
}

// --- repairs and checks
// ----------------------------------------------------------------------------

void mrssOptionalElements::finalProcessing()
{
    if (!m_adultUsed)
        return;
    bool simpleRating = false;
    if (used(kRating)) {
        for (const Element &rating : kinds().lists[kRating])
            simpleRating
                = simpleRating || rating.text(kRating, u"attributeScheme"_s) == "urn:simple"_L1;
    }
    if (!simpleRating) {
        QVariantMap rating;
        rating.insert(kTextKey,
                      m_adultValue ? QStringLiteral("adult") : QStringLiteral("nonadult"));
        rating.insert(QStringLiteral("attributeScheme"), QStringLiteral("urn:simple"));
        rating.insert(kTypeKey, int(kRating));
        changedKinds().lists[kRating].append(Element::fromMap(kRating, rating));
        setUsed(kRating, true);
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
        if (used(kind) && needsHTMLType(value(kind))) {
            setValue(kind, withHTMLType(value(kind)));
            note(owner, repair, htmlRepair(kind == kTitle ? "Title" : "Description"));
        }
    }
    const QString urlKey = u"attributeURL"_s;
    for (const Element &keywords : kinds().lists[kKeywords]) {
        const QString text = keywords.text(kKeywords, kTextKey);
        // The splits count on the text as it is, blanks at its ends included.
        if (!text.trimmed().isEmpty() && text.split(u',').size() < 2 && text.split(u' ').size() > 1)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Keywords\" should use commas to separate the "
                                "words or phrases"));
    }
    for (const Element &thumbnail : kinds().lists[kThumbnail]) {
        if (thumbnail.text(kThumbnail, urlKey).trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral(
                     "The Media RSS \"Thumbnail\" requires a value in the \"url\" attribute"));
    }
    bool sha1Seen = false;
    bool otherSeen = false;
    for (const Element &hash : kinds().lists[kHash]) {
        const bool sha1 = hash.text(kHash, u"attributeAlgo"_s) == "sha1"_L1;
        bool &seen = sha1 ? sha1Seen : otherSeen;
        if (seen)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Hash\" can only have one entry for the \"%1\" "
                                "algorithm")
                     .arg(sha1 ? "SHA1"_L1 : "MD5"_L1));
        seen = true;
    }
    for (const Element &player : kinds().lists[kPlayer]) {
        if (player.text(kPlayer, urlKey).trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral(
                     "The Media RSS \"Player\" requires a value in the \"url\" attribute"));
    }
    for (qsizetype i = 0; i < kinds().lists[kText].size(); ++i) {
        const QVariantMap text = kinds().lists[kText].at(i).toMap(kText);
        if (needsHTMLType(text)) {
            changedKinds().lists[kText][i] = Element::fromMap(kText, withHTMLType(text));
            note(owner, repair, htmlRepair("Text"));
        }
    }
    bool countrySeen = false;
    bool uriSeen = false;
    for (const Element &restriction : kinds().lists[kRestriction]) {
        if (restriction.text(kRestriction, u"attributeRelationship"_s).trimmed().isEmpty())
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Restriction\" requires a value in the "
                                "\"relationship\" attribute"));
        const bool country = restriction.text(kRestriction, u"attributeType"_s) == "country"_L1;
        bool &seen = country ? countrySeen : uriSeen;
        if (seen)
            note(owner, warning,
                 QStringLiteral("The Media RSS \"Restriction\" can only have one entry for the "
                                "\"%1\" type")
                     .arg(country ? "Country"_L1 : "URI"_L1));
        seen = true;
    }
}
