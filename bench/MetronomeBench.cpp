// Metronome benchmark: how closely the pattern editor's beats keep to the
// ideal beat grid while it plays its grid through the main window.
//
// The whole program is built with the loopback MIDI driver, a measure of
// four chords is laid out with the loop marker on its last beat, and the
// editor plays it at 200 beats per minute, every beat showing its chord and
// sending it as a block chord. Each metronome tick is timed as it starts,
// and compared with the ideal grid: the moment play was switched on plus a
// whole number of beats. The note-ons that reach the loopback output are
// timed from its log, against a grid anchored where most of them fall.
//
//   bench_metronome [--beats N] [--tempo BPM] [--all] [--load N]
//
// --load N runs the measurement beside N busy processes.
//
// Goals: on a quiet machine, 99th percentile of the tick deviation under
// 1 ms and drift at the last beat under 1 ms; on a quiet machine and beside
// one busy process per processor, the first note-ons of the beats within
// 2 ms of the grid at the 99th percentile and within 5 ms at worst.
#include "BenchSupport.h"
#include "midi/ThreadUnit.h"
#include "model/Declare.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"
#include "platform/Registry.h"
#include "ui/Controls.h"
#include "ui/ImgSwitch.h"
#include "ui/Main.h"
#include "ui/Pattern.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int DefaultBeats = 200;
constexpr int DefaultTempo = 200;
constexpr double GoalMs = 1.0;
constexpr double NoteOnTailGoalMs = 2.0;
constexpr double NoteOnWorstGoalMs = 5.0;

struct TSummary {
    double median = 0;
    double p99 = 0;
    double worst = 0; // largest absolute deviation
    double last = 0;  // deviation of the last beat: the drift
};

TSummary Summarise(const std::vector<double> &deviations)
{
    TSummary summary;
    if (deviations.empty())
        return summary;
    std::vector<double> sorted = deviations;
    std::sort(sorted.begin(), sorted.end());
    summary.median = sorted[sorted.size() / 2];
    std::vector<double> magnitudes;
    for (const double d : deviations)
        magnitudes.push_back(std::fabs(d));
    std::sort(magnitudes.begin(), magnitudes.end());
    summary.p99 = magnitudes[std::min(magnitudes.size() - 1, std::size_t(std::ceil(0.99 * magnitudes.size())) - 1)];
    summary.worst = magnitudes.back();
    summary.last = deviations.back();
    return summary;
}

// The time stamps, in milliseconds, of the first note-on of every beat in
// the loopback log: a beat's note-ons follow each other within microseconds.
std::vector<double> BeatTimes(const QString &log)
{
    std::vector<double> times;
    for (const double at : bench::NoteOnTimes(log))
        if (times.empty() || at - times.back() > 50.0)
            times.push_back(at);
    return times;
}

void Print(const char *what, const TSummary &s)
{
    std::printf("%-34s median %+8.3f ms   p99 |%7.3f| ms   worst |%7.3f| ms   drift at last beat %+8.3f ms\n", what,
                s.median, s.p99, s.worst, s.last);
}

} // namespace

