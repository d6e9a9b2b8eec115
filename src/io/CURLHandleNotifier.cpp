#include "io/CURLHandleNotifier.h"

const QString CURLHandleNotifier::kCreatedNotification
    = QStringLiteral("CURLHandleCreatedNotification");
const QString CURLHandleNotifier::kCacheCreateNotification
    = QStringLiteral("CURLHandleCacheCreateNotification");
const QString CURLHandleNotifier::kCacheChangeNotification
    = QStringLiteral("CURLHandleCacheChangeNotification");
const QString CURLHandleNotifier::kCacheDeleteNotification
    = QStringLiteral("CURLHandleCacheDeleteNotification");

CURLHandleNotifier *CURLHandleNotifier::instance()
{
    // Deliberately never destroyed: handles may announce themselves during static teardown.
    static CURLHandleNotifier *notifier = new CURLHandleNotifier;
    return notifier;
}
