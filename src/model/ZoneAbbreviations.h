#pragma once

#include <QStringView>
#include <optional>

// The zone abbreviations a date text may name in place of a numeric offset ("%Z").
//
// The table is ours and deliberately small: the zones of RFC 822 itself (UT, GMT, Z and the
// North American EST/EDT, CST/CDT, MST/MDT, PST/PDT) plus the abbreviations common in feeds
// whose meaning is not disputed:
//   UTC +0000, WET +0000, WEST +0100, BST +0100 (British Summer Time), CET +0100, CEST +0200,
//   MET +0100, MEST +0200, EET +0200, EEST +0300, MSK +0300, AKST -0900, AKDT -0800,
//   HST -1000, AST -0400, ADT -0300, NST -0330, NDT -0230, JST +0900, KST +0900,
//   HKT +0800, SGT +0800, AWST +0800, ACST +0930, ACDT +1030, AEST +1000, AEDT +1100,
//   NZST +1200, NZDT +1300.
// Ambiguous abbreviations (IST, CST for China, BST for Bangladesh, the military letters other
// than Z) are left out on purpose: a wrong guess would silently move a date by hours, while an
// unknown abbreviation makes the text fall through to the repairs, which say so.
// Matching ignores case.
class ZoneAbbreviations
{
public:
    // Seconds east of UTC, or nothing for an abbreviation not in the table.
    static std::optional<int> offsetFor(QStringView abbreviation);
};
