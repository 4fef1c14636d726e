#pragma once

#include <QByteArray>

namespace tarnix::platform {

// Removes a file if SIGINT or SIGTERM ends the program while this object
// lives: the temporary file of a replace still being written, which would
// otherwise stay beside its target. The handler only unlinks the names kept
// here and then lets the signal end the program as it would have. It is put
// in place only where the signal ends the program anyway; a program that
// watches for these signals itself (StopSignals) tidies up as it ends.
class RemoveOnStop {
public:
    explicit RemoveOnStop(const QByteArray& path);
    ~RemoveOnStop();
    RemoveOnStop(const RemoveOnStop&) = delete;
    RemoveOnStop& operator=(const RemoveOnStop&) = delete;

private:
    int m_slot = -1; // none free, or the path too long: left to the next run
};

} // namespace tarnix::platform
