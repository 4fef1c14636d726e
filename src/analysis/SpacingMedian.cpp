#include "analysis/SpacingMedian.h"

#include <algorithm>
#include <functional>

namespace tarnix::analysis {

namespace {
constexpr qint64 ShortSpacings = 1 << 20; // ms
} // namespace

void SpacingMedian::add(qint64 ms) {
    ++m_count;
    if (ms >= ShortSpacings) {
        m_long.push_back(ms);
        return;
    }
    if (m_short.empty())
        m_short.resize(std::size_t(ShortSpacings));
    ++m_short[std::size_t(ms)];
}

void SpacingMedian::add(const SpacingMedian& other) {
    m_count += other.m_count;
    m_long.insert(m_long.end(), other.m_long.begin(), other.m_long.end());
    if (other.m_short.empty())
        return;
    if (m_short.empty())
        m_short.resize(std::size_t(ShortSpacings));
    std::transform(m_short.begin(), m_short.end(), other.m_short.begin(), m_short.begin(),
                   std::plus<>());
}

qint64 SpacingMedian::median() const {
    if (m_count == 0)
        return 0;
    qint64 left = m_count / 2;
    for (std::size_t d = 1; d < m_short.size(); ++d) {
        if (left < qint64(m_short[d]))
            return qint64(d);
        left -= m_short[d];
    }
    std::vector<qint64> longer = m_long;
    std::nth_element(longer.begin(), longer.begin() + left, longer.end());
    return longer[std::size_t(left)];
}

} // namespace tarnix::analysis
