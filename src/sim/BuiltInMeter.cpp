#include "sim/BuiltInMeter.h"

#include "platform/Clock.h"
#include "platform/MemorySerialPort.h"
#include "sim/DemoLogger.h"

#include <utility>

namespace tarnix::sim {

namespace {
constexpr int Baud = 9600;
constexpr int LoggedSecondsAgo = 3600;
} // namespace

BuiltInMeter::BuiltInMeter(Model model) : m_meter(model, Baud) {}

platform::PortMaker BuiltInMeter::ports() {
    return [this](const platform::Clock& clock) -> std::unique_ptr<platform::SerialPort> {
        if (!std::exchange(m_loggerFilled, true))
            m_meter.loadMemory(demoLoggerMemory(clock.now().addSecs(-LoggedSecondsAgo)));
        return std::make_unique<platform::MemorySerialPort>(m_meter, clock);
    };
}

} // namespace tarnix::sim
