#include "trend/LineClip.h"

#include <algorithm>
#include <optional>

namespace tarnix::trend {

namespace {

struct Cut {
    QPointF from, to;
    bool endInside; // the segment's end was not cut off
};

// Liang and Barsky's clip of the segment a-b: the part inside `box`, if any.
std::optional<Cut> clipSegment(QPointF a, QPointF b, const QRectF& box) {
    const QPointF d = b - a;
    const double p[] = {-d.x(), d.x(), -d.y(), d.y()};
    const double q[] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                        box.bottom() - a.y()};
    double enter = 0, leave = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt; // parallel to this edge, outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
    }
    if (enter > leave)
        return std::nullopt;
    return Cut{a + enter * d, a + leave * d, leave == 1};
}

} // namespace

std::vector<std::vector<QPointF>> clipLine(const std::vector<QPointF>& points, const QRectF& box) {
    std::vector<std::vector<QPointF>> lines;
    if (points.size() == 1 && box.contains(points.front()))
        lines.push_back(points);
    bool goesOn = false; // the last line ends where the next segment starts
    for (std::size_t i = 1; i < points.size(); ++i) {
        const std::optional<Cut> cut = clipSegment(points[i - 1], points[i], box);
        if (!cut) {
            goesOn = false;
            continue;
        }
        if (!goesOn)
            lines.push_back({cut->from});
        lines.back().push_back(cut->to);
        goesOn = cut->endInside;
    }
    return lines;
}

} // namespace tarnix::trend
