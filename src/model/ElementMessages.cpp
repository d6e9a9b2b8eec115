#include "model/ElementMessages.h"

#include "model/FeedElement.h"
#include "model/baseExtensionManager.h"

int ElementMessages::errorCount(const FeedElement &owner, const baseExtensionManager &extensions)
{
    return owner.errorCount() + extensions.parseXMLErrorCount();
}

int ElementMessages::warnCount(const FeedElement &owner, const baseExtensionManager &extensions)
{
    return owner.warnCount() + extensions.parseXMLWarnCount();
}

int ElementMessages::repairCount(const FeedElement &owner, const baseExtensionManager &extensions)
{
    return owner.repairCount() + extensions.parseXMLRepairCount();
}

MessageGroup ElementMessages::group(const QString &heading, const FeedElement &owner,
                                    const baseExtensionManager &extensions, bool includeErrors,
                                    bool includeWarn, bool includeRepair)
{
    MessageGroup group(heading);
    fill(group, owner, extensions, includeErrors, includeWarn, includeRepair);
    return group;
}

void ElementMessages::addGroup(MessageGroup &parent, const QString &heading,
                               const FeedElement &owner, const baseExtensionManager &extensions,
                               bool includeErrors, bool includeWarn, bool includeRepair)
{
    fill(parent.openGroup(heading), owner, extensions, includeErrors, includeWarn, includeRepair);
    parent.closeGroup();
}

void ElementMessages::fill(MessageGroup &group, const FeedElement &owner,
                           const baseExtensionManager &extensions, bool includeErrors,
                           bool includeWarn, bool includeRepair)
{
    group.reserve(owner.errorList().size());
    for (const QString &entry : owner.errorList()) {
        if (FeedElement::isListed(entry, includeErrors, includeWarn, includeRepair))
            group.addEntry(entry);
    }
    for (MessageGroup &g : extensions.parseXMLErrorList(includeErrors, includeWarn, includeRepair))
        group.addGroup(std::move(g));
}

QList<MessageGroup> ElementMessages::listOf(MessageGroup group)
{
    QList<MessageGroup> list;
    if (!group.isEmpty())
        list.append(std::move(group));
    return list;
}

void ElementMessages::clear(FeedElement &owner, baseExtensionManager &extensions)
{
    owner.removeAllListOfErrors();
    extensions.clearParseXMLErrorList();
}
