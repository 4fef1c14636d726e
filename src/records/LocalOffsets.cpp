#include "records/LocalOffsets.h"

#include <QDateTime>

namespace tarnix::records {

namespace {

enum Kind { Plain, Skipped, Repeated };

struct WallTime {
    Kind kind;
    int early; // seconds; for Plain and Skipped the one to use
    int late;
};

int offsetAtUtc(qint64 utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc();
}

// A day either side holds the offsets before and after any change near
// `wallMs`; the wall time fits an offset when that offset is in force at
// the moment it names.
WallTime classify(qint64 wallMs) {
    const int early = offsetAtUtc(wallMs - DayMs), late = offsetAtUtc(wallMs + DayMs);
    if (early == late)
        return {Plain, early, early};
    const bool earlyFits = offsetAtUtc(wallMs - early * 1000LL) == early;
    const bool lateFits = offsetAtUtc(wallMs - late * 1000LL) == late;
    if (earlyFits && lateFits)
        return {Repeated, early, late};
    if (!earlyFits && !lateFits)
        return {Skipped, early, early};
    return {Plain, earlyFits ? early : late, late};
}

} // namespace

int localOffsetAt(qint64 wallMs) {
    return classify(wallMs).early;
}

int LocalOffsets::offsetAtOtherDay(qint64 wallMs) {
    const qint64 day = floorDiv(wallMs, DayMs);
    if (day != m_day) {
        m_day = day;
        // The same offset a day before and two after: no change that day.
        m_dayOffset = offsetAtUtc(day * DayMs - DayMs);
        m_plainDay = offsetAtUtc(day * DayMs + 2 * DayMs) == m_dayOffset;
    }
    int offset = m_dayOffset;
    bool repeated = false;
    if (!m_plainDay) {
        // Clocks change on a whole minute: one look per minute.
        if (const qint64 minute = floorDiv(wallMs, 60000); minute != m_minute) {
            m_minute = minute;
            const WallTime w = classify(minute * 60000);
            m_kind = w.kind;
            m_early = w.early;
            m_late = w.late;
        }
        repeated = m_kind == Repeated;
        if (repeated && m_lastRepeated && wallMs < m_last)
            m_second = true;
        m_skipped += m_kind == Skipped;
        offset = repeated && m_second ? m_late : m_early;
    }
    if (!repeated)
        m_second = false;
    m_lastRepeated = repeated;
    m_last = wallMs;
    return offset;
}

void LocalOffsets::passOver(qint64 wallMs) {
    const qint64 skipped = m_skipped;
    offsetAt(wallMs);
    m_skipped = skipped;
}

} // namespace tarnix::records
