#pragma once

#include <chrono>
#include <curl/curl.h>

// Ends libcurl easy handles away from the thread that lets them go. Ending a handle that still
// holds a connection says goodbye to the server (FTP's QUIT) and waits for the answer, with
// libcurl's own response time-out of two minutes; a server that never answers would hold the
// window that long. Here each such handle ends on a thread of its own, and a server that has not
// answered within the goodbye wait has its connection shut, so the handle still ends promptly.
//
// The closer owns the handle from close() on: its callbacks and their data are unhooked first,
// so the object that set them may go at once.
class EasyHandleCloser
{
public:
    static constexpr std::chrono::milliseconds kDefaultGoodbyeWait {2000};

    // Takes the handle. One without a live connection ends here and now (nothing to wait for).
    static void close(CURL *curl);
    // Shuts every connection still waiting for its goodbye and waits for their handles to end:
    // before libcurl's global clean-up, and at quit.
    static void closeAll();
    // Handles still ending.
    static int pendingCount();
    static void setGoodbyeWait(std::chrono::milliseconds wait);
    static std::chrono::milliseconds goodbyeWait();
};
