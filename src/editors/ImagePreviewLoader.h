#pragma once

#include "io/URLHandleClient.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class CURLHandle;

// Reads the picture at a URL for a preview without holding up the window: web and FTP addresses
// load in the background through the transfer layer, local files and data URLs are read at
// once. A load that takes longer than the time limit or brings more bytes than the size limit
// fails, as does anything that is not a GIF, JPEG or PNG picture; the picture is read on a
// worker. The outcome always arrives later, as finished().
class ImagePreviewLoader : public QObject, private URLHandleClient
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutSeconds = 15;
    static constexpr qint64 kDefaultMaximumBytes = 20 * 1024 * 1024;
    // The limits of every later load (tests shorten them).
    static void setLimits(int timeoutSeconds, qint64 maximumBytes);
    static int timeoutSeconds();
    static qint64 maximumBytes();

    explicit ImagePreviewLoader(QObject *parent = nullptr);
    ~ImagePreviewLoader() override;

    // Starts reading the picture at the URL text; an earlier load is abandoned unheard.
    void load(const QString &urlText);
    void cancel();
    // Until finished() is told.
    bool isLoading() const { return m_handle != nullptr || m_delivering; }

signals:
    // The picture, or a null image when none could be read.
    void finished(const QImage &image);

private:
    void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                 const QByteArray &bytes) override;
    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;
    void deliver(const QByteArray &bytes);

    std::shared_ptr<CURLHandle> m_handle;
    quint64 m_generation = 0;
    bool m_delivering = false;
};
