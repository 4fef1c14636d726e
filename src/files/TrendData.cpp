#include "files/TrendData.h"

#include <cmath>

namespace tarnix::files {

TrendData::TrendData()
    : m_reader([this](QByteArrayView, const LineFields* fields) {
          if (fields)
              take(*fields);
      }) {}

void TrendData::feed(QByteArrayView bytes) {
    m_reader.feed(bytes);
}

void TrendData::finish() {
    m_reader.finish();
}

void TrendData::take(const LineFields& fields) {
    const qint64 row = m_records++;
    const auto r = m_readings.read(fields);
    if (!r) {
        ++m_timeless;
        return;
    }
    if (m_seriesOf.size() <= r->kind)
        m_seriesOf.resize(r->kind + 1);
    if (!m_seriesOf[r->kind]) {
        const ReadingKind& kind = m_readings.kind(r->kind);
        m_seriesOf[r->kind] = m_series.size();
        m_series.emplace_back(kind.function, kind.range, kind.unit, r->utcMs);
    }
    const std::size_t index = *m_seriesOf[r->kind];
    TrendSeries& series = m_series[index];
    // A series holds its readings in time order: one from before its last is left out.
    if (series.size() > 0 && r->utcMs < series.time(series.size() - 1))
        return;
    if (m_lastMs && r->utcMs > *m_lastMs)
        m_spacings.add(r->utcMs - *m_lastMs);
    const bool joined = m_lastSeries == index;
    series.append(r->utcMs, r->value ? float(*r->value) : NAN, r->overload, row, joined);
    m_lastSeries = index;
    if (!m_firstMs)
        m_firstMs = r->utcMs;
    m_lastMs = std::max(m_lastMs.value_or(r->utcMs), r->utcMs);
}

} // namespace tarnix::files
