#include "editors/ClockControl.h"

#include "EditorTestSupport.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <stdexcept>

namespace {
// A 128-point clock: radius 64, centre (64, 64).
class ClockControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.resize(128, 128);
        at(14, 0);
    }
    void at(int hour, int minute)
    {
        clock.setTime(
            QDateTime(QDate(2008, 3, 4), QTime(hour, minute, 9), Qt::OffsetFromUTC, 3600));
    }
    // A point at a clockwise angle from twelve o'clock, some way out from the centre.
    static QPointF toward(double degrees, double distance = 40)
    {
        const double rad = degrees * std::numbers::pi / 180.0;
        return {64 + distance * std::sin(rad), 64 - distance * std::cos(rad)};
    }
    QString shown() const { return clock.time().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")); }

    ClockControl clock;
};
} // namespace

TEST_F(ClockControlTest, DraggingTheHourHandSetsHourAndMinuteWithinTheHalfOfTheDay)
{
    QSignalSpy changed(&clock, &ClockControl::activated);
    MouseDriver::drag(&clock, toward(200), toward(90));
    EXPECT_EQ(shown(), "2008-03-04 15:00:09 UTC+01:00");
    EXPECT_GE(changed.count(), 1);

    at(14, 0);
    MouseDriver::drag(&clock, toward(10), toward(359.5));
    EXPECT_EQ(shown(), "2008-03-04 23:59:09 UTC+01:00");

    // Morning stays morning; half past three is the hand at 105 degrees.
    at(9, 0);
    MouseDriver::drag(&clock, toward(10), toward(105.25));
    EXPECT_EQ(clock.time().time(), QTime(3, 30, 9));

    // The release itself moves nothing.
    at(14, 0);
    MouseDriver::press(&clock, toward(90));
    MouseDriver::release(&clock, toward(180));
    EXPECT_EQ(clock.time().time(), QTime(15, 0, 9));
}

TEST_F(ClockControlTest, APressExactlyAtTheCentreKeepsTheTime)
{
    QSignalSpy changed(&clock, &ClockControl::activated);
    MouseDriver::press(&clock, QPointF(64, 64));
    MouseDriver::move(&clock, QPointF(64, 64));
    MouseDriver::release(&clock, QPointF(64, 64));
    EXPECT_EQ(shown(), "2008-03-04 14:00:09 UTC+01:00");
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(ClockControlTest, AClickOnTheRimOrOutsideTheFaceTogglesAmPm)
{
    MouseDriver::click(&clock, toward(45, 60)); // beyond 0.9 r
    EXPECT_EQ(shown(), "2008-03-05 02:00:09 UTC+01:00");
    clock.resize(200, 128); // the face stays a 128-point square at the left
    MouseDriver::click(&clock, QPointF(180, 64));
    EXPECT_EQ(shown(), "2008-03-05 14:00:09 UTC+01:00");
}

TEST_F(ClockControlTest, ArrowKeysMoveMinutesAndShiftAQuarterHour)
{
    at(10, 50);
    QTest::keyClick(&clock, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(clock.time().time(), QTime(11, 5, 9));
    at(10, 50);
    QTest::keyClick(&clock, Qt::Key_Right);
    EXPECT_EQ(clock.time().time(), QTime(10, 51, 9));
    at(0, 0);
    QTest::keyClick(&clock, Qt::Key_Left);
    EXPECT_EQ(shown(), "2008-03-03 23:59:09 UTC+01:00");
    QTest::keyClick(&clock, Qt::Key_Space);
    EXPECT_EQ(shown(), "2008-03-04 11:59:09 UTC+01:00");
}

TEST_F(ClockControlTest, TextValueIsTwelveHourEnglish)
{
    ClockCell *cell = clock.cell();
    at(15, 7);
    EXPECT_EQ(cell->stringValue(), "03:07 PM");
    at(0, 30);
    EXPECT_EQ(cell->stringValue(), "12:30 AM");

    cell->setStringValue(QStringLiteral("11:45 pm"));
    EXPECT_EQ(clock.time().time(), QTime(23, 45, 0));
    EXPECT_EQ(clock.time().date(), QDate(2008, 3, 4));
    cell->setStringValue(QStringLiteral("12:10 AM"));
    EXPECT_EQ(clock.time().time(), QTime(0, 10, 0));
    for (const char *bad : {"13:00 PM", "7:5 AM", "noon", ""}) {
        cell->setStringValue(QString::fromLatin1(bad));
        EXPECT_EQ(clock.time().time(), QTime(0, 10, 0)) << bad;
    }

    cell->setObjectValue(QStringLiteral("01:02 PM"));
    EXPECT_EQ(clock.time().time(), QTime(13, 2, 0));
    EXPECT_THROW(cell->setObjectValue(42), std::invalid_argument);
    EXPECT_EQ(cell->copy()->time(), clock.time());
}

TEST_F(ClockControlTest, SettingTheSameTimeSendsNoAction)
{
    QSignalSpy changed(&clock, &ClockControl::activated);
    at(14, 0);
    clock.takeHourValueFrom(14);
    clock.takeMinuteValueFrom(-1);
    EXPECT_EQ(changed.count(), 0);
    clock.takeMinuteValueFrom(20);
    EXPECT_EQ(clock.time().time(), QTime(14, 20, 9));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(ClockControlTest, ContextMenuOffersSetTimeToNow)
{
    at(3, 7);
    std::unique_ptr<QMenu> menu(clock.cell()->menuForEvent(nullptr));
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "03:07 AM");
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Set Time To Now");
    const QDateTime before = QDateTime::currentDateTimeUtc();
    actions[2]->trigger();
    EXPECT_LE(std::abs(clock.time().secsTo(before)), 5);
    EXPECT_EQ(clock.time().offsetFromUtc(), 3600); // now, shown in the value's own offset
}

TEST_F(ClockControlTest, HandsAreDrawnTheRightWayUp)
{
    // At 3:00 the minute hand points up and the hour hand right; nothing dark lies below.
    at(3, 0);
    const QImage drawn = clock.grab().toImage();
    auto darkness = [&drawn](int x, int y) { return 255 - qGray(drawn.pixel(x, y)); };
    EXPECT_GT(darkness(64, 64 - 20), darkness(64, 64 + 20) + 60); // up, not down
    EXPECT_GT(darkness(64 + 20, 64), darkness(64 - 20, 64) + 60); // right, not left
}
