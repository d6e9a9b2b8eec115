#include "TestSupport.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

namespace TestSupport {

QString dataPath(const QString &relative)
{
    return QStringLiteral(VLX_TEST_DATA_DIR "/") + relative;
}

QByteArray readData(const QString &relative)
{
    QFile file(dataPath(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read test data " << relative.toStdString();
        return {};
    }
    return file.readAll();
}

QString serverScript(const QString &name)
{
    return QStringLiteral(VLX_TEST_SERVERS_DIR "/") + name;
}

QModelIndex findInModel(const QAbstractItemModel *model, const QString &text,
                        const QModelIndex &parent)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == text)
            return index;
        if (const QModelIndex inside = findInModel(model, text, index); inside.isValid())
            return inside;
    }
    return {};
}

bool addressSpaceCanBeBounded()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)                            \
    || __has_feature(memory_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

bool boundAddressSpaceGrowth(qint64 bytes)
{
    if (!addressSpaceCanBeBounded())
        return false;
    mallopt(M_ARENA_MAX, 1);
    // Qt hands work to the threads of its global pool (the raster painter fills large areas on
    // them) and waits for it; a thread that cannot be started under the bound would leave that
    // work undone and the wait endless. The pool's threads are started first and kept.
    QThreadPool *pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);
    const int threads = pool->maxThreadCount();
    QSemaphore started, release, finished;
    for (int i = 0; i < threads; ++i) {
        pool->start([&] {
            started.release();
            release.acquire();
            finished.release();
        });
    }
    started.acquire(threads);
    release.release(threads);
    finished.acquire(threads);

    qint64 held = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0)
            held = std::stoll(line.substr(7)) * 1024;
    }
    rlimit limit {};
    if (held <= 0 || ::getrlimit(RLIMIT_AS, &limit) != 0)
        return false;
    limit.rlim_cur = rlim_t(held + bytes);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_cur > limit.rlim_max)
        return false;
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

std::unique_ptr<QTemporaryDir> useRunTemporaryFolder()
{
    auto folder = std::make_unique<QTemporaryDir>(
        QDir::temp().filePath(QStringLiteral("vellumcast-tests-XXXXXX")));
    if (!folder->isValid())
        return nullptr;
    qputenv("TMPDIR", QFile::encodeName(folder->path()));
    return folder;
}

} // namespace TestSupport
