#include "platform/MeterPorts.h"

#include "platform/MemorySerialPort.h"
#include "platform/QtSerialPort.h"

namespace tarnix::platform {

PortMaker devicePort(const QString& device) {
    return [device](const Clock&) -> std::unique_ptr<SerialPort> {
        auto port = std::make_unique<QtSerialPort>();
        port->setPortName(device);
        return port;
    };
}

PortMaker memoryWireTo(SerialPeer& peer) {
    return [&peer](const Clock& clock) -> std::unique_ptr<SerialPort> {
        return std::make_unique<MemorySerialPort>(peer, clock);
    };
}

} // namespace tarnix::platform
