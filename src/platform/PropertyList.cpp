#include "platform/PropertyList.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <plist/plist.h>

namespace {

// Values nested deeper than this are refused instead of risking the stack (the root is at
// depth 0); the same as PropertyListGuard's default limit, so whatever is written reads back.
constexpr int kMaxDepth = PropertyListGuard::Limits().maxDepth;

struct PlistHolder
{
    plist_t node = nullptr;
    ~PlistHolder()
    {
        if (node)
            plist_free(node);
    }
};

plist_t toNode(const QVariant &value, int depth);

plist_t arrayNode(const QVariantList &list, int depth)
{
    plist_t array = plist_new_array();
    for (const QVariant &element : list) {
        plist_t child = toNode(element, depth + 1);
        if (!child) {
            plist_free(array);
            return nullptr;
        }
        plist_array_append_item(array, child);
    }
    return array;
}

template<class Map> plist_t dictNode(const Map &map, int depth)
{
    QStringList keys = map.keys();
    std::sort(keys.begin(), keys.end());
    plist_t dict = plist_new_dict();
    for (const QString &key : keys) {
        plist_t child = toNode(map.value(key), depth + 1);
        if (!child) {
            plist_free(dict);
            return nullptr;
        }
        plist_dict_set_item(dict, key.toUtf8().constData(), child);
    }
    return dict;
}

plist_t toNode(const QVariant &value, int depth)
{
    if (depth >= kMaxDepth)
        return nullptr;
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return plist_new_uint(static_cast<uint64_t>(value.toULongLong()));
    case QMetaType::Float:
        return plist_new_real(static_cast<double>(value.toFloat()));
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        if (!when.isValid())
            return nullptr;
        const qint64 ms = when.toMSecsSinceEpoch();
        qint64 secs = ms / 1000;
        qint64 rest = ms % 1000;
        if (rest < 0) {
            rest += 1000;
            --secs;
        }
        return plist_new_date(static_cast<int32_t>(secs - PropertyList::kEpochOffset),
                              static_cast<int32_t>(rest * 1000));
    }
    case QMetaType::QVariantList:
        return arrayNode(value.toList(), depth);
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString &s : value.toStringList())
            list.append(s);
        return arrayNode(list, depth);
    }
    case QMetaType::QVariantMap:
        return dictNode(value.toMap(), depth);
    case QMetaType::QVariantHash:
        return dictNode(value.toHash(), depth);
    default:
        return nullptr;
    }
}

QVariant fromNode(plist_t node, int depth, bool *ok)
{
    if (!node || depth >= kMaxDepth) {
        *ok = false;
        return {};
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        // The signed conversion that undoes the two's complement of negative numbers.
        const qint64 s = static_cast<qint64>(u);
        if (s >= std::numeric_limits<int>::min() && s <= std::numeric_limits<int>::max())
            return QVariant(static_cast<int>(s));
        return QVariant(s);
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_STRING: {
        // Read through the pointer and length: libplist's copying getter aborts the process on
        // a string with an embedded NUL.
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        return QVariant(s ? QString::fromUtf8(s, static_cast<qsizetype>(length))
                          : QString(QLatin1String("")));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return QVariant(bytes ? QByteArray(bytes, static_cast<qsizetype>(length)) : QByteArray());
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 ms
            = (static_cast<qint64>(sec) + PropertyList::kEpochOffset) * 1000 + usec / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            QVariant element = fromNode(plist_array_get_item(node, i), depth + 1, ok);
            if (!*ok)
                return {};
            list.append(element);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter) {
            *ok = false;
            return {};
        }
        for (;;) {
            char *key = nullptr;
            plist_t child = nullptr;
            plist_dict_next_item(node, iter, &key, &child);
            if (!child) {
                std::free(key);
                break;
            }
            QVariant element = fromNode(child, depth + 1, ok);
            const QString name = key ? QString::fromUtf8(key) : QString();
            std::free(key);
            if (!*ok) {
                std::free(iter);
                return {};
            }
            map.insert(name, element);
        }
        std::free(iter);
        return QVariant(map);
    }
    default:
        // Keyed-encoding UIDs and unknown node kinds are not settings values.
        *ok = false;
        return {};
    }
}

} // namespace

bool PropertyList::isPropertyListValue(const QVariant &value)
{
    PlistHolder holder;
    holder.node = toNode(value, 0);
    return holder.node != nullptr;
}

QByteArray PropertyList::serialize(const QVariant &value, Format format, bool *ok)
{
    PlistHolder holder;
    holder.node = toNode(value, 0);
    if (ok)
        *ok = holder.node != nullptr;
    if (!holder.node)
        return {};
    char *out = nullptr;
    uint32_t length = 0;
    QByteArray bytes;
    if (format == Format::Xml) {
        plist_to_xml(holder.node, &out, &length);
        bytes = QByteArray(out, static_cast<qsizetype>(length));
        plist_to_xml_free(out);
    } else {
        plist_to_bin(holder.node, &out, &length);
        bytes = QByteArray(out, static_cast<qsizetype>(length));
        plist_to_bin_free(out);
    }
    if (bytes.isEmpty() && ok)
        *ok = false;
    return bytes;
}

QVariant PropertyList::parse(const QByteArray &bytes, bool *ok)
{
    return parse(bytes, PropertyListGuard::Limits(), ok);
}

QVariant PropertyList::parse(const QByteArray &bytes, const PropertyListGuard::Limits &limits,
                             bool *ok, QString *problem)
{
    bool good = false;
    QVariant result;
    QString why;
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max()) {
        why = QStringLiteral("it is empty or too large");
    } else if (PropertyListGuard::check(bytes, limits, &why)) {
        // Checked first: libplist itself has no limits and aborts on some input.
        PlistHolder holder;
        plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &holder.node);
        good = holder.node != nullptr;
        if (good)
            result = fromNode(holder.node, 0, &good);
        if (!good)
            why = QStringLiteral("it is not a property list");
    }
    if (ok)
        *ok = good;
    if (problem)
        *problem = good ? QString() : why;
    return good ? result : QVariant();
}
