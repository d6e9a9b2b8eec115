#include "model/placedExtensionManager.h"

#include "io/vlxXMLDOM.h"
#include "model/FeedElement.h"
#include "model/extensionFactory.h"
#include "model/extensionManagerScope.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"
#include "model/extensionSettings.h"

placedExtensionManager::placedExtensionManager(ExtensionPlace place)
    : m_place(place), m_unknown(makeRaw(knownNamespaces::kUserDefined, QString()))
{
    setListens(true);
}

placedExtensionManager::placedExtensionManager(const placedExtensionManager &other)
    : baseExtensionManager(other), m_place(other.m_place)
{
    for (size_t i = 0; i < m_known.size(); ++i) {
        if (other.m_known[i])
            m_known[i] = other.m_known[i]->copyExtension();
    }
    m_unknown = other.m_unknown ? other.m_unknown->copyExtension()
                                : makeRaw(knownNamespaces::kUserDefined, QString());
}

baseExtensionManager::ExtensionRef placedExtensionManager::makeRaw(const QString &name,
                                                                   const QString &uri) const
{
    ExtensionRef raw;
    switch (m_place) {
    case ExtensionPlace::Channel:
        raw = std::make_shared<extensionNSChannel>();
        break;
    case ExtensionPlace::Item:
        raw = std::make_shared<extensionNSItem>();
        break;
    case ExtensionPlace::Image:
    case ExtensionPlace::Prefs:
        raw = std::make_shared<extensionNSImage>();
        break;
    }
    raw->setExtensionName(name);
    raw->setDTDURL(uri);
    return raw;
}

bool placedExtensionManager::extensionUsed(KnownNamespace ns) const
{
    return knownNamespaces::existsAt(ns, m_place) && baseExtensionManager::extensionUsed(ns);
}

baseExtensionManager::ExtensionRef placedExtensionManager::knownExtension(KnownNamespace ns) const
{
    return m_known[static_cast<size_t>(ns)];
}

void placedExtensionManager::setKnownExtension(KnownNamespace ns, const ExtensionRef &extension)
{
    ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
    if (slot == extension)
        return;
    slot = extension ? extension->copyExtension() : nullptr;
}

