#pragma once

#include "platform/PropertyListGuard.h"

#include <QByteArray>
#include <QVariant>

// Conversion between Qt values and property-list bytes through libplist.
//
// Property-list values are: QString, integers (stored signed, see below), bool, float and double
// (stored as reals), QDateTime, QByteArray, QVariantList/QStringList and QVariantMap/QVariantHash
// with text keys. Anything else (a null value, a model object) is not a property-list value.
//
// libplist 2.2 keeps integers as unsigned 64-bit numbers; we store the two's complement of a
// signed value and turn it back into a signed one when reading, so -1 round-trips. Its dates
// count seconds from 2001-01-01 00:00:00 UTC. Dictionary keys are written in sorted order so the
// same value always gives the same bytes.
class PropertyList
{
public:
    enum class Format { Xml, Binary };

    // Answers empty bytes and sets *ok to false when the value is not a property-list value.
    static QByteArray serialize(const QVariant &value, Format format, bool *ok = nullptr);
    // Reads XML or binary property-list bytes. Bytes that are not a property list, or that
    // would nest, count or expand beyond the limits (PropertyListGuard), give a null value and
    // *ok false, *problem saying why; it never crashes on hostile input.
    static QVariant parse(const QByteArray &bytes, bool *ok = nullptr);
    static QVariant parse(const QByteArray &bytes, const PropertyListGuard::Limits &limits,
                          bool *ok, QString *problem = nullptr);
    static bool isPropertyListValue(const QVariant &value);

    // Seconds between 1970-01-01 and libplist's 2001-01-01 epoch.
    static constexpr qint64 kEpochOffset = 978307200;
};
