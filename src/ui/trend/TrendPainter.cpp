#include "ui/trend/TrendPainter.h"

#include "trend/TrendData.h"
#include "trend/TrendTicks.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tarnix::ui {

namespace {

constexpr int AxisWidth = 78, TimeHeight = 22, Margin = 10, LaneGap = 14;

trend::TrendView laneView(const TrendScene& scene, const QRect& lane,
                          const trend::ValueSpan& values) {
    return {scene.frame.fromMs,        scene.frame.toMs,           values.bottom, values.top,
            std::max(lane.width(), 1), std::max(lane.height(), 1), scene.gapMs};
}

void paintTimeAxis(QPainter& painter, const TrendScene& scene, const TrendLayout& layout) {
    const QRect& plot = layout.plot;
    const auto ticks =
        trend::timeTicks(scene.frame.fromMs, scene.frame.toMs, std::max(2, plot.width() / 110));
    const QFontMetrics metrics = painter.fontMetrics();
    for (const trend::TimeTick& tick : ticks) {
        const int x = plot.left() + int(double(tick.ms - scene.frame.fromMs) * plot.width() /
                                        double(scene.frame.toMs - scene.frame.fromMs));
        painter.setPen(scene.grid);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(scene.text);
        const int w = metrics.horizontalAdvance(tick.label);
        painter.drawText(std::clamp(x - w / 2, 0, plot.right() - w),
                         plot.bottom() + 4 + metrics.ascent(), tick.label);
    }
}

// The lane's axis and name; its ticks only where a span of values is known,
// otherwise a word that there is nothing to scale to.
void paintValueAxis(QPainter& painter, const TrendScene& scene, const trend::TrendSeries& series,
                    const QRect& lane, const std::optional<trend::ValueSpan>& known,
                    const QColor& colour) {
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(colour);
    painter.drawLine(lane.left() - 1, lane.top(), lane.left() - 1, lane.bottom());
    painter.drawText(lane.left() + 6, lane.top() + metrics.ascent() + 2,
                     series.function() + u' ' + series.range());
    if (!known) {
        painter.setPen(scene.text);
        painter.drawText(lane, Qt::AlignCenter, QStringLiteral("No readings in this span"));
        return;
    }
    const trend::ValueSpan& values = *known;
    const auto ticks = trend::valueTicks(values.bottom, values.top, std::max(2, lane.height() / 40),
                                         series.unit());
    const trend::TrendView view = laneView(scene, lane, values);
    for (const trend::ValueTick& tick : ticks) {
        const int y = lane.top() + int(view.y(tick.value));
        painter.setPen(scene.grid);
        painter.drawLine(lane.left(), y, lane.right(), y);
        painter.setPen(colour);
        painter.drawText(lane.left() - 6 - metrics.horizontalAdvance(tick.label),
                         y + metrics.ascent() / 2 - 1, tick.label);
    }
}

void paintSeries(QPainter& painter, const TrendScene& scene, const trend::TrendSeries& series,
                 const QRect& lane, const trend::ValueSpan& values, const QColor& colour) {
    const trend::TrendPath path = trend::trendPath(series, laneView(scene, lane, values));
    painter.save();
    painter.setClipRect(lane);
    painter.translate(lane.topLeft());
    painter.setRenderHint(QPainter::Antialiasing, !path.columns);
    // Columns are many short lines: a thin pen, which needs no stroking.
    painter.setPen(QPen(colour, path.columns ? 0 : 1.5));
    for (const auto& piece : path.pieces) {
        if (piece.size() == 1)
            painter.drawPoint(piece.front());
        else
            painter.drawPolyline(piece.data(), int(piece.size()));
    }
    // Zoomed in so far that readings stand apart: each one is a dot.
    if (!path.dots.empty() && path.dots.size() * 6 < std::size_t(lane.width())) {
        painter.setBrush(colour);
        for (const QPointF& p : path.dots)
            painter.drawEllipse(p, 2.5, 2.5);
    }
    // Overloads: a mark standing out of the edge they went past. Solid
    // rectangles, which cost little however many there are.
    painter.setClipRect(QRect(0, -6, lane.width(), lane.height() + 12));
    for (const auto& [x, sign] : path.overloads)
        painter.fillRect(QRectF(x - 1.5, sign > 0 ? -6 : lane.height(), 3, 6), colour);
    painter.restore();
}

void paintPick(QPainter& painter, const TrendScene& scene, const TrendLayout& layout,
               const std::vector<trend::ValueSpan>& values, const TrendPick& pick,
               const QColor& colour) {
    const trend::TrendSeries& series = scene.data->series()[pick.series];
    const QRect& lane = layout.lanes[pick.series];
    const trend::TrendView view = laneView(scene, lane, values[pick.series]);
    const double x = layout.plot.left() + view.x(series.time(pick.reading));
    if (const QRectF plot(layout.plot); x < plot.left() || x > plot.right())
        return; // panned out of view: nothing over the value axes
    painter.setPen(QPen(colour, 1, Qt::DashLine));
    painter.drawLine(QPointF(x, layout.plot.top()), QPointF(x, layout.plot.bottom()));
    if (const float v = series.value(pick.reading);
        v == v && view.y(v) >= 0 && view.y(v) <= lane.height()) {
        const QPointF at(x, lane.top() + view.y(v));
        painter.drawLine(QPointF(lane.left(), at.y()), QPointF(lane.right(), at.y()));
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 4, 4);
    }
}

} // namespace

