#include "plot/PlotGeometry.h"

#include "records/RecordStore.h"

#include <algorithm>
#include <cmath>

namespace tarnix::plot {

namespace {

constexpr int TimeColumn = 2, FunctionColumn = 3, RangeColumn = 4;

PlotLayout signedLayout() {
    return {{6690, 7905},
            {{{Left, Over, Left, Under}, GuideStyle::Axis},
             {{Left, Zero, Right, Zero}, GuideStyle::Axis},
             {{Left, Top, Right, Top}, GuideStyle::Limit},
             {{Left, Bottom, Right, Bottom}, GuideStyle::Limit},
             {{Left, 2500, Right, 2500}, GuideStyle::Half},
             {{Left, 5500, Right, 5500}, GuideStyle::Half},
             {{3000, Over, 3000, Under}, GuideStyle::Half}},
            {{"LblValTop", nullptr, {930, 960}, LabelAlign::Right},
             {"LblValMid", nullptr, {930, 2400}, LabelAlign::Right},
             {"Lbl0", nullptr, {930, 3960}, LabelAlign::Right},
             {"MidLbl", nullptr, {930, 5400}, LabelAlign::Right},
             {"TopLbl", nullptr, {930, 6840}, LabelAlign::Right},
             {"LblT1", nullptr, {1080, 4080}, LabelAlign::Left},
             {"LblT2", nullptr, {2970, 4080}, LabelAlign::Centre},
             {"LblT3", nullptr, {5010, 4080}, LabelAlign::Right},
             {"LblUnit", nullptr, {1035, 480}, LabelAlign::Left},
             {"LblOdd", nullptr, {380, 4690}, LabelAlign::Left},
             {nullptr, "TIME", {5040, 3720}, LabelAlign::Left},
             {nullptr, "+", {120, 3600}, LabelAlign::Left},
             {nullptr, "-", {120, 3720}, LabelAlign::Left}}};
}

PlotLayout positiveLayout() {
    return {{6225, 4680},
            {{{Left, Over, Left, Zero}, GuideStyle::Axis},
             {{Left, Zero, Right, Zero}, GuideStyle::Axis},
             {{Left, Top, Right, Top}, GuideStyle::Limit},
             {{Left, 2500, Right, 2500}, GuideStyle::Half},
             {{3000, Over, 3000, Zero}, GuideStyle::Half}},
            {{"LblValTop", nullptr, {915, 960}, LabelAlign::Right},
             {"LblValMid", nullptr, {930, 2400}, LabelAlign::Right},
             {"Lbl0", nullptr, {930, 3840}, LabelAlign::Right},
             {"LblT1", nullptr, {960, 4080}, LabelAlign::Left},
             {"LblT2", nullptr, {2970, 4080}, LabelAlign::Centre},
             {"LblT3", nullptr, {4995, 4080}, LabelAlign::Right},
             {"LblUnit", nullptr, {990, 480}, LabelAlign::Left},
             {nullptr, "TIME", {5040, 3840}, LabelAlign::Left}}};
}

// Values to y. Not-a-number when the arithmetic overflows.
class Scale {
public:
    explicit Scale(const PlotLimits& l) : m_min(l.min), m_perUnit(3000 / (l.max - l.min)) {}

