#pragma once

#include <QVariant>

// The one equality used to decide whether a setting still holds its built-in default and whether
// the live settings changed. QVariant's own operator== converts across types in ways that do not
// match what a settings file can hold, so the rules are explicit:
// - numbers (integers, booleans, floats, doubles) compare by numeric value: false equals 0, and a
//   32-bit float compares after widening to double;
// - text by characters, data by bytes, dates by instant;
// - lists element by element in order, dictionaries by key set and values;
// - model objects (KeyedArchivable) only to themselves;
// - values of different kinds are unequal; two null values are equal.
class SettingsEquality
{
public:
    static bool equal(const QVariant &a, const QVariant &b);
    static bool isNumber(const QVariant &value);
};
