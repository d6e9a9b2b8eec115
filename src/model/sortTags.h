#pragma once

#include <QString>
#include <QVariantMap>

// The catalogue of sortable elements of the core RSS 2.0 item: one entry under the key "" with
// the display name "RSS 2.0" and the nine core tags. Built on first use, shared, never changed.
//
// A catalogue maps a namespace key (its prefix, "" for the core) to a record
//   {"displayName", "DTDURL", "wellSupported", "sortTags": {element: {"type", "children"}}}
// where "type" is one of "text", "date", "number", "duration".
class sortTags
{
public:
    static sortTags &sharedInstance();
    const QVariantMap &sortTagsDictionary() const { return m_sortTags; }
    static const QVariantMap &coreSortTags() { return sharedInstance().sortTagsDictionary(); }

    // One tag record.
    static QVariantMap tag(const QString &type, bool children = false);
    // One namespace record.
    static QVariantMap namespaceRecord(const QString &displayName, const QString &DTDURL,
                                       bool wellSupported, const QVariantMap &tags);

private:
    sortTags();
    QVariantMap m_sortTags;
};