    // At or above zero, up to Max at y 1000; beyond the top at 900.
    double upper(double v) const {
        const double y = finite(Zero - (v - m_min) * m_perUnit);
        return y > Zero ? Zero : y < Top ? Over : y;
    }
    // Below zero the upper half mirrored: -Min on the zero line, -Max at 7000,
    // beyond it at 7100.
    double lower(double v) const {
        const double y = mirrored(v);
        return y < Zero ? Zero : y > Bottom ? Under : y;
    }
    double mirrored(double v) const { return finite(Zero - (v + m_min) * m_perUnit); }

private:
    static double finite(double y) { return std::isfinite(y) ? y : std::nan(""); }
    double m_min;
    double m_perUnit;
};

// The labels every plot sets, and the check that it can be drawn at all.
std::optional<PlotDrawing> valueLabels(const PlotLimits& l) {
    if (!std::isfinite(l.max) || !std::isfinite(l.min) || l.max == l.min ||
        !std::isfinite(3000 / (l.max - l.min)))
        return std::nullopt;
    PlotDrawing d;
    d.valTop = plainNumber(l.max);
    d.valMid = plainNumber((l.max + l.min) / 2);
    d.zero = plainNumber(l.min);
    d.negMid = plainNumber(-(l.max + l.min) / 2);
    d.negTop = plainNumber(-l.max);
    return d;
}

// The list rows of records From and To, when both are in the list.
struct RowSpan {
    qsizetype first, last;
};
std::optional<RowSpan> rowSpan(const records::RecordStore& records, const PlotLimits& l) {
    if (l.from != std::floor(l.from) || l.to != std::floor(l.to) || l.from < 1 || l.to < l.from ||
        l.to > double(records.size()))
        return std::nullopt;
    return RowSpan{qsizetype(l.from) - 1, qsizetype(l.to) - 1};
}

void setTimes(PlotDrawing& d, const records::RecordStore& records, const PlotLimits& l, RowSpan rows) {
    d.timed = true;
    d.t1 = records.cell(rows.first, TimeColumn);
    d.t2 = records.cell(qsizetype(l.from + l.to) / 2 - 1, TimeColumn);
    d.t3 = records.cell(rows.last, TimeColumn);
}

// Every drawn record's y from its value cell and range cell; false when one overflows.
template <typename RowY>
bool fillCurve(PlotDrawing& d, const records::RecordStore& records, RowSpan rows, RowY rowY) {
    d.ys.reserve(std::size_t(rows.last - rows.first + 1));
    for (qsizetype row = rows.first; row <= rows.last; ++row) {
        const double y = rowY(records.valueCell(row));
        if (std::isnan(y))
            return false;
        d.ys.push_back(float(y));
    }
    return true;
}

std::optional<PlotReference> temperatureReference(QStringView range, const PlotLimits& l,
                                                  const Scale& scale) {
    double value = 0;
    if (l.max > 50 && (range == u"200'C" || range == u"1370'C"))
        value = -50;
    else if (l.max > 60 && (range == u"200'F" || range == u"2000'F"))
        value = -60;
    else
        return std::nullopt;
    const double y = scale.mirrored(value);
    return PlotReference{y, QStringLiteral("(-OL) ") + plainNumber(value), {380, y - 60}};
}

} // namespace

const PlotLayout& plotLayout(PlotKind kind) {
    static const PlotLayout signedPlot = signedLayout();
    static const PlotLayout positivePlot = positiveLayout();
    return kind == PlotKind::Signed ? signedPlot : positivePlot;
}

std::optional<PlotDrawing> drawSignedPlot(const records::RecordStore& records, const PlotLimits& l) {
    std::optional<PlotDrawing> d = valueLabels(l);
    if (!d || l.count < 2)
        return d;
    const auto rows = rowSpan(records, l);
    if (!rows)
        return std::nullopt;
    setTimes(*d, records, l, *rows);
    const QString function = records.cell(0, FunctionColumn);
    const QString range = records.cell(0, RangeColumn);
    // Frequencies are drawn in kHz here, whatever the first record's range.
    d->unit = function + u':' + (function == u"FREQ" ? QStringLiteral("KHz") : range);
    const Scale scale(l);
    d->reference = temperatureReference(range, l, scale);
    if (d->reference && std::isnan(d->reference->y))
        return std::nullopt;
    const double negativeOverload = d->reference ? d->reference->y : Under;
    const bool drawn = fillCurve(*d, records, *rows, [&](const records::ValueCell& cell) {
        if (cell.overload)
            return cell.overload < 0 ? negativeOverload : Over;
        const double v = cell.number * (cell.range == "1MHz" ? 1000 : 1);
        return v < 0 ? scale.lower(v) : scale.upper(v);
    });
    return drawn ? d : std::nullopt;
}

std::optional<PlotDrawing> drawPositivePlot(const records::RecordStore& records, const PlotLimits& l) {
    std::optional<PlotDrawing> d = valueLabels(l);
    if (!d || l.count < 2)
        return d;
    const auto rows = rowSpan(records, l);
    if (!rows)
        return std::nullopt;
    setTimes(*d, records, l, *rows);
    const QString function = records.cell(0, FunctionColumn);
    const QString range = records.cell(0, RangeColumn);
    // Frequencies are drawn in the unit of the first record's range.
    const bool frequency = function == u"FREQ";
    d->unit = function + u':' + (frequency ? range.right(3) : range);
    const Scale scale(l);
    const QByteArray firstRange = records.cellBytes(0, RangeColumn).toByteArray();
    const bool inMHz = firstRange == "1MHz";
    const bool drawn = fillCurve(*d, records, *rows, [&](const records::ValueCell& cell) {
        if (cell.overload)
            return Over;
        double v = cell.number;
        if (frequency && cell.range != firstRange)
            v = inMHz && cell.range == "1KHz" ? v / 1000 : v * 1000;
        return scale.upper(v);
    });
    return drawn ? d : std::nullopt;
}

double recordX(std::size_t j, std::size_t count) {
    return count < 2 ? Left
                     : Left + double(j) * (Right - Left) / double(count - 1);
}

std::vector<QLineF> curveLines(const std::vector<float>& ys, int pixelColumns) {
    const std::size_t n = ys.size();
    std::vector<QLineF> lines;
    if (n < 2)
        return lines;
    if (pixelColumns < 1 || n < 4 * std::size_t(pixelColumns)) {
        lines.reserve(n - 1);
        for (std::size_t j = 0; j + 1 < n; ++j)
            lines.emplace_back(recordX(j, n), ys[j], recordX(j + 1, n), ys[j + 1]);
        return lines;
    }
    // Column by column the path passes through the column's first point, its
    // lowest and highest in the order they come, and its last point: drawn,
    // that covers the same pixels as every segment would.
    const std::size_t columns = std::size_t(pixelColumns);
    lines.reserve(4 * columns);
    QPointF at(recordX(0, n), ys[0]);
    const auto passThrough = [&](std::size_t k) {
        const QPointF next(recordX(k, n), ys[k]);
        if (next != at)
            lines.emplace_back(at, next);
        at = next;
    };
    std::size_t j = 0;
    for (std::size_t c = 0; c < columns && j < n; ++c) {
        // The records whose x rounded down to a column is column c.
        const std::size_t end = c + 1 == columns ? n : ((c + 1) * (n - 1) + columns - 1) / columns;
        if (end <= j)
            continue;
        const auto first = ys.begin() + std::ptrdiff_t(j);
        const auto [low, high] = std::minmax_element(first, ys.begin() + std::ptrdiff_t(end));
        const std::size_t lowAt = j + std::size_t(low - first),
                          highAt = j + std::size_t(high - first);
        passThrough(j);
        passThrough(std::min(lowAt, highAt));
        passThrough(std::max(lowAt, highAt));
        passThrough(end - 1);
        j = end;
    }
    return lines;
}

} // namespace tarnix::plot
