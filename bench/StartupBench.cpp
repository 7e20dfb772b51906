// Start-up benchmark: the time from launching the program to the first paint
// of its main window, beside the same time for a bare Qt window of the main
// window's size, measured in the same run. The goal is a start within 1.5
// times the bare window's.
//
// The program's children also report the skin engine's share of their start:
// decoding the skin package, parsing its description, building its elements
// (on a thread of their own when the start reads the skin ahead, when what
// counts is how long the windows' thread waited for them), the rest of
// making the skin component, and the time its window hook took up to the
// first paint. The goal is a share under 5 ms.
//
// Every child marks the stages of its start; the benchmark prints each
// stage's median and least time and the processor time its thread used in
// it, for the bare window and for the program, so the figures say where the
// start goes and, on a busy machine, where it waits.
//
// The benchmark launches itself as the child to be measured. A clock is read
// just before the child is spawned and again when the child writes "painted"
// to its standard output, which it does once its window's first paint has
// been handled. Bare and program children alternate, so a change in the
// machine's load weighs on both alike.
//
//   bench_startup [--runs N] [--platform NAME]
//
// Children run with QT_QPA_PLATFORM=offscreen unless --platform names another
// platform, a settings file of their own, the loopback MIDI driver and, as
// their current folder, a scratch folder holding the default background.
#include "platform/StartMarks.h"
#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "ui/Main.h"
#include "ui/PanelResources.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern char **environ;

namespace {

constexpr char ChildOption[] = "--child";
constexpr char BareChild[] = "bare";
constexpr char TextChild[] = "text";
constexpr char ProgramChild[] = "program";
constexpr int DefaultRuns = 10;
constexpr double Goal = 1.5;
constexpr double SkinGoalMs = 5.0;
constexpr int PaintTimeoutMs = 30000;
constexpr int ExitTimeoutMs = 10000;

// ---------------------------------------------------------------------------
// The children

// The stages the child marked, one a line: "mark", its thread, the steady
// clock and the thread's processor time in nanoseconds, the stage's name.
void ReportMarks()
{
    for (const platform::TStartMark &m : platform::StartMarks())
        std::printf("mark %d %lld %lld %s\n", m.Thread, static_cast<long long>(m.Nanoseconds),
                    static_cast<long long>(m.ThreadCpu), m.Name);
}

// Reports the watched window's first paint once it has been handled: the
// filter sees the paint event before the window draws, so the report waits
// for a zero timer, which fires after the paint and its children's paints.
// Anything to say before the report (the skin's share) comes from before().
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(QWidget *window, std::function<void()> before = {})
        : QObject(window), before_(std::move(before))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            platform::MarkStart("events up to the first paint");
            QTimer::singleShot(0, [this] {
                platform::MarkStart("first paint");
                if (before_)
                    before_();
                ReportMarks();
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
    std::function<void()> before_;
};

// The bare windows mark the stages they share with the program: entering
// main, the application made, the window shown, its first paint.
template <typename Window> int RunPlainWindow(int argc, char **argv, Window &&make)
{
    platform::EnableStartMarks();
    platform::MarkStart("process to main()");
    QApplication app(argc, argv);
    platform::MarkStart("application object");
    auto window = make();
    window->resize(638, 500);
    new FirstPaintReporter(window.get());
    window->show();
    platform::MarkStart("window made and shown");
    return app.exec();
}

int RunBareWindow(int argc, char **argv)
{
    return RunPlainWindow(argc, argv, [] { return std::make_unique<QWidget>(); });
}

// The same bare window with one line of text: its first paint pays for
// setting up the system's fonts, which any window showing text pays.
int RunTextWindow(int argc, char **argv)
{
    return RunPlainWindow(argc, argv, [] { return std::make_unique<QLabel>(QStringLiteral("C, CMajor, CM")); });
}

// The skin's share, in milliseconds, on one line before the paint report:
// decode, parse, elements, the wait for them when they were done ahead on a
// thread of their own, the rest of the component, the hook; then the hook's
// calls, whether the skin is ready and whether it was read ahead.
void ReportSkinShare(QWidget *mainWindow)
{
    const auto *main = qobject_cast<TFormMain *>(mainWindow);
    const skin::TSkinData *d = main ? main->SkinData1 : nullptr;
    const skin::TSkinManage *manager = skin::SkinManager;
    if (!d || !manager)
        return;
    const skin::TSkinLoadTimes &t = d->LoadTimes;
    const int64_t rest = t.Ahead ? t.Component - t.Waited : t.Component - t.Decode - t.Parse - t.Elements;
    std::printf("skin %.4f %.4f %.4f %.4f %.4f %.4f %lld %d %d\n", t.Decode / 1e6, t.Parse / 1e6, t.Elements / 1e6,
                t.Waited / 1e6, rest / 1e6, manager->HookNanoseconds / 1e6, static_cast<long long>(manager->HookEvents),
                d->SkinReady() ? 1 : 0, t.Ahead ? 1 : 0);
}

int RunTheProgram(int argc, char **argv)
{
    platform::EnableStartMarks();
    platform::MarkStart("process to main()");
    skin::TSkinManage::MeasureHook = true;
    return ui::RunProgram(argc, argv, [](QWidget *mainWindow) {
        new FirstPaintReporter(mainWindow, [mainWindow] { ReportSkinShare(mainWindow); });
    });
}

// ---------------------------------------------------------------------------
// The measuring parent

using Clock = std::chrono::steady_clock;

struct Options {
    int runs = DefaultRuns;
    std::string platform = "offscreen";
};

struct Scratch {
    std::filesystem::path folder;
    std::filesystem::path registry;
    std::filesystem::path runtime;
    std::filesystem::path errors;
};

[[noreturn]] void Fail(const std::string &message)
{
    std::fprintf(stderr, "bench_startup: %s\n", message.c_str());
    std::exit(1);
}

Options ParseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--platform" && i + 1 < argc)
            options.platform = argv[++i];
        else
            Fail("usage: bench_startup [--runs N] [--platform NAME]");
    }
    return options;
}

