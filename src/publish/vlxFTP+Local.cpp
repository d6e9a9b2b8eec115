// Publishing to local folders: each file copied on a worker thread into a temporary file that
// is renamed into place, so a reader never sees half a file and a failed copy leaves the old one.
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/vlxFTP.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 kChunk = 1024 * 1024;
const QString kWriteError = QStringLiteral("Error writing file");

// Copies the source to the target; "" on success, else the reason.
QString copy(UploadSource &source, const QString &target, const ThreadWorker &worker)
{
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return kWriteError;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return kWriteError;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        if (worker.cancelled())
            source.abort();
        const size_t n = UploadSource::readCallback(buffer.data(), 1, size_t(kChunk), &source);
        if (n == CURL_READFUNC_ABORT) {
            out.cancelWriting();
            return source.aborted()
                ? vlxFTP::kTransferAborted
                : QStringLiteral("Error reading file: %1").arg(source.readError());
        }
        if (n == 0)
            break;
        if (out.write(buffer.constData(), qint64(n)) != qint64(n)) {
            out.cancelWriting();
            return kWriteError;
        }
    }
    return out.commit() ? QString() : kWriteError;
}

} // namespace

void vlxFTP::copyToLocalFolder(const QueueEntry &entry)
{
    m_view->setStatus(QStringLiteral("In Progress"));
    const QString target = PublishPaths::localTarget(entry.remoteFolder, entry.remoteName);
    UploadSource *source = m_source.get();
    m_localCopy = ThreadWorker::workOn(
        [source, target](ThreadWorker &worker) { return QVariant(copy(*source, target, worker)); },
        [this](const QVariant &result) { localCopyEnded(result.toString()); });
}

void vlxFTP::localCopyEnded(const QString &failure)
{
    m_localCopy.reset();
    if (failure.isEmpty()) {
        m_view->setStatus(QStringLiteral("Succeeded"));
        if (m_uploadingItem)
            currentUploadSucceeded(*m_uploadingItem);
    } else {
        appendTransferFailed(failure);
        if (m_uploadingItem)
            currentUploadFailed(*m_uploadingItem, failure);
    }
    continueAfterFile();
}
