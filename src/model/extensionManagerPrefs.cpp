#include "model/extensionManagerPrefs.h"

#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

extensionManagerPrefs::extensionManagerPrefs()
    : m_unknown(makePrefs(knownNamespaces::kUserDefined, QString()))
{
    setUnknownExtensionUsed(true);
}

extensionManagerPrefs::extensionManagerPrefs(const extensionManagerPrefs &other)
    : baseExtensionManager(other),
      m_unknown(std::static_pointer_cast<extensionNSPrefs>(other.m_unknown->copyExtension()))
{
}

std::unique_ptr<extensionManagerPrefs> extensionManagerPrefs::copy() const
{
    return std::unique_ptr<extensionManagerPrefs>(new extensionManagerPrefs(*this));
}

extensionManagerPrefs::PrefsRef extensionManagerPrefs::makePrefs(const QString &name,
                                                                 const QString &uri) const
{
    auto prefs = std::make_shared<extensionNSPrefs>();
    prefs->setExtensionName(name);
    prefs->setDTDURL(uri);
    return prefs;
}

void extensionManagerPrefs::setUnknownExtension(const PrefsRef &extension)
{
    if (!extension || extension == m_unknown)
        return;
    m_unknown = std::static_pointer_cast<extensionNSPrefs>(extension->copyExtension());
}

baseExtensionManager::ExtensionRef extensionManagerPrefs::extensionAtIndex(int pos) const
{
    const QList<ExtensionRef> &list = notWellSupportedArray();
    if (pos >= 0 && pos < list.size())
        return list.at(pos);
    return m_unknown;
}

baseExtensionManager::ExtensionRef extensionManagerPrefs::extensionNamed(const QString &name) const
{
    if (const ExtensionRef listed = firstListedNamed(name))
        return listed;
    if (unknownExtensionUsed() && m_unknown->extensionName() == name)
        return m_unknown;
    return nullptr;
}

void extensionManagerPrefs::createExtensionWithNamespace(const QString &name, const QString &dtd)
{
    if (name == knownNamespaces::kUserDefined) {
        setUnknownExtensionUsed(true);
        m_unknown = makePrefs(knownNamespaces::kUserDefined, QString());
        return;
    }
    // A default without a prefix could never be written anywhere.
    if (name.isEmpty())
        return;
    appendListed(makePrefs(name, dtd));
}

QList<baseExtensionManager::ExtensionRef> extensionManagerPrefs::arrayOfExtensions() const
{
    QList<ExtensionRef> list = notWellSupportedArray();
    if (unknownExtensionUsed())
        list.append(m_unknown);
    return list;
}

QStringList extensionManagerPrefs::arrayOfExtensionNames() const
{
    QStringList names;
    for (const ExtensionRef &extension : arrayOfExtensions())
        names.append(extension->extensionName());
    return names;
}

QStringList extensionManagerPrefs::arrayOfExtensionDescriptions() const
{
    QStringList descriptions;
    for (const ExtensionRef &extension : arrayOfExtensions())
        descriptions.append(extension->descriptionOfNamespace());
    return descriptions;
}

int extensionManagerPrefs::parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner)
{
    Q_UNUSED(owner);
    const QStringList parts = vlxXMLDOM::nameOfNode(node).split(u':');
    if (parts.size() > 1) {
        if (const ExtensionRef listed = firstListedNamed(parts.at(0)))
            return listed->parseXMLNodeIfMine(node);
    }
    setUnknownExtensionUsed(true);
    return m_unknown->parseXMLNodeIfMine(node);
}

QString extensionManagerPrefs::buildXML(const QString &prefix) const
{
    UTF8Writer out;
    appendXML(out, prefix);
    return QString::fromUtf8(out.view());
}

void extensionManagerPrefs::appendXML(UTF8Writer &out, const QString &prefix) const
{
    for (const ExtensionRef &listed : notWellSupportedArray())
        listed->appendXML(out, prefix);
    m_unknown->appendXML(out, prefix);
}

void extensionManagerPrefs::deleteExtensionNamed(const QString &val)
{
    if (val == knownNamespaces::kUserDefined) {
        if (unknownExtensionUsed()) {
            setUnknownExtensionUsed(false);
            m_unknown = makePrefs(knownNamespaces::kUserDefined, QString());
        }
        return;
    }
    static const QList<KnownNamespace> kFlagged
        = {KnownNamespace::iTunes, KnownNamespace::contentEncoded, KnownNamespace::syndication,
           KnownNamespace::creativeCommons, KnownNamespace::microsoftCF};
    for (KnownNamespace ns : kFlagged) {
        if (val == knownNamespaces::prefix(ns)) {
            if (extensionUsed(ns))
                setExtensionUsed(ns, false);
            return;
        }
    }
    removeFirstListedNamed(val);
}
