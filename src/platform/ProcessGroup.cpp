#include "platform/ProcessGroup.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace tarnix::platform {

void startInOwnGroup(QProcess& process) {
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void signalGroup(qint64 group, int signal) {
    if (group > 0)
        ::kill(-pid_t(group), signal);
}

} // namespace tarnix::platform
