#include "trend/SeriesReadings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnix::trend {

bool SeriesReadings::holdsOverload(int sign, qsizetype first, qsizetype last) const {
    const std::vector<qsizetype>& of = m_overloads[sign > 0 ? 0 : 1];
    const auto at = std::lower_bound(of.begin(), of.end(), first);
    return at != of.end() && *at < last;
}

int SeriesReadings::overload(qsizetype i) const {
    return holdsOverload(1, i, i + 1) ? 1 : holdsOverload(-1, i, i + 1) ? -1 : 0;
}

qint64 SeriesReadings::rowAfter(qsizetype i, qint64 rowBefore) const {
    if (i % RowMarkEvery == 0)
        return m_rowMarks[std::size_t(i / RowMarkEvery)];
    if (const quint8 step = m_rowSteps[std::size_t(i)]; step != 0)
        return rowBefore + step;
    return std::lower_bound(m_farRows.begin(), m_farRows.end(), i,
                            [](const auto& far, qsizetype at) { return far.first < at; })
        ->second;
}

qint64 SeriesReadings::row(qsizetype i) const {
    qsizetype j = i / RowMarkEvery * RowMarkEvery;
    qint64 row = rowAfter(j, 0);
    while (j < i)
        row = rowAfter(++j, row);
    return row;
}

qint64 SeriesReadings::laterOriginOf(qsizetype i) const {
    return (std::upper_bound(m_origins.begin(), m_origins.end(), i,
                             [](qsizetype at, const auto& o) { return at < o.first; }) -
            1)
        ->second;
}

qsizetype SeriesReadings::firstAtOrAfter(qint64 ms, qsizetype from) const {
    // The readings counted from one origin that hold the answer: times grow,
    // so every reading before the next origin is earlier than it.
    auto origin = std::upper_bound(m_origins.begin(), m_origins.end(), ms,
                                   [](qint64 at, const auto& o) { return at < o.second; });
    if (origin != m_origins.begin())
        --origin;
    const qsizetype end = origin + 1 == m_origins.end() ? size() : (origin + 1)->first;
    const auto before = [&](qint32 t) { return origin->second + qint64(t) * 100 < ms; };
    // Steps growing twice as long from `from`, then a search in the last one.
    qsizetype low = std::clamp<qsizetype>(from, origin->first, end), step = 1;
    while (low + step < end && before(m_tenths[std::size_t(low + step)])) {
        low += step;
        step *= 2;
    }
    qsizetype last = std::min(low + step + 1, end);
    while (low < last) {
        const qsizetype middle = low + (last - low) / 2;
        if (before(m_tenths[std::size_t(middle)]))
            low = middle + 1;
        else
            last = middle;
    }
    return low;
}

} // namespace tarnix::trend
