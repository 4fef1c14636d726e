#pragma once

#include <QtGlobal>
#include <functional>

namespace tarnix::analysis {

// The intervals of a summary: spans of real time that start on round times
// of the wall clock, every `every` from each midnight (a length that does
// not divide the day leaves a shorter last interval before midnight). A
// start is a moment the clock shows a round time, or jumps onto or over
// one: on the day the clock skips 02:00..03:00 an hour's interval starts at
// 01:00 and the next at 03:00, one real hour later; on the day it shows
// 02:00..03:00 twice, each showing starts an interval of its own. Moments
// are milliseconds since the epoch.
class SummaryIntervals {
public:
    // The wall clock's offset from UTC in seconds at a moment.
    using OffsetAt = std::function<int(qint64 utcMs)>;

    // `everyMs` from 1 s to a day.
    SummaryIntervals(qint64 everyMs, OffsetAt offsetAt);
    // The local time zone of the computer (as TZ says).
    static OffsetAt localOffsets();
    static OffsetAt utcOffsets();

    // The start of the interval that holds `utcMs`.
    qint64 startOf(qint64 utcMs) const;
    // The start of the interval after the one that starts at `startMs`.
    qint64 nextStart(qint64 startMs) const;
    int offsetAt(qint64 utcMs) const { return m_offsetAt(utcMs); }

private:
    // The latest round wall time at or before `wallMs`.
    qint64 floorRound(qint64 wallMs) const;
    // Whether the change of offset at `changeMs` starts an interval.
    bool startsAt(qint64 changeMs) const;
    // The first moment in (fromMs, toMs] whose offset is not `offset`'s.
    qint64 firstChange(qint64 fromMs, qint64 toMs, int offset) const;

    qint64 m_every;
    OffsetAt m_offsetAt;
};

} // namespace tarnix::analysis
