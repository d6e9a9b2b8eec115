#include "model/extensionNSImage.h"

#include "model/extensionSettings.h"

void extensionNSImage::populateWithDefaults(const QString &uniqueKey)
{
    Q_UNUSED(uniqueKey);
    const QString text
        = extensionSettings::globalText(QStringLiteral("FD_AF_IM_EX_Extensions"), extensionName());
    if (!text.isEmpty())
        setRawXML(text);
}
