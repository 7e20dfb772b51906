// The built program started as a person starts it: the work it begins on
// threads of its own at start leaves it a whole program, whose first chord
// sounds once its windows are up, and Qt finds nothing to warn about on the
// way (no object of a window made off its thread, no second main thread).
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Bounds that only keep a broken build from hanging the suite.
constexpr int StartMs = 60000;

// The three note-ons of C major in the loopback log ("time 9n key velocity").
bool NoteOnsLogged(const QString &log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    int noteOns = 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        noteOns += line.split(' ').value(1).startsWith('9');
    return noteOns >= 3;
}

TEST(ProgramStart, PlaysTheFirstChordWithoutAWordOnItsErrorOutput)
{
    QTemporaryDir folder;
    const QString registry = folder.filePath("settings.reg");
    QFile settings(registry);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Harmonova]\r\n"
                   "\"MidiIFOut\"=\"Loopback Out\"\r\n\"ListenType\"=dword:00000000\r\n");
    settings.close();
    const QString log = folder.filePath("midi.log");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HARMONOVA_REGISTRY", registry);
    environment.insert("HARMONOVA_MIDI", "loopback");
    environment.insert("HARMONOVA_MIDI_LOG", log);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder.path());
    program.start(HN_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(StartMs));

    QDeadlineTimer deadline(StartMs);
    while (!NoteOnsLogged(log) && !deadline.hasExpired() && program.state() == QProcess::Running)
        QThread::msleep(10);
    EXPECT_TRUE(NoteOnsLogged(log)) << "the first chord, C major";
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(StartMs);
    EXPECT_EQ(QString::fromLocal8Bit(program.readAllStandardError()), QString());
}

} // namespace