Scratch MakeScratch()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "harmonova-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        Fail("cannot make a scratch folder: " + std::string(std::strerror(errno)));
    Scratch scratch{pattern, {}, {}, {}};
    scratch.registry = scratch.folder / "registry.reg";
    scratch.runtime = scratch.folder / "runtime";
    scratch.errors = scratch.folder / "child-errors.txt";
    std::filesystem::create_directory(scratch.runtime);
    std::filesystem::permissions(scratch.runtime, std::filesystem::perms::owner_all);

    // The program loads the default background from its current folder, as
    // an installed program would find it.
    InitPanelResources();
    const QString picture = QString::fromStdString((scratch.folder / "default.jpg").string());
    if (!QFile::copy(PanelDefaultBackground, picture))
        Fail("cannot write the default background into the scratch folder");
    return scratch;
}

std::vector<std::string> ChildEnvironment(const Options &options, const Scratch &scratch)
{
    const std::vector<std::pair<std::string, std::string>> own = {
        {"QT_QPA_PLATFORM", options.platform},
        {"HARMONOVA_REGISTRY", scratch.registry.string()},
        {"HARMONOVA_MIDI", "loopback"},
        {"XDG_RUNTIME_DIR", scratch.runtime.string()},
    };
    const std::vector<std::string> dropped = {"HARMONOVA_MIDI_LOG", "HARMONOVA_MIDI_INPUT"};
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced = std::any_of(own.begin(), own.end(), [&](const auto &kv) { return kv.first == name; });
        if (!replaced && std::find(dropped.begin(), dropped.end(), name) == dropped.end())
            env.push_back(entry);
    }
    for (const auto &[name, value] : own)
        env.push_back(name + "=" + value);
    return env;
}

std::string ReadAll(const std::filesystem::path &path)
{
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Waits for the child to end; one that hangs after reporting is stopped.
void Reap(pid_t pid)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ExitTimeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        usleep(2000);
    }
}

// Reads the child's output until it reports its paint; the time of the
// report, or nothing when the child ended or hung without one. What the
// child wrote goes to seen.
std::optional<Clock::time_point> AwaitPaint(int out, pid_t pid, std::string &seen)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(PaintTimeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            return std::nullopt;
        }
        pollfd p{out, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            return std::nullopt;
        char buffer[256];
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        seen.append(buffer, static_cast<size_t>(n));
        // The report stands on a line of its own, after the stages'.
        if (seen.rfind("painted\n", 0) == 0 || seen.find("\npainted\n") != std::string::npos)
            return Clock::now();
    }
}

// The skin engine's share of one program start, in milliseconds. When the
// package was read ahead, decoding, parsing and building the elements took
// another thread's time, and the windows' thread only waited for what was
// left of them.
struct SkinShare {
    double decode = 0, parse = 0, elements = 0, waited = 0, component = 0, hook = 0;
    long long hookEvents = 0;
    bool ready = false;
    bool ahead = false;
    // The time the skin took the thread that makes the windows.
    double Total() const { return (ahead ? waited : decode + parse + elements) + component + hook; }
};

std::optional<SkinShare> ParseSkinShare(const std::string &output)
{
    const size_t at = output.find("skin ");
    if (at == std::string::npos)
        return std::nullopt;
    SkinShare s;
    int ready = 0;
    int ahead = 0;
    if (std::sscanf(output.c_str() + at, "skin %lf %lf %lf %lf %lf %lf %lld %d %d", &s.decode, &s.parse, &s.elements,
                    &s.waited, &s.component, &s.hook, &s.hookEvents, &ready, &ahead) != 9)
        return std::nullopt;
    s.ready = ready != 0;
    s.ahead = ahead != 0;
    return s;
}

