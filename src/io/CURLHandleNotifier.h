#pragma once

#include <QObject>
#include <QString>

class CURLHandle;

// Where the transfer handle class announces its life cycle: handles made, the handle cache made,
// changed and dropped. One instance for the whole run; observers connect to its signals.
class CURLHandleNotifier : public QObject
{
    Q_OBJECT
public:
    static const QString kCreatedNotification;
    static const QString kCacheCreateNotification;
    static const QString kCacheChangeNotification;
    static const QString kCacheDeleteNotification;

    static CURLHandleNotifier *instance();

signals:
    // Every signal also carries its notification name, for observers that listen to them all.
    void handleCreated(CURLHandle *handle);
    void cacheCreated();
    void cacheChanged();
    void cacheDeleted();
    void notificationPosted(const QString &name);

private:
    CURLHandleNotifier() = default;
};
