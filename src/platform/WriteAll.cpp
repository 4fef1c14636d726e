#include "platform/WriteAll.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace tarnix::platform {

bool writeAll(int fd, QByteArrayView bytes, int* error, const WriteCall& call) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const char* from = bytes.data() + done;
        const size_t left = size_t(bytes.size() - done);
        errno = 0;
        const ssize_t n = call ? call(fd, from, left) : ::write(fd, from, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EPIPE && fd == STDOUT_FILENO)
            endOnClosedPipe();
        if (n <= 0) {
            if (error)
                *error = n < 0 && errno != 0 ? errno : EIO;
            return false;
        }
        done += n;
    }
    return true;
}

void endOnClosedPipe() {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE); // the signal was blocked: the same status
}

QString systemErrorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace tarnix::platform
