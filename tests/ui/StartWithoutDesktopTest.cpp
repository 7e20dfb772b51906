// The built program started as a person starts it, in an environment of its
// own: over SSH, say, with no desktop to show its windows on. It says so in
// one line and ends with status 1, where Qt alone would blame the
// installation and dump core; a platform the user chose still wins.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Bounds that only keep a broken build from hanging the suite.
constexpr int StartMs = 60000;

// The test's own environment less the desktop's variables (and the
// offscreen platform the tests run on), with settings and MIDI of the test.
QProcessEnvironment WithoutDesktop(const QTemporaryDir &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    environment.insert("HARMONOVA_REGISTRY", folder.filePath("settings.reg"));
    environment.insert("HARMONOVA_MIDI", "loopback");
    environment.insert("HARMONOVA_MIDI_LOG", folder.filePath("midi.log"));
    return environment;
}

struct DesktopCase {
    const char *name;
    std::vector<std::pair<const char *, const char *>> set;
    const char *why;
    bool alone; // false where Qt first says what it could not open
};

void PrintTo(const DesktopCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartWithoutDesktop : public testing::TestWithParam<DesktopCase> {};

TEST_P(StartWithoutDesktop, SaysSoInOneLineAndEndsWithStatusOne)
{
    QTemporaryDir folder;
    QProcessEnvironment environment = WithoutDesktop(folder);
    for (const auto &[name, value] : GetParam().set)
        environment.insert(name, value);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(HN_PROGRAM, {});
    ASSERT_TRUE(program.waitForFinished(StartMs));

    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "no abort";
    EXPECT_EQ(program.exitCode(), 1);
    const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    if (GetParam().alone) {
        EXPECT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    }
    EXPECT_EQ(lines.last(),
              QStringLiteral("Harmonova needs a graphical desktop and found none: %1.").arg(GetParam().why));
    EXPECT_FALSE(lines.join('\n').contains("Reinstalling")) << "the installation is not to blame";
}

const char *const NoneSet = "neither DISPLAY nor WAYLAND_DISPLAY is set";
const char *const OutOfReach = "the one that DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM names could not be opened";

INSTANTIATE_TEST_SUITE_P(
    Cases, StartWithoutDesktop,
    testing::Values(
        DesktopCase{"NoDesktopVariableAtAll", {}, NoneSet, true},
        DesktopCase{"EmptyOnes", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, NoneSet, true},
        // A display left behind by a closed session.
        DesktopCase{"ADisplayNoServerListensOn", {{"DISPLAY", ":9999"}}, OutOfReach, false},
        DesktopCase{"AWaylandDisplayThatIsNotThere", {{"WAYLAND_DISPLAY", "no-such-display"}}, OutOfReach, false},
        DesktopCase{"APlatformQtDoesNotHave", {{"QT_QPA_PLATFORM", "no-such-platform"}}, OutOfReach, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StartWithoutDesktop, APlatformTheUserChoseStillWins)
{
    QTemporaryDir folder;
    QFile settings(folder.filePath("settings.reg"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Harmonova]\n\"MidiIfOut\"=\"Loopback Out\"\n");
    settings.close();
    QProcessEnvironment environment = WithoutDesktop(folder);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(HN_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(StartMs));

    // Running: it has opened its output.
    QFile log(folder.filePath("midi.log"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return program.state() != QProcess::Running || (log.exists() && log.size() > 0); }, StartMs));
    EXPECT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    program.kill();
    program.waitForFinished(StartMs);
    EXPECT_FALSE(program.readAllStandardError().contains("graphical desktop"));
}

} // namespace
