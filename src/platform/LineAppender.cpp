#include "platform/LineAppender.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnix::platform {

bool LineAppender::open(const QString& path, QString* error) {
    close();
    // O_NONBLOCK only for the open: a FIFO without a reader fails with ENXIO
    // instead of blocking until one comes.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        const int code = errno;
        if (error)
            *error = QStringLiteral("%1: %2").arg(
                path, code == ENXIO ? QStringLiteral("a FIFO that no program reads")
                                    : systemErrorText(code));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_fd = fd;
    m_owned = true;
    m_name = path;
    learnKind();
    return true;
}

void LineAppender::adopt(int fd, const QString& name) {
    close();
    m_fd = fd;
    m_owned = false;
    m_name = name;
    learnKind();
}

void LineAppender::learnKind() {
    struct stat st {};
    m_regular = ::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode);
    const int flags = ::fcntl(m_fd, F_GETFL);
    m_appends = flags >= 0 && (flags & O_APPEND);
}

qint64 LineAppender::fileSize() const {
    struct stat st {};
    if (m_fd < 0 || !m_regular || ::fstat(m_fd, &st) != 0)
        return -1;
    return st.st_size;
}

QByteArray LineAppender::readBack(qint64 from, qint64 length) const {
    if (m_fd < 0 || !m_regular || length <= 0)
        return {};
    const QByteArray self = QByteArray("/proc/self/fd/") + QByteArray::number(m_fd);
    const int fd = ::open(self.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes(length, Qt::Uninitialized);
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, bytes.data() + got, std::size_t(length - got), from + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

QString LineAppender::path() const {
    if (m_fd < 0 || !m_regular)
        return {};
    if (m_owned)
        return m_name;
    const QByteArray self = QByteArray("/proc/self/fd/") + QByteArray::number(m_fd);
    char target[4096];
    const ssize_t n = ::readlink(self.constData(), target, sizeof target);
    if (n <= 0 || std::size_t(n) == sizeof target)
        return {};
    const QString found = QFile::decodeName(QByteArray(target, n));
    // A file removed meanwhile has no name to put anything beside.
    return found.startsWith(u'/') && !found.endsWith(u" (deleted)") ? found : QString();
}

bool LineAppender::truncate(qint64 size, QString* error) {
    if (m_fd >= 0 && m_regular && ::ftruncate(m_fd, off_t(size)) == 0 &&
        (m_appends || ::lseek(m_fd, off_t(size), SEEK_SET) == off_t(size)))
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(
            m_name, m_regular ? systemErrorText(errno) : QStringLiteral("not a regular file"));
    return false;
}

void LineAppender::close() {
    if (m_fd >= 0 && m_owned)
        ::close(m_fd);
    m_fd = -1;
    m_owned = false;
}

bool LineAppender::append(QByteArrayView line, QString* error) {
    if (m_fd < 0) {
        if (error)
            *error = QStringLiteral("%1: not open").arg(m_name);
        return false;
    }
    // Where this line starts: the file's end for an appending descriptor,
    // the current position otherwise (standard output redirected with ">").
    off_t start = -1;
    if (m_regular) {
        struct stat st {};
        start =
            m_appends ? (::fstat(m_fd, &st) == 0 ? st.st_size : -1) : ::lseek(m_fd, 0, SEEK_CUR);
    }
    int code = 0;
    if (writeAll(m_fd, line, &code, m_call))
        return true;
    if (start >= 0 && ::ftruncate(m_fd, start) == 0 && !m_appends)
        (void)::lseek(m_fd, start, SEEK_SET);
    if (error)
        *error = QStringLiteral("%1: %2").arg(m_name, systemErrorText(code));
    return false;
}

} // namespace tarnix::platform
