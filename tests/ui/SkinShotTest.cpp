// skin_shot --all, run as a person runs it: it pictures every window of the
// program skinned, one PNG each, the frame whole and what lies outside the
// window's outline transparent.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SkinShot, PicturesEveryWindowOfTheProgramSkinnedEachInItsOutline)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.filePath("shots");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HARMONOVA_MIDI", "loopback");
    env.insert("HARMONOVA_REGISTRY", scratch.filePath("registry.reg"));
    env.insert("XDG_RUNTIME_DIR", scratch.path());
    tool.setProcessEnvironment(env);
    tool.setWorkingDirectory(scratch.path());
    tool.start(QStringLiteral(SKIN_SHOT_PATH), {"--all", folder});
    ASSERT_TRUE(tool.waitForFinished(100000)) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    for (const char *name : {"main", "setup", "pattern", "file-dialog", "analysis", "about", "message"}) {
        SCOPED_TRACE(name);
        const QImage picture(folder + "/" + name + ".png");
        ASSERT_FALSE(picture.isNull());
        ASSERT_TRUE(picture.hasAlphaChannel());
        // The skin's rounded corner lies outside the outline; the caption
        // inside it.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(picture.pixel(picture.width() / 2, 10)), 255);
    }
}

} // namespace
