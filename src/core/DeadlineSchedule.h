#pragma once

#include <QtGlobal>
#include <optional>

namespace tarnix::core {

// When samples are due: at start + k × interval on a monotonic clock, so a
// run of days never drifts from its interval, whatever a late timer did to
// the one before. A deadline that passed while the program could not run
// is skipped, never taken twice.
class DeadlineSchedule {
public:
    explicit DeadlineSchedule(double intervalSeconds) : m_interval(intervalSeconds) {}

    // The first deadline (k = 0) is `now`, and it is taken.
    void start(double now);
    bool started() const { return m_last >= 0; }

    // The deadline a sample taken at `now` stands for: the latest one passed
    // that was not taken yet, which is now taken. Nothing when the timer woke
    // before the next deadline.
    std::optional<qint64> take(double now);

    // Milliseconds from `now` to the next deadline after the last one taken,
    // rounded up so a timer never wakes just before it.
    qint64 msUntilNext(double now) const;

    // Seconds from the start to deadline `k`.
    double offset(qint64 k) const { return double(k) * m_interval; }
    double interval() const { return m_interval; }

private:
    double m_interval;
    double m_start = 0;
    qint64 m_last = -1; // the last deadline taken
};

} // namespace tarnix::core
