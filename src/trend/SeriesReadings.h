#pragma once

#include "trend/MinMaxPyramid.h"

#include <QtGlobal>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace tarnix::trend {

// The readings of one series as read in one pass: each reading's time, its
// value (no number for OL, -OL, HOLD and "Initial"), whether a line joins it
// to the reading before, and its record number. Some 12 bytes a reading, so
// a year of seconds fits with room to spare.
class SeriesReadings {
public:
    explicit SeriesReadings(qint64 originMs) : m_origins{{0, originMs}} {}

    // A reading at `ms` (not before the last one), its record number,
    // `overload` +1 for OL and -1 for -OL; `joined` false where a gap or
    // another series comes between it and the reading before.
    void append(qint64 ms, float value, int overload, qint64 row, bool joined);
    // Whether reading i is joined to the one before, once a part read
    // before these is known.
    void setJoined(qsizetype i, bool joined) { m_joined[std::size_t(i)] = joined; }

    qsizetype size() const { return m_values.size(); }
    qint64 time(qsizetype i) const { return originOf(i) + qint64(m_tenths[std::size_t(i)]) * 100; }
    float value(qsizetype i) const { return m_values.value(i); }
    int overload(qsizetype i) const;
    bool joined(qsizetype i) const { return m_joined[std::size_t(i)]; }
    qint64 row(qsizetype i) const;
    // The first reading at or after `ms`; searched for from reading `from`
    // on, which is quicker when it is near.
    qsizetype firstAtOrAfter(qint64 ms, qsizetype from = 0) const;
    // Whether readings [first, last) hold an overload of `sign` (+1 OL, -1 -OL).
    bool holdsOverload(int sign, qsizetype first, qsizetype last) const;
    const MinMaxPyramid& values() const { return m_values; }

private:
    static constexpr qsizetype RowMarkEvery = 64;
    // Reading i's row, given the row of the reading before it.
    qint64 rowAfter(qsizetype i, qint64 rowBefore) const;
    qint64 originOf(qsizetype i) const {
        return m_origins.size() == 1 ? m_origins.front().second : laterOriginOf(i);
    }
    qint64 laterOriginOf(qsizetype i) const;

    // Where the counts of 0.1 s start: (first reading, its time). 32 bits of
    // them reach some 6.8 years, so a recording that spans more (a meter's
    // clock reset to 2000, then set) starts counting again.
    std::vector<std::pair<qsizetype, qint64>> m_origins;
    MinMaxPyramid::Column<qint32> m_tenths; // since the origin: 0.1 s, as records hold it
    MinMaxPyramid m_values;
    std::vector<bool> m_joined;
    std::vector<qsizetype> m_overloads[2]; // the readings of OL, and of -OL; few
    // Each reading's row: its step from the row before in a byte, 0 for a
    // step too long for one (those rows are kept apart), and every
    // RowMarkEvery-th row whole. A byte a reading, however series interleave.
    MinMaxPyramid::Column<quint8> m_rowSteps;
    std::vector<qint64> m_rowMarks;
    std::vector<std::pair<qsizetype, qint64>> m_farRows; // reading, row
    qint64 m_lastRow = 0;
};

// Inline, as the series' append that calls it: it runs for every reading read.
inline void SeriesReadings::append(qint64 ms, float value, int overload, qint64 row, bool joined) {
    const qsizetype i = size();
    const qint64 step = row - m_lastRow; // rows only grow: 1 and up
    const bool mark = i % RowMarkEvery == 0, far = step > 255;
    if (mark)
        m_rowMarks.push_back(row);
    else if (far)
        m_farRows.emplace_back(i, row);
    m_rowSteps.push_back(mark || far ? 0 : quint8(step));
    m_lastRow = row;
    qint64 tenths = (ms - m_origins.back().second) / 100;
    if (tenths > std::numeric_limits<qint32>::max()) {
        m_origins.emplace_back(i, ms);
        tenths = 0;
    }
    m_tenths.push_back(qint32(tenths));
    m_values.append(overload != 0 ? NAN : value);
    m_joined.push_back(joined && i > 0);
    if (overload != 0)
        m_overloads[overload > 0 ? 0 : 1].push_back(i);
}

} // namespace tarnix::trend
