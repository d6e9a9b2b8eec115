#include "model/extensionManagerScope.h"

#include "model/baseExtensionManager.h"

void extensionManagerScope::join(baseExtensionManager *manager)
{
    if (manager && !m_memberSet.contains(manager)) {
        m_memberSet.insert(manager);
        m_members.append(manager);
    }
}

void extensionManagerScope::leave(baseExtensionManager *manager)
{
    if (!m_memberSet.remove(manager))
        return;
    // Members leave mostly in the order they joined, so the search from the front is short.
    m_members.removeAt(m_members.indexOf(manager));
}

bool extensionManagerScope::contains(const baseExtensionManager *manager) const
{
    return m_memberSet.contains(manager);
}

void extensionManagerScope::post(const QString &prefix, const QString &uri,
                                 baseExtensionManager *poster)
{
    if (poster)
        poster->usingXMLNSWithoutDeclaration(prefix, uri);
    // A handler never joins or leaves, but walk a snapshot all the same.
    const QList<baseExtensionManager *> members = m_members;
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
