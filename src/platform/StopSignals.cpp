#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <span>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnix::platform {

namespace {

// The write end of the socket pair; only the handler uses it.
int handlerWrite = -1;

extern "C" void onStopSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    if (::write(handlerWrite, &byte, 1) < 0) {
        // A full socket already holds a stop to act on.
    }
    errno = savedErrno;
}

constexpr int Stops[] = {SIGINT, SIGTERM};
constexpr int UserSignals[] = {SIGHUP, SIGUSR1, SIGUSR2};
constexpr int Reopen[] = {SIGHUP};

// The signals watched beside the stops.
std::span<const int> moreSignals(StopSignals::Watch what) {
    switch (what) {
    case StopSignals::Watch::Stops:
        return {};
    case StopSignals::Watch::StopsAndUserSignals:
        return UserSignals;
    case StopSignals::Watch::StopsAndReopen:
        return Reopen;
    }
    return {};
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals() {
    if (m_read < 0)
        return;
    restoreDefaults();
    handlerWrite = -1;
    delete m_notifier;
    ::close(m_read);
    ::close(m_write);
}

void StopSignals::restoreDefaults() {
    for (const int number : Stops)
        std::signal(number, SIG_DFL);
    for (const int number : moreSignals(m_watched))
        std::signal(number, SIG_DFL);
}

bool StopSignals::watch(Watch what) {
    if (m_read >= 0)
        return true;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    m_read = ends[0];
    m_write = ends[1];
    m_watched = what;
    handlerWrite = m_write;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Stops)
        ::sigaction(number, &action, nullptr);
    for (const int number : moreSignals(what))
        ::sigaction(number, &action, nullptr);
    m_notifier = new QSocketNotifier(m_read, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::onReadable);
    return true;
}

void StopSignals::onReadable() {
    unsigned char number = 0;
    while (::read(m_read, &number, 1) == 1) {
        if (number == SIGUSR1 || number == SIGUSR2)
            Q_EMIT userSignal(number == SIGUSR1 ? 1 : 2);
        else if (number == SIGHUP && m_watched == Watch::StopsAndReopen)
            Q_EMIT reopenAsked();
        else
            Q_EMIT stopAsked(number);
    }
}

} // namespace tarnix::platform
