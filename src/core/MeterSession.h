#pragma once

#include "core/MeterActions.h"
#include "core/PollingCycle.h"
#include "core/SamplingClock.h"
#include "core/SharedState.h"

namespace tarnix::link {
class Rs232;
}
namespace tarnix::platform {
class Dialogs;
}

namespace tarnix::core {

// Everything that runs over one link to the meter: the shared reading state,
// the polling cycle, the sampling clock and the exchanges the user starts.
// Its owner creates it before the windows that show and drive it and keeps
// it until they are gone, so no window ever reads a state that has ended.
struct MeterSession {
    MeterSession(link::Rs232& link, platform::Dialogs& dialogs);

    link::Rs232& link;
    SharedState state;
    PollingCycle cycle;
    SamplingClock sampling;
    MeterActions actions;
};

} // namespace tarnix::core
