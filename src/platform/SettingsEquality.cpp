#include "platform/SettingsEquality.h"

#include "platform/KeyedArchivable.h"

#include <QDateTime>
#include <QStringList>

namespace {

bool isIntegral(int id)
{
    switch (id) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isList(int id)
{
    return id == QMetaType::QVariantList || id == QMetaType::QStringList;
}

bool isMap(int id)
{
    return id == QMetaType::QVariantMap || id == QMetaType::QVariantHash;
}

bool numbersEqual(const QVariant &a, const QVariant &b)
{
    const int ia = a.metaType().id();
    const int ib = b.metaType().id();
    if (isIntegral(ia) && isIntegral(ib)) {
        const bool ua = ia == QMetaType::ULongLong || ia == QMetaType::ULong;
        const bool ub = ib == QMetaType::ULongLong || ib == QMetaType::ULong;
        if (ua || ub) {
            // Compare in the unsigned domain only when both are non-negative.
            if ((!ua && a.toLongLong() < 0) || (!ub && b.toLongLong() < 0))
                return false;
            return a.toULongLong() == b.toULongLong();
        }
        return a.toLongLong() == b.toLongLong();
    }
    const double da = ia == QMetaType::Float ? static_cast<double>(a.toFloat()) : a.toDouble();
    const double db = ib == QMetaType::Float ? static_cast<double>(b.toFloat()) : b.toDouble();
    return da == db;
}

} // namespace

bool SettingsEquality::isNumber(const QVariant &value)
{
    const int id = value.metaType().id();
    return isIntegral(id) || id == QMetaType::Float || id == QMetaType::Double;
}

bool SettingsEquality::equal(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return !a.isValid() && !b.isValid();
    if (KeyedArchivable::isObject(a) || KeyedArchivable::isObject(b)) {
        if (!KeyedArchivable::isObject(a) || !KeyedArchivable::isObject(b))
            return false;
        return KeyedArchivable::fromVariant(a).get() == KeyedArchivable::fromVariant(b).get();
    }
    if (isNumber(a) || isNumber(b))
        return isNumber(a) && isNumber(b) && numbersEqual(a, b);

    const int ia = a.metaType().id();
    const int ib = b.metaType().id();
    if (isList(ia) || isList(ib)) {
        if (!isList(ia) || !isList(ib))
            return false;
        const QVariantList la = a.toList();
        const QVariantList lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i) {
            if (!equal(la.at(i), lb.at(i)))
                return false;
        }
        return true;
    }
    if (isMap(ia) || isMap(ib)) {
        if (!isMap(ia) || !isMap(ib))
            return false;
        const QVariantMap ma = a.toMap();
        const QVariantMap mb = b.toMap();
        if (ma.size() != mb.size())
            return false;
        for (auto it = ma.cbegin(); it != ma.cend(); ++it) {
            const auto other = mb.constFind(it.key());
            if (other == mb.cend() || !equal(it.value(), other.value()))
                return false;
        }
        return true;
    }
    if (ia != ib)
        return false;
    switch (ia) {
    case QMetaType::QString:
        return a.toString() == b.toString();
    case QMetaType::QByteArray:
        return a.toByteArray() == b.toByteArray();
    case QMetaType::QDateTime: {
        const QDateTime da = a.toDateTime();
        const QDateTime db = b.toDateTime();
        if (!da.isValid() || !db.isValid())
            return da.isValid() == db.isValid();
        return da.toMSecsSinceEpoch() == db.toMSecsSinceEpoch();
    }
    default:
        return a == b;
    }
}
