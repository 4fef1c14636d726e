#pragma once

#include "trend/TrendZoom.h"

#include <QColor>
#include <QRect>
#include <optional>
#include <vector>

class QPainter;

namespace tarnix::trend {
class TrendData;
} // namespace tarnix::trend

namespace tarnix::ui {

// Where a trend's parts go in an area of a given size: the time axis below,
// and a band (lane) for each series, one above the other, each with its own
// value axis at the left.
struct TrendLayout {
    QRect plot;               // every lane, left to right over the time span
    std::vector<QRect> lanes; // by series
    TrendLayout(QSize area, std::size_t series);
    // The lane at `y`; none between lanes or outside them.
    std::optional<std::size_t> laneAt(int y) const;
};

using trend::TrendPick;

// Everything one picture of a trend shows.
struct TrendScene {
    const trend::TrendData* data = nullptr;
    trend::TrendFrame frame;
    qint64 gapMs = 0;
    std::optional<TrendPick> hover, first, second; // the crosshair, and a measurement's ends
    std::optional<QRect> box;                      // a zoom box being drawn
    QColor background, text, grid;
};

// The values each lane of `layout` shows in `scene`: set, or fitted to what
// is seen with room for a reading's dot at either edge; none where nothing
// is seen to fit to.
std::vector<std::optional<trend::ValueSpan>> knownLaneValues(const TrendScene& scene,
                                                             const TrendLayout& layout);
// The same, with 0 to 1 where none is known.
std::vector<trend::ValueSpan> laneValues(const TrendScene& scene, const TrendLayout& layout);

// The colour of series i, told apart on light and dark backgrounds.
QColor seriesColour(std::size_t i);

// Paints `scene` into an area of `size` at (0, 0).
void paintTrend(QPainter& painter, QSize size, const TrendScene& scene);

} // namespace tarnix::ui
