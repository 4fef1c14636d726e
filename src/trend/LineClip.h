#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

namespace tarnix::trend {

// The parts of a line through `points` that lie inside `box`, each a line
// of its own: a line that leaves the box and comes back is cut in two at its
// edges. A single point is kept only inside. Cut here rather than by a
// painter's clip, which an SVG file does not keep.
std::vector<std::vector<QPointF>> clipLine(const std::vector<QPointF>& points, const QRectF& box);

} // namespace tarnix::trend