void placedExtensionManager::setUnknownExtension(const ExtensionRef &extension)
{
    if (m_unknown == extension || !extension)
        return;
    m_unknown = extension->copyExtension();
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::usedKnownExtensions() const
{
    QList<ExtensionRef> list;
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        const ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
        if (slot && extensionUsed(ns))
            list.append(slot);
    }
    return list;
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::walk(bool userDefinedAlways) const
{
    QList<ExtensionRef> list = usedKnownExtensions();
    list.append(notWellSupportedArray());
    if (userDefinedAlways || unknownExtensionUsed())
        list.append(m_unknown);
    return list;
}

void placedExtensionManager::deactivate()
{
    for (const ExtensionRef &extension : walk(true))
        extension->deactivate();
}

baseExtensionManager::ExtensionRef placedExtensionManager::extensionAtIndex(int pos) const
{
    QList<ExtensionRef> list = usedKnownExtensions();
    list.append(notWellSupportedArray());
    // Any position past the list gives the user-defined extension, in use or not.
    if (pos >= 0 && pos < list.size())
        return list.at(pos);
    return m_unknown;
}

int placedExtensionManager::countOfExtensions() const
{
    return int(walk(false).size());
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::arrayOfExtensions() const
{
    return walk(false);
}

QStringList placedExtensionManager::arrayOfExtensionNames() const
{
    QStringList names;
    for (const ExtensionRef &extension : walk(false))
        names.append(extension->extensionName());
    return names;
}

QStringList placedExtensionManager::arrayOfExtensionDescriptions() const
{
    QStringList descriptions;
    for (const ExtensionRef &extension : walk(false))
        descriptions.append(extension->descriptionOfNamespace());
    return descriptions;
}

void placedExtensionManager::createExtensionWithNamespace(const QString &name, const QString &dtd)
{
    if (name == knownNamespaces::kUserDefined) {
        setUnknownExtensionUsed(true);
        m_unknown = makeRaw(knownNamespaces::kUserDefined, QString());
        return;
    }
    // A namespace needs a prefix: a nameless one could only be written as xmlns:="…".
    if (name.isEmpty())
        return;
    for (KnownNamespace ns : knownNamespaces::creationOrder(m_place)) {
        if (dtd != knownNamespaces::uri(ns) && name != knownNamespaces::prefix(ns))
            continue;
        // A known namespace without a class at this place is left to the parts that have one.
        if (!knownNamespaces::existsAt(ns, m_place))
            return;
        useKnown(ns, name, dtd);
        return;
    }
    appendListed(makeRaw(name, dtd));
}

void placedExtensionManager::useKnown(KnownNamespace ns, const QString &prefix, const QString &dtd)
{
    ExtensionRef fresh = extensionFactory::shared().create(ns, m_place);
    fresh->setExtensionProcessingName(prefix);
    fresh->setDTDURL(dtd);
    m_known[static_cast<size_t>(ns)] = fresh;
    setExtensionUsed(ns, true);
}

void placedExtensionManager::populateWithDefaults(const QString &uniqueKey)
{
    for (const ExtensionRef &extension : walk(false))
        extension->populateWithDefaults(uniqueKey);
}

void placedExtensionManager::populateExtension(const QString &extensionName,
                                               const QString &uniqueKey)
{
    if (extensionName == knownNamespaces::kUserDefined) {
        m_unknown->populateWithDefaults(uniqueKey);
        return;
    }
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        if (extensionName == knownNamespaces::prefix(ns)) {
            if (const ExtensionRef &slot = m_known[static_cast<size_t>(ns)])
                slot->populateWithDefaults(uniqueKey);
            return;
        }
    }
    if (const ExtensionRef listed = firstListedNamed(extensionName))
        listed->populateWithDefaults(uniqueKey);
}

int placedExtensionManager::handToKnown(KnownNamespace ns, const vlxXMLNode *node,
                                        FeedElement &owner, const QString &prefix)
{
    if (!extensionUsed(ns)) {
        postMissingNamespace(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
        owner.recordRepair(kMissingDeclarationRepair.arg(prefix));
    }
    if (dropsElementsOf(ns))
        return 0;
    const ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
    if (slot && extensionUsed(ns))
        return slot->parseXMLNodeIfMine(node);
    // The repair could not give this manager the extension: keep the element rather than lose it.
    setUnknownExtensionUsed(true);
    return m_unknown->parseXMLNodeIfMine(node);
}

int placedExtensionManager::parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner)
{
    const QString name = vlxXMLDOM::nameOfNode(node);
    const QStringList parts = name.split(u':');
    if (parts.size() == 1) {
        setUnknownExtensionUsed(true);
        return m_unknown->parseXMLNodeIfMine(node);
    }
    const QString prefix = parts.at(0);

    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        const ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
        if (prefix == knownNamespaces::prefix(ns)
            || (slot && prefix == slot->extensionProcessingName()))
            return handToKnown(ns, node, owner, prefix);
    }

    // A prefix the document declared for a known namespace, which this part received under the
    // canonical prefix: the element belongs to that extension (and is written under the
    // canonical prefix), not to raw XML with a prefix nobody declares.
    if (scope() && !prefix.isEmpty()) {
        const QString declared = scope()->declaredURI(prefix);
        const std::optional<KnownNamespace> ns = knownNamespaces::fromURI(declared);
        if (ns && knownNamespaces::existsAt(*ns, m_place)) {
            if (!extensionUsed(*ns) || !m_known[static_cast<size_t>(*ns)])
                useKnown(*ns, prefix, declared);
            const ExtensionRef &slot = m_known[static_cast<size_t>(*ns)];
            if (slot->extensionProcessingName() != prefix)
                slot->setExtensionProcessingName(prefix);
            if (dropsElementsOf(*ns))
                return 0;
            return slot->parseXMLNodeIfMine(node);
        }
    }

    if (const ExtensionRef listed = firstListedNamed(prefix))
        return listed->parseXMLNodeIfMine(node);

    const QString registered = extensionSettings::registeredURI(prefix);
    if (!registered.isEmpty()) {
        postMissingNamespace(prefix, registered);
        owner.recordRepair(kMissingDeclarationRepair.arg(prefix));
        if (const ExtensionRef listed = firstListedNamed(prefix))
            return listed->parseXMLNodeIfMine(node);
    }

    setUnknownExtensionUsed(true);
    return m_unknown->parseXMLNodeIfMine(node);
}

