#include "files/MinMaxPyramid.h"

#include <algorithm>

namespace tarnix::files {

void MinMaxPyramid::reserve(qsizetype readings) {
    m_values.reserve(std::size_t(readings));
    std::size_t k = 0;
    for (qsizetype n = readings / 2; n > 0; n /= 2, ++k) {
        if (k == m_levels.size())
            m_levels.emplace_back();
        m_levels[k].reserve(std::size_t(n));
    }
}

void MinMaxPyramid::append(float value) {
    m_values.push_back(value);
    // Each level gains an entry when the one below completes a pair.
    std::size_t below = m_values.size();
    for (std::size_t k = 0; below % 2 == 0; ++k) {
        if (k == m_levels.size())
            m_levels.emplace_back();
        MinMax pair = entry(int(k), qsizetype(below) - 2);
        pair.add(entry(int(k), qsizetype(below) - 1));
        m_levels[k].push_back(pair);
        below = m_levels[k].size();
    }
}

MinMax MinMaxPyramid::entry(int level, qsizetype i) const {
    if (level == 0) {
        MinMax one;
        if (const float v = m_values[std::size_t(i)]; v == v) // NaN counts in nothing
            one = {v, v};
        return one;
    }
    return m_levels[std::size_t(level - 1)][std::size_t(i)];
}

MinMax MinMaxPyramid::range(qsizetype first, qsizetype last) const {
    MinMax result;
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, size());
    // Up the levels: an odd end is taken alone, the rest goes up as pairs.
    for (int level = 0; first < last; ++level) {
        if (first & 1)
            result.add(entry(level, first++));
        if (last & 1)
            result.add(entry(level, --last));
        first /= 2;
        last /= 2;
    }
    return result;
}

} // namespace tarnix::files
