#pragma once

#include <QVariantMap>

// The sortable content item element: {"content": {"displayName", "DTDURL", "wellSupported",
// "sortTags": {"encoded": {"type": "text", "children": NO}}}}, made once from the item's table.
class sortTagscontentEncoded
{
public:
    static sortTagscontentEncoded &sharedInstance();
    const QVariantMap &dictionary() const { return m_sortTags; }
    static const QVariantMap &sortTagsDictionary() { return sharedInstance().dictionary(); }

private:
    sortTagscontentEncoded();
    QVariantMap m_sortTags;
};
