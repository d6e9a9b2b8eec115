#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class VLXItems;

// One media:content element of an item as the publisher sees it: the content URL (its last
// path component is the remote file name), the local file published for it and when that was
// last uploaded.
// Each object stands for one element of the item's Media RSS extension: what the publisher sets
// lands in the feed's model.
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

    // The item's media:content elements in list order, while the item uses Media RSS.
    static QList<std::shared_ptr<MediaContentFile>> mediaContentsOfItem(const VLXItems &item);
};
