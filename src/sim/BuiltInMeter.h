#pragma once

#include "platform/MeterPorts.h"
#include "sim/SimMeter.h"

namespace tarnix::sim {

// The simulated meter the programs offer (--simulate, and the port window's
// entry after COM8), reached over the in-memory wire as a real meter is over
// its port. Its logger holds three record sets made an hour before the first
// port to it opened, by that port's clock, so that LOGGER has something to show.
class BuiltInMeter {
public:
    explicit BuiltInMeter(Model model = Model::Short);

    // Ports to this meter, which outlives every port made.
    platform::PortMaker ports();

private:
    SimMeter m_meter;
    bool m_loggerFilled = false;
};

} // namespace tarnix::sim
