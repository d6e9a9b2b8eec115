#include "publish/AccountCheck.h"

#include "publish/DMMemberAccount.h"
#include "publish/ThreadWorker.h"

#include <QEventLoop>
#include <QPointer>
#include <atomic>
#include <optional>

namespace {

// Shared by the caller and the worker's end: a cancelled check returns at once and its worker
// finishes on its own, keeping this alive until it has.
struct PendingCheck
{
    std::atomic<bool> cancelled {false};
    std::optional<int> answer;
    QPointer<QEventLoop> loop;
    std::shared_ptr<ThreadWorker> worker;
};

} // namespace

int AccountCheck::validate(const std::shared_ptr<DMMemberAccount> &account, Indicator *indicator)
{
    if (!account)
        return DMMemberAccount::kNoAccount;
    // The worker asks with a copy: the caller may let its account go while the server thinks.
    auto asked = std::make_shared<DMMemberAccount>(*account);
    auto pending = std::make_shared<PendingCheck>();
    pending->worker = ThreadWorker::workOn(
        [asked, pending](ThreadWorker &worker) {
            return QVariant(asked->validateCredentials(
                [&worker, &pending] { return worker.cancelled() || pending->cancelled; }));
        },
        [pending](const QVariant &result) {
            pending->answer = result.toInt();
            if (pending->loop)
                pending->loop->quit();
            // Ends the cycle worker → did-end → pending → worker.
            pending->worker.reset();
        });
    if (!pending->worker)
        return DMMemberAccount::kNetworkError;

    QEventLoop loop;
    pending->loop = &loop;
    if (indicator)
        indicator->checkStarted([pending] {
            pending->cancelled = true;
            if (pending->loop)
                pending->loop->quit();
        });
    if (!pending->answer && !pending->cancelled)
        loop.exec();
    pending->loop = nullptr;
    if (indicator)
        indicator->checkEnded();
    if (pending->cancelled)
        return DMMemberAccount::kCancelled;
    return pending->answer.value_or(DMMemberAccount::kNetworkError);
}
