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
    group.addEntries(owner.listOfErrors(includeErrors, includeWarn, includeRepair));
    for (MessageGroup &g : extensions.parseXMLErrorList(includeErrors, includeWarn, includeRepair))
        group.addGroup(std::move(g));
    return group;
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
