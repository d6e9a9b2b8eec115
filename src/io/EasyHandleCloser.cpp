#include "io/EasyHandleCloser.h"

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <list>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Closing
{
    CURL *curl = nullptr;
    // A duplicate of the connection's socket: shutting it down ends libcurl's wait, and being
    // ours its number cannot pass to another connection while the handle ends.
    int socket = -1;
    Clock::time_point deadline;
    bool shut = false;
    bool done = false;
    std::thread thread;
};

struct Closer
{
    std::mutex mutex;
    std::condition_variable changed;
    std::list<std::shared_ptr<Closing>> closings;
    std::thread watcher;
    bool stopWatcher = false;
    // Callers of closeAll() waiting: no connection waits for its goodbye meanwhile.
    int hurrying = 0;
    // Ended closings whose threads the watcher is joining.
    int joining = 0;
    std::chrono::milliseconds goodbyeWait = EasyHandleCloser::kDefaultGoodbyeWait;

    ~Closer()
    {
        {
            std::lock_guard lock(mutex);
            stopWatcher = true;
            changed.notify_all();
        }
        if (watcher.joinable())
            watcher.join();
    }

    void start(const std::shared_ptr<Closing> &closing)
    {
        std::lock_guard lock(mutex);
        closing->deadline = Clock::now() + goodbyeWait;
        closings.push_back(closing);
        closing->thread = std::thread([this, closing] { end(closing); });
        if (!watcher.joinable())
            watcher = std::thread([this] { watch(); });
        changed.notify_all();
    }

    void end(const std::shared_ptr<Closing> &closing)
    {
        curl_easy_cleanup(closing->curl);
        std::lock_guard lock(mutex);
        ::close(closing->socket);
        closing->socket = -1;
        closing->done = true;
        changed.notify_all();
    }

    // Shuts the connections whose wait is over and joins the threads that have ended.
    void watch()
    {
        std::unique_lock lock(mutex);
        while (!(stopWatcher && closings.empty())) {
            std::list<std::shared_ptr<Closing>> ended;
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto it = closings.begin(); it != closings.end();) {
                const std::shared_ptr<Closing> &closing = *it;
                if (closing->done) {
                    ended.push_back(closing);
                    it = closings.erase(it);
                    continue;
                }
                if (!closing->shut && (stopWatcher || hurrying > 0 || closing->deadline <= now)) {
                    ::shutdown(closing->socket, SHUT_RDWR);
                    closing->shut = true;
                } else if (!closing->shut) {
                    next = std::min(next, closing->deadline);
                }
                ++it;
            }
            if (!ended.empty()) {
                joining += int(ended.size());
                lock.unlock();
                for (const auto &closing : ended)
                    closing->thread.join();
                lock.lock();
                joining -= int(ended.size());
                changed.notify_all();
                continue;
            }
            if (next == Clock::time_point::max())
                changed.wait(lock);
            else
                changed.wait_until(lock, next);
        }
    }

    void finishAll()
    {
        std::unique_lock lock(mutex);
        ++hurrying;
        changed.notify_all();
        changed.wait(lock, [this] { return closings.empty() && joining == 0; });
        --hurrying;
    }

    int pending()
    {
        std::lock_guard lock(mutex);
        return int(closings.size()) + joining;
    }
};

Closer &closer()
{
    static Closer instance;
    return instance;
}

void unhook(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, static_cast<char *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, static_cast<curl_debug_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, static_cast<curl_xferinfo_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, static_cast<curl_write_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, static_cast<curl_write_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_READDATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, static_cast<curl_seek_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, static_cast<void *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_QUOTE, static_cast<curl_slist *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_PREQUOTE, static_cast<curl_slist *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_POSTQUOTE, static_cast<curl_slist *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, static_cast<curl_slist *>(nullptr));
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, static_cast<curl_mime *>(nullptr));
}

} // namespace

void EasyHandleCloser::close(CURL *curl)
{
    if (!curl)
        return;
    unhook(curl);
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK
        || socket == CURL_SOCKET_BAD) {
        curl_easy_cleanup(curl);
        return;
    }
    auto closing = std::make_shared<Closing>();
    closing->curl = curl;
    closing->socket = ::fcntl(socket, F_DUPFD_CLOEXEC, 0);
    if (closing->socket < 0) {
        // Without a socket of our own the connection can only be let go without a goodbye.
        ::shutdown(socket, SHUT_RDWR);
        curl_easy_cleanup(curl);
        return;
    }
    closer().start(closing);
}

void EasyHandleCloser::closeAll()
{
    closer().finishAll();
}

int EasyHandleCloser::pendingCount()
{
    return closer().pending();
}

void EasyHandleCloser::setGoodbyeWait(std::chrono::milliseconds wait)
{
    Closer &c = closer();
    std::lock_guard lock(c.mutex);
    c.goodbyeWait = wait;
}

std::chrono::milliseconds EasyHandleCloser::goodbyeWait()
{
    Closer &c = closer();
    std::lock_guard lock(c.mutex);
    return c.goodbyeWait;
}
