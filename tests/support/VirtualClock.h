#pragma once

#include "platform/Clock.h"

#include <functional>
#include <map>

namespace tarnix::platform {

// The clock of the tests: a wait moves time on at once, running whatever was
// scheduled for the time passed over, so the simulated meter answers without
// a test ever sleeping.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(12, 0)));

    double secondsSinceMidnight() const override;
    QDateTime now() const override;
    double monotonic() const override { return m_elapsed; }
    bool wait(double seconds) override;
    void stop() override { m_stopped = true; }
    bool stopped() const override { return m_stopped; }

    // Moves time on, running the actions scheduled up to the new time.
    void advance(double seconds);
    // Sets the date and time of day from now on; monotonic time goes on.
    void setNow(const QDateTime& dateTime);
    // Runs `action` when time reaches `elapsed` (monotonic seconds).
    void at(double elapsed, std::function<void()> action);
    // Runs `action` after every wait, once time has moved on (0 to remove).
    void afterEachWait(std::function<void()> action) { m_afterWait = std::move(action); }
    int waitCount() const { return m_waits; }

private:
    QDateTime m_start; // now() at m_startElapsed
    double m_startSeconds = 0; // seconds since midnight at m_startElapsed
    double m_startElapsed = 0;
    double m_elapsed = 0;
    std::multimap<double, std::function<void()>> m_actions;
    std::function<void()> m_afterWait;
    int m_waits = 0;
    bool m_stopped = false;
};

} // namespace tarnix::platform
