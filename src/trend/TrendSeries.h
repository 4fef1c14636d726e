#pragma once

#include "trend/MinMaxPyramid.h"
#include "trend/SeriesReadings.h"

#include <QPointF>
#include <QString>
#include <algorithm>
#include <vector>

namespace tarnix::trend {

// One function and range of a recording, as the trend draws it: each
// reading's time, its value in the base unit (no number for OL, -OL, HOLD
// and "Initial"), and whether a line joins it to the reading before. Kept
// as the parts it was read in (two halves read at once are put together by
// moving the second's readings in, never by copying them), seen as one.
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
    qsizetype size() const { return m_size; }
    qint64 time(qsizetype i) const { return at(i, &SeriesReadings::time); }
    // The time of the last reading, when there is one: kept, for every
    // reading appended is held against it.
    qint64 lastTime() const { return m_lastMs; }
    float value(qsizetype i) const { return at(i, &SeriesReadings::value); }
    int overload(qsizetype i) const { return at(i, &SeriesReadings::overload); }
    bool joined(qsizetype i) const { return at(i, &SeriesReadings::joined); }
    qint64 row(qsizetype i) const;
    // The first reading at or after `ms`; searched for from reading `from`
    // on, which is quicker when it is near.
    qsizetype firstAtOrAfter(qint64 ms, qsizetype from = 0) const;
    // Whether readings [first, last) hold an overload of `sign` (+1 OL, -1 -OL).
    bool holdsOverload(int sign, qsizetype first, qsizetype last) const;
    // The smallest and largest value of readings [first, last).
    MinMax span(qsizetype first, qsizetype last) const;
    // Moves in the readings of `later`, the same function and range read
    // from after this one's last, its rows counted from `rowBase`; its first
    // reading joined to this one's last when `joinFirst`. Readings from
    // before this one's last are left out, as append() would.
    void appendSeries(TrendSeries&& later, qint64 rowBase, bool joinFirst);

private:
    struct Part {
        SeriesReadings readings;
        qsizetype first = 0;   // its first reading shown, as the series counts
        qsizetype skipped = 0; // its readings left out before that
        qint64 rowBase = 0;
    };
    // The part that holds reading i.
    const Part& partOf(qsizetype i) const {
        if (m_parts.size() == 1)
            return m_parts.front();
        auto part = m_parts.end() - 1;
        while (part->first > i)
            --part;
        return *part;
    }
    template <typename Value>
    Value at(qsizetype i, Value (SeriesReadings::*get)(qsizetype) const) const {
        const Part& part = partOf(i);
        return (part.readings.*get)(i - part.first + part.skipped);
    }
    // Calls `use(part, first, last)` with the readings of each part in [first, last), its own count.
    template <typename Use>
    void eachPart(qsizetype first, qsizetype last, Use use) const {
        for (const Part& part : m_parts) {
            const qsizetype from = std::max(first, part.first) - part.first + part.skipped;
            const qsizetype to = std::min(last, part.first + part.readings.size() - part.skipped) -
                                 part.first + part.skipped;
            if (from < to && use(part, from, to))
                return;
        }
    }

    QString m_function, m_range, m_unit;
    std::vector<Part> m_parts;
    qsizetype m_size = 0;
    qint64 m_lastMs = 0;
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

inline void TrendSeries::append(qint64 ms, float value, int overload, qint64 row, bool joined) {
    Part& last = m_parts.back();
    last.readings.append(ms, value, overload, row - last.rowBase, joined && m_size > 0);
    ++m_size;
    m_lastMs = ms;
}

} // namespace tarnix::trend
