#include "platform/QuestionNotice.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<QuestionNotice *> &listeners()
{
    static std::vector<QuestionNotice *> all;
    return all;
}
} // namespace

void QuestionNotice::announce()
{
    // A listener may stop listening (or start) while it is told.
    const std::vector<QuestionNotice *> told = listeners();
    for (QuestionNotice *listener : told) {
        if (std::ranges::find(listeners(), listener) != listeners().end())
            listener->m_listener();
    }
}

QuestionNotice::QuestionNotice(std::function<void()> listener) : m_listener(std::move(listener))
{
    listeners().push_back(this);
}

QuestionNotice::~QuestionNotice()
{
    std::erase(listeners(), this);
}
