#pragma once

#include <QtGlobal>
#include <limits>
#include <vector>

namespace tarnix::files {

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

// A series of readings and their minimum and maximum at every power of two:
// level 1 holds each pair of readings, and each level above halves the one
// below. Any run of readings is summed up from at most two entries a level,
// so a trend's pixel column costs a few dozen steps whatever the records it
// covers. A reading that is no number (NaN: OL, HOLD, a gap) counts in no
// minimum or maximum. Readings may be appended as a recording grows.
class MinMaxPyramid {
public:
    void reserve(qsizetype readings);
    void append(float value);

    qsizetype size() const { return qsizetype(m_values.size()); }
    float value(qsizetype i) const { return m_values[std::size_t(i)]; }
    // Readings [first, last).
    MinMax range(qsizetype first, qsizetype last) const;

    // Level 1 and up, for checking: entry i of level k covers readings
    // [i * 2^k, (i + 1) * 2^k).
    int levels() const { return int(m_levels.size()); }
    const std::vector<MinMax>& level(int k) const { return m_levels[std::size_t(k - 1)]; }

private:
    MinMax entry(int level, qsizetype i) const;

    std::vector<float> m_values;
    std::vector<std::vector<MinMax>> m_levels;
};

} // namespace tarnix::files
