#include "app/SmartDateRules.h"

#include "model/SmartDate.h"
#include "settings/VLXPreferences.h"

namespace {
SmartDateRules::Rule ruleOf(const QString &prefix, const QString &uniqueKey, bool perFeed)
{
    auto value = [&](const char *name) {
        const QString key = prefix + QLatin1String(name);
        return (perFeed ? VLXPreferences::objectForKey(key, uniqueKey)
                        : VLXPreferences::objectForKey(key))
            .toInt();
    };
    return {value("DataTo"), value("X_Val"), value("TimeTo")};
}
} // namespace

SmartDateRules::SmartDateRules(const QString &uniqueKey)
{
    m_own = VLXPreferences::objectForKey(QStringLiteral("FD_CF_SD_Enabled"), uniqueKey).toBool();
    m_channel[0] = ruleOf(QStringLiteral("FD_AF_SD_F_"), uniqueKey, false);
    m_channel[1] = ruleOf(QStringLiteral("FD_CF_SD_F_"), uniqueKey, true);
    m_item[0] = ruleOf(QStringLiteral("FD_AF_SD_I_"), uniqueKey, false);
    m_item[1] = ruleOf(QStringLiteral("FD_CF_SD_I_"), uniqueKey, true);
}

QString SmartDateRules::dateBy(const Rule (&rules)[2]) const
{
    return SmartDate::feedSmartDate(m_own, rules[0].date, rules[0].xVal, rules[0].time,
                                    rules[1].date, rules[1].xVal, rules[1].time);
}

QString SmartDateRules::channelDate() const
{
    return dateBy(m_channel);
}

QString SmartDateRules::itemDate() const
{
    return dateBy(m_item);
}

bool SmartDateRules::channelIsNow() const
{
    return SmartDate::feedAutoPub(m_own, m_channel[0].date, m_channel[0].time, m_channel[1].date,
                                  m_channel[1].time);
}

QString SmartDateRules::newFeedDate(bool *automatic) const
{
    const bool byRule = namesDateAndTime(channelRule());
    if (automatic)
        *automatic = !byRule;
    return byRule ? channelDate() : SmartDate::feedAutoPubDate();
}

QString SmartDateRules::newItemDate() const
{
    return namesDateAndTime(itemRule()) ? itemDate() : SmartDate::feedAutoPubDate();
}
