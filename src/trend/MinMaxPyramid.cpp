#include "trend/MinMaxPyramid.h"

#include <algorithm>
#include <utility>

namespace tarnix::trend {

void MinMaxPyramid::closeBlock() {
    if (m_levels.empty())
        m_levels.emplace_back();
    m_levels[0].push_back(std::exchange(m_open, MinMax{}));
    // Each level above gains an entry when the one below completes a pair.
    for (std::size_t k = 1; m_levels[k - 1].size() % 2 == 0; ++k) {
        if (k == m_levels.size())
            m_levels.emplace_back();
        const Column<MinMax>& below = m_levels[k - 1];
        MinMax pair = below[below.size() - 2];
        pair.add(below.back());
        m_levels[k].push_back(pair);
    }
}

MinMax MinMaxPyramid::readings(qsizetype first, qsizetype last) const {
    MinMax result;
    for (qsizetype i = first; i < last; ++i)
        if (const float v = m_values[std::size_t(i)]; v == v) // NaN counts in nothing
            result.add(MinMax{v, v});
    return result;
}

MinMax MinMaxPyramid::range(qsizetype first, qsizetype last) const {
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, size());
    if (last - first < 2 * Block)
        return readings(first, std::max(first, last));
    // The readings before the first whole block and after the last, alone.
    const qsizetype firstBlock = (first + Block - 1) / Block, lastBlock = last / Block;
    MinMax result = readings(first, firstBlock * Block);
    result.add(readings(lastBlock * Block, last));
    // Up the levels: an odd end is taken alone, the rest goes up as pairs.
    qsizetype a = firstBlock, b = lastBlock;
    for (std::size_t level = 0; a < b; ++level) {
        const Column<MinMax>& entries = m_levels[level];
        if (a & 1)
            result.add(entries[std::size_t(a++)]);
        if (b & 1)
            result.add(entries[std::size_t(--b)]);
        a /= 2;
        b /= 2;
    }
    return result;
}

} // namespace tarnix::trend
