#pragma once

#include <functional>

// Work on a worker thread that has to ask the user something (an alert, the source editor)
// hands the question to the application's thread and waits there for the answer: windows live
// on that thread only. The worker stops at the point of the question and goes on with the
// answer, so questions come in the order the work raises them.
namespace MainThreadCall {
// True on the thread that runs the application's event loop (or when there is no application).
bool onMainThread();

// Runs the call on the application's thread and waits for it; runs it at once when already
// there. When the calling thread is asked to stop (QThread::requestInterruption) before the call
// ran, it is dropped and false is answered; true once it ran.
bool run(const std::function<void()> &call);

// The same for a call with an answer; the fallback answers a dropped call.
template<typename Answer> Answer ask(const std::function<Answer()> &question, Answer fallback)
{
    Answer answer = fallback;
    run([&] { answer = question(); });
    return answer;
}
} // namespace MainThreadCall
