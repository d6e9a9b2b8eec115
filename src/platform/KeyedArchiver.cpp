#include "platform/KeyedArchiver.h"

#include "platform/PropertyList.h"

#include <QStringList>

namespace {
constexpr int kMaxDepth = 128;
// A plain dictionary that happens to hold "$class" is wrapped so it is not read as an object.
const QString kEscapedMapClass = QStringLiteral("$map");
} // namespace

const QString KeyedArchiver::kClassKey = QStringLiteral("$class");
const QString KeyedArchiver::kArchiverName = QStringLiteral("VellumcastKeyedArchive");

QVariant KeyedArchiver::encodeValue(const QVariant &value, int depth, bool *ok)
{
    if (depth > kMaxDepth || !value.isValid()) {
        *ok = false;
        return {};
    }
    if (KeyedArchivable::isObject(value)) {
        const ArchivableRef object = KeyedArchivable::fromVariant(value);
        if (!object) {
            *ok = false;
            return {};
        }
        KeyedArchiver coder;
        coder.m_depth = depth + 1;
        object->encodeWithCoder(coder);
        if (coder.m_failed) {
            *ok = false;
            return {};
        }
        QVariantMap dict = coder.m_fields;
        dict.insert(kClassKey, object->archiveClassName());
        return dict;
    }
    const int id = value.metaType().id();
    if (id == QMetaType::QVariantList || id == QMetaType::QStringList) {
        QVariantList out;
        for (const QVariant &element : value.toList()) {
            out.append(encodeValue(element, depth + 1, ok));
            if (!*ok)
                return {};
        }
        return out;
    }
    if (id == QMetaType::QVariantMap || id == QMetaType::QVariantHash) {
        const QVariantMap in = value.toMap();
        QVariantMap out;
        for (auto it = in.cbegin(); it != in.cend(); ++it) {
            out.insert(it.key(), encodeValue(it.value(), depth + 1, ok));
            if (!*ok)
                return {};
        }
        if (out.contains(kClassKey)) {
            QVariantMap wrapper;
            wrapper.insert(kClassKey, kEscapedMapClass);
            wrapper.insert(QStringLiteral("entries"), out);
            return wrapper;
        }
        return out;
    }
    if (!PropertyList::isPropertyListValue(value)) {
        *ok = false;
        return {};
    }
    return value;
}

QByteArray KeyedArchiver::archivedDataWithRootObject(const QVariant &root)
{
    bool ok = true;
    const QVariant top = encodeValue(root, 0, &ok);
    if (!ok)
        return {};
    QVariantMap archive;
    archive.insert(QStringLiteral("$archiver"), kArchiverName);
    archive.insert(QStringLiteral("$version"), 1);
    archive.insert(QStringLiteral("$top"), top);
    return PropertyList::serialize(archive, PropertyList::Format::Binary);
}

void KeyedArchiver::encodeObject(const QVariant &value, const QString &key)
{
    if (!value.isValid())
        return; // like a nil object: the key is simply absent
    bool ok = true;
    const QVariant encoded = encodeValue(value, m_depth, &ok);
    if (!ok) {
        m_failed = true;
        return;
    }
    m_fields.insert(key, encoded);
}

void KeyedArchiver::encodeString(const QString &value, const QString &key)
{
    m_fields.insert(key, value.isNull() ? QString(QLatin1String("")) : value);
}

void KeyedArchiver::encodeInt(qint64 value, const QString &key)
{
    m_fields.insert(key, value);
}

void KeyedArchiver::encodeDouble(double value, const QString &key)
{
    m_fields.insert(key, value);
}

void KeyedArchiver::encodeBool(bool value, const QString &key)
{
    m_fields.insert(key, value);
}
