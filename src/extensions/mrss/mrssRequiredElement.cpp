#include "extensions/mrss/mrssRequiredElement.h"

#include "io/vlxXMLDOM.h"
#include "model/TitledElement.h"
#include "model/UTF8Writer.h"
#include "model/VLXLogic.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

using namespace Qt::StringLiterals;

const QString mrssRequiredElement::kClassName = QStringLiteral("mrssRequiredElement");

namespace {

[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("mrssRequiredElement"), [] { return std::make_shared<mrssRequiredElement>(); });

const QString kValueKey = QStringLiteral("media:content Value");
const QString kElementsKey = QStringLiteral("Optional Elements");
const QString kPathKey = QStringLiteral("EnclosureLocalFilePath");
const QString kUploadKey = QStringLiteral("EnclosureLocalFileLastUpload");

// Every attribute key present, "" for those the given dictionary lacks.
QVariantMap completed(const QVariantMap &given)
{
    QVariantMap attributes = given;
    for (const auto &attribute : mrssRequiredElement::attributes()) {
        const QString key = QLatin1String(attribute.key);
        if (!attributes.contains(key))
            attributes.insert(key, QString(QLatin1String("")));
    }
    return attributes;
}

} // namespace

mrssRequiredElement::mrssRequiredElement()
    : m_attributes(completed({})), m_localPath(QLatin1String("")),
      m_lastUpload(TitledElement::neverUploaded())
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

QString mrssRequiredElement::attribute(const char *key) const
{
    return m_attributes.value(QLatin1String(key)).toString();
}

void mrssRequiredElement::setAttribute(const char *key, const QString &value)
{
    m_attributes.insert(QLatin1String(key), value.isNull() ? QString(QLatin1String("")) : value);
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

void mrssRequiredElement::appendXML(UTF8Writer &out, const QString &indent) const
{
    out.append(indent);
    out.append("<media:content"_L1);
    for (const Attribute &entry : attributes()) {
        const QString value = attribute(entry.key);
        if (value.isEmpty())
            continue;
        out.append(' ');
        out.append(QLatin1StringView(entry.xml));
        out.append("=\""_L1);
        // The url is made a safe link, which already writes its ampersands as entities.
        if (entry.key == attributes().front().key)
            out.append(VLXLogic::createSafeLink(value));
        else
            out.appendEscaped(value, VLXLogic::encodeApos());
        out.append('"');
    }
    if (m_elements.isEmpty()) {
        out.append(" />\n"_L1);
        return;
    }
    out.append(">\n"_L1);
    m_elements.appendXML(out, indent + QLatin1String("    "));
    out.append(indent);
    out.append("</media:content>\n"_L1);
}

int mrssRequiredElement::parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames,
                                            const QString &prefix)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element
        || vlxXMLDOM::nameOfNode(node).toLower() != prefix.toLower() + ":content"_L1)
        return 0;
    QVariantMap read;
    for (const Attribute &entry : attributes()) {
        QString value = VLXLogic::decodeNumericEncodedCharacters(
                            vlxXMLDOM::attributeOfNode(node, QLatin1String(entry.xml)))
                            .trimmed();
        if (entry.key == attributes().front().key)
            value = VLXLogic::unescapeURLString(value);
        read.insert(QLatin1String(entry.key), value);
    }
    m_attributes = read;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i)
        m_elements.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, node), fieldNames);
    return 0;
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
    return m_attributes == other.m_attributes && m_elements == other.m_elements
        && m_localPath == other.m_localPath && m_lastUpload == other.m_lastUpload;
}

// --- archiving
// -------------------------------------------------------------------------------------

void mrssRequiredElement::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeObject(m_attributes, kValueKey);
    coder.encodeObject(m_elements.toArchivable(), kElementsKey);
    coder.encodeString(m_localPath, kPathKey);
    coder.encodeObject(m_lastUpload, kUploadKey);
}

bool mrssRequiredElement::initWithCoder(const KeyedUnarchiver &coder)
{
    // Whatever the archive lacks stays at its start value.
    const QVariant attributes = coder.decodeObjectForKey(kValueKey);
    m_attributes = completed(attributes.typeId() == QMetaType::QVariantMap ? attributes.toMap()
                                                                           : QVariantMap());
    m_elements = mrssOptionalElements::fromArchivable(coder.decodeObjectForKey(kElementsKey));
    setLocalEnclosureFilePath(coder.decodeStringForKey(kPathKey));
    setLastUploaded(coder.decodeObjectForKey(kUploadKey).toDateTime());
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
