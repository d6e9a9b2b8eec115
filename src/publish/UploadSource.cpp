#include "publish/UploadSource.h"

#include "platform/BoundedFileReader.h"

#include <cstring>
#include <unistd.h>

std::unique_ptr<UploadSource> UploadSource::fromFile(const QString &path, QString *error)
{
    // Only an ordinary file, opened without waiting: a pipe would block the window at its
    // opening, and a pipe or device has no size to announce and could run forever.
    QString reason;
    const int fd = BoundedFileReader::openOrdinary(path, nullptr, &reason);
    auto file = std::make_unique<QFile>();
    if (fd < 0
        || !file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                       QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = fd < 0 ? reason : file->errorString();
        return nullptr;
    }
    std::unique_ptr<UploadSource> source(new UploadSource);
    source->m_size = file->size();
    source->m_file = std::move(file);
    return source;
}

std::unique_ptr<UploadSource> UploadSource::fromData(QByteArray bytes)
{
    std::unique_ptr<UploadSource> source(new UploadSource);
    source->m_size = bytes.size();
    source->m_bytes = std::move(bytes);
    return source;
}

QString UploadSource::readError() const
{
    return m_readFailed ? m_readError : QString();
}

void UploadSource::attachTo(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(m_size));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &UploadSource::readCallback);
    curl_easy_setopt(curl, CURLOPT_READDATA, static_cast<void *>(this));
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, &UploadSource::seekCallback);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, static_cast<void *>(this));
}

size_t UploadSource::readCallback(char *buffer, size_t size, size_t count, void *data)
{
    auto *source = static_cast<UploadSource *>(data);
    if (source->m_aborted)
        return CURL_READFUNC_ABORT;
    const qint64 room = qint64(size * count);
    const qint64 wanted = qMin(room, source->m_size - source->m_position);
    if (wanted <= 0)
        return 0;
    qint64 got = 0;
    if (source->m_file) {
        got = source->m_file->read(buffer, wanted);
        if (got <= 0) {
            // A file that shrank or a disk error: stop, rather than announce more than is sent.
            source->m_readError = got < 0
                ? source->m_file->errorString()
                : QStringLiteral("the file became shorter while it was sent");
            source->m_readFailed = true;
            return CURL_READFUNC_ABORT;
        }
    } else {
        std::memcpy(buffer, source->m_bytes.constData() + source->m_position, size_t(wanted));
        got = wanted;
    }
    source->m_position += got;
    source->m_sent += got;
    return size_t(got);
}

int UploadSource::seekCallback(void *data, curl_off_t offset, int origin)
{
    auto *source = static_cast<UploadSource *>(data);
    if (origin != SEEK_SET || offset < 0 || offset > source->m_size)
        return CURL_SEEKFUNC_CANTSEEK;
    if (source->m_file && !source->m_file->seek(offset))
        return CURL_SEEKFUNC_FAIL;
    source->m_position = offset;
    // A rewind sends those bytes again; progress shows what is in flight now.
    source->m_sent = offset;
    return CURL_SEEKFUNC_OK;
}
