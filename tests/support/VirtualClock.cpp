#include "support/VirtualClock.h"

#include <algorithm>
#include <cmath>

namespace tarnix::platform {

namespace {
constexpr double SecondsPerDay = 86400.0;
}

VirtualClock::VirtualClock(QDateTime start) { setNow(start); }

void VirtualClock::setNow(const QDateTime& dateTime) {
    m_start = dateTime;
    m_startSeconds = dateTime.time().msecsSinceStartOfDay() / 1000.0;
    m_startElapsed = m_elapsed;
}

double VirtualClock::secondsSinceMidnight() const {
    return std::fmod(m_startSeconds + (m_elapsed - m_startElapsed), SecondsPerDay);
}

// Real time: across a change of daylight saving time the wall clock jumps,
// as the computer's does.
QDateTime VirtualClock::now() const {
    return m_start.addMSecs(qint64(std::floor((m_elapsed - m_startElapsed) * 1000.0 + 1e-6)));
}

void VirtualClock::at(double elapsed, std::function<void()> action) {
    m_actions.emplace(elapsed, std::move(action));
}

void VirtualClock::advance(double seconds) {
    const double end = m_elapsed + std::max(0.0, seconds);
    while (!m_actions.empty() && m_actions.begin()->first <= end) {
        auto node = m_actions.extract(m_actions.begin());
        m_elapsed = std::max(m_elapsed, node.key());
        node.mapped()();
    }
    m_elapsed = std::max(m_elapsed, end);
}

bool VirtualClock::wait(double seconds) {
    if (m_stopped)
        return false;
    ++m_waits;
    advance(seconds);
    if (m_afterWait) {
        const auto action = m_afterWait; // the action may replace itself
        action();
    }
    return !m_stopped;
}

} // namespace tarnix::platform