int main(int argc, char **argv)
{
    int beats = DefaultBeats;
    int tempo = DefaultTempo;
    bool all = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--beats") && i + 1 < argc)
            beats = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--tempo") && i + 1 < argc)
            tempo = std::clamp(std::atoi(argv[++i]), 30, 200);
        else if (!std::strcmp(argv[i], "--all"))
            all = true;
    }
    const bench::TBusyProcesses busy(bench::LoadArgument(argc, argv));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    const QString log = scratch.filePath("midi.log");
    qputenv("HARMONOVA_MIDI", "loopback");
    qputenv("HARMONOVA_MIDI_LOG", QFile::encodeName(log));
    qputenv("HARMONOVA_REGISTRY", QFile::encodeName(scratch.filePath("registry.reg")));
    QApplication app(argc, argv);
    {
        platform::TRegistry registry;
        registry.OpenKey("Software\\Harmonova", true);
        registry.WriteString("MidiIFOut", "Loopback Out");
        registry.WriteInteger("ListenType", 0);
        registry.WriteInteger("MidiChannel", 0);
        registry.WriteBool("RemindMe", false);
    }

    ui::TProgramWindows windows;
    TFormMain &main = windows.FormMain();
    TFrmPattern &pattern = windows.Pattern();

    // A measure of C, F, G and A minor, looping on its last beat.
    const int chords[4][2] = {{1, 1}, {6, 1}, {8, 1}, {10, 14}};
    for (int col = 1; col <= 4; ++col) {
        main.ChordRoot->setItemIndex(chords[col - 1][0] - 1);
        main.ChordName->setItemIndex(chords[col - 1][1] - 1);
        main.ChordRootClick();
        pattern.Grille->setCurrentCell(0, col);
        pattern.Enterchord1Click();
    }
    pattern.MnuRepeatClick();
    pattern.Grille->setCurrentCell(0, 1);
    pattern.GrilleMouseDown();
    pattern.UpDown1->setPosition(tempo);
    pattern.UpDown1Changing(tempo);
    const double beatMs = 60000 / tempo;

    // Each tick is timed before the editor's own step runs.
    std::vector<Clock::time_point> ticks;
    ticks.reserve(std::size_t(beats));
    QObject::disconnect(pattern.Metronome, &platform::TPreciseTimer::timeout, &pattern, &TFrmPattern::MetronomeTimer);
    QObject::connect(pattern.Metronome, &platform::TPreciseTimer::timeout, &pattern, [&] {
        ticks.push_back(Clock::now());
        pattern.MetronomeTimer();
        if (int(ticks.size()) >= beats) {
            pattern.BtnPlay->setStateOn(false);
            // The last chord's playback runs, then the loop ends.
            QTimer::singleShot(200, &app, &QCoreApplication::quit);
        }
    });

    // Let the start-up chord and the entries play out first.
    QTimer::singleShot(500, &app, [&] {
        std::printf("playing %d beats at %d BPM (%.0f ms a beat) through the loopback output...\n", beats, tempo,
                    beatMs);
        busy.Describe();
        std::fflush(stdout);
        QFile::resize(log, 0);
        const Clock::time_point on = Clock::now();
        pattern.BtnPlay->setStateOn(true);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&, on] {
            std::vector<double> deviations;
            for (std::size_t k = 0; k < ticks.size(); ++k) {
                const std::chrono::duration<double, std::milli> at = ticks[k] - on;
                deviations.push_back(at.count() - double(k + 1) * beatMs);
                if (all)
                    std::printf("tick %3zu  %+8.3f ms\n", k + 1, deviations.back());
            }
            Print("metronome tick vs the beat grid:", Summarise(deviations));

            // The output's clock starts with the driver: its grid is anchored
            // where most beats fall.
            const std::vector<double> heard = BeatTimes(log);
            std::vector<double> output;
            for (std::size_t k = 0; k < heard.size(); ++k)
                output.push_back(heard[k] - double(k) * beatMs);
            std::vector<double> sorted = output;
            std::sort(sorted.begin(), sorted.end());
            const double anchor = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
            for (double &d : output)
                d -= anchor;
            const TSummary notes = Summarise(output);
            Print("first note-on vs the beat grid:", notes);
            std::printf("beats heard: %zu of %zu ticks\n", heard.size(), ticks.size());
            std::printf("ticks on the event loop's thread (%s); beats sent by the timekeeper's thread (%s)\n",
                        qPrintable(platform::DescribeScheduling(platform::ThisThreadId())),
                        qPrintable(TimekeeperScheduling()));
            const TSummary s = Summarise(deviations);
            std::printf("goal (quiet machine): tick p99 and drift under %.1f ms: %s\n", GoalMs,
                        s.p99 < GoalMs && std::fabs(s.last) < GoalMs ? "met" : "NOT met");
            std::printf("goal: first note-on p99 under %.1f ms and worst under %.1f ms: %s\n", NoteOnTailGoalMs,
                        NoteOnWorstGoalMs,
                        notes.p99 < NoteOnTailGoalMs && notes.worst < NoteOnWorstGoalMs ? "met" : "NOT met");
        });
    });
    return app.exec();
}
