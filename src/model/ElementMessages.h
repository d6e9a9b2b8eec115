#pragma once

#include "model/MessageGroup.h"

#include <QList>
#include <QString>

class FeedElement;
class baseExtensionManager;

// The message side of an element that carries its own namespace extensions (channel, image,
// item): its counters and entries joined with those of its extension manager. The channel adds
// its image and items on top of these.
class ElementMessages
{
public:
    static int errorCount(const FeedElement &owner, const baseExtensionManager &extensions);
    static int warnCount(const FeedElement &owner, const baseExtensionManager &extensions);
    static int repairCount(const FeedElement &owner, const baseExtensionManager &extensions);

    // A group with the heading: the owner's entries of the wanted kinds, then the groups of its
    // extensions.
    static MessageGroup group(const QString &heading, const FeedElement &owner,
                              const baseExtensionManager &extensions, bool includeErrors,
                              bool includeWarn, bool includeRepair);
    // The same group nested in the parent where it stands, when it holds anything.
    static void addGroup(MessageGroup &parent, const QString &heading, const FeedElement &owner,
                         const baseExtensionManager &extensions, bool includeErrors,
                         bool includeWarn, bool includeRepair);
    // The group as a message list: no group at all when it holds nothing.
    static QList<MessageGroup> listOf(MessageGroup group);

    // Empties the owner's list and counters and those of its extensions.
    static void clear(FeedElement &owner, baseExtensionManager &extensions);

private:
    // The owner's entries of the wanted kinds, then the groups of its extensions.
    static void fill(MessageGroup &group, const FeedElement &owner,
                     const baseExtensionManager &extensions, bool includeErrors, bool includeWarn,
                     bool includeRepair);
};
