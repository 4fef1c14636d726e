#include "platform/ServiceManager.h"

#include <QtGlobal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarnix::platform {

ServiceManager::ServiceManager() : m_socket(qgetenv("NOTIFY_SOCKET")) {
    const qint64 usec = qgetenv("WATCHDOG_USEC").toLongLong();
    const QByteArray pid = qgetenv("WATCHDOG_PID");
    // The watchdog is ours when no other process is named.
    if (usec > 0 && (pid.isEmpty() || pid.toLongLong() == ::getpid()))
        m_petMs = int(std::min<qint64>(usec / 2000, 24LL * 3600 * 1000));
    for (const char* name : {"NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID"})
        qunsetenv(name);
    if (m_socket.size() >= qsizetype(sizeof(sockaddr_un::sun_path)) ||
        !(m_socket.startsWith('/') || m_socket.startsWith('@')))
        m_socket.clear(); // no socket the protocol knows
}

void ServiceManager::tell(const QByteArray& state) const {
    if (m_socket.isEmpty())
        return;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, m_socket.constData(), std::size_t(m_socket.size()));
    if (address.sun_path[0] == '@')
        address.sun_path[0] = '\0'; // an abstract socket
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(m_socket.size()));
    // A manager that does not listen, or lags, never holds up the recording.
    (void)::sendto(fd, state.constData(), std::size_t(state.size()), MSG_NOSIGNAL | MSG_DONTWAIT,
                   reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
}

} // namespace tarnix::platform
