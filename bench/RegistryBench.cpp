// Settings store benchmark: how long the program's settings take to load and
// to save when the registry file also holds a large key of someone else's,
// and how that time grows with the file.
//
// For each size, a registry file is written with the program's settings and
// one other key of N values (numbers, texts and expandable texts over two
// lines, about 75 bytes a value). Then, each run on a fresh copy of that file:
//   load   the settings' load at start-up (the file read and parsed, every
//          setting looked up and read),
//   save   the settings' save at close (the file read afresh, 14 values set,
//          the file written out and put in place),
//   lookup every value of the other key read by name through an open key.
// The figures are medians over the runs: wall-clock times, and the processor
// time of load and save alone (on a busy machine the wall clock also counts
// the waits for a processor; the save's also counts the wait for the disk).
//
//   bench_registry [--runs N] [--max VALUES]
//
// Goal: a 1.5 MB file of 20,000 values loads and saves in under 50 ms each,
// and the time per value stays flat as the file grows (linear cost).
#include "model/Declare.h"
#include "model/Settings.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <time.h>
#include <vector>

namespace {

constexpr int DefaultRuns = 7;
constexpr int GoalValues = 20000;
constexpr double GoalMs = 50;
const QString OtherKey = QStringLiteral("Software\\Studio\\Recent sessions");

QString ValueName(int i)
{
    static const char *const kinds[] = {"Take", "Recent pattern", "Session folder", "Tempo"};
    return QStringLiteral("%1 %2").arg(QLatin1String(kinds[i % 4])).arg(i, 5, 10, QLatin1Char('0'));
}

QByteArray RegistryText(int values)
{
    QByteArray text = "Windows Registry Editor Version 5.00\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Harmonova]\n"
                      "\"WindowCompact\"=dword:00000000\n\"AlterationsEnDiese\"=dword:00000001\n"
                      "\"Notation\"=dword:00000001\n\"AutoListen\"=dword:00000001\n\"ListenType\"=dword:00000001\n"
                      "\"MidiIFIn\"=\"Loopback In\"\n\"MidiIFOut\"=\"Loopback Out\"\n\"Son\"=dword:00000000\n"
                      "\"Detune\"=dword:00000000\n\"MidiChannel\"=dword:00000001\n\"Language\"=dword:00000001\n"
                      "\"Speed\"=dword:00000096\n\"Background\"=\"\"\n\"OnTop\"=dword:00000000\n"
                      "\"RemindMe\"=dword:00000001\n\n"
                      "; sessions kept by the studio program\n"
                      "[HKEY_CURRENT_USER\\" +
                      OtherKey.toUtf8() + "]\n";
    for (int i = 0; i < values; ++i) {
        const QByteArray name = '"' + ValueName(i).toUtf8() + "\"=";
        switch (i % 4) {
        case 0:
            text += name + QByteArray("dword:") + QByteArray::number(0x1000 + i, 16).rightJustified(8, '0');
            break;
        case 1:
            text += name + "\"/home/musician/Patterns/Evening session " + QByteArray::number(i) +
                    "/slow ballad in E flat, second take.hnv\"";
            break;
        case 2:
            text += name + "hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,53,00,65,00,73,00,73,00,69,00,\\\n"
                           "  6f,00,6e,00,73,00,00,00";
            break;
        default:
            text += name + "dword:" + QByteArray::number(60 + i % 140, 16).rightJustified(8, '0');
            break;
        }
        text += '\n';
    }
    return text;
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double ThreadCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Wall-clock time, and the processor time of the work alone in cpu.
template <typename F> double Milliseconds(F &&work, std::vector<double> &cpu)
{
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cpu.push_back(ThreadCpuMs() - cpuStart);
    return wall;
}

void Put(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
        std::exit(2);
    }
}

struct Figures {
    int values;
    qint64 bytes;
    double load, save, lookup;
    double loadCpu, saveCpu;
};

Figures Measure(const QString &fileName, int values, int runs)
{
    const QByteArray text = RegistryText(values);
    std::vector<double> loads, saves, lookups, loadCpu, saveCpu, lookupCpu;
    for (int run = 0; run < runs; ++run) {
        Put(fileName, text);
        // A settings file has sat on the disk a while before it is read:
        // only then may the store trust its time stamp and skip reading it
        // again at the save.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        loads.push_back(Milliseconds([] { model::LoadSettings(); }, loadCpu));
        model::Speed = 200 + run; // something to store
        saves.push_back(Milliseconds([] { model::SaveSettings(); }, saveCpu));
        lookups.push_back(Milliseconds(
            [&] {
                platform::TRegistry registry;
                registry.OpenKey(OtherKey, false);
                long sum = 0;
                for (int i = 0; i < values; ++i)
                    sum += registry.ValueExists(ValueName(i)) ? 1 : 0;
                if (sum != values) {
                    std::fprintf(stderr, "lookup found %ld of %d values\n", sum, values);
                    std::exit(2);
                }
            },
            lookupCpu));
    }
    return {values,         QFileInfo(fileName).size(), Median(loads), Median(saves), Median(lookups), Median(loadCpu),
            Median(saveCpu)};
}

} // namespace

int main(int argc, char **argv)
{
    int runs = DefaultRuns;
    int most = 160000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--max"))
            most = std::max(GoalValues, std::atoi(argv[i + 1]));
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("registry.reg");
    qputenv("HARMONOVA_REGISTRY", QFile::encodeName(fileName));

    std::printf("Settings store: load and save of the program's settings beside a key of N values (median of %d)\n",
                runs);
    std::printf("%8s %9s %9s %9s %9s %9s %9s %11s %11s\n", "values", "file KB", "load ms", "save ms", "lookup ms",
                "load cpu", "save cpu", "load us/val", "save us/val");
    std::vector<Figures> all;
    for (int values = 2500; values <= most; values *= 2) {
        const Figures f = Measure(fileName, values, runs);
        all.push_back(f);
        std::printf("%8d %9.0f %9.2f %9.2f %9.2f %9.2f %9.2f %11.3f %11.3f\n", f.values, f.bytes / 1024.0, f.load,
                    f.save, f.lookup, f.loadCpu, f.saveCpu, 1000 * f.load / f.values, 1000 * f.save / f.values);
        std::fflush(stdout);
    }

    const Figures goal = Measure(fileName, GoalValues, runs);
    std::printf("\nGoal at %d values (%.2f MB): load %.2f ms, save %.2f ms (processor %.2f and %.2f ms), "
                "each under %.0f ms: %s\n",
                goal.values, goal.bytes / 1e6, goal.load, goal.save, goal.loadCpu, goal.saveCpu, GoalMs,
                goal.load < GoalMs && goal.save < GoalMs ? "met" : "NOT met");
    // Linear cost: doubling the file about doubles the time. The ratio of the
    // largest file's time per value to the smallest's shows any growth beyond that.
    const Figures &small = all.front(), &large = all.back();
    const double growth = (large.load + large.save) / large.values / ((small.load + small.save) / small.values);
    std::printf("Growth: time per value at %d values is %.2f times that at %d values (1 = linear): %s\n", large.values,
                growth, small.values, growth < 2 ? "linear" : "NOT linear");
    return 0;
}
