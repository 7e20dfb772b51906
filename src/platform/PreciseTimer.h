#pragma once

#include <QObject>

#include <chrono>

class QTimer;

namespace platform {

// A repeating timer whose ticks keep to a grid: tick n comes n intervals
// after the start, however long the handlers take, to within the system's
// wake-up latency. Qt's own timers round every wait up to a whole
// millisecond, which makes each tick up to a millisecond late; this one is
// woken by a Qt timer a little early, sleeps most of the rest of the way and
// watches the clock for the last millisecond: a thread that sleeps right up
// to the tick is often scheduled late on a busy machine. That costs about a
// millisecond of one core per tick, and holds the thread's events as long.
//
// A tick more than a whole interval late (the thread was busy) starts a new
// grid from that tick, as Qt's timers do. Changing the interval of a running
// timer keeps the ticks coming: the next one falls one new interval after
// the last tick (or the start), at once when that moment has passed. So a
// tempo changed step by step, as a held arrow does, never holds a beat back.
class TPreciseTimer : public QObject {
    Q_OBJECT
public:
    explicit TPreciseTimer(QObject *parent = nullptr);

    int interval() const { return FInterval; }
    void setInterval(int milliseconds);
    bool isActive() const { return FActive; }
    void start();
    void stop();
    // Milliseconds until the next tick; -1 when stopped.
    int remainingTime() const;
    // The moment of the next tick on the steady clock, while active.
    std::chrono::steady_clock::time_point nextTick() const { return FNext; }

signals:
    void timeout();

private:
    using TClock = std::chrono::steady_clock;

    void Schedule();
    void Wake();

    QTimer *FWaker;
    int FInterval = 1000;
    bool FActive = false;
    TClock::time_point FLast; // the last tick, or the start
    TClock::time_point FNext;
};

} // namespace platform
