#pragma once

#include "platform/KeyedArchivable.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <memory>

// One entry of a channel's Common Feed list information: a "sort" or a "group" of the items by
// one element (its namespace URI, "" for the core RSS elements, and its name), with the data
// type a sort compares by, the label readers show and, for a sort, whether it is the default.
// The default sort names no element in the feed: its namespace, element and data type are kept
// outside the feed (see microsoftCFChannel). A value object, keyed-archivable under the keys
// "Type", "NS", "Element", "DataType", "Label" and "Default" as "ListInfoItem".
class ListInfoItem : public KeyedArchivable
{
public:
    ListInfoItem() = default;

    const QString &type() const { return m_type; }
    void setType(const QString &value) { m_type = nonNull(value); }
    const QString &ns() const { return m_ns; }
    void setNS(const QString &value) { m_ns = nonNull(value); }
    const QString &element() const { return m_element; }
    void setElement(const QString &value) { m_element = nonNull(value); }
    const QString &dataType() const { return m_dataType; }
    void setDataType(const QString &value) { m_dataType = nonNull(value); }
    const QString &label() const { return m_label; }
    void setLabel(const QString &value) { m_label = nonNull(value); }
    // "yes" for the default sort, otherwise "no".
    const QString &sortDefault() const { return m_default; }
    void setSortDefault(const QString &value) { m_default = nonNull(value); }

    bool isSort() const { return m_type == QLatin1String("sort"); }
    bool isGroup() const { return m_type == QLatin1String("group"); }
    bool isDefault() const { return m_default == QLatin1String("yes"); }

    // "type=%@, ns=%@, element=%@, dataType=%@, label=%@, default=%@".
    QString description() const;
    bool operator==(const ListInfoItem &other) const;

    QString archiveClassName() const override { return kClassName; }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;

    // Lists in archives: the archived objects of the entries, and back (anything that is not an
    // entry is skipped).
    static QVariantList toArchivable(const QList<ListInfoItem> &list);
    static QList<ListInfoItem> fromArchivable(const QVariant &value);

    static const QString kClassName; // "ListInfoItem"

private:
    static QString nonNull(const QString &text)
    {
        return text.isNull() ? QString(QLatin1String("")) : text;
    }

    QString m_type = QString(QLatin1String(""));
    QString m_ns = QString(QLatin1String(""));
    QString m_element = QString(QLatin1String(""));
    QString m_dataType = QString(QLatin1String(""));
    QString m_label = QString(QLatin1String(""));
    QString m_default = QStringLiteral("no");
};

Q_DECLARE_METATYPE(ListInfoItem)
