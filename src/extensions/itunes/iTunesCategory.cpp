#include "extensions/itunes/iTunesCategory.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

const QString iTunesCategory::kClassName = QStringLiteral("iTunesCategory");

namespace {
const QString kCategoryKey = QStringLiteral("Category");
const QString kSubCategoryKey = QStringLiteral("SubCategory");

// In place before the settings store first decodes a stored category list.
[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("iTunesCategory"), [] { return std::make_shared<iTunesCategory>(); });

QString nonNull(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}
} // namespace

iTunesCategory::iTunesCategory(const QString &category, const QString &subCategory)
    : m_category(nonNull(category)), m_subCategory(nonNull(subCategory))
{
}

void iTunesCategory::setCategory(const QString &value)
{
    m_category = nonNull(value);
}

void iTunesCategory::setSubCategory(const QString &value)
{
    m_subCategory = nonNull(value);
}

QString iTunesCategory::displayValue() const
{
    if (m_subCategory.isEmpty())
        return m_category;
    return m_category + QLatin1String(" ") + QChar(0x23AE) + QLatin1String(" ") + m_subCategory;
}

bool iTunesCategory::isEqualToCategory(const iTunesCategory &other) const
{
    return m_category == other.m_category && m_subCategory == other.m_subCategory;
}

std::shared_ptr<iTunesCategory> iTunesCategory::copy() const
{
    return std::make_shared<iTunesCategory>(m_category, m_subCategory);
}

void iTunesCategory::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(m_category, kCategoryKey);
    coder.encodeString(m_subCategory, kSubCategoryKey);
}

bool iTunesCategory::initWithCoder(const KeyedUnarchiver &coder)
{
    setCategory(coder.decodeStringForKey(kCategoryKey));
    setSubCategory(coder.decodeStringForKey(kSubCategoryKey));
    return true;
}

QVariantList iTunesCategory::toArchivable(const QList<iTunesCategory> &list)
{
    QVariantList objects;
    objects.reserve(list.size());
    for (const iTunesCategory &entry : list)
        objects.append(KeyedArchivable::toVariant(entry.copy()));
    return objects;
}

QList<iTunesCategory> iTunesCategory::fromArchivable(const QVariant &value)
{
    QVariant list = value;
    if (value.typeId() == QMetaType::QByteArray)
        list = KeyedUnarchiver::unarchiveObjectWithData(value.toByteArray());
    QList<iTunesCategory> result;
    if (list.metaType() == QMetaType::fromType<QList<iTunesCategory>>())
        return list.value<QList<iTunesCategory>>();
    for (const QVariant &entry : list.toList()) {
        if (auto category = KeyedArchivable::objectAs<iTunesCategory>(entry))
            result.append(*category);
    }
    return result;
}
