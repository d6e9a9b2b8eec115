// The registry of known XML namespaces, kept as description strings under
// "General_XMLNamespaces": well-supported entries first in the order they were added, then the
// others sorted case-insensitively over the whole description string.
#include "settings/VLXPreferences.h"

#include <QSet>

#include "settings/NamespaceDescription.h"

#include <algorithm>

namespace {
const QString kRegistryKey = QStringLiteral("General_XMLNamespaces");

QStringList storedRegistry(const QVariantMap &values)
{
    QStringList entries;
    for (const QVariant &entry : values.value(kRegistryKey).toList())
        entries.append(entry.toString());
    return entries;
}
} // namespace

void VLXPreferences::sortNamespaces()
{
    QStringList supported;
    QStringList others;
    for (const QString &entry : std::as_const(m_generalXMLNamespaces)) {
        if (NamespaceDescription::wellSupported(entry))
            supported.append(entry);
        else
            others.append(entry);
    }
    // Stable, so entries equal but for letter case keep the order they had.
    std::stable_sort(others.begin(), others.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_generalXMLNamespaces = supported + others;
}

void VLXPreferences::addGeneral_XMLNamespaces(const std::optional<QStringList> &entries)
{
    if (!entries)
        return;
    m_generalXMLNamespaces.append(*entries);
    sortNamespaces();
}

void VLXPreferences::replaceGeneral_XMLNamespaces(const QString &entry, int atIndex)
{
    // The preferences window passes -1 when no row is selected.
    if (atIndex < 0 || atIndex >= m_generalXMLNamespaces.size())
        return;
    m_generalXMLNamespaces[atIndex] = entry;
    sortNamespaces();
}

void VLXPreferences::removeGeneral_XMLNamespacesAtIndex(int index)
{
    if (index < 0 || index >= m_generalXMLNamespaces.size())
        return;
    m_generalXMLNamespaces.removeAt(index);
}

void VLXPreferences::validateGeneralXMLNamespaces()
{
    m_generalXMLNamespaces.erase(
        std::remove_if(m_generalXMLNamespaces.begin(), m_generalXMLNamespaces.end(),
                       [](const QString &entry) {
                           return NamespaceDescription::extensionName(entry)
                               == NamespaceDescription::kUserDefined;
                       }),
        m_generalXMLNamespaces.end());
}

void VLXPreferences::storeRegistryAndSave()
{
    sortNamespaces();
    QVariantList stored;
    for (const QString &entry : std::as_const(m_generalXMLNamespaces))
        stored.append(entry);
    m_curValues.insert(kRegistryKey, stored);
    save();
}

void VLXPreferences::addMissingXMLNamespaces(const QStringList &entries)
{
    sharedInstance().addMissingXMLNamespacesImpl(entries);
    if (VLXPreferences *copy = threadSlot())
        copy->m_addedNamespaces.emplace_back(false, entries);
}

void VLXPreferences::addMissingXMLNamespacesImpl(const QStringList &entries)
{
    m_generalXMLNamespaces = storedRegistry(m_curValues);
    // A feed may declare a thousand namespaces, and the registry grows with them: the prefixes
    // registered are looked up in a set, and the new entries sorted in once.
    QSet<QString> known;
    for (const QString &registered : std::as_const(m_generalXMLNamespaces))
        known.insert(NamespaceDescription::extensionName(registered));
    QStringList added;
    for (const QString &entry : entries) {
        const QString prefix = NamespaceDescription::extensionName(entry);
        if (prefix == NamespaceDescription::kUserDefined || known.contains(prefix))
            continue;
        known.insert(prefix);
        added.append(entry);
    }
    if (!added.isEmpty())
        addGeneral_XMLNamespaces(added);
    storeRegistryAndSave();
}

void VLXPreferences::addMissingSupportedXMLNamespaces(const QStringList &entries)
{
    sharedInstance().addMissingSupportedXMLNamespacesImpl(entries);
    if (VLXPreferences *copy = threadSlot())
        copy->m_addedNamespaces.emplace_back(true, entries);
}

void VLXPreferences::addMissingSupportedXMLNamespacesImpl(const QStringList &entries)
{
    QStringList working = storedRegistry(m_curValues);
    for (const QString &entry : entries) {
        const QString prefix = NamespaceDescription::extensionName(entry);
        const QString url = NamespaceDescription::DTDURL(entry);
        const QStringList snapshot = working;
        for (const QString &old : snapshot) {
            if (NamespaceDescription::extensionName(old) == prefix
                || NamespaceDescription::DTDURL(old) == url)
                working.removeAll(old);
        }
        working.append(entry);
    }
    // Sorted once, as adding them one by one sorts them (the sort is stable).
    QStringList ordered;
    for (const QString &entry : entries) {
        if (NamespaceDescription::wellSupported(entry))
            ordered.append(entry);
    }
    for (const QString &entry : std::as_const(working)) {
        if (!NamespaceDescription::wellSupported(entry))
            ordered.append(entry);
    }
    m_generalXMLNamespaces.clear();
    addGeneral_XMLNamespaces(ordered);
    storeRegistryAndSave();
}

QString VLXPreferences::getDTDForNamespace(const QString &prefix)
{
    return sharedInstance().getDTDForNamespaceImpl(prefix);
}

QString VLXPreferences::getDTDForNamespaceImpl(const QString &prefix) const
{
    // Asked for every element under a prefix its feed does not declare, and by the import for
    // every prefix it renames, over a registry that grows with every namespace met: an index by
    // prefix (the first entry of each), made again when the registry is another list.
    const QVariantList registry = m_curValues.value(kRegistryKey).toList();
    if (registry.constData() != m_indexedRegistry.constData()
        || registry.size() != m_indexedRegistry.size() || registry.isEmpty()) {
        m_registryIndex.clear();
        for (const QVariant &entry : registry) {
            const QString text = entry.toString();
            const QString name = NamespaceDescription::extensionName(text);
            if (!m_registryIndex.contains(name))
                m_registryIndex.insert(name, NamespaceDescription::DTDURL(text));
        }
        m_indexedRegistry = registry;
    }
    return m_registryIndex.value(prefix);
}
