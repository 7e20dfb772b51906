// Arpeggio benchmark: how evenly the notes of an ascending arpeggio follow
// each other, and how much of the processor the program takes while it
// waits between them.
//
// A 13-note arpeggio (the chromatic scale from the C chords are built on to
// the C above) is played through the loopback MIDI output the way the
// program plays it: a playback thread hands the body to the event loop,
// which sends the first note and waits, handling events, while the
// timekeeper's thread sends the others Speed milliseconds apart. The
// benchmark says how each thread is scheduled. The loopback driver
// writes every message to its log with a time stamp; the gaps between
// successive note-ons are read from there. The processor time is the
// process's user and system time over the whole run.
//
//   bench_arpeggio [--speed MS] [--runs N] [--load N]
//
// --load N runs the measurement beside N busy processes.
//
// Goals: every gap within 0.5 ms of Speed on a quiet machine and within 1 ms
// beside one busy process per processor; under 5 % of one core while waiting.
#include "BenchSupport.h"
#include "midi/MidiOut.h"
#include "midi/ThreadUnit.h"
#include "model/Declare.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int Notes = 13;
constexpr int FirstKey = 13;
constexpr int DefaultSpeed = 150;
constexpr int DefaultRuns = 5;
constexpr double GapGoalMs = 0.5;
constexpr double LoadedGapGoalMs = 1.0;
constexpr double StopGoalMs = 100.0;
constexpr double CpuGoalPercent = 5.0;

double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

using bench::NoteOnTimes;

// Plays the arpeggio as the program does and returns once it has ended.
void PlayArpeggio(TMidiOutput &output)
{
    QEventLoop loop;
    TMidiThread::Start([&] {
        PlayChordNotes(&output);
        loop.quit();
    });
    loop.exec();
    while (LiveMidiThreads() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// How late a bare sleep on a deadline of the monotonic clock wakes, in
// milliseconds, sorted.
std::vector<double> PlainSleepOvershoots(int speed, std::size_t count)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> overshoots;
    Clock::time_point deadline = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        deadline += std::chrono::milliseconds(speed);
        std::this_thread::sleep_until(deadline);
        overshoots.push_back(std::chrono::duration<double, std::milli>(Clock::now() - deadline).count());
    }
    std::sort(overshoots.begin(), overshoots.end());
    return overshoots;
}

// Starts an arpeggio that would wait 2^31 - 1 ms after each note, stops the
// playbacks as the program's end does once its first note is out, and
// returns how long the playback then took to return, in milliseconds.
double StopDuringLongestWait(TMidiOutput &output, std::size_t &sentAfterStop)
{
    model::Speed = INT_MAX;
    platform::loopback::ClearSent();
    std::chrono::steady_clock::time_point stopped;
    std::size_t sentAtStop = 0;
    QTimer stopper;
    stopper.setInterval(1);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (platform::loopback::Sent().empty())
            return;
        stopper.stop();
        sentAtStop = platform::loopback::Sent().size();
        stopped = std::chrono::steady_clock::now();
        StopMidiThreads();
    });
    stopper.start();
    PlayArpeggio(output);
    const auto returned = std::chrono::steady_clock::now();
    sentAfterStop = platform::loopback::Sent().size() - sentAtStop;
    return std::chrono::duration<double, std::milli>(returned - stopped).count();
}

int Argument(int argc, char **argv, const char *name, int byDefault)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return byDefault;
}

} // namespace

