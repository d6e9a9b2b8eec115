#pragma once

#include <functional>

// A window that asks the user something and waits for the answer (an alert, an editor the user
// must close) is announced just before it shows, on the application's thread, so that whatever
// shows progress over the window steps out of its way instead of covering the question.
class QuestionNotice
{
public:
    // Tells every listener that a question is about to show (the application's thread only).
    static void announce();

    // Listens while it lives; the listener runs on the application's thread.
    explicit QuestionNotice(std::function<void()> listener);
    ~QuestionNotice();
    QuestionNotice(const QuestionNotice &) = delete;
    QuestionNotice &operator=(const QuestionNotice &) = delete;

private:
    std::function<void()> m_listener;
};
