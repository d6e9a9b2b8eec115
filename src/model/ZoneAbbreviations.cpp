#include "model/ZoneAbbreviations.h"

namespace {
struct Zone
{
    const char16_t *name;
    int minutes;
};

constexpr Zone kZones[] = {
    {u"UT", 0},
    {u"UTC", 0},
    {u"GMT", 0},
    {u"Z", 0},
    {u"EST", -5 * 60},
    {u"EDT", -4 * 60},
    {u"CST", -6 * 60},
    {u"CDT", -5 * 60},
    {u"MST", -7 * 60},
    {u"MDT", -6 * 60},
    {u"PST", -8 * 60},
    {u"PDT", -7 * 60},
    {u"WET", 0},
    {u"WEST", 60},
    {u"BST", 60},
    {u"CET", 60},
    {u"CEST", 120},
    {u"MET", 60},
    {u"MEST", 120},
    {u"EET", 120},
    {u"EEST", 180},
    {u"MSK", 180},
    {u"AKST", -9 * 60},
    {u"AKDT", -8 * 60},
    {u"HST", -10 * 60},
    {u"AST", -4 * 60},
    {u"ADT", -3 * 60},
    {u"NST", -(3 * 60 + 30)},
    {u"NDT", -(2 * 60 + 30)},
    {u"JST", 9 * 60},
    {u"KST", 9 * 60},
    {u"HKT", 8 * 60},
    {u"SGT", 8 * 60},
    {u"AWST", 8 * 60},
    {u"ACST", 9 * 60 + 30},
    {u"ACDT", 10 * 60 + 30},
    {u"AEST", 10 * 60},
    {u"AEDT", 11 * 60},
    {u"NZST", 12 * 60},
    {u"NZDT", 13 * 60},
};
} // namespace

std::optional<int> ZoneAbbreviations::offsetFor(QStringView abbreviation)
{
    if (abbreviation.isEmpty() || abbreviation.size() > 4)
        return std::nullopt;
    for (const Zone &zone : kZones) {
        if (abbreviation.compare(QStringView(zone.name), Qt::CaseInsensitive) == 0)
            return zone.minutes * 60;
    }
    return std::nullopt;
}