int main(int argc, char **argv)
{
    const int speed = Argument(argc, argv, "--speed", DefaultSpeed);
    const int runs = std::max(1, Argument(argc, argv, "--runs", DefaultRuns));
    const bench::TBusyProcesses busy(bench::LoadArgument(argc, argv));
    const double gapGoal = busy.Count() > 0 ? LoadedGapGoalMs : GapGoalMs;

    QTemporaryDir scratch;
    const QString log = scratch.filePath("midi.log");
    setenv("HARMONOVA_MIDI", "loopback", 1);
    setenv("HARMONOVA_MIDI_LOG", QFile::encodeName(log).constData(), 1);
    unsetenv("HARMONOVA_MIDI_INPUT");
    QCoreApplication app(argc, argv);

    TMidiOutput output;
    output.setProductName("Loopback Out");
    if (!output.Open()) {
        std::fprintf(stderr, "bench_arpeggio: the loopback output would not open\n");
        return 1;
    }

    for (int slot = 1; slot <= Notes; ++slot)
        model::ChordNotes[slot].Note = FirstKey + slot - 1;
    model::Speed = speed;
    model::MidiChannel = 0;
    model::Detune = 0;
    PlayAtOnce = false;
    ArpeggioDirection = "up";

    const auto wallStart = std::chrono::steady_clock::now();
    const double processorStart = ProcessorSeconds();
    for (int run = 0; run < runs; ++run)
        PlayArpeggio(output);
    const double processor = ProcessorSeconds() - processorStart;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const QString timekeeper = TimekeeperScheduling();

    const std::vector<double> times = NoteOnTimes(log);
    if (times.size() != static_cast<std::size_t>(Notes * runs)) {
        std::fprintf(stderr, "bench_arpeggio: %zu note-ons logged, %d expected\n", times.size(), Notes * runs);
        return 1;
    }
    std::vector<double> gaps;
    for (int run = 0; run < runs; ++run)
        for (int note = 1; note < Notes; ++note)
            gaps.push_back(times[run * Notes + note] - times[run * Notes + note - 1]);
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    double deviation = 0;
    for (const double gap : gaps)
        deviation = std::max(deviation, std::abs(gap - speed));
    const double median = sorted[sorted.size() / 2];
    const double ninetyFifth = sorted[sorted.size() * 95 / 100];
    const auto onTime =
        std::count_if(gaps.begin(), gaps.end(), [&](double gap) { return std::abs(gap - speed) <= gapGoal; });
    const double cpuPercent = 100.0 * processor / wall;

    std::printf("Ascending arpeggio of %d notes at Speed %d ms, %d runs, %zu gaps between note-ons\n", Notes, speed,
                runs, gaps.size());
    busy.Describe();
    std::printf("  first notes sent by the event loop's thread (%s), the others by the timekeeper's (%s)\n",
                qPrintable(platform::DescribeScheduling(platform::ThisThreadId())), qPrintable(timekeeper));
    std::printf("  gap min %.3f ms, median %.3f ms, 95th percentile %.3f ms, max %.3f ms\n", sorted.front(), median,
                ninetyFifth, sorted.back());
    std::printf("  gaps within %.1f ms of %d ms: %td of %zu\n", gapGoal, speed, onTime, gaps.size());
    std::printf("  largest deviation from %d ms: %.3f ms (goal: within %.1f ms): %s\n", speed, deviation, gapGoal,
                deviation <= gapGoal ? "met" : "NOT met");
    std::printf("  processor time %.3f s over %.3f s: %.2f %% of one core (goal: under %.0f %%): %s\n", processor, wall,
                cpuPercent, CpuGoalPercent, cpuPercent < CpuGoalPercent ? "met" : "NOT met");

    const std::vector<double> plain = PlainSleepOvershoots(speed, gaps.size());
    const auto plainLate = std::count_if(plain.begin(), plain.end(), [&](double late) { return late > gapGoal; });
    std::printf("  for comparison, %zu plain sleeps of %d ms woke late by min %.3f ms, median %.3f ms, max %.3f ms; "
                "%td more than %.1f ms late\n",
                plain.size(), speed, plain.front(), plain[plain.size() / 2], plain.back(), plainLate, gapGoal);

    std::size_t sentAfterStop = 0;
    const double stop = StopDuringLongestWait(output, sentAfterStop);
    std::printf("Arpeggio at Speed %d ms stopped after its first note\n", INT_MAX);
    std::printf("  returned %.3f ms after the stop, %zu messages sent after it (goal: within %.0f ms, none): %s\n",
                stop, sentAfterStop, StopGoalMs, stop <= StopGoalMs && sentAfterStop == 0 ? "met" : "NOT met");
    return 0;
}
