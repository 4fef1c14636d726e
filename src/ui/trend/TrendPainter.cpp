#include "ui/trend/TrendPainter.h"

#include "trend/TrendData.h"
#include "trend/TrendTicks.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tarnix::ui {

namespace {

// Room for the value axes at the left, for two lines of time labels (the
// times, and the date they leave out) below, and for each lane's title
// above it, clear of its grid and readings.
constexpr int AxisWidth = 82, TimeHeight = 36, Margin = 10, TitleHeight = 16;
// Between the value axis and the readings: the first reading's dot, whole.
constexpr int DotRoom = 4;
constexpr double DotRadius = 2.5;

trend::TrendView laneView(const TrendScene& scene, const QRect& lane,
                          const trend::ValueSpan& values) {
    return {scene.frame.fromMs,        scene.frame.toMs,           values.bottom, values.top,
            std::max(lane.width(), 1), std::max(lane.height(), 1), scene.gapMs};
}

// A line down at `x` through each lane, not over their titles.
void lineDownLanes(QPainter& painter, const TrendLayout& layout, double x) {
    for (const QRect& lane : layout.lanes)
        painter.drawLine(QPointF(x, lane.top()), QPointF(x, lane.bottom()));
}

void paintTimeAxis(QPainter& painter, const TrendScene& scene, const TrendLayout& layout) {
    const QRect& plot = layout.plot;
    const auto ticks =
        trend::timeTicks(scene.frame.fromMs, scene.frame.toMs, std::max(2, plot.width() / 110));
    const QFontMetrics metrics = painter.fontMetrics();
    const int baseline = plot.bottom() + 4 + metrics.ascent();
    for (const trend::TimeTick& tick : ticks) {
        const int x = plot.left() + int(double(tick.ms - scene.frame.fromMs) * plot.width() /
                                        double(scene.frame.toMs - scene.frame.fromMs));
        painter.setPen(scene.grid);
        lineDownLanes(painter, layout, x);
        painter.setPen(scene.text);
        const auto centred = [&](const QString& text, int y) {
            const int w = metrics.horizontalAdvance(text);
            painter.drawText(std::clamp(x - w / 2, 0, plot.right() - w), y, text);
        };
        centred(tick.label, baseline);
        if (!tick.day.isEmpty())
            centred(tick.day, baseline + metrics.lineSpacing());
    }
}

// Value ticks as many as the lane has room for, three where three fit
// without their labels touching: every second or third of a finer step
// when its labels would.
std::vector<trend::ValueTick> laneTicks(const QFontMetrics& metrics, const QRect& lane,
                                        const trend::ValueSpan& values, const QString& unit) {
    auto ticks =
        trend::valueTicks(values.bottom, values.top, std::max(3, lane.height() / 40), unit);
    if (ticks.size() < 2)
        return ticks;
    const double apart =
        (ticks[1].value - ticks[0].value) * lane.height() / (values.top - values.bottom);
    const int stride = int(std::ceil((metrics.tightBoundingRect(QStringLiteral("0")).height() + 3) /
                                     std::max(apart, 1.0)));
    if ((ticks.size() + std::size_t(stride) - 1) / std::size_t(stride) < 3)
        return trend::valueTicks(values.bottom, values.top, 2, unit);
    std::vector<trend::ValueTick> every;
    for (std::size_t i = 0; i < ticks.size(); i += std::size_t(stride))
        every.push_back(std::move(ticks[i]));
    return every;
}

// The lane's axis and its title above it; its ticks only where a span of
// values is known, otherwise a word that there is nothing to scale to.
void paintValueAxis(QPainter& painter, const TrendScene& scene, const trend::TrendSeries& series,
                    const QRect& lane, const std::optional<trend::ValueSpan>& known,
                    const QColor& colour) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int axis = lane.left() - DotRoom;
    painter.setPen(colour);
    painter.drawLine(axis, lane.top(), axis, lane.bottom());
    painter.drawText(lane.left(), lane.top() - 3 - metrics.descent(),
                     series.function() + u' ' + series.range());
    if (!known) {
        painter.setPen(scene.text);
        painter.drawText(lane, Qt::AlignCenter, QStringLiteral("No readings in this span"));
        return;
    }
    const trend::ValueSpan& values = *known;
    const trend::TrendView view = laneView(scene, lane, values);
    for (const trend::ValueTick& tick : laneTicks(metrics, lane, values, series.unit())) {
        const int y = lane.top() + int(view.y(tick.value));
        painter.setPen(scene.grid);
        painter.drawLine(lane.left(), y, lane.right(), y);
        painter.setPen(colour);
        painter.drawText(axis - 5 - metrics.horizontalAdvance(tick.label),
                         y + metrics.ascent() / 2 - 1, tick.label);
    }
}

