#include "platform/ProcessGroup.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace tarnix::platform {

void startInOwnGroup(QProcess& process) {
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void signalGroup(const QProcess& process, int signal) {
    if (process.processId() > 0)
        ::kill(-pid_t(process.processId()), signal);
}

} // namespace tarnix::platform
