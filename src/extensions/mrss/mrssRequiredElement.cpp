#include "extensions/mrss/mrssRequiredElement.h"

#include "extensions/OwnElementNames.h"
#include "io/VLXRSSWriter.h"
#include "model/TitledElement.h"
#include "model/VLXLogic.h"
#include "model/extensionNSRaw.h"
#include "model/knownNamespaces.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "xml/NamespaceScope.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <algorithm>

using namespace Qt::StringLiterals;

const QString mrssRequiredElement::kClassName = QStringLiteral("mrssRequiredElement");

namespace {

[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("mrssRequiredElement"), [] { return std::make_shared<mrssRequiredElement>(); });

const QString kValueKey = QStringLiteral("media:content Value");
const QString kElementsKey = QStringLiteral("Optional Elements");
const QString kPathKey = QStringLiteral("EnclosureLocalFilePath");
const QString kUploadKey = QStringLiteral("EnclosureLocalFileLastUpload");
const QString kKeptKey = QStringLiteral("Kept Elements");
const QString kKeptAttributesKey = QStringLiteral("Kept Attributes");

// A column of the table (keys or XML names) as shared strings: a dictionary entry or a look-up
// copies no text.
std::array<QString, 14> column(const char *mrssRequiredElement::Attribute::*field)
{
    std::array<QString, 14> made;
    for (size_t i = 0; i < made.size(); ++i)
        made[i] = QString::fromLatin1(mrssRequiredElement::attributes()[i].*field);
    return made;
}

const std::array<QString, 14> &keyStrings()
{
    static const std::array<QString, 14> keys = column(&mrssRequiredElement::Attribute::key);
    return keys;
}

const std::array<QString, 14> &xmlNames()
{
    static const std::array<QString, 14> names = column(&mrssRequiredElement::Attribute::xml);
    return names;
}

// Whether an attribute's value as the document holds it reads as it stands: printable ASCII
// without a reference, and no blank at either end to trim.
bool isPlainValue(QByteArrayView value)
{
    if (value.isEmpty() || value.front() == ' ' || value.back() == ' ')
        return false;
    for (const char c : value) {
        if (c < 0x20 || c > 0x7E || c == '&')
            return false;
    }
    return true;
}

} // namespace

mrssRequiredElement::mrssRequiredElement()
    : m_localPath(QLatin1String("")), m_lastUpload(TitledElement::neverUploaded())
{
}

const std::array<mrssRequiredElement::Attribute, 14> &mrssRequiredElement::attributes()
{
    static const std::array<Attribute, 14> table = {{
        {"attributeURL", "url"},
        {"attributeFileSize", "fileSize"},
        {"attributeType", "type"},
        {"attributeMedium", "medium"},
        {"attributeIsDefault", "isDefault"},
        {"attributeExpression", "expression"},
        {"attributeBitRate", "bitrate"},
        {"attributeFrameRate", "framerate"},
        {"attributeSamplingRate", "samplingrate"},
        {"attributeChannels", "channels"},
        {"attributeDuration", "duration"},
        {"attributeHeight", "height"},
        {"attributeWidth", "width"},
        {"attributeLang", "lang"},
    }};
    return table;
}

int mrssRequiredElement::indexOf(const char *key)
{
    for (size_t i = 0; i < attributes().size(); ++i) {
        if (qstrcmp(attributes()[i].key, key) == 0)
            return int(i);
    }
    return -1;
}

QStringView mrssRequiredElement::value(size_t index) const
{
    const qsizetype start = index == 0 ? 0 : qsizetype(m_ends[index - 1]);
    return QStringView(m_texts).sliced(start, qsizetype(m_ends[index]) - start);
}

std::array<QString, mrssRequiredElement::kAttributeCount> mrssRequiredElement::values() const
{
    std::array<QString, kAttributeCount> all;
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = value(i).toString();
    return all;
}

void mrssRequiredElement::assign(const std::array<QString, kAttributeCount> &values)
{
    qsizetype length = 0;
    for (const QString &text : values)
        length += text.size();
    QString texts;
    texts.reserve(length);
    for (size_t i = 0; i < values.size(); ++i) {
        texts.append(values[i]);
        m_ends[i] = quint32(texts.size());
    }
    setTexts(texts);
}

void mrssRequiredElement::setTexts(const QString &texts)
{
    m_texts = texts;
    m_urlPlain = VLXRSSWriter::isPlainLink(value(0));
    m_plain = m_urlPlain && UTF8Writer::isPlain(QStringView(m_texts).sliced(m_ends[0]));
}

QString mrssRequiredElement::attribute(const char *key) const
{
    const int index = indexOf(key);
    return index < 0 ? QString() : value(size_t(index)).toString();
}