void paintSeries(QPainter& painter, const TrendScene& scene, const trend::TrendSeries& series,
                 const QRect& lane, const trend::ValueSpan& values, const QColor& colour) {
    const trend::TrendPath path = trend::trendPath(series, laneView(scene, lane, values));
    painter.save();
    // Lines are cut at the lane's edges; a reading's dot there is drawn whole.
    painter.setClipRect(lane.adjusted(-DotRoom + 1, 0, DotRoom, 0));
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
            painter.drawEllipse(p, DotRadius, DotRadius);
    }
    // Overloads: a mark at the edge they went past, inside the lane. Solid
    // rectangles, which cost little however many there are.
    for (const auto& [x, sign] : path.overloads)
        painter.fillRect(QRectF(x - 1.5, sign > 0 ? 0 : lane.height() - 6, 3, 6), colour);
    painter.restore();
}

// A picked reading: a line down at its time (through every lane for the
// crosshair, its own lane for a measurement's end), and its value ringed
// where the lane shows it.
void paintPick(QPainter& painter, const TrendScene& scene, const TrendLayout& layout,
               const std::vector<trend::ValueSpan>& values, const TrendPick& pick,
               const QColor& colour, bool everyLane) {
    const trend::TrendSeries& series = scene.data->series()[pick.series];
    const QRect& lane = layout.lanes[pick.series];
    const trend::TrendView view = laneView(scene, lane, values[pick.series]);
    const double x = layout.plot.left() + view.x(series.time(pick.reading));
    if (const QRectF plot(layout.plot); x < plot.left() || x > plot.right())
        return; // panned out of view: nothing over the value axes
    painter.setPen(QPen(colour, 1, Qt::DashLine));
    if (everyLane)
        lineDownLanes(painter, layout, x);
    else
        painter.drawLine(QPointF(x, lane.top()), QPointF(x, lane.bottom()));
    constexpr double Ring = 5; // its radius and half its pen
    if (const float v = series.value(pick.reading);
        v == v && view.y(v) >= 0 && view.y(v) <= lane.height()) {
        const QPointF at(x, lane.top() + view.y(v));
        painter.drawLine(QPointF(lane.left(), at.y()), QPointF(lane.right(), at.y()));
        if (view.y(v) >= Ring && view.y(v) <= lane.height() - Ring) {
            painter.setPen(QPen(colour, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(at, Ring - 1, Ring - 1);
        }
    }
}

} // namespace

TrendLayout::TrendLayout(QSize area, std::size_t series)
    : plot(AxisWidth, Margin, std::max(area.width() - AxisWidth - Margin, 1),
           std::max(area.height() - Margin - TimeHeight, 1)) {
    const int n = int(std::max<std::size_t>(series, 1));
    const int slot = std::max(plot.height() / n, TitleHeight + 1);
    for (int i = 0; i < int(series); ++i)
        lanes.emplace_back(plot.left(), plot.top() + i * slot + TitleHeight, plot.width(),
                           slot - TitleHeight);
}

std::optional<std::size_t> TrendLayout::laneAt(int y) const {
    // A lane's title and the half of it nearer the lane above count as the lane.
    for (std::size_t i = 0; i < lanes.size(); ++i)
        if (y >= lanes[i].top() - TitleHeight / 2 && y <= lanes[i].bottom() + TitleHeight / 2)
            return i;
    return std::nullopt;
}

std::vector<std::optional<trend::ValueSpan>> knownLaneValues(const TrendScene& scene,
                                                             const TrendLayout& layout) {
    std::vector<std::optional<trend::ValueSpan>> values;
    const auto& series = scene.data->series();
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (i < scene.frame.values.size() && scene.frame.values[i]) {
            values.push_back(scene.frame.values[i]);
            continue;
        }
        auto fitted = trend::fitValues(series[i], scene.frame.fromMs, scene.frame.toMs);
        if (fitted) {
            const int height = layout.lanes[i].height();
            const double room = (fitted->top - fitted->bottom) * DotRoom /
                                std::max(height - 2 * DotRoom, 1);
            fitted = trend::ValueSpan{fitted->bottom - room, fitted->top + room};
        }
        values.push_back(fitted);
    }
    return values;
}

