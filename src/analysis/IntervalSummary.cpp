#include "analysis/IntervalSummary.h"

#include "analysis/RecordValue.h"

#include <algorithm>

namespace tarnix::analysis {

IntervalSummary::IntervalSummary(SummaryIntervals intervals, bool writeEmpty, Write write)
    : m_intervals(std::move(intervals)), m_writeEmpty(writeEmpty), m_write(std::move(write)) {}

std::size_t IntervalSummary::seriesOf(const QString& function, const QString& range,
                                      const QString& unit) {
    const std::size_t index = seriesIndex(m_series, function, range, unit);
    if (m_sums.size() < m_series.size())
        m_sums.emplace_back();
    return index;
}

void IntervalSummary::open(qint64 startMs) {
    m_open = true;
    m_start = startMs;
    m_end = m_intervals.nextStart(startMs);
    m_coveredMs = 0;
}

void IntervalSummary::cover(qint64 untilMs) {
    if (!m_lastMs || m_shortest == 0)
        return;
    const qint64 to = std::min(untilMs, *m_lastMs + m_shortest);
    const qint64 from = std::max(m_coveredTo, m_start);
    if (to > from)
        m_coveredMs += std::min(to, m_end) - from;
    m_coveredTo = std::max(m_coveredTo, std::min(to, m_end));
}

void IntervalSummary::closeInterval() {
    SummaryLine line;
    line.startMs = m_start;
    line.offsetSeconds = m_intervals.offsetAt(m_start);
    line.unreadSeconds = double(m_end - m_start - m_coveredMs) / 1000.0;
    const auto write = [&](std::size_t index) {
        const Series& series = m_series[index];
        line.function = series.function;
        line.range = series.range;
        line.unit = series.unit;
        ++m_lines;
        m_write(line);
    };
    if (m_order.empty() && m_writeEmpty && m_lastMs)
        write(m_lastSeries);
    for (const std::size_t index : m_order) {
        Sums& sums = m_sums[index];
        line.count = sums.count;
        line.overloads = sums.overloads;
        line.last = sums.last;
        line.min = line.mean = line.max = std::nullopt;
        if (sums.numbers > 0) {
            line.min = sums.min;
            line.max = sums.max;
            line.mean = sums.sum / double(sums.numbers);
        }
        write(index);
        sums = {};
    }
    m_order.clear();
    open(m_end);
}

void IntervalSummary::add(qint64 utcMs, std::size_t series, std::optional<double> value,
                          bool overload) {
    if (m_lastMs && utcMs > *m_lastMs &&
        (m_shortest == 0 || utcMs - *m_lastMs < m_shortest))
        m_shortest = utcMs - *m_lastMs;
    if (m_open && utcMs < m_start) {
        // The clock went back: what was open is written, and the lines
        // start again where the readings are.
        closeInterval();
        m_open = false;
        m_lastMs.reset();
    }
    if (!m_open)
        open(m_intervals.startOf(utcMs));
    reach(utcMs);
    cover(utcMs);
    if (m_order.empty() || std::find(m_order.begin(), m_order.end(), series) == m_order.end())
        m_order.push_back(series);
    Sums& sums = m_sums[series];
    ++sums.count;
    sums.overloads += overload;
    sums.last = value;
    if (value) {
        const double v = *value;
        sums.min = sums.numbers == 0 ? v : std::min(sums.min, v);
        sums.max = sums.numbers == 0 ? v : std::max(sums.max, v);
        sums.sum += v;
        ++sums.numbers;
    }
    m_lastMs = m_coveredTo = utcMs;
    m_lastSeries = series;
}

void IntervalSummary::reach(qint64 utcMs) {
    while (m_open && utcMs >= m_end) {
        cover(utcMs);
        closeInterval();
    }
}

void IntervalSummary::finish() {
    if (!m_open)
        return;
    cover(m_end);
    closeInterval();
    m_open = false;
}

} // namespace tarnix::analysis
