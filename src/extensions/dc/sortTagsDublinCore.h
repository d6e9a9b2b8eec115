#pragma once

#include <QVariantMap>

// The sortable Dublin Core item elements: {"dc": {"displayName", "DTDURL", "wellSupported",
// "sortTags": {element: {"type", "children"}}}}, every element but the subject, made once from
// the item's field table.
class sortTagsDublinCore
{
public:
    static sortTagsDublinCore &sharedInstance();
    const QVariantMap &dictionary() const { return m_sortTags; }
    static const QVariantMap &sortTagsDictionary() { return sharedInstance().dictionary(); }

private:
    sortTagsDublinCore();
    QVariantMap m_sortTags;
};
