#pragma once

#include "model/TitledElement.h"
#include "settings/categoryElement.h"

#include <QList>
#include <QString>

// What the channel and its items have beyond the image's fields: a publication date and a list
// of categories, and the rule that a category with a domain needs a text.
class PublishedElement : public TitledElement
{
public:
    const QString &pubDate() const { return m_pubDate; }
    void setPubDate(const QString &value) { m_pubDate = value; }

    const QList<categoryElement> &category() const { return m_category; }
    void setCategory(const QList<categoryElement> &list) { m_category = list; }
    void addCategory(const categoryElement &value) { m_category.append(value); }
    void replaceCategory(const categoryElement &value, int index) { m_category[index] = value; }
    void removeCategoryAtIndex(int index) { m_category.removeAt(index); }

protected:
    PublishedElement();
    PublishedElement(const PublishedElement &other) = default;
    PublishedElement &operator=(const PublishedElement &) = delete;
    ~PublishedElement() override = default;

    // Records the error message once when any category has a domain but no text.
    void validateCategories(const QString &message);

    QString m_pubDate;
    QList<categoryElement> m_category;
};
