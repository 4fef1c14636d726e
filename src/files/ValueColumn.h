#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <vector>

namespace tarnix::files {

// What a plot needs of a record: its value's leading number, whether the
// value reads as an overload ("OL", "-OL") or has a minus sign, and its range.
struct ValueCell {
    double number = 0;
    bool overload = false; // the value has an "L"
    bool minus = false;    // the value has a "-"
    QByteArrayView range;
};
ValueCell valueCell(QByteArrayView value, QByteArrayView range);

// The value cells of an opened file's records, taken while it is read through
// once, so that a plot of millions of records need not read the file again:
// 6 bytes a record, the number kept as a float (a plot draws no finer).
// Records use few ranges; past MaxRanges different ones the column is given up.
class ValueColumn {
public:
    static constexpr std::size_t MaxRanges = 1 << 14;

    void reserve(std::size_t records);
    void add(QByteArrayView value, QByteArrayView range);
    // False once too many ranges came: the cells must be read from the records.
    bool usable() const { return m_usable; }
    ValueCell cell(qsizetype row) const;
    std::size_t memoryUse() const { return m_numbers.capacity() * 4 + m_tags.capacity() * 2; }

private:
    std::vector<float> m_numbers;
    std::vector<quint16> m_tags; // overload, minus, then the range's index
    std::vector<QByteArray> m_ranges;
    QHash<QByteArray, quint16> m_rangeIndex;
    quint16 m_lastRange = 0;
    bool m_usable = true;
};

} // namespace tarnix::files
