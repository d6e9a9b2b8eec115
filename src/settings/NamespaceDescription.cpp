#include "settings/NamespaceDescription.h"

const QString NamespaceDescription::kUserDefined = QStringLiteral("User Defined");

namespace {
const QString kSeparator = QStringLiteral("||");
} // namespace

QString NamespaceDescription::make(const QString &prefix, const QString &url, bool wellSupported)
{
    return prefix + kSeparator + url + kSeparator + (wellSupported ? u'1' : u'0') + kSeparator;
}

QString NamespaceDescription::make(const QString &prefix, const QString &url, bool wellSupported,
                                   const QString &displayName)
{
    return make(prefix, url, wellSupported) + displayName + kSeparator;
}

QStringList NamespaceDescription::split(const QString &description)
{
    if (description.isNull())
        return {};
    // Adjacent separators give empty parts and the final separator gives a last empty part.
    return description.split(kSeparator, Qt::KeepEmptyParts);
}

QString NamespaceDescription::extensionName(const QString &description)
{
    const QStringList parts = split(description);
    return parts.size() < 4 ? QString(QLatin1String("")) : parts.at(0);
}

QString NamespaceDescription::DTDURL(const QString &description)
{
    const QStringList parts = split(description);
    return parts.size() < 4 ? QString(QLatin1String("")) : parts.at(1);
}

bool NamespaceDescription::wellSupported(const QString &description)
{
    const QStringList parts = split(description);
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

QString NamespaceDescription::displayDescription(const QString &description)
{
    const QStringList parts = split(description);
    if (parts.size() > 4)
        return parts.at(3);
    return QStringLiteral("%1 - %2").arg(extensionName(description), DTDURL(description));
}
