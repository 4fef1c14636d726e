#pragma once

#include "records/RecordMeasurement.h"

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

    void reserve(std::size_t records) { m_numbers.reserve(records); }
    void add(QByteArrayView value, QByteArrayView range);
    // False once the ranges changed too often: the cells must be read from the records.
    bool usable() const { return m_usable; }
    ValueCell cell(qsizetype row) const;
    std::size_t memoryUse() const {
        return m_numbers.capacity() * sizeof(float) + m_runs.capacity() * sizeof(Run);
    }

private:
    struct Run {
        qsizetype firstRow;
        int range; // index in m_ranges
    };
    std::vector<float> m_numbers;
    std::vector<Run> m_runs;
    std::vector<QByteArray> m_ranges;
    QHash<QByteArray, int> m_rangeIndex;
    bool m_usable = true;
};

} // namespace tarnix::records
