#include "records/ValueColumn.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnix::records {

void ValueColumn::add(QByteArrayView value, QByteArrayView range) {
    if (!m_usable)
        return;
    if (m_runs.empty() || m_ranges[std::size_t(m_runs.back().range)] != range) {
        if (m_runs.size() == MaxRuns) {
            m_usable = false;
            m_numbers = {};
            m_runs = {};
            return;
        }
        const QByteArray text = range.toByteArray();
        auto known = m_rangeIndex.constFind(text);
        if (known == m_rangeIndex.cend()) {
            known = m_rangeIndex.insert(text, int(m_ranges.size()));
            m_ranges.push_back(text);
        }
        m_runs.push_back({qsizetype(m_numbers.size()), known.value()});
    }
    const ValueCell cell = valueCell(value, range);
    constexpr float Largest = std::numeric_limits<float>::max();
    m_numbers.push_back(
        cell.overload ? std::copysign(std::numeric_limits<float>::quiet_NaN(), float(cell.overload))
                      : float(std::clamp(cell.number, -double(Largest), double(Largest))));
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
