#include "records/ValueColumn.h"

#include "records/RecordLine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnix::records {

void ValueColumn::giveUp() {
    m_usable = false;
    m_numbers = {};
    m_runs = {};
}

bool ValueColumn::startRun(QByteArrayView range) {
    if (m_runs.size() == MaxRuns) {
        giveUp();
        return false;
    }
    m_lastRange = range.toByteArray();
    auto known = m_rangeIndex.constFind(m_lastRange);
    if (known == m_rangeIndex.cend()) {
        known = m_rangeIndex.insert(m_lastRange, int(m_ranges.size()));
        m_ranges.push_back(m_lastRange);
    }
    m_runs.push_back({qsizetype(m_numbers.size()), known.value()});
    return true;
}

void ValueColumn::add(QByteArrayView value, QByteArrayView range) {
    if (!m_usable)
        return;
    const bool sameRange = !m_runs.empty() && sameText(range, m_lastRange);
    if (!sameRange && !startRun(range))
        return;
    const ValueCell cell = valueCell(value, range);
    constexpr float Largest = std::numeric_limits<float>::max();
    m_numbers.push_back(
        cell.overload ? std::copysign(std::numeric_limits<float>::quiet_NaN(), float(cell.overload))
                      : float(std::clamp(cell.number, -double(Largest), double(Largest))));
}

void ValueColumn::append(ValueColumn&& later) {
    if (!m_usable)
        return;
    if (!later.m_usable) {
        giveUp();
        return;
    }
    const qsizetype rowBase = qsizetype(m_numbers.size());
    for (const Run& run : later.m_runs) {
        const QByteArray& range = later.m_ranges[std::size_t(run.range)];
        if (!m_runs.empty() && range == m_lastRange)
            continue; // the run before goes on
        if (!startRun(range))
            return;
        m_runs.back().firstRow = rowBase + run.firstRow;
    }
    m_numbers.append(std::move(later.m_numbers));
    later = ValueColumn();
}

ValueCell ValueColumn::cell(qsizetype row) const {
    const auto run = std::upper_bound(m_runs.begin(), m_runs.end(), row,
                                      [](qsizetype r, const Run& x) { return r < x.firstRow; });
    const QByteArrayView range = m_ranges[std::size_t(std::prev(run)->range)];
    const float number = m_numbers[std::size_t(row)];
    if (std::isnan(number))
        return {0, std::signbit(number) ? -1 : 1, range};
    return {double(number), 0, range};
}

} // namespace tarnix::records
