#include "platform/StandardStreams.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarnix::platform {

int standardOutput() {
    return STDOUT_FILENO;
}

int standardError() {
    return STDERR_FILENO;
}

bool isTerminal(int fd) {
    return ::isatty(fd) != 0;
}

int terminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

void ignoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace tarnix::platform
