#include "extensions/mscf/ListInfoItem.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

const QString ListInfoItem::kClassName = QStringLiteral("ListInfoItem");

namespace {
const QString kTypeKey = QStringLiteral("Type");
const QString kNSKey = QStringLiteral("NS");
const QString kElementKey = QStringLiteral("Element");
const QString kDataTypeKey = QStringLiteral("DataType");
const QString kLabelKey = QStringLiteral("Label");
const QString kDefaultKey = QStringLiteral("Default");

// In place before anything decodes an archived channel.
[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("ListInfoItem"), [] { return std::make_shared<ListInfoItem>(); });
} // namespace

QString ListInfoItem::description() const
{
    return QStringLiteral("type=%1, ns=%2, element=%3, dataType=%4, label=%5, default=%6")
        .arg(m_type, m_ns, m_element, m_dataType, m_label, m_default);
}

bool ListInfoItem::operator==(const ListInfoItem &other) const
{
    return m_type == other.m_type && m_ns == other.m_ns && m_element == other.m_element
        && m_dataType == other.m_dataType && m_label == other.m_label
        && m_default == other.m_default;
}

void ListInfoItem::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(m_type, kTypeKey);
    coder.encodeString(m_ns, kNSKey);
    coder.encodeString(m_element, kElementKey);
    coder.encodeString(m_dataType, kDataTypeKey);
    coder.encodeString(m_label, kLabelKey);
    coder.encodeString(m_default, kDefaultKey);
}

bool ListInfoItem::initWithCoder(const KeyedUnarchiver &coder)
{
    setType(coder.decodeStringForKey(kTypeKey));
    setNS(coder.decodeStringForKey(kNSKey));
    setElement(coder.decodeStringForKey(kElementKey));
    setDataType(coder.decodeStringForKey(kDataTypeKey));
    setLabel(coder.decodeStringForKey(kLabelKey));
    // An entry archived without a flag is an ordinary one.
    const QString flag = coder.decodeStringForKey(kDefaultKey);
    setSortDefault(flag.isEmpty() ? QStringLiteral("no") : flag);
    return true;
}

QVariantList ListInfoItem::toArchivable(const QList<ListInfoItem> &list)
{
    QVariantList objects;
    objects.reserve(list.size());
    for (const ListInfoItem &entry : list)
        objects.append(KeyedArchivable::toVariant(std::make_shared<ListInfoItem>(entry)));
    return objects;
}

QList<ListInfoItem> ListInfoItem::fromArchivable(const QVariant &value)
{
    QVariant list = value;
    if (value.typeId() == QMetaType::QByteArray)
        list = KeyedUnarchiver::unarchiveObjectWithData(value.toByteArray());
    if (list.metaType() == QMetaType::fromType<QList<ListInfoItem>>())
        return list.value<QList<ListInfoItem>>();
    QList<ListInfoItem> result;
    for (const QVariant &entry : list.toList()) {
        if (auto item = KeyedArchivable::objectAs<ListInfoItem>(entry))
            result.append(*item);
    }
    return result;
}
