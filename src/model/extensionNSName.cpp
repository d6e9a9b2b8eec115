#include "model/extensionNSName.h"

#include "model/VLXUnoverriddenMethod.h"
#include "settings/NamespaceDescription.h"

const QString &extensionNSName::kUserDefined = NamespaceDescription::kUserDefined;

namespace {
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
    return NamespaceDescription::make(prefix, url, wellSupported);
}

QString extensionNSName::makeDescription(const QString &prefix, const QString &url,
                                         bool wellSupported, const QString &displayName)
{
    return NamespaceDescription::make(prefix, url, wellSupported, displayName);
}

QString extensionNSName::extensionNameFromDescription(const QString &description)
{
    return NamespaceDescription::extensionName(description);
}

QString extensionNSName::DTDURLFromDescription(const QString &description)
{
    return NamespaceDescription::DTDURL(description);
}

bool extensionNSName::wellSupportedFromDescription(const QString &description)
{
    return NamespaceDescription::wellSupported(description);
}

QString extensionNSName::displayDescriptionFromDescription(const QString &description)
{
    return NamespaceDescription::displayDescription(description);
}
