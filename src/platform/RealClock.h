#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>
#include <vector>

class QEventLoop;

namespace tarnix::platform {

// The PC's clock. A wait is a nested event loop woken by a timer: it never
// spins, and timers, clicks and repaints go on meanwhile.
class RealClock final : public Clock {
public:
    RealClock();

    double secondsSinceMidnight() const override;
    QDateTime now() const override;
    double monotonic() const override;
    bool wait(double seconds) override;
    void stop() override;
    bool stopped() const override { return m_stopped; }

private:
    QElapsedTimer m_elapsed;
    std::vector<QEventLoop*> m_loops;
    bool m_stopped = false;
};

} // namespace tarnix::platform
