#include "model/sortTags.h"

sortTags &sortTags::sharedInstance()
{
    static sortTags instance;
    return instance;
}

QVariantMap sortTags::tag(const QString &type, bool children)
{
    return {{QStringLiteral("type"), type}, {QStringLiteral("children"), children}};
}

QVariantMap sortTags::namespaceRecord(const QString &displayName, const QString &DTDURL,
                                      bool wellSupported, const QVariantMap &tags)
{
    return {{QStringLiteral("displayName"), displayName},
            {QStringLiteral("DTDURL"), DTDURL},
            {QStringLiteral("wellSupported"), wellSupported},
            {QStringLiteral("sortTags"), tags}};
}

sortTags::sortTags()
{
    const QString text = QStringLiteral("text");
    QVariantMap tags;
    for (const char *name :
         {"title", "description", "link", "category", "guid", "source", "author", "comments"})
        tags.insert(QLatin1String(name), tag(text));
    tags.insert(QStringLiteral("pubDate"), tag(QStringLiteral("date")));
    m_sortTags.insert(QStringLiteral(""),
                      namespaceRecord(QStringLiteral("RSS 2.0"), QStringLiteral(""), true, tags));
}
