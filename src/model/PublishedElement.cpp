#include "model/PublishedElement.h"

PublishedElement::PublishedElement() : m_pubDate(QStringLiteral("")) { }

void PublishedElement::validateCategories(const QString &message)
{
    for (const categoryElement &c : std::as_const(m_category)) {
        if (c.categoryString().isEmpty() && !c.categoryDomainString().isEmpty()) {
            recordError(message);
            return;
        }
    }
}
