#include "extensions/cc/CreativeCommonsLicences.h"

#include "model/VLXLogic.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSItem.h"
#include "xml/vlxXMLDOM.h"

template<class Place>
QStringList CreativeCommonsLicences<Place>::invalidLicenseMessages(const QStringList &list)
{
    QStringList messages;
    for (const QString &url : list) {
        if (url.trimmed().isEmpty() || VLXLogic::checkURL(url))
            continue;
        // The entry as stored, so the user finds it in the table.
        messages << QStringLiteral("The Creative Commons License URL, \"%1\" does not appear to "
                                   "be valid")
                        .arg(url);
    }
    return messages;
}

template<class Place>
void CreativeCommonsLicences<Place>::parseCustom(int field, const vlxXMLNode *node)
{
    if (field != kLicense)
        return;
    QString url = VLXLogic::decodeNumericEncodedCharacters(this->textOrResource(node));
    // An empty element is kept as an empty entry: the table shows what the document held.
    addLicenseString(VLXLogic::unescapeURLString(url).trimmed());
}

template<class Place>
QString CreativeCommonsLicences<Place>::buildCustom(int field, const QString &prefix) const
{
    QString xml;
    if (field != kLicense)
        return xml;
    // Always the canonical element name, whatever prefix the document was read with.
    for (const QString &url : m_license) {
        if (url.isEmpty())
            continue;
        xml += prefix + QLatin1String("<creativeCommons:license>") + VLXLogic::createSafeLink(url)
            + QLatin1String("</creativeCommons:license>\n");
    }
    return xml;
}

template class CreativeCommonsLicences<extensionNSChannel>;
template class CreativeCommonsLicences<extensionNSItem>;
