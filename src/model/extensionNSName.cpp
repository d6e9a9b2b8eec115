#include "model/extensionNSName.h"

#include "model/VLXUnoverriddenMethod.h"

const QString extensionNSName::kUserDefined = QStringLiteral("User Defined");

namespace {
const QString kSeparator = QStringLiteral("||");
const QString kClassName = QStringLiteral("extensionNSName");

QString nonNull(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}
} // namespace

extensionNSName::extensionNSName()
    : m_extensionName(kUserDefined), m_DTDURL(QLatin1String("")),
      m_extensionProcessingName(QLatin1String(""))
{
}

void extensionNSName::setExtensionName(const QString &name)
{
    m_extensionName = nonNull(name);
}

void extensionNSName::setDTDURL(const QString &url)
{
    m_DTDURL = nonNull(url);
}

void extensionNSName::setExtensionProcessingName(const QString &name)
{
    m_extensionProcessingName = nonNull(name);
}

QString extensionNSName::descriptionOfNamespace() const
{
    return makeDescription(extensionName(), DTDURL(), wellSupported());
}

bool extensionNSName::isEqualToNamespace(const extensionNSName &other) const
{
    return extensionName() == other.extensionName() && DTDURL() == other.DTDURL();
}

std::unique_ptr<FeedElement> extensionNSName::clone() const
{
    std::unique_ptr<extensionNSName> copy(new extensionNSName(*this));
    copy->copyIdentityFrom(*this);
    return copy;
}

void extensionNSName::copyIdentityFrom(const extensionNSName &source)
{
    setFieldNames(source.fieldNames());
    setExtensionName(source.extensionName());
    setExtensionProcessingName(source.extensionProcessingName());
    setDTDURL(source.DTDURL());
    m_wellSupported = source.wellSupported();
}

void extensionNSName::encodeWithCoder(QVariantMap &coder) const
{
    FeedElement::encodeWithCoder(coder);
    coder.insert(QStringLiteral("ExtensionName"), m_extensionName);
    coder.insert(QStringLiteral("ExtensionProcessingName"), m_extensionProcessingName);
    coder.insert(QStringLiteral("DTDURL"), m_DTDURL);
    coder.insert(QStringLiteral("wellSupported"), m_wellSupported ? 1 : 0);
    coder.insert(QStringLiteral("FieldNames"), m_fieldNames);
}

void extensionNSName::initWithCoder(const QVariantMap &coder)
{
    FeedElement::initWithCoder(coder);
    m_extensionName = coder.value(QStringLiteral("ExtensionName")).toString();
    m_extensionProcessingName = coder.value(QStringLiteral("ExtensionProcessingName")).toString();
    m_DTDURL = coder.value(QStringLiteral("DTDURL")).toString();
    m_wellSupported = coder.value(QStringLiteral("wellSupported")).toInt() != 0;
    m_fieldNames = coder.value(QStringLiteral("FieldNames")).toStringList();
}

QString extensionNSName::classExtensionName()
{
    VLXUnoverriddenMethod::raise(kClassName, QStringLiteral("+ (NSString *)extensionNames"));
}

QString extensionNSName::classDTDURL()
{
    VLXUnoverriddenMethod::raise(kClassName, QStringLiteral("+ (NSString *)DTDURL"));
}

QString extensionNSName::classDescriptionOfNamespace()
{
    VLXUnoverriddenMethod::raise(kClassName,
                                 QStringLiteral("+ (NSString *)descriptionOfNamespace"));
}

QString extensionNSName::classDescriptionOfNamespaceShort()
{
    VLXUnoverriddenMethod::raise(kClassName,
                                 QStringLiteral("+ (NSString *)descriptionOfNamespaceShort"));
}

QString extensionNSName::makeDescription(const QString &prefix, const QString &url,
                                         bool wellSupported)
{
    return prefix + kSeparator + url + kSeparator + (wellSupported ? u'1' : u'0') + kSeparator;
}

QString extensionNSName::makeDescription(const QString &prefix, const QString &url,
                                         bool wellSupported, const QString &displayName)
{
    return makeDescription(prefix, url, wellSupported) + displayName + kSeparator;
}

QStringList extensionNSName::splitDescription(const QString &description)
{
    if (description.isNull())
        return {};
    // Adjacent separators give empty parts and the final separator gives a last empty part.
    return description.split(kSeparator, Qt::KeepEmptyParts);
}

QString extensionNSName::extensionNameFromDescription(const QString &description)
{
    const QStringList parts = splitDescription(description);
    return parts.size() < 4 ? QString(QLatin1String("")) : parts.at(0);
}

QString extensionNSName::DTDURLFromDescription(const QString &description)
{
    const QStringList parts = splitDescription(description);
    return parts.size() < 4 ? QString(QLatin1String("")) : parts.at(1);
}

bool extensionNSName::wellSupportedFromDescription(const QString &description)
{
    const QStringList parts = splitDescription(description);
    if (parts.size() < 4)
        return false;
    // The integer value of the leading decimal digits (after optional blanks and sign).
    const QString &flag = parts.at(2);
    qsizetype i = 0;
    while (i < flag.size() && flag.at(i).isSpace())
        ++i;
    if (i < flag.size() && (flag.at(i) == u'+' || flag.at(i) == u'-'))
        ++i;
    bool nonZero = false;
    for (; i < flag.size() && flag.at(i) >= u'0' && flag.at(i) <= u'9'; ++i) {
        if (flag.at(i) != u'0')
            nonZero = true;
    }
    return nonZero;
}

QString extensionNSName::displayDescriptionFromDescription(const QString &description)
{
    const QStringList parts = splitDescription(description);
    if (parts.size() > 4)
        return parts.at(3);
    return QStringLiteral("%1 - %2").arg(extensionNameFromDescription(description),
                                         DTDURLFromDescription(description));
}
