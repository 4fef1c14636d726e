#include "platform/StandardStreams.h"

#include <QByteArray>
#include <csignal>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnix::platform {

int standardOutput() {
    return STDOUT_FILENO;
}

int standardError() {
    return STDERR_FILENO;
}

bool isJournalStream(int fd) {
    const QByteArray named = qgetenv("JOURNAL_STREAM");
    struct stat st {};
    if (named.isEmpty() || ::fstat(fd, &st) != 0)
        return false;
    return named == QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
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
