#include "plot/PlotLimits.h"

#include "meter/LeadingNumber.h"

#include <QLocale>
#include <cmath>

namespace tarnix::plot {

namespace {

using meter::leadingNumber;

bool isOneOf(QStringView text, std::initializer_list<const char16_t*> texts) {
    for (const char16_t* t : texts)
        if (text == QStringView(t))
            return true;
    return false;
}

// The boxes as numbers. Records are whole, so From and To are rounded to
// the nearest record: a fraction would otherwise pick rows by accident.
struct RangeNumbers {
    double from, to, min, max;
};
RangeNumbers rangeNumbers(const RangeTexts& boxes) {
    return {std::round(leadingNumber(boxes.from)), std::round(leadingNumber(boxes.to)),
            leadingNumber(boxes.min), leadingNumber(boxes.max)};
}

PlotLimits withRange(PlotLimits limits, const RangeNumbers& n) {
    limits.from = n.from;
    limits.to = n.to;
    limits.min = n.min;
    limits.max = n.max;
    limits.count = n.to - n.from + 1;
    return limits;
}

} // namespace

PlotLimits wholeListLimits(double fullScale, double records) {
    PlotLimits l;
    l.fullScale = fullScale;
    l.floor = 0;
    l.records = records;
    l.max = fullScale;
    l.min = l.floor;
    l.from = 1;
    l.to = records;
    l.count = records;
    return l;
}

double fileListFullScale(const meter::Measurement& first) {
    const QStringView function = first.function, range = first.range;
    if (function == u"FREQ")
        return 10000; // drawn in kHz, as if the range were "10000KHz"
    if (range == u"600 V") {
        if (function == u"DCV")
            return 1000;
        if (function == u"ACV")
            return 750;
    }
    return first.fullScale;
}

DataListPlot dataListPlot(const meter::Measurement& first) {
    const QStringView function = first.function, range = first.range;
    const double number = first.fullScale;
    const double positive = range == u"1MHz" ? 10 : range == u"1KHz" ? 10000 : number;
    const bool neverNegative = isOneOf(function, {u"ACA", u"ACV", u"RES", u"CAP", u"FREQ"});
    return {neverNegative ? PlotKind::Positive : PlotKind::Signed, positive, number};
}

RangeTexts rangeTexts(const PlotLimits& limits) {
    return {plainNumber(limits.from), plainNumber(limits.to), plainNumber(limits.min),
            plainNumber(limits.max)};
}

std::optional<PlotLimits> signedRange(const PlotLimits& current, const RangeTexts& boxes) {
    const RangeNumbers n = rangeNumbers(boxes);
    // A span past the list's last record would draw nothing: refused too.
    if (n.from <= 0 || n.to <= n.from || n.to > current.records || n.min < 0 || n.max <= n.min)
        return std::nullopt;
    return withRange(current, n);
}

std::optional<PlotLimits> positiveRange(const PlotLimits& current, const RangeTexts& boxes) {
    const RangeNumbers n = rangeNumbers(boxes);
    if (n.from <= 0 || n.to <= n.from || n.to > current.records || n.max > current.fullScale ||
        n.min < current.floor || n.max <= n.min)
        return std::nullopt;
    return withRange(current, n);
}

QString plainNumber(double value) {
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace tarnix::plot
