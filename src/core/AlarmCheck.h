#pragma once

#include "core/AlarmSteps.h"

namespace tarnix::link {
class Rs232;
}

namespace tarnix::core {

class SharedState;

// The alarm steps of the polling cycle: reads the limits from meter addresses
// 49..54 when asked to, checks every reading against them, flashes "UNDER" /
// "OVER", and tells the meter "N" (outside) or "G" (inside) unless the
// meter's own alarm is armed.
class AlarmCheck final : public AlarmSteps {
public:
    AlarmCheck(SharedState& state, link::Rs232& link) : m_state(state), m_link(link) {}

    bool loadIfRequested() override;
    bool check() override;

private:
    SharedState& m_state;
    link::Rs232& m_link;
};

} // namespace tarnix::core
