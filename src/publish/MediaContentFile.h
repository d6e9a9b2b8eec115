#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class VLXItems;

// One media:content element of an item as the publisher sees it: the content URL (its last
// path component is the remote file name), the local file published for it and when that was
// last uploaded.
//
// Until Media RSS has a model of its own, an item's media:content elements are read from the
// raw XML its extension manager keeps; their local files and upload dates then live only in
// these objects (the publish window sets the files), not in the feed.
class MediaContentFile
{
public:
    virtual ~MediaContentFile() = default;

    virtual QString contentURL() const = 0;
    virtual QString localEnclosureFilePath() const = 0;
    virtual void setLocalEnclosureFilePath(const QString &path) = 0;
    virtual QDateTime lastUploaded() const = 0;
    // An invalid date stores "never" (1970-01-01 00:00:00 UTC).
    virtual void setLastUploaded(const QDateTime &date) = 0;

    // The item's media:content elements in document order, inside media:group too.
    static QList<std::shared_ptr<MediaContentFile>> mediaContentsOfItem(const VLXItems &item);
};
