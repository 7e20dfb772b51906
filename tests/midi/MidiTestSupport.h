#pragma once

#include "EventWait.h"
#include "platform/Exception.h"
#include "platform/MidiApi.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Handles posted events until the condition holds. The bound only keeps a
// broken build from hanging; no test measures how long anything took.
inline bool WaitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Whatever a driver posts meanwhile stays queued for the test to handle
// when it means to.
using hntest::WaitWithoutHandling;

// Handles whatever is already queued, such as notices posted by a call that
// has just returned.
inline void HandlePostedEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The message of the platform exception the operation throws.
template <class Operation> QString MessageOf(Operation &&operation)
{
    try {
        operation();
    } catch (const platform::Exception &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing thrown)");
}

using Messages = std::vector<std::string>;

// The messages the loopback output received, as "90 30 40".
inline Messages Sent()
{
    Messages messages;
    for (const auto &bytes : platform::loopback::Sent()) {
        std::string text;
        for (const uint8_t byte : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
            text += hex;
        }
        messages.push_back(text);
    }
    return messages;
}
