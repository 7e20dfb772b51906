// MIDI thru latency with the analysis window open: the time from a note
// entering the loopback input to its echo leaving the loopback output, with
// the analysis window pressing keys and recognising the held chord after
// every note.
//
// The program's windows are built as at start-up, with the loopback devices
// chosen, and an analysis window is opened. A feeder thread plays the notes
// as a keyboard would: it reads a clock, hands the bytes to the loopback
// input, and waits until the echo has left the output before it plays the
// next. The echo's time is the one the loopback driver wrote in its log as
// the message left, brought onto the feeder's clock by marks the benchmark
// sends through the output first. The feeder stands for the keyboard and the
// kernel's driver of it, which no busy process holds back: it runs at
// real-time priority where the system grants it. The user-interface thread
// meanwhile runs its event loop as the program does. The benchmark says how
// the process's threads are scheduled.
//
// The notes: three keys (C E G) are held throughout so the recognition
// always has a chord to find; the measured notes alternate a note-on and its
// velocity-0 release, walking over the other notes from 24 to 71.
//
// With --flood, a feeder thread instead plays notes at the given rate (events
// a second; the default, 133333, is 400 KB/s of note messages) for the given
// time, far faster than any keyboard, while another thread posts an event to
// the user-interface thread every 20 ms, as a click would come in. The figures
// are how long those events waited to be handled, how many notes were echoed
// and lost, and the process's peak memory.
//
//   bench_analyse_latency [--notes N] [--load N]
//   bench_analyse_latency --flood SECONDS [--rate EVENTS_PER_SECOND] [--load N]
//
// --load N runs the measurement beside N busy processes.
//
// Goals: median under 0.5 ms, 99th percentile under 2 ms, also beside one
// busy process per processor; in a flood, every event answered within 50 ms
// and the memory bounded whatever the rate.
#include "BenchSupport.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "model/Declare.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"
#include "platform/Registry.h"
#include "ui/Main.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int DefaultNotes = 1000;
constexpr double MedianGoalMs = 0.5;
constexpr double TailGoalMs = 2.0;
constexpr int HeldNotes[] = {48, 52, 55}; // C E G below middle C
constexpr int LowestNote = 24;
constexpr int HighestNote = 71;
// A keyboard player's notes are milliseconds apart at the very least; the
// pause also lets each note's recognition end before the next note comes.
constexpr auto PauseBetweenNotes = std::chrono::milliseconds(1);
constexpr auto EchoTimeout = std::chrono::seconds(2);
constexpr auto EchoLook = std::chrono::microseconds(200);
constexpr int ClockMarks = 20;
constexpr int RecognitionRuns = 1000;
constexpr int DefaultFloodRate = 133333; // 400 KB/s of three-byte messages
constexpr auto FloodChunk = std::chrono::milliseconds(1);
constexpr auto ClickPeriod = std::chrono::milliseconds(20);
constexpr double AnswerGoalMs = 50.0;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Milliseconds(Clock::time_point t)
{
    return Milliseconds(t.time_since_epoch());
}

// The loopback log's lines: the time stamp in milliseconds of the driver's
// clock and the bytes as the log writes them.
struct TLogged {
    double ms;
    QByteArray bytes;
};

std::vector<TLogged> ReadLog(const QString &log)
{
    std::vector<TLogged> lines;
    QFile file(log);
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (const qsizetype blank = line.indexOf(' '); blank > 0)
                lines.push_back({line.left(blank).toDouble(), line.mid(blank + 1)});
    return lines;
}

QByteArray Hex(const std::vector<uint8_t> &bytes)
{
    QByteArray text;
    for (const uint8_t byte : bytes)
        text += (text.isEmpty() ? "" : " ") + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
    return text;
}

// Marks sent through the output with the time they were sent: the log's
// clock lies behind ours by the largest difference, the mark that left
// soonest after its time was read.
double LogClockOffset(TMidiOutput &output, const QString &log)
{
    std::vector<double> sent;
    for (int i = 0; i < ClockMarks; ++i) {
        sent.push_back(Milliseconds(Clock::now()));
        output.SendShort(0xFE, 0, 0);
    }
    std::vector<double> logged;
    for (const TLogged &line : ReadLog(log))
        if (line.bytes == "FE")
            logged.push_back(line.ms);
    double offset = -1e300;
    for (std::size_t i = 0; i < std::min(sent.size(), logged.size()); ++i)
        offset = std::max(offset, sent[i] - logged[i]);
    return offset;
}

