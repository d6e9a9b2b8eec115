#pragma once

#include <QVariantMap>

// The sortable iTunes item elements: {"itunes": {"displayName", "DTDURL", "wellSupported",
// "sortTags": {element: {"type", "children"}}}}, made once from the item's field table.
class sortTagsiTunes
{
public:
    static sortTagsiTunes &sharedInstance();
    const QVariantMap &dictionary() const { return m_sortTags; }
    static const QVariantMap &sortTagsDictionary() { return sharedInstance().dictionary(); }

private:
    sortTagsiTunes();
    QVariantMap m_sortTags;
};
