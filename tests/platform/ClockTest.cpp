#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, InstalledClockAnswersUntilRemoved)
{
    const QDateTime pinned(QDate(2006, 1, 2), QTime(15, 4, 5), Qt::UTC);
    auto fixed = std::make_shared<FixedClock>(pinned);
    Clock::setInstance(fixed);
    EXPECT_EQ(Clock::now(), pinned);
    fixed->advance(60);
    EXPECT_EQ(Clock::now(), pinned.addSecs(60));
    Clock::setInstance(nullptr);
    EXPECT_GT(Clock::now().date().year(), 2020);
}
