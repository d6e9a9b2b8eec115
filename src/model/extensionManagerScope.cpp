#include "model/extensionManagerScope.h"

#include "model/baseExtensionManager.h"

void extensionManagerScope::join(baseExtensionManager *manager)
{
    if (manager && !m_joinNumbers.contains(manager)) {
        const quint64 number = m_nextJoinNumber++;
        m_joinNumbers.insert(manager, number);
        m_members.emplace(number, manager);
    }
}

void extensionManagerScope::leave(baseExtensionManager *manager)
{
    const auto found = m_joinNumbers.constFind(manager);
    if (found == m_joinNumbers.cend())
        return;
    m_members.erase(found.value());
    m_joinNumbers.erase(found);
}

bool extensionManagerScope::contains(const baseExtensionManager *manager) const
{
    return m_joinNumbers.contains(manager);
}

QList<baseExtensionManager *> extensionManagerScope::members() const
{
    QList<baseExtensionManager *> list;
    list.reserve(qsizetype(m_members.size()));
    for (const auto &entry : m_members)
        list.append(entry.second);
    return list;
}

void extensionManagerScope::post(const QString &prefix, const QString &uri,
                                 baseExtensionManager *poster)
{
    if (poster)
        poster->usingXMLNSWithoutDeclaration(prefix, uri);
    // A handler never joins or leaves, but walk a snapshot all the same.
    const QList<baseExtensionManager *> members = extensionManagerScope::members();
    for (baseExtensionManager *member : members) {
        if (member != poster)
            member->usingXMLNSWithoutDeclaration(prefix, uri);
    }
}

void extensionManagerScope::declarePrefix(const QString &prefix, const QString &uri)
{
    if (!prefix.isEmpty() && !m_declared.contains(prefix))
        m_declared.insert(prefix, uri);
}
