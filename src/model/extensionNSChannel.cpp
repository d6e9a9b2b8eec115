#include "model/extensionNSChannel.h"

#include "model/extensionSettings.h"

void extensionNSChannel::populateWithDefaults(const QString &uniqueKey)
{
    Q_UNUSED(uniqueKey);
    const QString text
        = extensionSettings::globalText(QStringLiteral("FD_AF_FF_EX_Extensions"), extensionName());
    if (!text.isEmpty())
        setRawXML(text);
}

int extensionNSChannel::parseXMLNodeIfMineTI(const vlxXMLNode *node)
{
    Q_UNUSED(node);
    return 0;
}

QString extensionNSChannel::buildXMLTI(const QString &prefix) const
{
    Q_UNUSED(prefix);
    return QString();
}
