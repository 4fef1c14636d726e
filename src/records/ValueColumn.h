#pragma once

#include "records/RecordMeasurement.h"
#include "records/Segments.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <vector>

namespace tarnix::records {

// The value cells of an opened file's records, taken while it is read through
// once, so that a plot of millions of records need not read the file again.
// 4 bytes a record: the number as a float (a plot draws no finer, and beyond
// a float's reach it is drawn off the scale anyway) or an overload as NaN
// with its sign, and the ranges as runs, since a recording seldom changes
// range. Past MaxRuns runs the column is given up.
class ValueColumn {
public:
    static constexpr std::size_t MaxRuns = 1 << 20;

    void add(QByteArrayView value, QByteArrayView range);
    // Puts the cells of `later`, the records read just after these, after them.
    void append(ValueColumn&& later);
    // False once the ranges changed too often: the cells must be read from the records.
    bool usable() const { return m_usable; }
    ValueCell cell(qsizetype row) const;
    std::size_t memoryUse() const {
        return m_numbers.memoryUse() + m_runs.capacity() * sizeof(Run);
    }

private:
    void giveUp();
    // Starts a run of `range` at the next row; false when there were too many.
    bool startRun(QByteArrayView range);

    struct Run {
        qsizetype firstRow;
        int range; // index in m_ranges
    };
    Segments<float> m_numbers;
    std::vector<Run> m_runs;
    std::vector<QByteArray> m_ranges;
    QHash<QByteArray, int> m_rangeIndex;
    QByteArray m_lastRange; // the range of the last run, compared with each record's
    bool m_usable = true;
};

} // namespace tarnix::records
