#pragma once

// Counts the times a file is written or replaced, as the kernel reports them:
// a save through a temporary file shows as one rename onto the name, or as the
// name's creation when the file is new (the temporary file is then linked in).
#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <cstring>

class FileReplacements {
public:
    explicit FileReplacements(const QString &fileName)
        : name_(QFile::encodeName(QFileInfo(fileName).fileName())), fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (fd_ >= 0)
            inotify_add_watch(fd_, QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(),
                              IN_MOVED_TO | IN_CLOSE_WRITE | IN_CREATE);
    }
    ~FileReplacements()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileReplacements(const FileReplacements &) = delete;
    FileReplacements &operator=(const FileReplacements &) = delete;

    bool Watching() const { return fd_ >= 0; }

    // The events are queued as the writes happen, so everything done before
    // the call is counted.
    int Count()
    {
        alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
        for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0 && name_ == event->name)
                    ++count_;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count_;
    }

private:
    QByteArray name_;
    int fd_;
    int count_ = 0;
};