// One stage of a child's start: the milliseconds since the mark before it
// on the same thread (a thread's first mark counts from the main thread's
// mark before it; the first of all from the spawn), and the processor time
// its thread used in them.
struct Stage {
    std::string name;
    double ms;
    double cpuMs;
};

// One child's start: milliseconds from spawn to its first paint, and the
// stages it marked on the way.
struct Start {
    double ms = 0;
    std::vector<Stage> stages;
    std::optional<SkinShare> share;
};

std::vector<Stage> ParseStages(const std::string &output, Clock::time_point spawned)
{
    struct Mark {
        int thread;
        int64_t ns;
        int64_t cpu;
        std::string name;
    };
    std::vector<Mark> marks;
    size_t at = 0;
    while ((at = output.find("mark ", at)) != std::string::npos) {
        const size_t end = output.find('\n', at);
        const std::string line = output.substr(at, end - at);
        at = end;
        int thread = 0;
        long long ns = 0;
        long long cpu = 0;
        int consumed = 0;
        if (std::sscanf(line.c_str(), "mark %d %lld %lld %n", &thread, &ns, &cpu, &consumed) >= 3 && consumed > 0)
            marks.push_back({thread, ns, cpu, line.substr(size_t(consumed))});
    }
    std::vector<Stage> stages;
    int64_t mainBefore = std::chrono::duration_cast<std::chrono::nanoseconds>(spawned.time_since_epoch()).count();
    std::map<int, std::pair<int64_t, int64_t>> last; // thread: the clock and processor time at its last mark
    for (const Mark &m : marks) {
        const auto previous = last.find(m.thread);
        const int64_t from = previous != last.end() ? previous->second.first : mainBefore;
        const int64_t cpuFrom = previous != last.end() ? previous->second.second : 0;
        stages.push_back(
            {m.thread == 0 ? m.name : "  [own thread] " + m.name, (m.ns - from) / 1e6, (m.cpu - cpuFrom) / 1e6});
        last[m.thread] = {m.ns, m.cpu};
        if (m.thread == 0)
            mainBefore = m.ns;
    }
    return stages;
}

// Launches one child of the given kind and follows it to its first paint.
Start MeasureOnce(const std::string &self, const char *kind, const std::vector<std::string> &env,
                  const Scratch &scratch)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        Fail("pipe: " + std::string(std::strerror(errno)));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, scratch.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, scratch.folder.c_str());

    std::vector<char *> args = {const_cast<char *>(self.c_str()), const_cast<char *>(ChildOption),
                                const_cast<char *>(kind), nullptr};
    std::vector<char *> envp;
    for (const std::string &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0)
        Fail("cannot launch " + self + ": " + std::strerror(spawned));

    std::string output;
    const std::optional<Clock::time_point> painted = AwaitPaint(pipeFds[0], pid, output);
    close(pipeFds[0]);
    Reap(pid);
    if (!painted)
        Fail(std::string("the ") + kind + " child never reported its first paint; its errors:\n" +
             ReadAll(scratch.errors));
    return {std::chrono::duration<double, std::milli>(*painted - start).count(), ParseStages(output, start),
            ParseSkinShare(output)};
}

struct Figures {
    double median;
    double min;
};

Figures Summarise(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    return {median, times.front()};
}

void PrintSkinShare(const std::vector<SkinShare> &shares, const Figures &program)
{
    if (shares.empty()) {
        std::printf("The program reported no skin share.\n");
        return;
    }
    const auto figures = [&](double SkinShare::*part) {
        std::vector<double> values;
        for (const SkinShare &s : shares)
            values.push_back(s.*part);
        return Summarise(values);
    };
    std::vector<double> totals;
    for (const SkinShare &s : shares)
        totals.push_back(s.Total());
    const Figures total = Summarise(totals);
    const bool ahead = shares.front().ahead;
    std::printf("Skin engine's share of the program's start (%zu runs; skin %s%s)\n", shares.size(),
                shares.front().ready ? "loaded and ready" : "NOT ready",
                ahead ? "; read ahead on a thread of its own" : "");
    std::printf("  %-34s %10s %10s\n", "", "median", "min");
    const struct {
        const char *name;
        double SkinShare::*part;
    } parts[] = {{ahead ? "decode the package (own thread)" : "decode the package", &SkinShare::decode},
                 {ahead ? "parse the description (own thread)" : "parse the description", &SkinShare::parse},
                 {ahead ? "build the elements (own thread)" : "build the elements", &SkinShare::elements},
                 {"wait for the read ahead", &SkinShare::waited},
                 {"rest of the component", &SkinShare::component},
                 {"window hook to 1st paint", &SkinShare::hook}};
    for (const auto &part : parts) {
        const Figures f = figures(part.part);
        std::printf("  %-34s %7.3f ms %7.3f ms\n", part.name, f.median, f.min);
    }
    std::printf("  %-34s %7.3f ms %7.3f ms  (%.1f%% of the whole start, median %.1f ms)\n",
                ahead ? "skin share (windows' thread)" : "skin share", total.median, total.min,
                100.0 * total.median / program.median, program.median);
    std::printf("  hook calls to first paint: %lld\n", shares.front().hookEvents);
    std::printf("Goal: skin share under %.0f ms (median): %s\n", SkinGoalMs,
                total.median < SkinGoalMs ? "met" : "NOT met");
}

