#pragma once

#include "platform/KeyedArchivable.h"

#include <QString>
#include <memory>

// One RSS 2.0 category: its text and optional domain attribute. A plain value object, copyable
// and keyed-archivable (keys "Category" and "Category Domain"). Inside settings values it
// travels as an ArchivableRef; the registry knows it as "categoryElement".
class categoryElement : public KeyedArchivable
{
public:
    categoryElement() = default;
    categoryElement(QString category, QString domain);

    const QString &categoryString() const { return m_categoryValue; }
    void setCategoryString(const QString &value);
    const QString &categoryDomainString() const { return m_categoryDomainValue; }
    void setCategoryDomainString(const QString &value);

    std::shared_ptr<categoryElement> copy() const;

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;

    static const QString kClassName;

private:
    QString m_categoryValue = QString(QLatin1String(""));
    QString m_categoryDomainValue = QString(QLatin1String(""));
};
