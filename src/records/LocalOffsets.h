#pragma once

#include <QtGlobal>
#include <limits>

namespace tarnix::records {

// A local wall-clock time as a count: milliseconds since 1970-01-01T00:00
// on the same calendar, whatever the zone.
inline constexpr qint64 DayMs = 86400000;

// a / b rounded down, for b > 0: times before 1970 fall in the step they lie in.
inline constexpr qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - (a % b < 0);
}

// The local zone's offset from UTC for a wall-clock time, the one question a
// record's time leaves open around a change of daylight saving time:
// - a time in the hour the clock skipped (02:30 on the last Sunday of March
//   in Berlin) takes the offset in force before the skip, as ISO 8601
//   readers take it;
// - a time in the hour the clock showed twice takes the first offset.
int localOffsetAt(qint64 wallMs);

// The same, for the times of a recording read in file order: in the hour
// shown twice, the first offset holds until the times go back, and the
// second from there on. Days without a change cost one comparison.
class LocalOffsets {
public:
    int offsetAt(qint64 wallMs) {
        // Nearly every time: on the plain day of the time before.
        if (m_plainDay && quint64(wallMs - m_day * DayMs) < quint64(DayMs)) {
            m_second = false;
            m_lastRepeated = false;
            m_last = wallMs;
            return m_dayOffset;
        }
        return offsetAtOtherDay(wallMs);
    }
    // Takes a time into the order without counting it as skipped: the first
    // record of a file that is read from further on, so that the rest of it
    // is read in the state its start leaves.
    void passOver(qint64 wallMs);
    // Times that fell in an hour the clock skipped.
    qint64 skippedTimes() const { return m_skipped; }
    // The last time given lies on a day without a change of offset. After
    // such a time the state is the one a fresh LocalOffsets would be in.
    bool onPlainDay() const { return m_plainDay; }
    // Takes on the state `later` reached reading on from a time on a plain
    // day, adding the skipped times it counted.
    void follow(const LocalOffsets& later) {
        const qint64 skipped = m_skipped + later.m_skipped;
        *this = later;
        m_skipped = skipped;
    }

private:
    int offsetAtOtherDay(qint64 wallMs);

    qint64 m_day = std::numeric_limits<qint64>::min();
    bool m_plainDay = false;
    int m_dayOffset = 0;
    qint64 m_minute = std::numeric_limits<qint64>::min();
    int m_kind = 0, m_early = 0, m_late = 0; // the minute's, on a day of change
    bool m_second = false; // in the repeated hour, the times went back
    qint64 m_last = std::numeric_limits<qint64>::min();
    bool m_lastRepeated = false;
    qint64 m_skipped = 0;
};

} // namespace tarnix::records
