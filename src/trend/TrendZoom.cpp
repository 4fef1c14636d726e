#include "trend/TrendZoom.h"

#include <algorithm>
#include <cmath>

namespace tarnix::trend {

void TrendZoom::setExtent(qint64 firstMs, qint64 lastMs) {
    lastMs = std::max(lastMs, firstMs);
    const bool follow = m_known && followsEnd();
    const bool all = follow && m_frame.fromMs <= m_firstMs;
    const qint64 grown = lastMs - m_lastMs;
    m_firstMs = firstMs;
    m_lastMs = lastMs;
    if (!m_known) {
        m_known = true;
        setTime(firstMs, lastMs);
    } else if (all && grown > 0) {
        setTime(m_frame.fromMs, std::max(m_frame.toMs, lastMs)); // all of it, as it grows
    } else if (follow && lastMs > m_frame.toMs) {
        // The newest at the right edge, at the span shown (panned past the
        // end, the frame waits for the readings to reach its edge).
        setTime(lastMs - (m_frame.toMs - m_frame.fromMs), lastMs);
    }
}

std::optional<ValueSpan> TrendZoom::values(std::size_t series) const {
    return series < m_frame.values.size() ? m_frame.values[series] : std::nullopt;
}

void TrendZoom::setTime(qint64 fromMs, qint64 toMs) {
    if (toMs - fromMs < ShortestMs) {
        const qint64 middle = fromMs + (toMs - fromMs) / 2;
        fromMs = middle - ShortestMs / 2;
        toMs = fromMs + ShortestMs;
    }
    m_frame.fromMs = fromMs;
    m_frame.toMs = toMs;
}

void TrendZoom::push() {
    m_before.push_back(m_frame);
}

void TrendZoom::zoomAt(double at, double factor) {
    const double span = double(m_frame.toMs - m_frame.fromMs);
    const double pivot = double(m_frame.fromMs) + std::clamp(at, 0.0, 1.0) * span;
    // No further out than ten times all the readings: nothing more to see.
    const double longest = std::max(10.0 * double(m_lastMs - m_firstMs), 60e3);
    const double wanted = std::clamp(span * factor, double(ShortestMs), std::max(longest, span));
    if (wanted == span)
        return;
    push();
    const double from = pivot - (pivot - double(m_frame.fromMs)) * wanted / span;
    setTime(qint64(std::llround(from)), qint64(std::llround(from + wanted)));
    dropMeasureOutOfView();
}

void TrendZoom::pan(double fraction) {
    const qint64 move = qint64(std::llround(double(m_frame.toMs - m_frame.fromMs) * fraction));
    setTime(m_frame.fromMs + move, m_frame.toMs + move);
}

void TrendZoom::panValues(std::size_t series, const ValueSpan& shown, double fraction) {
    if (m_frame.values.size() <= series)
        m_frame.values.resize(series + 1);
    const double move = (shown.top - shown.bottom) * fraction;
    m_frame.values[series] = ValueSpan{shown.bottom + move, shown.top + move};
}

void TrendZoom::zoomTo(qint64 fromMs, qint64 toMs,
                       std::optional<std::pair<std::size_t, ValueSpan>> values) {
    push();
    setTime(std::min(fromMs, toMs), std::max(fromMs, toMs));
    if (values && values->second.top != values->second.bottom) {
        if (m_frame.values.size() <= values->first)
            m_frame.values.resize(values->first + 1);
        const ValueSpan& v = values->second;
        m_frame.values[values->first] =
            ValueSpan{std::min(v.bottom, v.top), std::max(v.bottom, v.top)};
    }
    dropMeasureOutOfView();
}

void TrendZoom::home() {
    push();
    m_frame.values.clear();
    setTime(m_firstMs, m_lastMs);
    measure(std::nullopt);
}

bool TrendZoom::undo() {
    if (m_before.empty())
        return false;
    m_frame = m_before.back();
    m_before.pop_back();
    dropMeasureOutOfView();
    return true;
}

void TrendZoom::measure(std::optional<TrendPick> first, std::optional<TrendPick> second) {
    m_first = first;
    m_second = first ? second : std::nullopt;
}

void TrendZoom::dropMeasureOutOfView() {
    if (!m_first)
        return;
    const qint64 a = m_first->ms, b = m_second ? m_second->ms : a;
    if (std::max(a, b) < m_frame.fromMs || std::min(a, b) > m_frame.toMs)
        measure(std::nullopt);
}

std::optional<ValueSpan> fitValues(const TrendSeries& series, qint64 fromMs, qint64 toMs) {
    const MinMax m =
        series.span(series.firstAtOrAfter(fromMs), series.firstAtOrAfter(toMs + 1));
    if (m.empty())
        return std::nullopt;
    double low = m.min, high = m.max;
    // One value alone: a twentieth of it each way, or a whole unit around 0.
    const double margin = high > low ? (high - low) / 20 : high != 0 ? std::abs(high) / 20 : 1;
    return ValueSpan{low - margin, high + margin};
}

} // namespace tarnix::trend