QString placedExtensionManager::buildXML(const QString &prefix) const
{
    QString xml;
    for (const ExtensionRef &extension : walk(true))
        xml += extension->buildXML(prefix);
    return xml;
}

int placedExtensionManager::parseXMLErrorCount() const
{
    int sum = 0;
    for (const ExtensionRef &extension : walk(false))
        sum += extension->parseXMLErrorCount();
    return sum;
}

int placedExtensionManager::parseXMLWarnCount() const
{
    int sum = 0;
    for (const ExtensionRef &extension : walk(false))
        sum += extension->parseXMLWarnCount();
    return sum;
}

int placedExtensionManager::parseXMLRepairCount() const
{
    int sum = 0;
    for (const ExtensionRef &extension : walk(false))
        sum += extension->parseXMLRepairCount();
    return sum;
}

QList<MessageGroup> placedExtensionManager::parseXMLErrorList(bool includeErrors, bool includeWarn,
                                                              bool includeRepair) const
{
    QList<MessageGroup> groups;
    QList<ExtensionRef> list = usedKnownExtensions();
    list.append(notWellSupportedArray());
    for (const ExtensionRef &extension : list) {
        const QStringList entries
            = extension->parseXMLErrorList(includeErrors, includeWarn, includeRepair);
        if (entries.isEmpty())
            continue;
        MessageGroup group(QStringLiteral("%1 Extension").arg(extension->displayName()));
        group.addEntries(entries);
        groups.append(group);
    }
    // The user-defined extension's group stands whenever it is in use, even without entries.
    if (unknownExtensionUsed()) {
        MessageGroup group(QStringLiteral("%1 Extension").arg(m_unknown->displayName()));
        group.addEntries(m_unknown->parseXMLErrorList(includeErrors, includeWarn, includeRepair));
        groups.append(group);
    }
    return groups;
}

void placedExtensionManager::clearParseXMLErrorList()
{
    for (const ExtensionRef &extension : walk(clearsUnusedUserDefined()))
        extension->clearParseXMLErrorList();
}

void placedExtensionManager::deleteExtensionNamed(const QString &val)
{
    if (val == knownNamespaces::kUserDefined) {
        if (unknownExtensionUsed()) {
            setUnknownExtensionUsed(false);
            m_unknown = makeRaw(knownNamespaces::kUserDefined, QString());
        }
        return;
    }
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        if (val == knownNamespaces::prefix(ns)) {
            if (extensionUsed(ns)) {
                setExtensionUsed(ns, false);
                m_known[static_cast<size_t>(ns)].reset();
            }
            return;
        }
    }
    removeFirstListedNamed(val);
}

void placedExtensionManager::finalProcessing(VLXFeed *feed)
{
    for (const ExtensionRef &extension : walk(true))
        extension->finalProcessing(feed);
}

void placedExtensionManager::validate(VLXFeed *feed)
{
    for (const ExtensionRef &extension : walk(true))
        extension->validate(feed);
}

void placedExtensionManager::preferencesChanged()
{
    for (const ExtensionRef &extension : walk(true))
        extension->preferencesChanged();
}

QString placedExtensionManager::actuallyBuildExport(const QString &templateText,
                                                    const QVariantList &substitutions)
{
    QString text = templateText;
    for (const ExtensionRef &extension : walk(true))
        text = extension->actuallyBuildExport(text, substitutions);
    return text;
}
