#pragma once

#include "core/RecorderOptions.h"
#include "platform/MeterPorts.h"
#include "platform/StandardStreams.h"

#include <QString>
#include <functional>

namespace tarnix::platform {
class Clock;
}

namespace tarnix::core {

// Where a logger command reports: `progress` rewrites one status text (a
// terminal shows it, anything else leaves it out), `message` is a line of its
// own on standard error.
struct LoggerConsole {
    std::function<void(const QString& text)> progress;
    std::function<void(const QString& line)> message;
    // Where a status and a download to "-" are written.
    int outputFd = platform::standardOutput();
    // The clock the exchanges wait on and the port to the meter: the real
    // clock and the options' serial device when unset. A simulated meter,
    // the program's or a test's, comes in as its port.
    platform::Clock* clock = nullptr;
    platform::PortMaker makePort = {};
};

// Runs `tarnix-log logger ...` to the end, without an event loop of its own
// (the waits are the clock's). Returns the exit status: 0 done, 1 a failure
// already reported through `console.message`.
int runLoggerCommand(const LoggerOptions& options, const LoggerConsole& console);

} // namespace tarnix::core
