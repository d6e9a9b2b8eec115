#pragma once

#include <functional>
#include <memory>

class DMMemberAccount;

// The server's check of a disk account, asked on a worker thread: a slow or silent server keeps
// the window that asked waiting, not frozen. The calling thread runs its event loop until the
// answer comes or the user cancels; the window shows meanwhile what its Indicator shows.
class AccountCheck
{
public:
    // The asking window's progress indication and its Cancel.
    class Indicator
    {
    public:
        virtual ~Indicator() = default;
        // The check runs; calling cancel stops it (the check then answers kCancelled at once).
        virtual void checkStarted(std::function<void()> cancel) = 0;
        virtual void checkEnded() = 0;
    };

    // The answer of DMMemberAccount::validateCredentials, kNoAccount without an account, or
    // DMMemberAccount::kCancelled when the user cancelled. The indicator may be null.
    static int validate(const std::shared_ptr<DMMemberAccount> &account, Indicator *indicator);
};
