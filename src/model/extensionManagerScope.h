#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <vector>

class baseExtensionManager;

// The managers of one feed (its channel, its image and its items) that hear of a namespace met
// without its declaration. A repair made while one feed is read must reach that feed's other
// parts and nothing else: not a feed open in the window, not the items of another feed being
// imported. Delivery is synchronous, in the order the managers joined.
//
// The feed owns its scope and lets its managers join; each manager keeps the scope alive through
// a shared pointer and leaves it when it goes, so members are never dangling.
class extensionManagerScope
{
public:
    extensionManagerScope() = default;
    extensionManagerScope(const extensionManagerScope &) = delete;
    extensionManagerScope &operator=(const extensionManagerScope &) = delete;

    void join(baseExtensionManager *manager);
    void leave(baseExtensionManager *manager);
    bool contains(const baseExtensionManager *manager) const;
    // The members in the order they joined.
    QList<baseExtensionManager *> members() const;

    // Hands {"NS": prefix, "DTD": uri} to the poster first (it needs the extension before it goes
    // on), then to every other member.
    void post(const QString &prefix, const QString &uri, baseExtensionManager *poster);

private:
    void compact();

    // Members in the order they joined, with a hole where one left, and each member's place:
    // joining, leaving and membership are cheap in any order. A feed of tens of thousands of
    // items joins and leaves once per item, and its items need not go in the order they came.
    // Holes are closed up once they make half the list.
    std::vector<baseExtensionManager *> m_members;
    QHash<const baseExtensionManager *, size_t> m_places;
    size_t m_holes = 0;
};
