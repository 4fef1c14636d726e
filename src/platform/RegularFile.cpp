#include "platform/RegularFile.h"

#include "platform/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnix::platform {

bool openRegularFile(const QString& path, QFile& file, QString* error, const QString& kind) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    };
    // O_NONBLOCK: opening a FIFO does not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(systemErrorText(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(systemErrorText(code));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? QStringLiteral("a folder, not a %1").arg(kind)
                                        : QStringLiteral("not a regular file"));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
}

std::optional<QByteArray> readSmallRegularFile(const QString& path, qint64 mostKiB,
                                               const QString& kind, QString* error) {
    QFile file;
    if (!openRegularFile(path, file, error, kind))
        return std::nullopt;
    const qint64 most = mostKiB * 1024;
    QByteArray bytes = file.read(most + 1);
    if (bytes.size() > most || file.size() > most) {
        if (error)
            *error = QStringLiteral("%1: larger than %2 KiB, more than a %3 holds")
                         .arg(path)
                         .arg(mostKiB)
                         .arg(kind);
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

} // namespace tarnix::platform
