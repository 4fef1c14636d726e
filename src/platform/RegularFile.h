#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace tarnix::platform {

// Opens `path` for reading into `file`, only when it is a regular file: a
// FIFO, a device such as /dev/zero or a folder is refused without waiting on
// it, so nothing can block the program or feed it without end. False with
// "PATH: reason" in `error`; a folder is said to be no `kind` of file.
bool openRegularFile(const QString& path, QFile& file, QString* error,
                     const QString& kind = QStringLiteral("data file"));

// The bytes of the regular file `path` (opened as above) when it holds at
// most `mostKiB` KiB. Never more than that and one byte is read, so a file
// that grows meanwhile cannot fill the memory. Nothing, with "PATH: reason"
// in `error`, otherwise.
std::optional<QByteArray> readSmallRegularFile(const QString& path, qint64 mostKiB,
                                               const QString& kind, QString* error);

} // namespace tarnix::platform
