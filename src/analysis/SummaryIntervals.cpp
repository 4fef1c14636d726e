#include "analysis/SummaryIntervals.h"

#include "records/LocalOffsets.h"

#include <QDateTime>
#include <algorithm>
#include <memory>

namespace tarnix::analysis {

SummaryIntervals::SummaryIntervals(qint64 everyMs, OffsetAt offsetAt)
    : m_every(std::clamp<qint64>(everyMs, 1000, records::DayMs)), m_offsetAt(std::move(offsetAt)) {}

// Asking the system costs a read of the zone's file: the offset is kept for
// the span of two days around a moment whose day before and after have
// its offset, as no zone changes twice in two days.
SummaryIntervals::OffsetAt SummaryIntervals::localOffsets() {
    struct Kept {
        qint64 from = 0, to = 0; // [from, to) has `offset`
        int offset = 0;
    };
    return [kept = std::make_shared<Kept>()](qint64 utcMs) {
        if (utcMs >= kept->from && utcMs < kept->to)
            return kept->offset;
        const auto offsetAt = [](qint64 ms) {
            return QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        };
        const int offset = offsetAt(utcMs);
        if (offsetAt(utcMs - records::DayMs) == offset && offsetAt(utcMs + records::DayMs) == offset)
            *kept = {utcMs - records::DayMs, utcMs + records::DayMs, offset};
        return offset;
    };
}

SummaryIntervals::OffsetAt SummaryIntervals::utcOffsets() {
    return [](qint64) { return 0; };
}

qint64 SummaryIntervals::floorRound(qint64 wallMs) const {
    const qint64 day = records::floorDiv(wallMs, records::DayMs) * records::DayMs;
    return day + records::floorDiv(wallMs - day, m_every) * m_every;
}

// A change starts an interval when the clock then shows a round time, or
// jumps forward over one.
bool SummaryIntervals::startsAt(qint64 changeMs) const {
    const qint64 before = changeMs - 1 + m_offsetAt(changeMs - 1) * 1000LL;
    const qint64 after = changeMs + m_offsetAt(changeMs) * 1000LL;
    return floorRound(after) == after || floorRound(after) > before;
}

qint64 SummaryIntervals::firstChange(qint64 fromMs, qint64 toMs, int offset) const {
    // Offsets change seldom and never twice in a day: halving finds the
    // millisecond, a few dozen look-ups at a boundary.
    while (toMs - fromMs > 1) {
        const qint64 middle = fromMs + (toMs - fromMs) / 2;
        (m_offsetAt(middle) == offset ? fromMs : toMs) = middle;
    }
    return toMs;
}

qint64 SummaryIntervals::startOf(qint64 utcMs) const {
    const int offset = m_offsetAt(utcMs);
    const qint64 wall = utcMs + offset * 1000LL;
    const qint64 start = floorRound(wall) - offset * 1000LL;
    if (m_offsetAt(start) == offset)
        return start;
    // The offset changed since the round time: the change starts the
    // interval, or it lies inside the interval that holds the moment before it.
    const qint64 change = firstChange(start, utcMs, m_offsetAt(start));
    return startsAt(change) ? change : startOf(change - 1);
}

qint64 SummaryIntervals::nextStart(qint64 startMs) const {
    const int offset = m_offsetAt(startMs);
    const qint64 wall = floorRound(startMs + offset * 1000LL);
    const qint64 midnight = (records::floorDiv(wall, records::DayMs) + 1) * records::DayMs;
    const qint64 next = std::min(wall + m_every, midnight) - offset * 1000LL;
    if (m_offsetAt(next) == offset)
        return next;
    const qint64 change = firstChange(startMs, next, offset);
    return startsAt(change) ? change : nextStart(change);
}

} // namespace tarnix::analysis