void mrssRequiredElement::setAttribute(const char *key, const QString &value)
{
    const int index = indexOf(key);
    if (index < 0)
        return;
    std::array<QString, kAttributeCount> all = values();
    all[size_t(index)] = value;
    assign(all);
    m_hasAttributes = true;
}

QVariantMap mrssRequiredElement::mediaContentElement() const
{
    QVariantMap map;
    if (!m_hasAttributes)
        return map;
    for (size_t i = 0; i < kAttributeCount; ++i) {
        const QString text = value(i).toString();
        map.insert(keyStrings()[i], text.isNull() ? QString(QLatin1String("")) : text);
    }
    return map;
}

void mrssRequiredElement::setMediaContentElement(const QVariantMap &attributes)
{
    m_hasAttributes = !attributes.isEmpty();
    std::array<QString, kAttributeCount> all;
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = attributes.value(keyStrings()[i]).toString();
    assign(all);
}

void mrssRequiredElement::setLocalEnclosureFilePath(const QString &path)
{
    m_localPath = path.isNull() ? QString(QLatin1String("")) : path;
}

void mrssRequiredElement::setLastUploaded(const QDateTime &date)
{
    m_lastUpload = date.isValid() ? date : TitledElement::neverUploaded();
}

// --- XML
// -------------------------------------------------------------------------------------------

QString mrssRequiredElement::buildXML(const QString &indent) const
{
    UTF8Writer out;
    appendXML(out, indent);
    return QString::fromUtf8(out.view());
}

namespace {

// ' fileSize="' and the like, made once.
const std::array<QByteArray, 14> &openings()
{
    static const std::array<QByteArray, 14> made = [] {
        std::array<QByteArray, 14> all;
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = ' ' + QByteArray(mrssRequiredElement::attributes()[i].xml) + "=\"";
        return all;
    }();
    return made;
}

} // namespace

void mrssRequiredElement::appendPlainXML(UTF8Writer &out, QStringView indent) const
{
    constexpr QLatin1StringView start("<media:content");
    constexpr QLatin1StringView end(" />\n");
    const std::array<QByteArray, kAttributeCount> &names = openings();
    qsizetype size = indent.size() + start.size() + end.size();
    qsizetype from = 0;
    for (size_t i = 0; i < kAttributeCount; ++i) {
        const qsizetype length = qsizetype(m_ends[i]) - from;
        if (length > 0)
            size += names[i].size() + length + 1;
        from = m_ends[i];
    }
    char *to = UTF8Writer::copyPlain(out.appendSpan(size), indent);
    to = UTF8Writer::copyPlain(to, start);
    from = 0;
    for (size_t i = 0; i < kAttributeCount; ++i) {
        const qsizetype length = qsizetype(m_ends[i]) - from;
        if (length > 0) {
            to = UTF8Writer::copyPlain(to, QLatin1StringView(names[i]));
            to = UTF8Writer::copyPlain(to, QStringView(m_texts).sliced(from, length));
            *to++ = '"';
        }
        from = m_ends[i];
    }
    UTF8Writer::copyPlain(to, end);
}

void mrssRequiredElement::appendXML(UTF8Writer &out, const QString &indent) const
{
    if (m_plain && !holdsChildren() && !m_keptAttributes && UTF8Writer::isPlain(indent)) {
        appendPlainXML(out, indent);
        return;
    }
    out.append(indent);
    out.append("<media:content"_L1);
    const bool apos = VLXLogic::encodeApos(out);
    // The url is made a safe link, which already writes its ampersands as entities; a link
    // outside Latin-1 keeps its quotes and angle brackets, which are escaped.
    if (const QStringView url = value(0); !url.isEmpty()) {
        out.append(" url=\""_L1);
        if (m_urlPlain)
            out.append(url);
        else
            VLXRSSWriter::appendSafeLink(out, url);
        out.append('"');
    }
    qsizetype start = m_ends[0];
    for (size_t i = 1; i < kAttributeCount; ++i) {
        const qsizetype end = qsizetype(m_ends[i]);
        if (end == start)
            continue;
        out.append(QLatin1StringView(openings()[i]));
        out.appendEscaped(QStringView(m_texts).sliced(start, end - start), apos);
        out.append('"');
        start = end;
    }
    if (m_keptAttributes) {
        // The element and its children stand under the media prefix: no kept attribute may
        // take it for another namespace.
        NamespaceScope scope(&knownNamespaces::canonicalURI);
        scope.bind(knownNamespaces::prefix(KnownNamespace::mediaRSS),
                   knownNamespaces::uri(KnownNamespace::mediaRSS));
        m_keptAttributes->appendXML(out, apos, scope);
    }
    if (!holdsChildren()) {
        out.append(" />\n"_L1);
        return;
    }
    out.append(">\n"_L1);
    const QString inner = mrssOptionalElements::deeper(indent);
    m_elements.appendXML(out, inner);
    if (m_kept)
        m_kept->appendKeptXML(out, inner);
    out.append(indent);
    out.append("</media:content>\n"_L1);
}

