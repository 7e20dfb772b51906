#include "platform/RegularFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

TFileRead ReadRegularFile(const QString &fileName, qint64 maxBytes)
{
    TFileRead outcome;
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        outcome.Result = errno == ENOENT || errno == ENOTDIR ? TFileRead::Missing : TFileRead::Failed;
        outcome.Error = qt_error_string(errno);
        return outcome;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        outcome.Error = file.errorString();
        return outcome;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        outcome.Error = qt_error_string(errno);
        return outcome;
    }
    if (!S_ISREG(info.st_mode)) {
        outcome.Result = TFileRead::NotRegular;
        return outcome;
    }
    outcome.Size = info.st_size;
    if (maxBytes >= 0 && info.st_size > maxBytes) {
        outcome.Result = TFileRead::TooLarge;
        return outcome;
    }
    // A file that grew since it was looked at is read no further than
    // needed to refuse it.
    outcome.Bytes = maxBytes >= 0 ? file.read(maxBytes + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        outcome.Error = file.errorString();
        outcome.Bytes.clear();
        return outcome;
    }
    if (maxBytes >= 0 && outcome.Bytes.size() > maxBytes) {
        outcome.Result = TFileRead::TooLarge;
        outcome.Size = outcome.Bytes.size();
        outcome.Bytes.clear();
        return outcome;
    }
    outcome.Result = TFileRead::Read;
    return outcome;
}

} // namespace platform
