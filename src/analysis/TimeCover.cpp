#include "analysis/TimeCover.h"

#include <algorithm>

namespace tarnix::analysis {

void TimeCover::join(qint64 spaceMs) {
    m_longestJoined = std::max(m_longestJoined, spaceMs);
}

void TimeCover::add(qint64 ms, qint64 toleranceMs) {
    // Stretches lie more than the tolerance apart, so one that starts at or
    // before `ms` and reaches within it of `ms` is the one to grow.
    auto at = m_last;
    if (at == m_stretches.end() || ms < at->first || ms > at->second + toleranceMs) {
        at = m_stretches.upper_bound(ms); // the first starting after it
        if (at != m_stretches.begin() && std::prev(at)->second + toleranceMs >= ms) {
            --at;
        } else if (at != m_stretches.end() && at->first - ms <= toleranceMs) {
            join(at->first - ms);
            const qint64 end = at->second;
            at = m_stretches.emplace_hint(m_stretches.erase(at), ms, end);
        } else {
            at = m_stretches.emplace_hint(at, ms, ms);
        }
    }
    if (ms > at->second) {
        join(ms - at->second);
        at->second = ms;
    }
    // Grown, it may reach the stretches after it. Nearly always it is the
    // last, found from the end at once; the step to the next from there
    // would climb the whole tree.
    if (at == std::prev(m_stretches.end())) {
        m_last = at;
        return;
    }
    for (auto next = std::next(at);
         next != m_stretches.end() && next->first - at->second <= toleranceMs;
         next = m_stretches.erase(next)) {
        join(next->first - at->second);
        at->second = std::max(at->second, next->second);
    }
    m_last = at;
}

std::vector<TimeCover::Space> TimeCover::spacesLongerThan(qint64 ms) const {
    std::vector<Space> spaces;
    for (auto at = m_stretches.begin(); at != m_stretches.end(); ++at)
        if (const auto next = std::next(at);
            next != m_stretches.end() && next->first - at->second > ms)
            spaces.push_back({at->second, next->first});
    return spaces;
}

} // namespace tarnix::analysis
