#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using platform::ReadRegularFile;
using platform::TFileRead;

namespace {

struct FileCase {
    const char *what;
    std::function<QString(const QDir &)> make; // returns the name to read
    qint64 limit;
    TFileRead::TResult result;
    QByteArray bytes;
};

QString Written(const QDir &dir, const QByteArray &bytes)
{
    const QString name = dir.filePath("file");
    QFile file(name);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return name;
}

const FileCase fileCases[] = {
    {"Ordinary", [](const QDir &d) { return Written(d, "abc"); }, -1, TFileRead::Read, "abc"},
    {"AtTheLimit", [](const QDir &d) { return Written(d, "abcd"); }, 4, TFileRead::Read, "abcd"},
    {"OverTheLimit", [](const QDir &d) { return Written(d, "abcde"); }, 4, TFileRead::TooLarge, {}},
    {"Empty", [](const QDir &d) { return Written(d, {}); }, 4, TFileRead::Read, {}},
    {"Missing", [](const QDir &d) { return d.filePath("nothing"); }, -1, TFileRead::Missing, {}},
    {"InAMissingFolder", [](const QDir &d) { return d.filePath("none/file"); }, -1, TFileRead::Missing, {}},
    {"Folder", [](const QDir &d) { return d.path(); }, -1, TFileRead::NotRegular, {}},
    // Nobody writes to it: a read that waited for a writer would never return.
    {"Fifo",
     [](const QDir &d) {
         const QString name = d.filePath("fifo");
         mkfifo(QFile::encodeName(name).constData(), 0600);
         return name;
     },
     -1,
     TFileRead::NotRegular,
     {}},
    {"EndlessDevice", [](const QDir &) { return QStringLiteral("/dev/zero"); }, -1, TFileRead::NotRegular, {}},
    {"LinkToAFile",
     [](const QDir &d) {
         const QString name = d.filePath("link");
         QFile::link(Written(d, "xyz"), name);
         return name;
     },
     -1, TFileRead::Read, "xyz"},
};

class RegularFile : public testing::TestWithParam<FileCase> {};

} // namespace

TEST_P(RegularFile, OnlyAnOrdinaryFileWithinItsLimitIsRead)
{
    QTemporaryDir scratch;
    const FileCase &c = GetParam();
    const TFileRead read = ReadRegularFile(c.make(QDir(scratch.path())), c.limit);
    EXPECT_EQ(read.Result, c.result);
    EXPECT_EQ(read.Bytes, c.bytes);
    if (c.result == TFileRead::TooLarge) {
        EXPECT_EQ(read.Size, 5);
    }
    if (c.result == TFileRead::Missing) {
        EXPECT_FALSE(read.Error.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RegularFile, testing::ValuesIn(fileCases),
                         [](const testing::TestParamInfo<FileCase> &info) { return std::string(info.param.what); });
