#include "platform/AtomicFile.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnix::platform {

namespace {

constexpr qsizetype BufferSize = 1 << 20;
constexpr qint64 HandToDiskEvery = 16 << 20;

// Asks the disk to start writing a range, without waiting for it.
void startWriteBack(int fd, qint64 from, qint64 length) {
#if defined(__linux__)
    ::sync_file_range(fd, from, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fd) Q_UNUSED(from) Q_UNUSED(length)
#endif
}
constexpr int NameAttempts = 100;

// The file a path ends at: links followed, even to a file not there yet.
QString resolvedTarget(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

// The name still names the open file: no other run removed it meanwhile.
bool stillNamed(int fd, const QByteArray& name) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(name.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// ".NAME.1234abcd.part": a temporary file of this target.
bool isPartOf(const QString& entry, const QString& name) {
    const QString start = u'.' + name + u'.';
    const QString digits = entry.mid(start.size(), 8);
    return entry.size() == start.size() + 13 && entry.startsWith(start) &&
           entry.endsWith(u".part") && std::all_of(digits.begin(), digits.end(), [](QChar c) {
               return c.isDigit() || (c >= u'a' && c <= u'f');
           });
}

// Removes the temporary files that a run killed before it could tidy up left
// beside the target. A run still writing one holds it locked; those stay.
void removeStaleParts(const QString& folder, const QString& name) {
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks); it.hasNext();) {
        it.next();
        if (!isPartOf(it.fileName(), name))
            continue;
        const QByteArray path = QFile::encodeName(it.filePath());
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            stillNamed(fd, path))
            ::unlink(path.constData());
        ::close(fd);
    }
}

// A new temporary file beside the target, open for writing and locked while
// it is written, so that another run does not take it for a stale one. One
// that came between the making and the lock removes it: then another name is
// tried. Without locks, none is kept. -1 with the error number in `code`.
int makeTemporary(const QString& folder, const QString& name, mode_t mode, QString& path,
                  int& code) {
    code = EEXIST;
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        path = QStringLiteral("%1/.%2.%3.part")
                   .arg(folder, name)
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        const QByteArray temporary = QFile::encodeName(path);
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            code = errno;
            return -1;
        }
        if (fd < 0)
            continue;
        const bool takenAway = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!takenAway && stillNamed(fd, temporary))
            return fd;
        ::close(fd);
    }
    return -1;
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
    removeStaleParts(folder, name);
    int code = 0;
    m_fd = makeTemporary(folder, name, mode, m_temporary, code);
    if (m_fd < 0) {
        m_temporary.clear();
        return fail(code);
    }
    m_removeOnStop.emplace(QFile::encodeName(m_temporary));
    // The old file's owner, group and permissions carry over, as far as this
    // user may give them away (only root may the owner; then the group is
    // kept where this user is in it). A new file's come from the umask. The
    // owner first: a change of owner clears the set-user-ID bits.
    if (exists && ::fchown(m_fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(m_fd, uid_t(-1), old.st_gid) != 0) {
        // Neither may be given away: the file is this user's, as a new one is.
    }
    if (exists && ::fchmod(m_fd, mode) != 0) {
        code = errno;
        cancel();
        return fail(code);
    }
    m_buffer.reserve(BufferSize);
    return true;
}

bool AtomicFile::writeOut(QByteArrayView bytes) {
    int code = 0;
    if (!writeAll(m_fd, bytes, &code, m_call))
        return fail(code);
    // The disk starts on what was written while more is made, so that the
    // sync before the rename is left little to wait for.
    m_written += bytes.size();
    if (m_written - m_handedToDisk >= HandToDiskEvery) {
        startWriteBack(m_fd, m_handedToDisk, m_written - m_handedToDisk);
        m_handedToDisk = m_written;
    }
    return true;
}

bool AtomicFile::flushBuffer() {
    if (!writeOut(m_buffer))
        return false;
    m_buffer.resize(0); // its room kept
    return true;
}

bool AtomicFile::write(QByteArrayView bytes) {
    if (m_failed || m_fd < 0)
        return false;
    if (m_buffer.size() + bytes.size() < BufferSize) {
        m_buffer.append(bytes);
        return true;
    }
    // Large writes go straight out, not through the buffer.
    return flushBuffer() && (bytes.size() < BufferSize ? (m_buffer.append(bytes), true)
                                                       : writeOut(bytes));
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
    m_removeOnStop.reset();
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
    m_removeOnStop.reset();
    m_buffer.clear();
}

} // namespace tarnix::platform
