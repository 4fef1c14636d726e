#pragma once

#include <QFile>
#include <QString>

namespace tarnix::platform {

// Opens `path` for reading into `file`, only when it is a regular file: a
// FIFO, a device such as /dev/zero or a folder is refused without waiting on
// it, so nothing can block the program or feed it without end. False with
// "PATH: reason" in `error`.
bool openRegularFile(const QString& path, QFile& file, QString* error);

} // namespace tarnix::platform
