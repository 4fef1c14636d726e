#pragma once

#include "trend/TrendSeries.h"

#include <optional>
#include <vector>

namespace tarnix::trend {

// A span of values an axis shows, bottom to top.
struct ValueSpan {
    double bottom = 0, top = 1;
    bool operator==(const ValueSpan&) const = default;
};

// What a trend shows: a span of time, and for each series (by its index)
// the values its axis was set to, or none where the axis fits what is seen.
struct TrendFrame {
    qint64 fromMs = 0, toMs = 1000;
    std::vector<std::optional<ValueSpan>> values;
    bool operator==(const TrendFrame&) const = default;
};

// A reading picked in the trend: its series, its index there and its time.
struct TrendPick {
    std::size_t series = 0;
    qsizetype reading = 0;
    qint64 ms = 0;
};

// The zoom and pan of a trend, and the zooms to go back through. A zoom
// keeps the frame before it; a pan moves the frame as it is. It keeps a
// measurement between two readings while it is in view: Home, or a zoom to
// where none of it shows, drops it.
class TrendZoom {
public:
    // The readings run from `firstMs` to `lastMs`; Home shows them all.
    // The first call shows all; later ones (a growing file) keep the frame,
    // or move it along, as wide as it is, once the newest reading passes
    // its right edge when it showed the end, or widen it when it showed all.
    void setExtent(qint64 firstMs, qint64 lastMs);

    const TrendFrame& frame() const { return m_frame; }
    std::optional<ValueSpan> values(std::size_t series) const;
    // Whether the right edge is at the newest reading, which it then follows.
    bool followsEnd() const { return m_frame.toMs >= m_lastMs; }

    // Zooms time by `factor` (below 1 in, above 1 out) around the time at
    // `at` (0 the left edge, 1 the right).
    void zoomAt(double at, double factor);
    // Moves time by `fraction` of the span (positive: later readings come in).
    void pan(double fraction);
    // Moves the values of `series` by `fraction` of `shown` (positive: higher values come in).
    void panValues(std::size_t series, const ValueSpan& shown, double fraction);
    // Shows [fromMs, toMs], and `values` on the axis of `series` when given.
    void zoomTo(qint64 fromMs, qint64 toMs,
                std::optional<std::pair<std::size_t, ValueSpan>> values);
    void home();
    // Back to the frame before the last zoom; false when there is none.
    bool undo();

    // The measurement's first end alone, or both ends; none: no measurement.
    void measure(std::optional<TrendPick> first, std::optional<TrendPick> second = {});
    const std::optional<TrendPick>& first() const { return m_first; }
    const std::optional<TrendPick>& second() const { return m_second; }

    // The shortest span shown: a second.
    static constexpr qint64 ShortestMs = 1000;

private:
    void push();
    void setTime(qint64 fromMs, qint64 toMs);
    // After a zoom: a measurement none of which is in view goes.
    void dropMeasureOutOfView();

    TrendFrame m_frame;
    std::vector<TrendFrame> m_before;
    qint64 m_firstMs = 0, m_lastMs = 0;
    bool m_known = false;
    std::optional<TrendPick> m_first, m_second;
};

// The values a series' axis shows when it fits its readings in
// [fromMs, toMs]: their span with a twentieth more at each end, and one
// around a single value. None when no reading there holds a number.
std::optional<ValueSpan> fitValues(const TrendSeries& series, qint64 fromMs, qint64 toMs);

} // namespace tarnix::trend
