#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnix::platform {

namespace {

constexpr qsizetype BufferSize = 1 << 20;
constexpr int NameAttempts = 100;

// The file a path ends at: links followed, even to a file not there yet.
QString resolvedTarget(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

} // namespace

AtomicFile::AtomicFile(QString path, WriteCall call)
    : m_path(resolvedTarget(path)), m_shown(std::move(path)), m_call(std::move(call)) {}

AtomicFile::~AtomicFile() {
    cancel();
}

bool AtomicFile::fail(int code) {
    return fail(systemErrorText(code));
}

bool AtomicFile::fail(const QString& reason) {
    if (!m_failed)
        m_error = QStringLiteral("%1: %2").arg(m_shown, reason);
    m_failed = true;
    return false;
}

bool AtomicFile::targetAllowed(const QString& path, QString* error) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return true; // a file yet to be made, or one to replace
    if (error)
        *error = QStringLiteral("%1: not a regular file").arg(path);
    return false;
}

bool AtomicFile::open() {
    const QByteArray target = QFile::encodeName(m_path);
    struct stat old {};
    mode_t mode = 0666; // the umask applies, as for any new file
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            return fail(QStringLiteral("not a regular file"));
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return fail(errno);
    }
    const QString folder = QFileInfo(m_path).path();
    const QString name = QFileInfo(m_path).fileName();
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        m_temporary = QStringLiteral("%1/.%2.%3.part")
                          .arg(folder, name)
                          .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        m_fd = ::open(QFile::encodeName(m_temporary).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd >= 0 || errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return fail(errno);
    }
    // The old file's permissions carry over; a new one's come from the umask.
    if (exists && ::fchmod(m_fd, mode) != 0) {
        const int code = errno;
        cancel();
        return fail(code);
    }
    m_buffer.reserve(BufferSize);
    return true;
}

bool AtomicFile::flushBuffer() {
    int code = 0;
    if (!writeAll(m_fd, m_buffer, &code, m_call))
        return fail(code);
    m_buffer.clear();
    return true;
}

bool AtomicFile::write(QByteArrayView bytes) {
    if (m_failed || m_fd < 0)
        return false;
    m_buffer.append(bytes);
    return m_buffer.size() < BufferSize || flushBuffer();
}

bool AtomicFile::commit() {
    if (m_fd < 0 || m_failed || !flushBuffer()) {
        cancel();
        return false;
    }
    if (::fsync(m_fd) != 0) {
        fail(errno);
        cancel();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(QFile::encodeName(m_temporary).constData(),
                                     QFile::encodeName(m_path).constData()) != 0) {
        fail(errno);
        cancel();
        return false;
    }
    m_temporary.clear();
    // The new name reaches the disk too; a folder that cannot be synced is no failure.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_path).path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::cancel() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
    }
    m_buffer.clear();
}

} // namespace tarnix::platform
