#include "trend/TrendData.h"

#include <algorithm>
#include <cmath>

namespace tarnix::trend {

void TrendData::TakeLine::operator()(QByteArrayView, const records::LineFields* fields) const {
    if (fields)
        data->take(*fields);
    data->m_lineStart = data->m_reader.recordEnd();
}

TrendData::TrendData() : m_reader(TakeLine{this}) {}

void TrendData::feed(QByteArrayView bytes) {
    m_reader.feed(bytes);
}

void TrendData::finish() {
    m_reader.finish();
}

namespace {

// The index of the series of `function` and `range`; series.size() when none.
std::size_t indexOf(const std::vector<TrendSeries>& series, const QString& function,
                    const QString& range) {
    return std::size_t(std::find_if(series.begin(), series.end(),
                                    [&](const TrendSeries& s) {
                                        return s.function() == function && s.range() == range;
                                    }) -
                       series.begin());
}

} // namespace

std::size_t TrendData::newSeriesFor(std::size_t kind, qint64 ms) {
    if (m_seriesOf.size() <= kind)
        m_seriesOf.resize(kind + 1);
    if (!m_seriesOf[kind]) {
        const analysis::ReadingKind& named = m_readings.kind(kind);
        // An earlier part of the file may have seen it first.
        m_seriesOf[kind] = indexOf(m_series, named.function, named.range);
        if (*m_seriesOf[kind] == m_series.size())
            m_series.emplace_back(named.function, named.range, named.unit, ms);
    }
    return *m_seriesOf[kind];
}

void TrendData::take(const records::LineFields& fields) {
    const qint64 row = m_records++;
    if (row % RowStartEvery == 0)
        m_rowStarts.emplace_back(row, m_byteBase + m_lineStart);
    analysis::RecordReading r;
    if (!m_readings.readInto(fields, r)) {
        ++m_untimed;
        return;
    }
    const std::size_t index = seriesFor(r.kind, r.utcMs);
    TrendSeries& series = m_series[index];
    // A series holds its readings in time order: one from before its last is left out.
    if (series.size() > 0 && r.utcMs < series.lastTime())
        return;
    if (m_lastMs && r.utcMs > *m_lastMs)
        m_spacings.add(r.utcMs - *m_lastMs);
    const bool joined = m_lastSeries == index;
    series.append(r.utcMs, r.value ? float(*r.value) : NAN, r.overload, row, joined);
    m_lastSeries = index;
    if (!m_firstSeries)
        m_firstSeries = index;
    if (!m_firstMs)
        m_firstMs = r.utcMs;
    m_lastMs = std::max(m_lastMs.value_or(r.utcMs), r.utcMs);
}

void TrendData::follow(TrendData&& earlier, qint64 bytesBefore) {
    std::vector<TrendSeries> series = std::move(earlier.m_series);
    std::vector<std::size_t> moved(m_series.size());
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        TrendSeries& later = m_series[i];
        moved[i] = indexOf(series, later.function(), later.range());
        if (moved[i] == series.size())
            series.emplace_back(later.function(), later.range(), later.unit(), 0);
        const bool joinFirst = earlier.m_lastSeries == moved[i] && m_firstSeries == i;
        series[moved[i]].appendSeries(std::move(later), earlier.m_records, joinFirst);
    }
    for (auto& index : m_seriesOf)
        if (index)
            index = moved[*index];
    if (m_lastSeries)
        m_lastSeries = moved[*m_lastSeries];
    else
        m_lastSeries = earlier.m_lastSeries;
    m_firstSeries = earlier.m_firstSeries
                        ? earlier.m_firstSeries
                        : (m_firstSeries ? std::optional(moved[*m_firstSeries]) : std::nullopt);
    m_series = std::move(series);

    if (earlier.m_lastMs && m_firstMs && *m_firstMs > *earlier.m_lastMs)
        m_spacings.add(*m_firstMs - *earlier.m_lastMs);
    m_spacings.add(earlier.m_spacings);
    if (earlier.m_firstMs)
        m_firstMs = earlier.m_firstMs;
    if (earlier.m_lastMs)
        m_lastMs = std::max(m_lastMs.value_or(*earlier.m_lastMs), *earlier.m_lastMs);

    for (auto& [row, byte] : m_rowStarts) {
        row += earlier.m_records;
        byte += bytesBefore;
    }
    m_rowStarts.insert(m_rowStarts.begin(), earlier.m_rowStarts.begin(), earlier.m_rowStarts.end());
    m_records += earlier.m_records;
    m_skipped += earlier.m_reader.skippedLines() + earlier.m_skipped;
    m_untimed += earlier.m_untimed;
    m_byteBase += bytesBefore;
}

std::pair<qint64, qint64> TrendData::lineBefore(qint64 row) const {
    const auto after =
        std::upper_bound(m_rowStarts.begin(), m_rowStarts.end(), row,
                         [](qint64 r, const auto& start) { return r < start.first; });
    if (after == m_rowStarts.begin())
        return {0, 0};
    return {std::prev(after)->second, std::prev(after)->first};
}

} // namespace tarnix::trend
