#include "model/extensionManagerScope.h"

#include "model/baseExtensionManager.h"

void extensionManagerScope::join(baseExtensionManager *manager)
{
    if (manager && !m_places.contains(manager)) {
        m_places.insert(manager, m_members.size());
        m_members.push_back(manager);
    }
}

void extensionManagerScope::leave(baseExtensionManager *manager)
{
    const auto found = m_places.constFind(manager);
    if (found == m_places.cend())
        return;
    m_members[found.value()] = nullptr;
    m_places.erase(found);
    ++m_holes;
    if (m_places.isEmpty()) {
        m_members.clear();
        m_holes = 0;
    } else if (m_holes > 32 && m_holes * 2 > m_members.size()) {
        compact();
    }
}

void extensionManagerScope::compact()
{
    size_t next = 0;
    for (baseExtensionManager *member : m_members) {
        if (!member)
            continue;
        m_members[next] = member;
        m_places[member] = next;
        ++next;
    }
    m_members.resize(next);
    m_holes = 0;
}

bool extensionManagerScope::contains(const baseExtensionManager *manager) const
{
    return m_places.contains(manager);
}

QList<baseExtensionManager *> extensionManagerScope::members() const
{
    QList<baseExtensionManager *> list;
    list.reserve(qsizetype(m_places.size()));
    for (baseExtensionManager *member : m_members) {
        if (member)
            list.append(member);
    }
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
