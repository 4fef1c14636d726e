#include "trend/TrendSeries.h"

#include "trend/LineClip.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnix::trend {

TrendSeries::TrendSeries(QString function, QString range, QString unit, qint64 originMs)
    : m_function(std::move(function)), m_range(std::move(range)), m_unit(std::move(unit)) {
    m_parts.push_back({SeriesReadings(originMs)});
}

qint64 TrendSeries::row(qsizetype i) const {
    const Part& part = partOf(i);
    return part.rowBase + part.readings.row(i - part.first + part.skipped);
}

qsizetype TrendSeries::firstAtOrAfter(qint64 ms, qsizetype from) const {
    for (const Part& part : m_parts) {
        const qsizetype end = part.readings.size(); // its own count
        if (end == part.skipped || part.first + end - part.skipped <= from ||
            part.readings.time(end - 1) < ms)
            continue; // all of it before
        const qsizetype start = std::max(from - part.first, qsizetype(0)) + part.skipped;
        return part.first + part.readings.firstAtOrAfter(ms, start) - part.skipped;
    }
    return m_size;
}

bool TrendSeries::holdsOverload(int sign, qsizetype first, qsizetype last) const {
    bool holds = false;
    eachPart(first, last, [&](const Part& part, qsizetype from, qsizetype to) {
        holds = part.readings.holdsOverload(sign, from, to);
        return holds;
    });
    return holds;
}

MinMax TrendSeries::span(qsizetype first, qsizetype last) const {
    MinMax result;
    eachPart(first, last, [&](const Part& part, qsizetype from, qsizetype to) {
        result.add(part.readings.values().range(from, to));
        return false;
    });
    return result;
}

void TrendSeries::appendSeries(TrendSeries&& later, qint64 rowBase, bool joinFirst) {
    for (Part& part : later.m_parts) {
        if (m_size == 0) { // all of it, as read
            m_parts.clear();
        } else if (&part == &later.m_parts.front()) {
            part.skipped = part.readings.firstAtOrAfter(lastTime());
            if (part.skipped == part.readings.size())
                continue; // all of it from before this one's last
            part.readings.setJoined(part.skipped, joinFirst && part.skipped == 0);
        }
        part.first = m_size;
        part.rowBase += rowBase;
        m_size += part.readings.size() - part.skipped;
        m_parts.push_back(std::move(part));
    }
    if (m_size > 0)
        m_lastMs = time(m_size - 1);
    later = TrendSeries(later.m_function, later.m_range, later.m_unit, 0);
}

namespace {

// No line from the reading before: another series or a gap came between.
bool breaksBefore(const TrendSeries& series, qsizetype i, qint64 gapMs) {
    return !series.joined(i) || (gapMs > 0 && series.time(i) - series.time(i - 1) > gapMs);
}

} // namespace

namespace {

// The path cut at the view's edges; zoomed in, its readings in view are dots.
TrendPath clipped(TrendPath path, const TrendView& view) {
    const QRectF box(0, 0, view.width, view.height);
    std::vector<std::vector<QPointF>> pieces;
    for (const std::vector<QPointF>& piece : path.pieces) {
        for (const QPointF& p : piece)
            if (!path.columns && box.contains(p))
                path.dots.push_back(p);
        for (std::vector<QPointF>& part : clipLine(piece, box))
            pieces.push_back(std::move(part));
    }
    path.pieces = std::move(pieces);
    return path;
}

} // namespace

TrendPath trendPath(const TrendSeries& series, const TrendView& view) {
    TrendPath path;
    const qsizetype first = series.firstAtOrAfter(view.fromMs);
    const qsizetype last = series.firstAtOrAfter(view.toMs + 1); // one past
    // A line runs on to the readings just outside, as the eye expects.
    const qsizetype from = std::max<qsizetype>(first - 1, 0);
    const qsizetype to = std::min(last + 1, series.size());
    std::vector<QPointF>* piece = nullptr;
    const auto breakHere = [&] { piece = nullptr; };
    const auto point = [&](double x, double y) {
        if (!piece)
            piece = &path.pieces.emplace_back();
        piece->emplace_back(x, y);
    };
    if (last - first <= view.width) {
        for (qsizetype i = from; i < to; ++i) {
            if (breaksBefore(series, i, view.gapMs))
                breakHere();
            const float v = series.value(i);
            if (std::isnan(v)) {
                breakHere();
                if (const int o = series.overload(i); o != 0 && i >= first && i < last)
                    path.overloads.emplace_back(view.x(series.time(i)), o);
                continue;
            }
            point(view.x(series.time(i)), view.y(v));
        }
        return clipped(std::move(path), view);
    }
    path.columns = true;
    qsizetype a = first;
    for (int column = 0; column < view.width; ++column) {
        const qint64 end = view.fromMs + (view.toMs - view.fromMs) * (column + 1) / view.width;
        const qsizetype b = series.firstAtOrAfter(end, a);
        const MinMax m = series.span(a, b);
        // A column of readings without a number, or one after a break at its
        // start, breaks the line; one without readings leaves it as it is
        // (between readings the gap rule joins, some columns hold none).
        if (a < b && (m.empty() || breaksBefore(series, a, view.gapMs)))
            breakHere();
        for (const int sign : {1, -1})
            if (series.holdsOverload(sign, a, b))
                path.overloads.emplace_back(column + 0.5, sign);
        if (!m.empty()) {
            double high = view.y(m.max), low = view.y(m.min);
            if (low - high < 1) { // a column of one value is still a pixel tall, in view
                if (high + 1 <= view.height)
                    low = high + 1;
                else
                    high = low - 1;
            }
            point(column + 0.5, high);
            point(column + 0.5, low);
        }
        a = b;
    }
    return clipped(std::move(path), view);
}

} // namespace tarnix::trend
