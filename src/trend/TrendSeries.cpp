#include "trend/TrendSeries.h"

#include "trend/LineClip.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnix::trend {

TrendSeries::TrendSeries(QString function, QString range, QString unit, qint64 originMs)
    : m_function(std::move(function)), m_range(std::move(range)), m_unit(std::move(unit)),
      m_origins{{0, originMs}} {}

void TrendSeries::append(qint64 ms, float value, int overload, qint64 row, bool joined) {
    const qsizetype i = size();
    const qint64 step = row - m_lastRow; // rows only grow: 1 and up
    const bool mark = i % RowMarkEvery == 0, far = step > 255;
    if (mark)
        m_rowMarks.push_back(row);
    else if (far)
        m_farRows.emplace_back(i, row);
    m_rowSteps.push_back(mark || far ? 0 : quint8(step));
    m_lastRow = row;
    if ((ms - m_origins.back().second) / 100 > std::numeric_limits<qint32>::max())
        m_origins.emplace_back(i, ms);
    m_tenths.push_back(qint32((ms - m_origins.back().second) / 100));
    m_values.append(overload != 0 ? NAN : value);
    m_joined.push_back(joined && i > 0);
    if (overload != 0)
        m_overloads[overload > 0 ? 0 : 1].push_back(i);
}

bool TrendSeries::holdsOverload(int sign, qsizetype first, qsizetype last) const {
    const std::vector<qsizetype>& of = m_overloads[sign > 0 ? 0 : 1];
    const auto at = std::lower_bound(of.begin(), of.end(), first);
    return at != of.end() && *at < last;
}

int TrendSeries::overload(qsizetype i) const {
    return holdsOverload(1, i, i + 1) ? 1 : holdsOverload(-1, i, i + 1) ? -1 : 0;
}

qint64 TrendSeries::rowAfter(qsizetype i, qint64 rowBefore) const {
    if (i % RowMarkEvery == 0)
        return m_rowMarks[std::size_t(i / RowMarkEvery)];
    if (const quint8 step = m_rowSteps[std::size_t(i)]; step != 0)
        return rowBefore + step;
    return std::lower_bound(m_farRows.begin(), m_farRows.end(), i,
                            [](const auto& far, qsizetype at) { return far.first < at; })
        ->second;
}

qint64 TrendSeries::row(qsizetype i) const {
    qsizetype j = i / RowMarkEvery * RowMarkEvery;
    qint64 row = rowAfter(j, 0);
    while (j < i)
        row = rowAfter(++j, row);
    return row;
}

void TrendSeries::appendSeries(const TrendSeries& later, qint64 rowBase, bool joinFirst) {
    m_values.reserve(size() + later.size());
    m_tenths.reserve(std::size_t(size() + later.size()));
    qsizetype first = 0;
    if (size() > 0)
        first = later.firstAtOrAfter(time(size() - 1));
    auto ol = std::lower_bound(later.m_overloads[0].begin(), later.m_overloads[0].end(), first);
    auto negative =
        std::lower_bound(later.m_overloads[1].begin(), later.m_overloads[1].end(), first);
    qint64 row = first < later.size() ? later.row(first) : 0;
    for (qsizetype i = first; i < later.size(); ++i) {
        if (i > first)
            row = later.rowAfter(i, row);
        int sign = 0;
        if (ol != later.m_overloads[0].end() && *ol == i)
            sign = 1, ++ol;
        else if (negative != later.m_overloads[1].end() && *negative == i)
            sign = -1, ++negative;
        const bool joined = i == first ? joinFirst && i == 0 : later.joined(i);
        append(later.time(i), later.value(i), sign, rowBase + row, joined);
    }
}

qint64 TrendSeries::laterOriginOf(qsizetype i) const {
    return (std::upper_bound(m_origins.begin(), m_origins.end(), i,
                             [](qsizetype at, const auto& o) { return at < o.first; }) -
            1)
        ->second;
}

qsizetype TrendSeries::firstAtOrAfter(qint64 ms, qsizetype from) const {
    // The readings counted from one origin that hold the answer: times grow,
    // so every reading before the next origin is earlier than it.
    auto origin = std::upper_bound(m_origins.begin(), m_origins.end(), ms,
                                   [](qint64 at, const auto& o) { return at < o.second; });
    if (origin != m_origins.begin())
        --origin;
    const qsizetype end = origin + 1 == m_origins.end() ? size() : (origin + 1)->first;
    const auto before = [&](qint32 t) { return origin->second + qint64(t) * 100 < ms; };
    // Steps growing twice as long from `from`, then a search in the last one.
    qsizetype low = std::clamp<qsizetype>(from, origin->first, end), step = 1;
    while (low + step < end && before(m_tenths[std::size_t(low + step)])) {
        low += step;
        step *= 2;
    }
    const auto first = m_tenths.begin() + low;
    const auto last = m_tenths.begin() + std::min(low + step + 1, end);
    return std::partition_point(first, last, before) - m_tenths.begin();
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
        const MinMax m = series.values().range(a, b);
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
