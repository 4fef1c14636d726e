#include "files/SpacingMedian.h"

#include <algorithm>

namespace tarnix::files {

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

} // namespace tarnix::files
