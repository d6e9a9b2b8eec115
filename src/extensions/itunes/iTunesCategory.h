#pragma once

#include "platform/KeyedArchivable.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <memory>

// One iTunes category of a channel: a category name and an optional sub-category name, both from
// the category tree (iTunesCategoryTree). A value object, copyable and keyed-archivable (keys
// "Category" and "SubCategory"); inside settings values it travels as an ArchivableRef and the
// registry knows it as "iTunesCategory".
class iTunesCategory : public KeyedArchivable
{
public:
    iTunesCategory() = default;
    iTunesCategory(const QString &category, const QString &subCategory);

    const QString &category() const { return m_category; }
    void setCategory(const QString &value);
    const QString &subCategory() const { return m_subCategory; }
    void setSubCategory(const QString &value);

    // "Arts", or "Arts ⎮ Design" (U+23AE between blanks) with a sub-category.
    QString displayValue() const;
    // Same category and same sub-category.
    bool isEqualToCategory(const iTunesCategory &other) const;
    bool operator==(const iTunesCategory &other) const { return isEqualToCategory(other); }

    std::shared_ptr<iTunesCategory> copy() const;

    QString archiveClassName() const override { return kClassName; }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;

    // Lists in settings and archives: the archived objects of the entries, and back (anything
    // that is not a category is skipped).
    static QVariantList toArchivable(const QList<iTunesCategory> &list);
    static QList<iTunesCategory> fromArchivable(const QVariant &value);

    static const QString kClassName; // "iTunesCategory"

private:
    QString m_category = QString(QLatin1String(""));
    QString m_subCategory = QString(QLatin1String(""));
};

Q_DECLARE_METATYPE(iTunesCategory)
