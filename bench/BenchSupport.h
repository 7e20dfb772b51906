#pragma once

// What several benchmarks measure alike: processor time of short pieces of
// work, the note-ons the loopback driver wrote down, and a busy machine to
// measure beside.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

namespace bench {

struct Figures {
    double median;
    double slowest;
};

// Processor time of this thread: on a machine shared with other work the
// wall clock mostly measures the waits for a processor.
inline double ThreadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs the work the given number of times, telling it which run it is.
inline Figures Measure(int runs, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double start = ThreadMs();
        work(i);
        ms.push_back(ThreadMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

inline Figures Measure(int runs, const std::function<void()> &work)
{
    return Measure(runs, [&](int) { work(); });
}

// The time stamps, in milliseconds, of the note-ons the loopback log holds.
inline std::vector<double> NoteOnTimes(const QString &log)
{
    std::vector<double> times;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return times;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[1].startsWith('9'))
            times.push_back(fields[0].toDouble());
    }
    return times;
}

// The count given with --load, 0 without it.
inline int LoadArgument(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--load") == 0)
            return std::max(0, std::atoi(argv[i + 1]));
    return 0;
}

// Processes that keep a processor busy at normal priority, as a build or a
// browser does, for as long as the object lives. Made before any thread of
// the benchmark starts, so that a child holds nothing but its loop; a child
// also ends when the benchmark dies.
class TBusyProcesses {
public:
    explicit TBusyProcesses(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t child = fork();
            if (child == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (child > 0)
                children_.push_back(child);
        }
    }
    ~TBusyProcesses()
    {
        for (const pid_t child : children_)
            kill(child, SIGKILL);
        for (const pid_t child : children_)
            waitpid(child, nullptr, 0);
    }
    TBusyProcesses(const TBusyProcesses &) = delete;
    TBusyProcesses &operator=(const TBusyProcesses &) = delete;

    int Count() const { return static_cast<int>(children_.size()); }

    // Said in every benchmark's output, so that a figure can be run again.
    void Describe() const
    {
        double load = 0;
        if (std::FILE *file = std::fopen("/proc/loadavg", "r")) {
            if (std::fscanf(file, "%lf", &load) != 1)
                load = 0;
            std::fclose(file);
        }
        if (children_.empty())
            std::printf("measured without busy processes of its own (load average %.2f on %ld processors)\n", load,
                        sysconf(_SC_NPROCESSORS_ONLN));
        else
            std::printf("measured beside %zu busy processes (load average %.2f on %ld processors)\n", children_.size(),
                        load, sysconf(_SC_NPROCESSORS_ONLN));
    }

private:
    std::vector<pid_t> children_;
};

// Looks every so often until the condition holds or the time is up; false
// when it is.
template <typename Rep, typename Period, typename Condition>
bool WaitUntil(std::chrono::duration<Rep, Period> most, std::chrono::microseconds every, Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + most;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(every);
    }
    return true;
}

} // namespace bench