// The median and least time of each stage the children of one kind marked,
// in the order of the first child's marks, with the median processor time
// its thread used: on a busy machine the difference is time spent waiting
// for a processor, or for another thread.
void PrintStages(const char *title, const std::vector<Start> &starts)
{
    std::vector<std::string> order;
    std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> times;
    for (const Start &start : starts)
        for (const Stage &stage : start.stages) {
            if (!times.count(stage.name))
                order.push_back(stage.name);
            times[stage.name].first.push_back(stage.ms);
            times[stage.name].second.push_back(stage.cpuMs);
        }
    if (order.empty())
        return;
    std::printf("%s: the start stage by stage (each from the stage before it on its thread)\n", title);
    std::printf("  %-44s %10s %10s %10s\n", "", "median", "min", "cpu median");
    for (const std::string &name : order) {
        const Figures wall = Summarise(times[name].first);
        const Figures cpu = Summarise(times[name].second);
        std::printf("  %-44s %7.2f ms %7.2f ms %7.2f ms\n", name.c_str(), wall.median, wall.min, cpu.median);
    }
}

Figures SummariseStarts(const std::vector<Start> &starts)
{
    std::vector<double> ms;
    for (const Start &start : starts)
        ms.push_back(start.ms);
    return Summarise(ms);
}

int Measure(const Options &options)
{
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const Scratch scratch = MakeScratch();
    const std::vector<std::string> env = ChildEnvironment(options, scratch);

    // One uncounted start of each warms the disk cache and lets the program
    // write its first settings, as it does once after installation.
    MeasureOnce(self, BareChild, env, scratch);
    MeasureOnce(self, TextChild, env, scratch);
    MeasureOnce(self, ProgramChild, env, scratch);

    std::vector<Start> bare;
    std::vector<Start> text;
    std::vector<Start> program;
    std::vector<SkinShare> shares;
    for (int i = 0; i < options.runs; ++i) {
        bare.push_back(MeasureOnce(self, BareChild, env, scratch));
        text.push_back(MeasureOnce(self, TextChild, env, scratch));
        program.push_back(MeasureOnce(self, ProgramChild, env, scratch));
        if (program.back().share)
            shares.push_back(*program.back().share);
    }
    std::filesystem::remove_all(scratch.folder);

    const Figures b = SummariseStarts(bare);
    const Figures t = SummariseStarts(text);
    const Figures p = SummariseStarts(program);
    const double ratio = p.median / b.median;
    std::printf("Start-up to first paint of the main window (QT_QPA_PLATFORM=%s, %d runs each after one warm-up)\n",
                options.platform.c_str(), options.runs);
    std::printf("  %-26s %10s %10s\n", "", "median", "min");
    std::printf("  %-26s %7.1f ms %7.1f ms\n", "bare Qt window (638x500)", b.median, b.min);
    std::printf("  %-26s %7.1f ms %7.1f ms\n", "bare window, one text line", t.median, t.min);
    std::printf("  %-26s %7.1f ms %7.1f ms\n", "Harmonova", p.median, p.min);
    std::printf("  %-26s %10.2f %10.2f\n", "ratio Harmonova / bare", ratio, p.min / b.min);
    std::printf("  %-26s %10.2f %10.2f\n", "ratio Harmonova / text", p.median / t.median, p.min / t.min);
    std::printf("Goal: within %.1f times the bare window (median): %s\n", Goal, ratio <= Goal ? "met" : "NOT met");
    PrintSkinShare(shares, p);
    PrintStages("Bare window", bare);
    PrintStages("Harmonova", program);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], ChildOption) == 0) {
        // The program has no command line: it is given only its own name.
        int childArgc = 1;
        char *childArgv[] = {argv[0], nullptr};
        if (std::strcmp(argv[2], BareChild) == 0)
            return RunBareWindow(childArgc, childArgv);
        if (std::strcmp(argv[2], TextChild) == 0)
            return RunTextWindow(childArgc, childArgv);
        if (std::strcmp(argv[2], ProgramChild) == 0)
            return RunTheProgram(childArgc, childArgv);
        return 2;
    }
    return Measure(ParseOptions(argc, argv));
}
