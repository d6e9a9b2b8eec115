#pragma once

#include <QByteArray>
#include <QString>

class URLHandle;

// Someone who wants to hear how a URL handle's load goes. Every call arrives on the thread that
// created the handle, in the order: began, data (zero or more times), then exactly one of
// finished or failed, unless the load was cancelled (then only cancelled).
class URLHandleClient
{
public:
    virtual ~URLHandleClient() = default;

    virtual void URLHandleResourceDidBeginLoading(URLHandle *sender) { (void)sender; }
    virtual void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                         const QByteArray &newBytes)
    {
        (void)sender;
        (void)newBytes;
    }
    virtual void URLHandleResourceDidFinishLoading(URLHandle *sender) { (void)sender; }
    virtual void URLHandleResourceDidCancelLoading(URLHandle *sender) { (void)sender; }
    virtual void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender, const QString &reason)
    {
        (void)sender;
        (void)reason;
    }
};
