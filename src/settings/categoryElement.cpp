#include "settings/categoryElement.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

const QString categoryElement::kClassName = QStringLiteral("categoryElement");

namespace {
const QString kCategoryKey = QStringLiteral("Category");
const QString kDomainKey = QStringLiteral("Category Domain");

[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("categoryElement"), [] { return std::make_shared<categoryElement>(); });
} // namespace

categoryElement::categoryElement(QString category, QString domain)
{
    setCategoryString(category);
    setCategoryDomainString(domain);
}

void categoryElement::setCategoryString(const QString &value)
{
    // Never absent: a null text becomes the empty text.
    m_categoryValue = value.isNull() ? QString(QLatin1String("")) : value;
}

void categoryElement::setCategoryDomainString(const QString &value)
{
    m_categoryDomainValue = value.isNull() ? QString(QLatin1String("")) : value;
}

std::shared_ptr<categoryElement> categoryElement::copy() const
{
    auto element = std::make_shared<categoryElement>();
    element->setCategoryString(categoryString());
    element->setCategoryDomainString(categoryDomainString());
    return element;
}

QString categoryElement::archiveClassName() const
{
    return kClassName;
}

void categoryElement::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(m_categoryValue, kCategoryKey);
    coder.encodeString(m_categoryDomainValue, kDomainKey);
}

bool categoryElement::initWithCoder(const KeyedUnarchiver &coder)
{
    setCategoryString(coder.decodeStringForKey(kCategoryKey));
    setCategoryDomainString(coder.decodeStringForKey(kDomainKey));
    return true;
}