// Every thread of the process with how it is scheduled.
void DescribeThreads()
{
    QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        name.open(QIODevice::ReadOnly);
        std::printf("  thread %-16s %s\n", name.readAll().trimmed().constData(),
                    qPrintable(platform::DescribeScheduling(task.toInt())));
    }
}
double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()));
    return values[index];
}

// The notes measured: a note-on, then its release, over every note of the
// keyboard but the held ones.
std::vector<std::vector<uint8_t>> MeasuredEvents(int count)
{
    std::vector<int> notes;
    for (int note = LowestNote; note <= HighestNote; ++note)
        if (std::find(std::begin(HeldNotes), std::end(HeldNotes), note) == std::end(HeldNotes))
            notes.push_back(note);
    std::vector<std::vector<uint8_t>> events;
    for (int i = 0; i < count; ++i) {
        // Steps of 7 semitones' places visit every note before repeating.
        const int note = notes[static_cast<std::size_t>((i / 2) * 7) % notes.size()];
        events.push_back({0x90, static_cast<uint8_t>(note), static_cast<uint8_t>(i % 2 == 0 ? 100 : 0)});
    }
    return events;
}

void PrepareSettings(const QString &registryFile)
{
    qputenv("HARMONOVA_REGISTRY", QFile::encodeName(registryFile));
    qputenv("HARMONOVA_MIDI", "loopback");
    platform::TRegistry registry;
    registry.OpenKey("Software\\Harmonova", true);
    registry.WriteString("MidiIFIn", "Loopback In");
    registry.WriteString("MidiIFOut", "Loopback Out");
    registry.WriteInteger("ListenType", -1);
    registry.WriteBool("RemindMe", false);
}

// The time one recognition takes with the held chord, for comparison.
double RecognitionMedianMs(TFormAnalyse &window)
{
    std::vector<double> times;
    for (int i = 0; i < RecognitionRuns; ++i) {
        const Clock::time_point start = Clock::now();
        window.RecogniseChord();
        times.push_back(Milliseconds(Clock::now() - start));
    }
    return Percentile(times, 0.5);
}

