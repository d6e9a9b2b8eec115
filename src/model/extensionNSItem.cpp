#include "model/extensionNSItem.h"

#include "model/extensionSettings.h"
#include "xml/vlxXMLDOM.h"

void extensionNSItem::populateWithDefaults(const QString &uniqueKey)
{
    if (!uniqueKey.isEmpty()) {
        const QString own = extensionSettings::feedText(QStringLiteral("FD_CF_IF_EX_Extensions"),
                                                        uniqueKey, extensionName());
        if (!own.isEmpty()) {
            setRawXML(own);
            return;
        }
    }
    const QString all
        = extensionSettings::globalText(QStringLiteral("FD_AF_IF_EX_Extensions"), extensionName());
    if (!all.isEmpty())
        setRawXML(all);
}

void extensionNSItem::validate(VLXFeed *feed, VLXItems *parent)
{
    Q_UNUSED(parent);
    validate(feed);
}

QVariantMap extensionNSItem::findSortableTags() const
{
    QVariantMap tags;
    vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><rss>%1</rss>")
                      .arg(buildXML(QStringLiteral("    "))));
    if (dom.xmlTree()) {
        const vlxXMLNode *rss = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
        const int count = vlxXMLDOM::numberOfChildren(rss);
        for (int i = 0; i < count; ++i) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, rss);
            if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
                continue;
            if (vlxXMLDOM::getElementValue(child).isEmpty())
                continue;
            // The tag is what follows the element's own prefix, whatever its length; a name
            // without a prefix is taken whole.
            const QString name = vlxXMLDOM::nameOfNode(child);
            const qsizetype colon = name.indexOf(u':');
            const QString tag = colon < 0 ? name : name.mid(colon + 1);
            if (tag.isEmpty())
                continue;
            QVariantMap record;
            record.insert(QStringLiteral("children"),
                          vlxXMLDOM::numberOfChildNodesAtIndex(i, rss) > 0);
            tags.insert(tag, record);
        }
    }
    QVariantMap entry;
    entry.insert(QStringLiteral("displayName"), displayName());
    entry.insert(QStringLiteral("DTDURL"), DTDURL());
    entry.insert(QStringLiteral("wellSupported"), false);
    entry.insert(QStringLiteral("sortTags"), tags);
    QVariantMap result;
    result.insert(extensionName(), entry);
    return result;
}
