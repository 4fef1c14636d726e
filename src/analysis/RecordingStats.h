#pragma once

#include "analysis/SpacingMedian.h"
#include "analysis/TimeCover.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace tarnix::analysis {

// A summary of one recording, built a reading at a time so any size of file
// streams through in little memory: for each function and range, the
// numeric readings, the overloads, min, max, mean, standard deviation and
// the first and last time; and the stretches of time without a reading
// longer than twice the sampling interval (the median spacing, read from a
// histogram of the spacings in milliseconds), wherever in the files the
// readings around them stand.
class RecordingStats {
public:
    // `value` is the reading in the base unit `unit`, with `decimals` places
    // as the meter showed it; none for OL, -OL, "Initial" and the like.
    // `overload` marks OL and -OL.
    void add(const QDateTime& at, const QString& function, const QString& range,
             const QString& unit, std::optional<double> value, int decimals, bool overload);
    // The same for a reading of group `group` (from groupOf()) at `utcMs`,
    // its time written with the offset `offsetSeconds`.
    void add(qint64 utcMs, int offsetSeconds, std::size_t group, std::optional<double> value,
             int decimals, bool overload);
    std::size_t groupOf(const QString& function, const QString& range, const QString& unit);

    qint64 readings() const { return m_readings; }
    // Whether the gaps are known: a file whose spacings shrank far along
    // the way needs them looked for again with gapsAgain(), reading it anew.
    bool gapsKnown() const;
    // The second reading: each time again.
    void gapsAgain(qint64 utcMs);
    // The summary, one group after another, then the gaps. The mean and the
    // standard deviation show one place more than the finest reading, or
    // ten significant digits when `precise`.
    QString report(bool precise = false) const;

private:
    struct Group {
        QString function, range, unit;
        qint64 count = 0, overloads = 0;
        int decimals = 0; // the most places a reading showed
        double min = 0, max = 0, mean = 0, m2 = 0; // m2: the squared deviations' sum
        bool seen = false; // first and last hold a reading's time
        qint64 firstMs = 0, lastMs = 0;
        int firstOffset = 0, lastOffset = 0;
    };
    void spacing(qint64 fromMs, qint64 toMs);
    void cover(qint64 utcMs);
    qint64 interval() const;

    std::vector<Group> m_groups; // in the order first seen
    qint64 m_readings = 0;
    std::optional<qint64> m_lastMs;
    SpacingMedian m_spacings; // above 0 ms
    qint64 m_shortest = 0;
    // The times, readings within twice the shortest spacing so far as one
    // stretch: every gap is among its spaces, unless a space it took in was
    // longer than the interval found in the end, or too many stretches came.
    TimeCover m_cover;
    bool m_tooManyStretches = false;
    TimeCover m_coverAgain; // at twice the interval found
};

} // namespace tarnix::analysis
