#include "platform/WriteAll.h"

#include <cerrno>
#include <unistd.h>

namespace tarnix::platform {

bool writeAll(int fd, const QByteArray& bytes, int* error) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = n < 0 ? errno : EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace tarnix::platform
