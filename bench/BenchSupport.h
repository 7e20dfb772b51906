#pragma once

// What several benchmarks measure alike: processor time of short pieces of
// work, and the note-ons the loopback driver wrote down.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <ctime>
#include <functional>
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

} // namespace bench