int mrssRequiredElement::parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames,
                                            const QString &prefix, extensionNSRaw &extension)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element
        || !OwnElementNames::hasLocalName(vlxXMLDOM::nameOfNode(node), QLatin1StringView("content")))
        return 0;
    // A value of printable ASCII without a reference or blanks at its ends is taken as it
    // stands, straight into the element's text: making a string of each value first would
    // leave a dozen holes per element among the feed's data.
    std::array<QByteArrayView, kAttributeCount> bytes;
    qsizetype length = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = vlxXMLDOM::attributeBytesOfNode(node, attributes()[i].xml);
        length += bytes[i].size();
    }
    QString texts;
    texts.reserve(length);
    int known = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        known += bytes[i].isNull() ? 0 : 1;
        if (isPlainValue(bytes[i])) {
            texts.append(QLatin1StringView(bytes[i]));
        } else if (!bytes[i].isEmpty()) {
            QString value = VLXLogic::decodeNumericEncodedCharacters(
                                vlxXMLDOM::attributeOfNode(node, xmlNames()[i]))
                                .trimmed();
            texts.append(i == 0 ? VLXLogic::unescapeURLString(value) : value);
        }
        m_ends[i] = quint32(texts.size());
    }
    setTexts(texts);
    m_hasAttributes = true;
    // Nearly every element has only attributes of the fourteen: the others are looked for only
    // when there are more attributes than those found.
    m_keptAttributes.reset();
    if (vlxXMLDOM::numberOfAttributes(node) > known)
        setKeptAttributes(KeptAttributes::ofNode(node, [](const QString &name) {
            return std::find(xmlNames().begin(), xmlNames().end(), name) != xmlNames().end();
        }));
    // The set holds a title, a description and a copyright once: a second one is kept, as is
    // any element the set does not take.
    std::shared_ptr<extensionNSRaw> kept;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        const int position
            = OwnElementNames::isInNamespace(child, node, KnownNamespace::mediaRSS, prefix)
            ? mrssOptionalElements::positionOf(child, fieldNames)
            : -1;
        if (position >= 0 && !m_elements.holds(position)) {
            m_elements.take(child, position);
            continue;
        }
        if (!kept)
            kept = keeper(extension.extensionName(), extension.extensionProcessingName());
        kept->keepUnreadElement(child, extension);
    }
    m_kept = std::move(kept);
    return 0;
}

std::shared_ptr<extensionNSRaw> mrssRequiredElement::keeper(const QString &name,
                                                            const QString &processingName)
{
    auto made = std::make_shared<extensionNSRaw>();
    made->setExtensionName(name);
    made->setExtensionProcessingName(processingName);
    return made;
}

QString mrssRequiredElement::keptXML() const
{
    return m_kept ? m_kept->rawXML() : QString();
}

void mrssRequiredElement::setKeptXML(const QString &xml)
{
    if (xml.isEmpty()) {
        m_kept.reset();
        return;
    }
    // Elements kept are always written under the namespace's own prefix.
    const QString media = QStringLiteral("media");
    auto made = keeper(media, media);
    made->setRawXML(xml);
    m_kept = std::move(made);
}

KeptAttributes mrssRequiredElement::keptAttributes() const
{
    return m_keptAttributes ? *m_keptAttributes : KeptAttributes();
}

void mrssRequiredElement::setKeptAttributes(const KeptAttributes &attributes)
{
    if (attributes.isEmpty())
        m_keptAttributes.reset();
    else
        m_keptAttributes = std::make_shared<const KeptAttributes>(attributes);
}

void mrssRequiredElement::validate(FeedElement *owner)
{
    if (!isEmpty())
        m_elements.validate(owner);
}

// --- table texts
// -----------------------------------------------------------------------------------

namespace {

// One rate: the bit rate hides the frame rate, which hides the sampling rate.
QString rateOf(const mrssRequiredElement &element)
{
    if (const QString rate = element.attribute("attributeBitRate"); !rate.isEmpty())
        return rate + "kb/s"_L1;
    if (const QString rate = element.attribute("attributeFrameRate"); !rate.isEmpty())
        return rate + "fps"_L1;
    if (const QString rate = element.attribute("attributeSamplingRate"); !rate.isEmpty())
        return rate + "kHz"_L1;
    return QString();
}

QString urlPart(const mrssRequiredElement &element)
{
    const QString url = element.attribute("attributeURL");
    const QString size = element.attribute("attributeFileSize");
    return size.isEmpty() ? url : QStringLiteral("%1 (%2 bytes)").arg(url, size);
}

} // namespace

