#include "platform/Realtime.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

namespace platform {

namespace {

const QString RealtimeKitService = QStringLiteral("org.freedesktop.RealtimeKit1");
const QString RealtimeKitPath = QStringLiteral("/org/freedesktop/RealtimeKit1");
// A service that does not answer within this is taken as absent.
constexpr int RealtimeKitTimeoutMs = 2000;

bool SetFifo(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    return sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

// Hands the reply to the next step on the application's thread; an error or
// no answer ends the request there.
void Call(const QDBusConnection &bus, const QDBusMessage &message,
          const std::function<void(const QDBusMessage &reply)> &next)
{
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(message, RealtimeKitTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, next] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && next)
            next(reply);
    });
}

QDBusMessage PropertyRequest(const QString &name)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        RealtimeKitService, RealtimeKitPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << RealtimeKitService << name;
    return message;
}

qlonglong PropertyValue(const QDBusMessage &reply)
{
    if (reply.arguments().isEmpty())
        return 0;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toLongLong();
}

// The service grants real-time priority only to a process that a thread
// running away at it would not freeze: one whose real-time threads are
// stopped after so many microseconds without a wait.
void LimitBusyTime(qlonglong microseconds)
{
    rlimit limit{};
    if (microseconds <= 0 || getrlimit(RLIMIT_RTTIME, &limit) != 0)
        return;
    const auto most = static_cast<rlim_t>(microseconds);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= most)
        return;
    limit.rlim_cur = limit.rlim_max = most;
    setrlimit(RLIMIT_RTTIME, &limit);
}

} // namespace

void AskRealtimeKit(pid_t thread, int priority, const QDBusConnection &bus)
{
    if (!QCoreApplication::instance() || !bus.isConnected())
        return;
    Call(bus, PropertyRequest(QStringLiteral("RTTimeUSecMax")), [bus, thread, priority](const QDBusMessage &time) {
        LimitBusyTime(PropertyValue(time));
        Call(bus, PropertyRequest(QStringLiteral("MaxRealtimePriority")),
             [bus, thread, priority](const QDBusMessage &highest) {
                 const qlonglong granted = std::min<qlonglong>(priority, PropertyValue(highest));
                 if (granted < 1)
                     return;
                 QDBusMessage request = QDBusMessage::createMethodCall(
                     RealtimeKitService, RealtimeKitPath, RealtimeKitService, QStringLiteral("MakeThreadRealtime"));
                 request << quint64(thread) << quint32(granted);
                 Call(bus, request, {});
             });
    });
}

pid_t ThisThreadId()
{
    return static_cast<pid_t>(syscall(SYS_gettid));
}

bool MakeThisThreadRealtime(int priority)
{
    if (SetFifo(priority))
        return true;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) != 0 || limit.rlim_cur == 0 || limit.rlim_cur >= rlim_t(priority))
        return false;
    return SetFifo(static_cast<int>(limit.rlim_cur));
}

void AskRealtimeKit(pid_t thread, int priority)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    // Connecting to the bus and the answers belong to the application's
    // thread, whose event loop delivers them.
    QMetaObject::invokeMethod(
        application, [thread, priority] { AskRealtimeKit(thread, priority, QDBusConnection::systemBus()); },
        Qt::QueuedConnection);
}

void RequestRealtime(int priority)
{
    if (MakeThisThreadRealtime(priority))
        return;
    // Until the service answers, or without it, a normal thread's sleeps
    // should at least not be stretched to gather wake-ups.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    AskRealtimeKit(ThisThreadId(), priority);
}

void NameThisThread(const char *name)
{
    pthread_setname_np(pthread_self(), name);
}

QString DescribeScheduling(pid_t thread)
{
    const int policy = sched_getscheduler(thread);
    sched_param param{};
    if (policy < 0 || sched_getparam(thread, &param) != 0)
        return QStringLiteral("unknown");
    switch (policy & ~SCHED_RESET_ON_FORK) {
    case SCHED_FIFO:
        return QStringLiteral("SCHED_FIFO priority %1").arg(param.sched_priority);
    case SCHED_RR:
        return QStringLiteral("SCHED_RR priority %1").arg(param.sched_priority);
    default: {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
        return QStringLiteral("normal (SCHED_OTHER, nice %1)").arg(errno == 0 ? nice : 0);
    }
    }
}

// ---------------------------------------------------------------------------
// Lock and condition

TRealtimeMutex::TRealtimeMutex()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&FMutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

TRealtimeMutex::~TRealtimeMutex()
{
    pthread_mutex_destroy(&FMutex);
}

void TRealtimeMutex::lock()
{
    pthread_mutex_lock(&FMutex);
}

void TRealtimeMutex::unlock()
{
    pthread_mutex_unlock(&FMutex);
}

bool TRealtimeMutex::try_lock()
{
    return pthread_mutex_trylock(&FMutex) == 0;
}

TRealtimeCondition::TRealtimeCondition()
{
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    // The steady clock is the monotonic one.
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&FCondition, &attributes);
    pthread_condattr_destroy(&attributes);
}

TRealtimeCondition::~TRealtimeCondition()
{
    pthread_cond_destroy(&FCondition);
}

void TRealtimeCondition::notify_all()
{
    pthread_cond_broadcast(&FCondition);
}

void TRealtimeCondition::wait(std::unique_lock<TRealtimeMutex> &lock)
{
    pthread_cond_wait(&FCondition, lock.mutex()->native());
}

void TRealtimeCondition::wait_until(std::unique_lock<TRealtimeMutex> &lock, TClock::time_point moment)
{
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch());
    timespec until{};
    until.tv_sec = static_cast<time_t>(since.count() / 1'000'000'000);
    until.tv_nsec = static_cast<long>(since.count() % 1'000'000'000);
    pthread_cond_timedwait(&FCondition, lock.mutex()->native(), &until);
}

} // namespace platform
