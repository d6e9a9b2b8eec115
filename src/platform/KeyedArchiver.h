#pragma once

#include "platform/KeyedArchivable.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Writes keyed archives. An archived object is the dictionary {"$class": name, key: value...}
// whose values are property-list values, nested objects and lists or dictionaries of them. The
// archive bytes are a binary property list of {"$archiver": "VellumcastKeyedArchive",
// "$version": 1, "$top": root}; keys are written in sorted order, so the same object always
// gives the same bytes, which is what lets an archived setting compare equal to its default.
class KeyedArchiver
{
public:
    // The archive of a root value: a model object, a list or dictionary holding model objects, or
    // any property-list value. A null root or a value that cannot be archived gives empty bytes.
    static QByteArray archivedDataWithRootObject(const QVariant &root);

    void encodeObject(const QVariant &value, const QString &key);
    void encodeString(const QString &value, const QString &key);
    void encodeInt(qint64 value, const QString &key);
    void encodeDouble(double value, const QString &key);
    void encodeBool(bool value, const QString &key);

    static const QString kClassKey;
    static const QString kArchiverName;

private:
    KeyedArchiver() = default;
    static QVariant encodeValue(const QVariant &value, int depth, bool *ok);

    QVariantMap m_fields;
    int m_depth = 0;
    bool m_failed = false;

    friend class KeyedUnarchiver;
};
