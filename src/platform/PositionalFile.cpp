#include "platform/PositionalFile.h"

#include "platform/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tarnix::platform {

PositionalFile PositionalFile::duplicate(int fd, QString* error) {
    PositionalFile file;
    file.m_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (file.m_fd < 0 && error)
        *error = systemErrorText(errno);
    return file;
}

PositionalFile& PositionalFile::operator=(PositionalFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void PositionalFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

qint64 PositionalFile::readAt(qint64 at, char* into, qint64 length, QString* error) const {
    for (;;) {
        const ssize_t n = ::pread(m_fd, into, std::size_t(length), at);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (error)
            *error = systemErrorText(errno);
        return -1;
    }
}

qint64 PositionalFile::size() const {
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
}

} // namespace tarnix::platform
