#include "model/extensionNSName.h"

const QString extensionNSName::kUserDefined = QStringLiteral("User Defined");

namespace {
const QString kSeparator = QStringLiteral("||");

QString nonNull(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}
} // namespace

extensionNSName::extensionNSName()
    : m_extensionName(kUserDefined), m_DTDURL(QLatin1String(""))
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

QString extensionNSName::descriptionOfNamespace() const
{
    return makeDescription(extensionName(), DTDURL(), wellSupported());
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
    return QStringLiteral("%1 - %2")
            .arg(extensionNameFromDescription(description), DTDURLFromDescription(description));
}
