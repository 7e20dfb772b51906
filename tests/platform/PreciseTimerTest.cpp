// The metronome's timer as its users drive it: started, stopped, its interval
// changed while it runs and from inside its own handler. How precisely it
// keeps time is measured by bench_metronome, not here.
#include "platform/PreciseTimer.h"
#include "EventWait.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using hntest::WaitFor;

TEST(PreciseTimer, TicksUntilStoppedAndNotOnceAfterwards)
{
    platform::TPreciseTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &platform::TPreciseTimer::timeout, [&] { ++ticks; });
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(timer.remainingTime(), -1);

    timer.setInterval(15);
    EXPECT_FALSE(timer.isActive()) << "setting the interval starts nothing";
    timer.start();
    EXPECT_TRUE(timer.isActive());
    EXPECT_LE(timer.remainingTime(), 15);
    ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }));

    timer.stop();
    const int stoppedAt = ticks;
    QTest::qWait(60);
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_EQ(timer.remainingTime(), -1);
}

TEST(PreciseTimer, TheHandlerMayStopItOrChangeItsInterval)
{
    platform::TPreciseTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &platform::TPreciseTimer::timeout, [&] {
        if (++ticks == 1)
            timer.setInterval(60000); // the next tick a minute from now
    });
    timer.setInterval(10);
    timer.start();
    ASSERT_TRUE(WaitFor([&] { return ticks == 1; }));
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 60000);
    EXPECT_GT(timer.remainingTime(), 50000);
    QTest::qWait(40);
    EXPECT_EQ(ticks, 1);

    // Stopped by its own handler: no tick follows.
    QObject::disconnect(&timer, nullptr, nullptr, nullptr);
    QObject::connect(&timer, &platform::TPreciseTimer::timeout, [&] {
        ++ticks;
        timer.stop();
    });
    timer.setInterval(10);
    ASSERT_TRUE(WaitFor([&] { return ticks == 2; }));
    QTest::qWait(40);
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer.isActive());
}

// A tempo held on its arrow changes the interval many times a beat: each
// change counts from the last tick, not from the change, so the ticks go on.
TEST(PreciseTimer, ANewIntervalCountsFromTheLastTick)
{
    platform::TPreciseTimer timer;
    int ticks = 0;
    QElapsedTimer sinceTick;
    QObject::connect(&timer, &platform::TPreciseTimer::timeout, [&] {
        sinceTick.start();
        if (++ticks == 1)
            timer.setInterval(60000);
    });
    timer.setInterval(10);
    timer.start();
    ASSERT_TRUE(WaitFor([&] { return ticks == 1; }));
    QTest::qWait(100);

    timer.setInterval(30000);
    EXPECT_LE(timer.remainingTime(), 30000 - sinceTick.elapsed()) << "counted from the change";
    timer.setInterval(30001);
    timer.setInterval(29999);
    EXPECT_LE(timer.remainingTime(), 29999 - 100) << "nor from any of the changes before";

    // A moment already past: the tick comes at once, and the next ones a new
    // interval apart.
    timer.setInterval(50);
    EXPECT_EQ(timer.remainingTime(), 0);
    ASSERT_TRUE(WaitFor([&] { return ticks == 3; }));
    EXPECT_TRUE(timer.isActive());
    timer.stop();
}

} // namespace
