#include "platform/PreciseTimer.h"

#include <QTimer>

#include <algorithm>
#include <thread>

namespace platform {

namespace {

// How early the Qt timer wakes before a tick: its rounding up to a whole
// millisecond, and a margin for a thread that is slow to be scheduled.
constexpr std::chrono::microseconds WakeEarly(2500);
// How long before a tick the thread stops sleeping and watches the clock.
constexpr std::chrono::microseconds SpinLast(1000);

} // namespace

TPreciseTimer::TPreciseTimer(QObject *parent) : QObject(parent), FWaker(new QTimer(this))
{
    FWaker->setSingleShot(true);
    FWaker->setTimerType(Qt::PreciseTimer);
    connect(FWaker, &QTimer::timeout, this, &TPreciseTimer::Wake);
}

void TPreciseTimer::setInterval(int milliseconds)
{
    FInterval = std::max(milliseconds, 1);
    if (!FActive)
        return;
    FNext = FLast + std::chrono::milliseconds(FInterval);
    Schedule();
}

void TPreciseTimer::start()
{
    FActive = true;
    FLast = TClock::now();
    FNext = FLast + std::chrono::milliseconds(FInterval);
    Schedule();
}

void TPreciseTimer::stop()
{
    FActive = false;
    FWaker->stop();
}

int TPreciseTimer::remainingTime() const
{
    if (!FActive)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(FNext - TClock::now());
    return std::max(0, int(left.count()));
}

void TPreciseTimer::Schedule()
{
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(FNext - WakeEarly - TClock::now());
    FWaker->start(std::max(0, int(wait.count())));
}

void TPreciseTimer::Wake()
{
    if (!FActive)
        return;
    // The last stretch is waited here, where nothing rounds it.
    if (TClock::now() < FNext - SpinLast)
        std::this_thread::sleep_until(FNext - SpinLast);
    while (TClock::now() < FNext) {
    }
    const TClock::time_point now = TClock::now();
    const std::chrono::milliseconds interval(FInterval);
    // The grid is the tick's planned moment, or this late tick itself.
    FLast = now - FNext > interval ? now : FNext;
    FNext = FLast + interval;
    Schedule();
    // The handler may stop the timer or change its interval: the next tick
    // is planned before it runs.
    emit timeout();
}

} // namespace platform
