// A window's place between runs: kept and put back frame to frame, and brought back within reach
// when no screen shows its title bar.
#include "ui/WindowFrame.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
const QRect kLeft(0, 0, 1000, 800);
const QRect kRight(1000, 0, 1280, 1024);
} // namespace

TEST(WindowFrameTest, AFrameWhoseTitleBarShowsStaysWhereItIs)
{
    const QList<QRect> screens {kLeft, kRight};
    for (const QRect &frame : {QRect(100, 100, 600, 400), // inside the left screen
                               QRect(-500, 50, 600, 400), // mostly off to the left
                               QRect(700, 300, 900, 500), // across both screens
                               QRect(1900, 900, 600, 400)}) // hanging out below the right one
        EXPECT_EQ(WindowFrame::reachable(frame, screens), frame) << frame.x() << "," << frame.y();
}

TEST(WindowFrameTest, AFrameOutOfReachIsCentredOnTheNearestScreen)
{
    const QList<QRect> screens {kLeft, kRight};
    // Far to the right: the right screen.
    QRect placed = WindowFrame::reachable(QRect(5000, 100, 600, 400), screens);
    EXPECT_EQ(placed.size(), QSize(600, 400));
    EXPECT_EQ(placed.center(), kRight.center());
    // Far to the left and above: the left one.
    placed = WindowFrame::reachable(QRect(-3000, -900, 600, 400), screens);
    EXPECT_EQ(placed.center(), kLeft.center());
    // The title bar above the top edge: it cannot be taken, so the frame comes down.
    placed = WindowFrame::reachable(QRect(100, -10, 600, 400), screens);
    EXPECT_TRUE(kLeft.contains(placed));
    // Only a sliver of the title bar on the screen is not enough.
    placed = WindowFrame::reachable(QRect(1000 + 1280 - 20, 100, 600, 400), screens);
    EXPECT_TRUE(kRight.contains(placed));
    // Larger than the screen it comes back to: shrunk to fit, with room for the frame.
    placed = WindowFrame::reachable(QRect(-4000, 0, 1600, 1200), screens);
    EXPECT_TRUE(kLeft.contains(placed));
    EXPECT_EQ(placed.size(), QSize(1000 - WindowFrame::kRoom, 800 - WindowFrame::kRoom));
    // Without screens nothing is known: the frame is kept.
    EXPECT_EQ(WindowFrame::reachable(QRect(9000, 9000, 10, 10), {}), QRect(9000, 9000, 10, 10));
}

TEST(WindowFrameTest, TheKeptTextPutsTheFrameBackWhereItWas)
{
    QWidget window;
    window.resize(400, 300);
    window.move(50, 60);
    // Not shown yet: no frame, the place is the window's own.
    EXPECT_EQ(WindowFrame::text(&window), "50 60 400 300");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect frame = window.frameGeometry();
    const QString kept = WindowFrame::text(&window);
    EXPECT_EQ(kept, QStringLiteral("%1 %2 400 300").arg(frame.x()).arg(frame.y()));

    QWidget again;
    WindowFrame::restore(&again, kept, QSize(100, 100), QSize(500, 400));
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.frameGeometry(), frame);

    // Damaged, missing or too small: the default size, centred on the screen.
    for (const QString &text :
         {QString(), QStringLiteral("1 2 x 4"), QStringLiteral("10 10 50 50")}) {
        QWidget fresh;
        WindowFrame::restore(&fresh, text, QSize(100, 100), QSize(500, 400));
        EXPECT_EQ(fresh.size(), QSize(500, 400)) << text.toStdString();
    }
}