std::vector<trend::ValueSpan> laneValues(const TrendScene& scene, const TrendLayout& layout) {
    std::vector<trend::ValueSpan> values;
    for (const auto& known : knownLaneValues(scene, layout))
        values.push_back(known.value_or(trend::ValueSpan{}));
    return values;
}

QColor seriesColour(std::size_t i) {
    static const QColor Colours[] = {
        QColor(0x1f, 0x77, 0xb4), QColor(0xe4, 0x57, 0x1b), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xa3, 0x4d, 0xc4), QColor(0xc2, 0x8a, 0x00), QColor(0x17, 0xa5, 0xb6),
        QColor(0xd6, 0x27, 0x5a), QColor(0x80, 0x80, 0x80), QColor(0x8a, 0x9a, 0x1a),
        QColor(0xa8, 0x6a, 0x48), QColor(0x4a, 0x5c, 0xe0), QColor(0xd0, 0x5a, 0xb0)};
    if (i < std::size(Colours))
        return Colours[i];
    // Beyond them, hues a golden angle apart, each lightness in turn: none twice.
    const std::size_t k = i - std::size(Colours);
    return QColor::fromHsv(int(std::fmod(double(k) * 137.508 + 15, 360.0)), 190,
                           150 + int(k % 3) * 30);
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
    const auto known = knownLaneValues(scene, layout);
    std::vector<trend::ValueSpan> values;
    for (std::size_t i = 0; i < series.size(); ++i) {
        values.push_back(known[i].value_or(trend::ValueSpan{}));
        paintValueAxis(painter, scene, series[i], layout.lanes[i], known[i], seriesColour(i));
        paintSeries(painter, scene, series[i], layout.lanes[i], values[i], seriesColour(i));
    }
    if (scene.first && scene.second) {
        const QRect& lane = layout.lanes[scene.first->series];
        const auto x = [&](const TrendPick& p) {
            return lane.left() +
                   laneView(scene, lane, values[p.series]).x(series[p.series].time(p.reading));
        };
        const double a = x(*scene.first), b = x(*scene.second);
        QColor shade = scene.text;
        shade.setAlpha(28);
        // Only the part of the span in view, in the measured lane alone.
        painter.fillRect(QRectF(std::min(a, b), lane.top(), std::abs(b - a), lane.height())
                             .intersected(QRectF(lane)),
                         shade);
    }
    for (const auto& pick : {scene.first, scene.second})
        if (pick)
            paintPick(painter, scene, layout, values, *pick, scene.text, false);
    if (scene.hover)
        paintPick(painter, scene, layout, values, *scene.hover, seriesColour(scene.hover->series),
                  true);
    if (scene.box) {
        painter.setPen(QPen(scene.text, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(*scene.box);
    }
}

} // namespace tarnix::ui
