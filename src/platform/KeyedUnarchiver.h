#pragma once

#include "platform/KeyedArchivable.h"
#include "platform/PropertyListGuard.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <functional>

// Reads keyed archives written by KeyedArchiver.
//
// The class registry maps an archive class name to a factory that makes a new object of that
// class. A class registers once, from its own .cpp file, with a static initialiser:
//
//     [[maybe_unused]] static const bool kRegistered = KeyedUnarchiver::registerClass(
//         QStringLiteral("mrssChannel"), [] { return std::make_shared<mrssChannel>(); });
//
// and code that needs a fresh object of a class it does not link against (the settings defaults
// need a new mrssChannel and mrssItem) asks KeyedUnarchiver::makeObject(name). Until a class is
// registered, makeObject() answers null and archives naming it decode to null.
//
// The built-in settings defaults are built on first use, after static initialisation, so a class
// registered this way is in place by then. Mind that the linker drops an object file of the
// static core library that nothing references, and its registration with it: a class reached
// only through the registry needs one direct reference from code that is linked (its module's
// manager, or a test that names it).
//
// Decoding never crashes on bad data: bytes that are not an archive, an unknown class, an
// object whose initWithCoder() refuses the data, or values nested too deeply, too many or
// expanding too far (see PropertyListGuard) make the whole archive decode to null.
class KeyedUnarchiver
{
public:
    using Factory = std::function<ArchivableRef()>;

    // An archive holds one object (an item, a list of categories or sites): far smaller than a
    // settings file may be. Its bytes are measured against these limits before they are read,
    // so a small archive whose shared references would expand to millions of values decodes to
    // null instead.
    static constexpr PropertyListGuard::Limits kArchiveLimits {128, 200000,
                                                               qint64(64) * 1024 * 1024};

    static bool registerClass(const QString &className, Factory factory);
    static bool isClassRegistered(const QString &className);
    static ArchivableRef makeObject(const QString &className);

    static QVariant unarchiveObjectWithData(const QByteArray &data);

    bool containsValueForKey(const QString &key) const;
    // The value under the key with nested objects restored; null when absent or undecodable.
    QVariant decodeObjectForKey(const QString &key) const;
    // Typed reads: an absent key or a value of another kind gives "", 0, false or empty data.
    QString decodeStringForKey(const QString &key) const;
    qint64 decodeIntForKey(const QString &key) const;
    double decodeDoubleForKey(const QString &key) const;
    bool decodeBoolForKey(const QString &key) const;
    QByteArray decodeDataForKey(const QString &key) const;
    // Every key with its value decoded as by decodeObjectForKey(); keys whose value does not
    // decode are left out. This bridges classes that read their fields from a plain dictionary
    // (FeedElement::initWithCoder) into the keyed archive: their initWithCoder(KeyedUnarchiver)
    // passes decodedFields() on, and their encodeWithCoder(KeyedArchiver) hands each entry of
    // their dictionary to encodeObject().
    QVariantMap decodedFields() const;

private:
    KeyedUnarchiver(QVariantMap fields, int depth);
    static QVariant decodeValue(const QVariant &value, int depth, bool *ok);

    QVariantMap m_fields;
    int m_depth = 0;
};
