#pragma once

#include "trend/MinMaxPyramid.h"

#include <QPointF>
#include <QString>
#include <vector>

namespace tarnix::trend {

// One function and range of a recording, as the trend draws it: each
// reading's time, its value in the base unit (no number for OL, -OL, HOLD
// and "Initial"), and whether a line joins it to the reading before. Some
// 12 bytes a reading, so a year of seconds fits with room to spare.
class TrendSeries {
public:
    TrendSeries(QString function, QString range, QString unit, qint64 originMs);

    // A reading at `ms` (not before the last one), its record number in
    // the file, `overload` +1 for OL and -1 for -OL; `joined` false where a
    // gap or another series comes between it and the reading before.
    void append(qint64 ms, float value, int overload, qint64 row, bool joined);

    const QString& function() const { return m_function; }
    const QString& range() const { return m_range; }
    const QString& unit() const { return m_unit; }
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
    // Appends the readings of `later`, the same function and range read from
    // after this one's last, its rows counted from `rowBase`; its first
    // reading joined to this one's last when `joinFirst`. Readings from
    // before this one's last are left out, as append() would.
    void appendSeries(const TrendSeries& later, qint64 rowBase, bool joinFirst);

private:
    static constexpr qsizetype RowMarkEvery = 64;
    // Reading i's row, given the row of the reading before it.
    qint64 rowAfter(qsizetype i, qint64 rowBefore) const;
    qint64 originOf(qsizetype i) const {
        return m_origins.size() == 1 ? m_origins.front().second : laterOriginOf(i);
    }
    qint64 laterOriginOf(qsizetype i) const;

    QString m_function, m_range, m_unit;
    // Where the counts of 0.1 s start: (first reading, its time). 32 bits of
    // them reach some 6.8 years, so a recording that spans more (a meter's
    // clock reset to 2000, then set) starts counting again.
    std::vector<std::pair<qsizetype, qint64>> m_origins;
    std::vector<qint32> m_tenths; // since the origin: 0.1 s, as records hold it
    MinMaxPyramid m_values;
    std::vector<bool> m_joined;
    std::vector<qsizetype> m_overloads[2]; // the readings of OL, and of -OL; few
    // Each reading's row: its step from the row before in a byte, 0 for a
    // step too long for one (those rows are kept apart), and every
    // RowMarkEvery-th row whole. A byte a reading, however series interleave.
    std::vector<quint8> m_rowSteps;
    std::vector<qint64> m_rowMarks;
    std::vector<std::pair<qsizetype, qint64>> m_farRows; // reading, row
    qint64 m_lastRow = 0;
};

// What the trend shows: a span of time across `width` pixels and a span of
// values up `height` pixels (y grows downwards, as on a screen).
struct TrendView {
    qint64 fromMs = 0, toMs = 1;
    double bottom = 0, top = 1;
    int width = 1, height = 1;
    qint64 gapMs = 0; // a longer stretch without a reading breaks the line; 0: none does

    double x(qint64 ms) const { return double(ms - fromMs) * width / double(toMs - fromMs); }
    double y(double value) const { return height - (value - bottom) * height / (top - bottom); }
};

// A series drawn in a view: lines through the points of each piece, and
// the overloads, marked at the top (+1) or bottom (-1) edge. Zoomed in, each
// reading is a point; zoomed out, each pixel column holds the minimum and
// maximum of its readings, so no spike is lost. A break (no number, a gap,
// another series) ends a piece, and so does the view's edge: the pieces
// stay inside it.
struct TrendPath {
    std::vector<std::vector<QPointF>> pieces;
    std::vector<std::pair<double, int>> overloads; // x, and +1 or -1; both in a column of both
    bool columns = false;                          // drawn as min/max columns
    std::vector<QPointF> dots;                     // not columns: the readings in view
};
TrendPath trendPath(const TrendSeries& series, const TrendView& view);

} // namespace tarnix::trend
