#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <memory>

class KeyedArchiver;
class KeyedUnarchiver;
class KeyedArchivable;

// Model objects travel inside property-list values (settings, archives) as a shared reference to
// this base. Two such values are equal only when they are the very same object.
using ArchivableRef = std::shared_ptr<KeyedArchivable>;

// An object that can be written into a keyed archive and restored from one. A class takes part by
// deriving from this, answering its archive class name, and registering a factory under that name
// with KeyedUnarchiver::registerClass() (see KeyedUnarchiver.h for how a class registers).
class KeyedArchivable
{
public:
    virtual ~KeyedArchivable() = default;

    // The name written under "$class"; the registry finds the factory by it.
    virtual QString archiveClassName() const = 0;
    virtual void encodeWithCoder(KeyedArchiver &coder) const = 0;
    // Restores the fields from the coder. Answer false when the data cannot make a sound object;
    // the whole archive then decodes to null.
    virtual bool initWithCoder(const KeyedUnarchiver &coder) = 0;

    // Wraps an object for a QVariant; always through the base type so every model object has
    // the same meta type whatever its class.
    static QVariant toVariant(const ArchivableRef &object);
    static ArchivableRef fromVariant(const QVariant &value);
    static bool isObject(const QVariant &value);

    template<class T> static std::shared_ptr<T> objectAs(const QVariant &value)
    {
        return std::dynamic_pointer_cast<T>(fromVariant(value));
    }
};

Q_DECLARE_METATYPE(ArchivableRef)
