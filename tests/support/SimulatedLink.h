#pragma once

#include "link/Rs232.h"
#include "platform/MemorySerialPort.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "sim/SimMeter.h"
#include "support/TapPeer.h"

// The program's link to the simulated meter on the virtual clock, with a tap
// on the wire that notes what the program sends.
struct SimulatedLink {
    explicit SimulatedLink(tarnix::sim::Model model = tarnix::sim::Model::Short, int baud = 9600)
        : meter(model, baud) {}

    tarnix::platform::VirtualClock clock;
    tarnix::sim::SimMeter meter;
    TapPeer tap{meter};
    tarnix::platform::MemorySerialPort port{tap, clock};
    tarnix::platform::ScriptedDialogs dialogs;
    tarnix::platform::RecordingPrinter printer;
    tarnix::link::Rs232 link{port, clock, dialogs};

    // The meter once the wire has handed it every byte that has crossed.
    tarnix::sim::SimMeter& heard() {
        port.bytesWaiting();
        return meter;
    }
};
