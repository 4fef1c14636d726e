#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace tarnix::platform {

class Clock;
class SerialPeer;
class SerialPort;

// Makes the port a core object reaches the meter over, on the clock that
// object waits on. The program chooses: a serial device, or the in-memory
// wire to a simulated meter it made itself.
using PortMaker = std::function<std::unique_ptr<SerialPort>(const Clock& clock)>;

// The serial device at `device` (a path such as /dev/ttyUSB0).
PortMaker devicePort(const QString& device);
// The in-memory wire to `peer`, which outlives every port made.
PortMaker memoryWireTo(SerialPeer& peer);

} // namespace tarnix::platform
