// The metronome's timer as its users drive it: started, stopped, its interval
// changed while it runs and from inside its own handler. How precisely it
// keeps time is measured by bench_metronome, not here.
#include "platform/PreciseTimer.h"
#include "EventWait.h"

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

} // namespace