TrendLayout::TrendLayout(QSize area, std::size_t series)
    : plot(AxisWidth, Margin, std::max(area.width() - AxisWidth - Margin, 1),
           std::max(area.height() - Margin - TimeHeight, 1)) {
    const int n = int(std::max<std::size_t>(series, 1));
    const int height = std::max((plot.height() - LaneGap * (n - 1)) / n, 1);
    for (int i = 0; i < int(series); ++i)
        lanes.emplace_back(plot.left(), plot.top() + i * (height + LaneGap), plot.width(), height);
}

std::optional<std::size_t> TrendLayout::laneAt(int y) const {
    for (std::size_t i = 0; i < lanes.size(); ++i)
        if (y >= lanes[i].top() - LaneGap / 2 && y <= lanes[i].bottom() + LaneGap / 2)
            return i;
    return std::nullopt;
}

std::vector<std::optional<trend::ValueSpan>> knownLaneValues(const TrendScene& scene) {
    std::vector<std::optional<trend::ValueSpan>> values;
    const auto& series = scene.data->series();
    for (std::size_t i = 0; i < series.size(); ++i) {
        const auto set = i < scene.frame.values.size() ? scene.frame.values[i] : std::nullopt;
        values.push_back(set ? set
                             : trend::fitValues(series[i], scene.frame.fromMs, scene.frame.toMs));
    }
    return values;
}

std::vector<trend::ValueSpan> laneValues(const TrendScene& scene) {
    std::vector<trend::ValueSpan> values;
    for (const auto& known : knownLaneValues(scene))
        values.push_back(known.value_or(trend::ValueSpan{}));
    return values;
}

QColor seriesColour(std::size_t i) {
    static const QColor Colours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xe4, 0x57, 0x1b),
                                     QColor(0x2c, 0xa0, 0x2c), QColor(0xa3, 0x4d, 0xc4),
                                     QColor(0xc2, 0x8a, 0x00), QColor(0x17, 0xa5, 0xb6)};
    return Colours[i % std::size(Colours)];
}

void paintTrend(QPainter& painter, QSize size, const TrendScene& scene) {
    painter.fillRect(QRect(QPoint(0, 0), size), scene.background);
    const auto& series = scene.data->series();
    const TrendLayout layout(size, series.size());
    paintTimeAxis(painter, scene, layout);
    if (series.empty()) {
        painter.setPen(scene.text);
        painter.drawText(layout.plot, Qt::AlignCenter, QStringLiteral("No readings"));
        return;
    }
    const auto known = knownLaneValues(scene);
    std::vector<trend::ValueSpan> values;
    for (std::size_t i = 0; i < series.size(); ++i) {
        values.push_back(known[i].value_or(trend::ValueSpan{}));
        paintValueAxis(painter, scene, series[i], layout.lanes[i], known[i], seriesColour(i));
        paintSeries(painter, scene, series[i], layout.lanes[i], values[i], seriesColour(i));
    }
    if (scene.first && scene.second) {
        const auto x = [&](const TrendPick& p) {
            return layout.plot.left() + laneView(scene, layout.plot, values[p.series])
                                            .x(series[p.series].time(p.reading));
        };
        const double a = x(*scene.first), b = x(*scene.second);
        QColor shade = scene.text;
        shade.setAlpha(28);
        // Only the part of the span in view, clear of the value axes.
        painter.fillRect(
            QRectF(std::min(a, b), layout.plot.top(), std::abs(b - a), layout.plot.height())
                .intersected(QRectF(layout.plot)),
            shade);
    }
    for (const auto& pick : {scene.first, scene.second})
        if (pick)
            paintPick(painter, scene, layout, values, *pick, scene.text);
    if (scene.hover)
        paintPick(painter, scene, layout, values, *scene.hover, seriesColour(scene.hover->series));
    if (scene.box) {
        painter.setPen(QPen(scene.text, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(*scene.box);
    }
}

} // namespace tarnix::ui