QString mrssRequiredElement::objectShortDescription() const
{
    QStringList details;
    if (attribute("attributeIsDefault") == "true"_L1)
        details.append(QStringLiteral("Default"));
    if (const QString type = attribute("attributeType"); !type.isEmpty())
        details.append(type);
    if (const QString rate = rateOf(*this); !rate.isEmpty())
        details.append(rate);
    const QString height = attribute("attributeHeight");
    const QString width = attribute("attributeWidth");
    if (!height.isEmpty() && !width.isEmpty())
        details.append(width + u'x' + height);
    if (const QString duration = attribute("attributeDuration"); !duration.isEmpty())
        details.append(duration + " sec"_L1);
    const QString nested
        = m_elements.isEmpty() ? QString() : QStringLiteral("[%1]").arg(m_elements.elementsUsed());
    if (!attribute("attributeURL").isEmpty()) {
        if (!nested.isEmpty())
            details.append(nested);
        return urlPart(*this) + u'\n' + details.join(", "_L1);
    }
    return details.join(", "_L1) + u'\n' + nested;
}

QString mrssRequiredElement::objectLongDescription() const
{
    QStringList details;
    if (const QString type = attribute("attributeType"); !type.isEmpty())
        details.append(type);
    if (const QString rate = rateOf(*this); !rate.isEmpty())
        details.append(rate);
    if (const QString duration = attribute("attributeDuration"); !duration.isEmpty())
        details.append(duration);
    if (!m_elements.isEmpty())
        details.append(QStringLiteral("[%1]").arg(m_elements.elementsUsed()));
    const QString url = attribute("attributeURL").isEmpty() ? QString() : urlPart(*this);
    return url + details.join(", "_L1);
}

bool mrssRequiredElement::operator==(const mrssRequiredElement &other) const
{
    return m_hasAttributes == other.m_hasAttributes && m_texts == other.m_texts
        && m_ends == other.m_ends && m_elements == other.m_elements
        && m_localPath == other.m_localPath && m_lastUpload == other.m_lastUpload
        && keptXML() == other.keptXML() && keptAttributes() == other.keptAttributes();
}

// --- archiving
// -------------------------------------------------------------------------------------

void mrssRequiredElement::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeObject(mediaContentElement(), kValueKey);
    coder.encodeObject(m_elements.toArchivable(), kElementsKey);
    coder.encodeString(m_localPath, kPathKey);
    coder.encodeObject(m_lastUpload, kUploadKey);
    if (m_kept)
        coder.encodeString(m_kept->rawXML(), kKeptKey);
    if (m_keptAttributes)
        coder.encodeObject(m_keptAttributes->toList(), kKeptAttributesKey);
}

bool mrssRequiredElement::initWithCoder(const KeyedUnarchiver &coder)
{
    // Whatever the archive lacks stays at its start value.
    // Whatever keys the archive lacks read as "".
    const QVariant attributes = coder.decodeObjectForKey(kValueKey);
    setMediaContentElement(attributes.typeId() == QMetaType::QVariantMap ? attributes.toMap()
                                                                         : QVariantMap());
    m_hasAttributes = true;
    m_elements = mrssOptionalElements::fromArchivable(coder.decodeObjectForKey(kElementsKey));
    setLocalEnclosureFilePath(coder.decodeStringForKey(kPathKey));
    setLastUploaded(coder.decodeObjectForKey(kUploadKey).toDateTime());
    setKeptXML(coder.decodeStringForKey(kKeptKey));
    setKeptAttributes(
        KeptAttributes::fromList(coder.decodeObjectForKey(kKeptAttributesKey).toStringList()));
    return true;
}

QVariantList mrssRequiredElement::toArchivable(const QList<mrssRequiredElement> &list)
{
    QVariantList objects;
    objects.reserve(list.size());
    for (const mrssRequiredElement &element : list)
        objects.append(KeyedArchivable::toVariant(std::make_shared<mrssRequiredElement>(element)));
    return objects;
}

QList<mrssRequiredElement> mrssRequiredElement::fromArchivable(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QList<mrssRequiredElement>>())
        return value.value<QList<mrssRequiredElement>>();
    QList<mrssRequiredElement> list;
    for (const QVariant &entry : value.toList()) {
        if (const auto element = KeyedArchivable::objectAs<mrssRequiredElement>(entry))
            list.append(*element);
    }
    return list;
}
