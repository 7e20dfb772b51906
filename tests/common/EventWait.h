#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace hntest {

// Handles events until the condition holds. The bound only keeps a broken
// build from hanging; nothing here measures how long anything took.
inline bool WaitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Waits for the condition without handling any event, as a thread busy
// with something else does: whatever is posted meanwhile stays queued.
inline bool WaitWithoutHandling(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
    return true;
}

} // namespace hntest
