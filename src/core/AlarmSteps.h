#pragma once

namespace tarnix::core {

// The alarm load and check that the polling cycle runs with each reading.
class AlarmSteps {
public:
    virtual ~AlarmSteps() = default;
    // Reads the limits from the meter when a reload was asked for. False when the cycle must end.
    [[nodiscard]] virtual bool loadIfRequested() = 0;
    // Checks the reading against the limits and colours the panels. False when the cycle must end.
    [[nodiscard]] virtual bool check() = 0;
};

} // namespace tarnix::core
