#pragma once

#include <QString>

// The smart-date rules the settings hold for one feed: the feed's own rules when its
// "FD_CF_SD_Enabled" is on, else the all-feeds rules; one rule for the channel and one for the
// items, each a date code, an X value and a time code (0 and 0: today, at the current time).
class SmartDateRules
{
public:
    struct Rule
    {
        int date = 0;
        int xVal = 0;
        int time = 0;
    };

    explicit SmartDateRules(const QString &uniqueKey);

    bool usesOwnRules() const { return m_own; }
    // The rule in force for the channel or the items.
    Rule channelRule() const { return m_own ? m_channel[1] : m_channel[0]; }
    Rule itemRule() const { return m_own ? m_item[1] : m_item[0]; }

    // The dates the rules give now.
    QString channelDate() const;
    QString itemDate() const;
    // Whether the channel's rule always gives now (its date and time codes are both 0): the
    // channel's date then stays automatic.
    bool channelIsNow() const;
    // The date of a new feed or item: by its rule when the rule names both a date and a time,
    // else now. For a feed, *automatic says whether its date then stays automatic.
    QString newFeedDate(bool *automatic) const;
    QString newItemDate() const;

private:
    static bool namesDateAndTime(const Rule &rule) { return rule.date != 0 && rule.time != 0; }
    QString dateBy(const Rule (&rules)[2]) const;

    bool m_own = false;
    Rule m_channel[2]; // all feeds, this feed
    Rule m_item[2];
};
