#pragma once

class QProcess;

namespace tarnix::platform {

// A child process in a process group of its own, so it can be stopped with
// everything it started: a shell's children too.
void startInOwnGroup(QProcess& process);
// Sends `signal` to the group a started child leads.
void signalGroup(const QProcess& process, int signal);

} // namespace tarnix::platform