// The peak resident memory of the process, in megabytes.
double PeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// Notes pressed and released over the window's keyboard, `rate` events a
// second for `seconds`, while clicks come in; then the event loop ends.
int RunFlood(QApplication &app, const TMidiInput &input, double seconds, int rate)
{
    platform::loopback::ClearSent();
    std::atomic<bool> flooding = true;
    std::atomic<long> fed = 0;
    std::thread feeder([&] {
        const int perChunk = std::max(1, rate / 1000);
        const Clock::time_point end =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        Clock::time_point next = Clock::now();
        long n = 0;
        while (Clock::now() < end) {
            std::vector<uint8_t> bytes;
            for (int i = 0; i < perChunk; ++i, ++n)
                bytes.insert(bytes.end(), {0x90, static_cast<uint8_t>(LowestNote + (n / 2) % 48),
                                           static_cast<uint8_t>(n % 2 == 0 ? 100 : 0)});
            platform::loopback::Feed(bytes);
            fed += perChunk;
            next += FloodChunk;
            std::this_thread::sleep_until(next);
        }
        flooding = false;
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    std::vector<double> answers; // written on the user-interface thread only
    std::thread clicker([&] {
        while (flooding) {
            const Clock::time_point posted = Clock::now();
            QMetaObject::invokeMethod(
                &app, [&answers, posted] { answers.push_back(Milliseconds(Clock::now() - posted)); },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(ClickPeriod);
        }
    });
    app.exec();
    feeder.join();
    clicker.join();

    if (answers.empty()) {
        std::fprintf(stderr, "no click was answered\n");
        return 1;
    }
    const double worst = Percentile(answers, 1.0);
    std::printf("A flood of %d events a second for %.1f s with the analysis window open\n", rate, seconds);
    std::printf("  events fed %ld, echoed %zu, lost %u\n", fed.load(), platform::loopback::Sent().size(),
                input.LostCount());
    std::printf("  clicks answered  %zu, median %.3f ms, 99th percentile %.3f ms\n", answers.size(),
                Percentile(answers, 0.5), Percentile(answers, 0.99));
    std::printf("  slowest answer   %.3f ms  (goal < %.0f ms)  %s\n", worst, AnswerGoalMs,
                worst < AnswerGoalMs ? "met" : "NOT met");
    std::printf("  peak memory      %.1f MB\n", PeakMemoryMb());
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: bench_analyse_latency [--notes N] [--load N]\n"
                         "       bench_analyse_latency --flood SECONDS [--rate EVENTS_PER_SECOND] [--load N]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int count = DefaultNotes;
    double floodSeconds = 0;
    int floodRate = DefaultFloodRate;
    int load = 0;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return Usage();
        if (std::strcmp(argv[i], "--notes") == 0)
            count = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--flood") == 0)
            floodSeconds = std::max(0.1, std::atof(argv[++i]));
        else if (std::strcmp(argv[i], "--rate") == 0)
            floodRate = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--load") == 0)
            load = std::max(0, std::atoi(argv[++i]));
        else
            return Usage();
    }
    const bench::TBusyProcesses busy(load);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(scratch.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(scratch.path()));
    }
    PrepareSettings(scratch.filePath("registry.reg"));
    const QString log = scratch.filePath("midi.log");
    qputenv("HARMONOVA_MIDI_LOG", QFile::encodeName(log));

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ui::TProgramWindows program;
    TFrmMidiSetup &setup = program.MidiSetup();
    TMidiOutput &output = *setup.Midi_IF_Output;
    if (!output.DeviceHandle()) {
        std::fprintf(stderr, "the loopback output is not open\n");
        return 1;
    }
    auto *window = new TFormAnalyse(&program.FormMain());
    window->show();
    if (floodSeconds > 0) {
        busy.Describe();
        return RunFlood(app, *setup.Midi_IF_Input, floodSeconds, floodRate);
    }
    const double logClock = LogClockOffset(output, log);

    std::vector<std::vector<uint8_t>> events;
    for (const int note : HeldNotes)
        events.push_back({0x90, static_cast<uint8_t>(note), 100});
    const std::size_t firstMeasured = events.size();
    for (auto &event : MeasuredEvents(count))
        events.push_back(std::move(event));

    std::vector<double> fed;
    std::atomic<int> lost = 0;
    QString feederScheduling;
    std::thread feeder([&] {
        platform::MakeThisThreadRealtime(platform::TimekeepingPriority);
        feederScheduling = platform::DescribeScheduling(platform::ThisThreadId());
        platform::loopback::ClearSent();
        for (std::size_t i = 0; i < events.size(); ++i) {
            fed.push_back(Milliseconds(Clock::now()));
            if (!platform::loopback::Feed(events[i]) ||
                !bench::WaitUntil(EchoTimeout, EchoLook, [] { return !platform::loopback::Sent().empty(); })) {
                ++lost;
                break;
            }
            platform::loopback::ClearSent();
            std::this_thread::sleep_for(PauseBetweenNotes);
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    feeder.join();

    // The echoes are the log's lines after the last mark, in the order fed.
    std::vector<TLogged> logged = ReadLog(log);
    const auto lastMark =
        std::find_if(logged.rbegin(), logged.rend(), [](const TLogged &line) { return line.bytes == "FE"; });
    logged.erase(logged.begin(), lastMark.base());
    std::vector<double> latencies;
    for (std::size_t i = firstMeasured; i < std::min(fed.size(), logged.size()); ++i) {
        if (logged[i].bytes != Hex(events[i]))
            break;
        latencies.push_back(logged[i].ms + logClock - fed[i]);
    }
    if (lost > 0 || latencies.size() + firstMeasured != events.size()) {
        std::fprintf(stderr, "an echo never came or came out of order: %zu of %zu notes measured\n", latencies.size(),
                     events.size() - firstMeasured);
        return 1;
    }
    const double median = Percentile(latencies, 0.5);
    const double tail = Percentile(latencies, 0.99);
    const double worst = Percentile(latencies, 1.0);
    std::printf("MIDI in to MIDI thru with the analysis window open, %zu notes (%d keys held)\n", latencies.size(),
                int(std::size(HeldNotes)));
    busy.Describe();
    std::printf("  median           %.3f ms  (goal < %.1f ms)  %s\n", median, MedianGoalMs,
                median < MedianGoalMs ? "met" : "NOT met");
    std::printf("  99th percentile  %.3f ms  (goal < %.1f ms)  %s\n", tail, TailGoalMs,
                tail < TailGoalMs ? "met" : "NOT met");
    std::printf("  worst            %.3f ms\n", worst);
    std::printf("  one recognition of the held chord: median %.3f ms\n", RecognitionMedianMs(*window));
    std::printf("  chord named: %s\n", qPrintable(window->TntLabel1->text()));
    std::printf("  notes fed from a thread scheduled %s; the program's threads:\n", qPrintable(feederScheduling));
    DescribeThreads();
    return 0;
}
