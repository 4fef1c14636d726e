#include "core/DeadlineSchedule.h"

#include <cmath>

namespace tarnix::core {

void DeadlineSchedule::start(double now) {
    m_start = now;
    m_last = 0;
}

std::optional<qint64> DeadlineSchedule::take(double now) {
    // A hair of tolerance: a timer that counts in whole milliseconds may wake
    // a fraction of one before the deadline it was set for.
    const auto passed = qint64(std::floor((now - m_start) / m_interval + 1e-6));
    if (passed <= m_last)
        return std::nullopt;
    m_last = passed;
    return passed;
}

qint64 DeadlineSchedule::msUntilNext(double now) const {
    const double due = m_start + offset(m_last + 1);
    return std::max<qint64>(0, qint64(std::ceil((due - now) * 1000.0)));
}

} // namespace tarnix::core
