#pragma once

#include <memory>

// The one process-wide implementation of a platform interface (alerts, help, status line, file
// choosers, passwords, the clock): the window or a test installs its own, and until then, or
// after nullptr is installed, a built-in fallback of the given class answers. Each interface
// uses it from its own source file only, so every interface has exactly one slot.
template<typename Interface, typename Fallback = Interface> class InstalledService
{
public:
    static Interface &get()
    {
        static Fallback fallback;
        const std::shared_ptr<Interface> &service = slot();
        return service ? *service : static_cast<Interface &>(fallback);
    }

    static void install(std::shared_ptr<Interface> service) { slot() = std::move(service); }

private:
    static std::shared_ptr<Interface> &slot()
    {
        static std::shared_ptr<Interface> service;
        return service;
    }
};
