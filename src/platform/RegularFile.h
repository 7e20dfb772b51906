#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// What reading a file the user named gave. Only an ordinary file (or a link
// to one) is read: a FIFO would hold the caller until someone wrote to it and
// a device might never end, so each is refused once opened, without waiting,
// and seen for what it is.
struct TFileRead {
    enum TResult { Read, Missing, NotRegular, TooLarge, Failed };
    TResult Result = Failed;
    QByteArray Bytes; // Read: the whole file
    qint64 Size = 0;  // TooLarge: the file's size
    QString Error;    // Missing and Failed: the system's words
};

// Reads the whole of an ordinary file; one larger than maxBytes (when not
// negative) is refused without being read.
TFileRead ReadRegularFile(const QString &fileName, qint64 maxBytes = -1);

} // namespace platform
