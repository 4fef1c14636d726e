#pragma once

#include <QtGlobal>

class QProcess;

namespace tarnix::platform {

// A child process in a process group of its own, so it can be stopped with
// everything it started: a shell's children too.
void startInOwnGroup(QProcess& process);
// Sends `signal` to the group a child led: its process id, kept from its
// start, since the group outlives a shell that leaves children behind.
void signalGroup(qint64 group, int signal);

} // namespace tarnix::platform
