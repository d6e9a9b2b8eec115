#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <curl/curl.h>
#include <memory>

// The bytes of one upload, fed to libcurl as it asks for them: a file read from the disk a
// buffer at a time (so no enclosure is ever held whole in memory) or bytes already made (the feed
// XML, the converted image, an export). It counts what it has handed over and carries the
// user's Abort into the transfer.
//
// libcurl calls the read and seek callbacks on the transfer thread; the counters and the abort
// flag are atomics read by the main thread for progress and written by it to abort.
class UploadSource
{
public:
    // The file, opened now; null (and the reason in *error) when it cannot be read.
    static std::unique_ptr<UploadSource> fromFile(const QString &path, QString *error = nullptr);
    static std::unique_ptr<UploadSource> fromData(QByteArray bytes);

    qint64 size() const { return m_size; }
    // Bytes handed to libcurl so far.
    qint64 bytesSent() const { return m_sent; }

    // The next read stops the transfer (libcurl then fails it with its abort error).
    void abort() { m_aborted = true; }
    bool aborted() const { return m_aborted; }
    // A read error of the disk, "" when there was none.
    QString readError() const;

    // Sets the upload options of the easy handle: UPLOAD, INFILESIZE_LARGE and the read and
    // seek callbacks with this source as their data. The source must outlive the transfer.
    void attachTo(CURL *curl);

    static size_t readCallback(char *buffer, size_t size, size_t count, void *source);
    static int seekCallback(void *source, curl_off_t offset, int origin);

private:
    UploadSource() = default;

    std::unique_ptr<QFile> m_file;
    QByteArray m_bytes;
    qint64 m_size = 0;
    qint64 m_position = 0;
    std::atomic<qint64> m_sent {0};
    std::atomic<bool> m_aborted {false};
    std::atomic<bool> m_readFailed {false};
    QString m_readError; // written on the transfer thread before m_readFailed is set
};
