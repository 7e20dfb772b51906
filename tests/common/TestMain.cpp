// Test entry point: Qt runs offscreen, and every test gets its own registry
// file and the loopback MIDI driver.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QTemporaryDir *scratch = nullptr;

class FreshEnvironment : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &info) override
    {
        static int n = 0;
        const QString file = scratch->filePath(
            QStringLiteral("%1-%2-%3.reg").arg(++n).arg(info.test_suite_name()).arg(info.name()).replace('/', '_'));
        qputenv("HARMONOVA_REGISTRY", QFile::encodeName(file));
        qputenv("HARMONOVA_MIDI", "loopback");
        qunsetenv("HARMONOVA_MIDI_LOG");
        qunsetenv("HARMONOVA_MIDI_INPUT");
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QTemporaryDir dir;
    scratch = &dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));

    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshEnvironment);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
