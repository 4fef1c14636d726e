#pragma once

#include "records/Segments.h"

#include <QtGlobal>
#include <limits>
#include <vector>

namespace tarnix::trend {

// The smallest and largest of some readings; empty (min above max) when
// none of them held a number.
struct MinMax {
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();

    bool empty() const { return min > max; }
    void add(float value) {
        if (value < min)
            min = value;
        if (value > max)
            max = value;
    }
    void add(const MinMax& other) {
        if (other.min < min)
            min = other.min;
        if (other.max > max)
            max = other.max;
    }
    bool operator==(const MinMax&) const = default;
};

// A series of readings and their minimum and maximum at every power of two
// from sixteen up: level 4 holds each block of sixteen readings, and each
// level above halves the one below. Any run of readings is summed up from at
// most two entries a level and fifteen readings at each end, so a trend's
// pixel column costs a few dozen steps whatever the records it covers.
// Starting at sixteen, not two, keeps the levels to an eighth of the
// readings' own room: a byte a reading, 31 MB of a year. A reading that is
// no number (NaN: OL, HOLD, a gap) counts in no minimum or maximum. Readings
// may be appended as a recording grows.
class MinMaxPyramid {
public:
    // Grown without copying what is there: a year of readings never holds
    // two copies of a level on its way.
    template <typename T>
    using Column = records::Segments<T, 12>;

    // Inline, as the appends that call it: it runs for every reading read.
    void append(float value) {
        m_values.push_back(value);
        m_open.add(value); // NaN compares false both ways: it counts in nothing
        if (size() % Block == 0)
            closeBlock();
    }

    qsizetype size() const { return qsizetype(m_values.size()); }
    float value(qsizetype i) const { return m_values[std::size_t(i)]; }
    // Readings [first, last).
    MinMax range(qsizetype first, qsizetype last) const;

    // Levels FirstLevel up to levels(), for checking: entry i of level k
    // covers readings [i * 2^k, (i + 1) * 2^k).
    static constexpr int FirstLevel = 4;
    int levels() const { return FirstLevel - 1 + int(m_levels.size()); }
    const Column<MinMax>& level(int k) const { return m_levels[std::size_t(k - FirstLevel)]; }

private:
    static constexpr qsizetype Block = qsizetype(1) << FirstLevel;
    MinMax readings(qsizetype first, qsizetype last) const;
    // The block just filled goes into the levels.
    void closeBlock();

    Column<float> m_values;
    std::vector<Column<MinMax>> m_levels;
    MinMax m_open; // of the readings of the block being filled
};

} // namespace tarnix::trend
