#pragma once

// Real-time scheduling for the threads that keep time. A thread that sends a
// note on the beat must not wait for a processor behind a build or a browser:
// Linux runs a SCHED_FIFO thread before every normal one. The kernel grants
// it straight away where the process's limits allow (RLIMIT_RTPRIO, as an
// audio group usually has, or the capability); a desktop's RealtimeKit
// service grants it over D-Bus to those without; a thread that neither grants
// keeps its normal priority, which is no error, only less precise.
#include <QString>

#include <pthread.h>
#include <sys/types.h>

#include <chrono>
#include <mutex>

class QDBusConnection;

namespace platform {

// The priority the program's time-keeping threads ask for: above every
// normal thread, and within what RealtimeKit grants by default, which keeps
// a sound server's own threads above ours.
constexpr int TimekeepingPriority = 20;

// The calling thread's kernel id, which names a thread to the scheduler and
// to RealtimeKit.
pid_t ThisThreadId();

// SCHED_FIFO for the calling thread, at the priority asked or the highest
// RLIMIT_RTPRIO allows, never inherited by a child process. False when the
// kernel refused it.
bool MakeThisThreadRealtime(int priority);

// Asks RealtimeKit on the system bus to make the thread with the given
// kernel id SCHED_FIFO at the priority asked or the highest it grants,
// having set the limit on a real-time thread's busy time it requires. The
// call is made from the application's thread and its answers arrive there,
// so nothing waits for them; where no bus or no such service is there, or
// it refuses, the thread keeps its priority and nothing is said.
void AskRealtimeKit(pid_t thread, int priority);
// The same request on the given connection, from the calling thread, whose
// event loop gets the answers.
void AskRealtimeKit(pid_t thread, int priority, const QDBusConnection &bus);

// Real-time priority for the calling thread, the first way that works:
// from the kernel, else from RealtimeKit (later, as its answer comes), else
// none.
void RequestRealtime(int priority);

// Names the calling thread as tools that list threads show it (at most 15
// characters).
void NameThisThread(const char *name);

// How the thread with the given kernel id is scheduled now, for figures:
// "SCHED_FIFO priority 20" or "normal (SCHED_OTHER, nice 0)".
QString DescribeScheduling(pid_t thread);

// A mutex whose holder runs at the priority of the highest thread waiting
// for it, so that a real-time thread never waits while a normal one holding
// the lock is kept off the processor by the rest of the machine.
class TRealtimeMutex {
public:
    TRealtimeMutex();
    ~TRealtimeMutex();
    TRealtimeMutex(const TRealtimeMutex &) = delete;
    TRealtimeMutex &operator=(const TRealtimeMutex &) = delete;

    void lock();
    void unlock();
    bool try_lock();
    pthread_mutex_t *native() { return &FMutex; }

private:
    pthread_mutex_t FMutex;
};

// A condition for TRealtimeMutex whose waits end on moments of the steady
// clock, the monotonic clock a wake-up at a precise moment needs.
class TRealtimeCondition {
public:
    using TClock = std::chrono::steady_clock;

    TRealtimeCondition();
    ~TRealtimeCondition();
    TRealtimeCondition(const TRealtimeCondition &) = delete;
    TRealtimeCondition &operator=(const TRealtimeCondition &) = delete;

    void notify_all();
    void wait(std::unique_lock<TRealtimeMutex> &lock);
    // Returns when notified, or once the moment has come.
    void wait_until(std::unique_lock<TRealtimeMutex> &lock, TClock::time_point moment);

private:
    pthread_cond_t FCondition;
};

} // namespace platform
