// MIDI thru latency with the analysis window open: the time from a note
// entering the loopback input to its echo leaving the loopback output, with
// the analysis window pressing keys and recognising the held chord after
// every note.
//
// The program's windows are built as at start-up, with the loopback devices
// chosen, and an analysis window is opened. A feeder thread plays the notes
// as a keyboard would: it reads a clock, hands the bytes to the loopback
// input, and waits for the echo. The echo's time is read on the
// user-interface thread right after the output has taken the message: the
// set-up dialog's output is replaced by one that notes that time, on the
// same device. The user-interface thread meanwhile runs its event loop as
// the program does, so the figures include waking it.
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
#include "platform/Registry.h"
#include "ui/Main.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
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
constexpr int RecognitionRuns = 1000;
constexpr int DefaultFloodRate = 133333; // 400 KB/s of three-byte messages
constexpr auto FloodChunk = std::chrono::milliseconds(1);
constexpr auto ClickPeriod = std::chrono::milliseconds(20);
constexpr double AnswerGoalMs = 50.0;

// The dialog's output, noting when each echoed event has left it.
class TTimedOutput : public TMidiOutput {
public:
    using TMidiOutput::TMidiOutput;

    void SendEvent(const TMyMidiEvent &event) override
    {
        TMidiOutput::SendEvent(event);
        const Clock::time_point now = Clock::now();
        {
            std::lock_guard lock(mutex_);
            echoes_.push_back(now);
        }
        echoed_.notify_all();
    }

    std::size_t EchoCount()
    {
        std::lock_guard lock(mutex_);
        return echoes_.size();
    }

    // The time the index-th echo left, or nothing when it did not come in time.
    bool WaitForEcho(std::size_t index, Clock::time_point &at)
    {
        std::unique_lock lock(mutex_);
        if (!echoed_.wait_for(lock, EchoTimeout, [&] { return echoes_.size() > index; }))
            return false;
        at = echoes_[index];
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable echoed_;
    std::vector<Clock::time_point> echoes_;
};

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
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
int RunFlood(QApplication &app, TTimedOutput &output, const TMidiInput &input, double seconds, int rate)
{
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
    std::printf("  events fed %ld, echoed %zu, lost %u\n", fed.load(), output.EchoCount(), input.LostCount());
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

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ui::TProgramWindows program;
    TFrmMidiSetup &setup = program.MidiSetup();
    setup.CloseOutput();
    auto *output = new TTimedOutput(&setup);
    output->setProductName("Loopback Out");
    if (!output->Open()) {
        std::fprintf(stderr, "cannot open the loopback output\n");
        return 1;
    }
    setup.Midi_IF_Output = output;
    auto *window = new TFormAnalyse(&program.FormMain());
    window->show();
    if (floodSeconds > 0) {
        busy.Describe();
        return RunFlood(app, *output, *setup.Midi_IF_Input, floodSeconds, floodRate);
    }

    std::vector<std::vector<uint8_t>> events;
    for (const int note : HeldNotes)
        events.push_back({0x90, static_cast<uint8_t>(note), 100});
    const std::size_t firstMeasured = events.size();
    for (auto &event : MeasuredEvents(count))
        events.push_back(std::move(event));

    std::vector<double> latencies;
    std::atomic<int> lost = 0;
    std::thread feeder([&] {
        for (std::size_t i = 0; i < events.size(); ++i) {
            const Clock::time_point fed = Clock::now();
            Clock::time_point echoed;
            if (!platform::loopback::Feed(events[i]) || !output->WaitForEcho(i, echoed)) {
                ++lost;
                break;
            }
            if (i >= firstMeasured)
                latencies.push_back(Milliseconds(echoed - fed));
            std::this_thread::sleep_for(PauseBetweenNotes);
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    feeder.join();

    if (lost > 0 || latencies.empty()) {
        std::fprintf(stderr, "an echo never came: %zu of %zu notes measured\n", latencies.size(), events.size());
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
    return 0;
}
