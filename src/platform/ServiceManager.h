#pragma once

#include <QByteArray>

namespace tarnix::platform {

// The service manager that started the program (systemd with Type=notify):
// told when the program is ready, what it is doing, and, with a watchdog,
// that it is still alive. Without NOTIFY_SOCKET every call does nothing.
class ServiceManager {
public:
    // Takes NOTIFY_SOCKET and the watchdog's interval from the environment,
    // and removes them, so that commands the program starts do not inherit them.
    ServiceManager();

    bool present() const { return !m_socket.isEmpty(); }
    // One or more "NAME=value" lines: "READY=1", "STATUS=…", "STOPPING=1".
    void tell(const QByteArray& state) const;
    // How often to tell the watchdog the program lives (half its interval);
    // 0 without a watchdog.
    int watchdogPetMs() const { return m_petMs; }
    void petWatchdog() const { tell("WATCHDOG=1"); }

private:
    QByteArray m_socket;
    int m_petMs = 0;
};

} // namespace tarnix::platform
