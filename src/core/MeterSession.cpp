#include "core/MeterSession.h"

#include "link/Rs232.h"

namespace tarnix::core {

MeterSession::MeterSession(link::Rs232& meterLink, platform::Dialogs& dialogs)
    : link(meterLink), cycle(state, meterLink), sampling(state, meterLink.clock()),
      actions(state, cycle, meterLink, dialogs) {
    // The link restart shows "2 sec" again: sampling goes on at that interval.
    QObject::connect(&cycle, &PollingCycle::linkBack, &sampling, &SamplingClock::restart);
}

} // namespace tarnix::core
