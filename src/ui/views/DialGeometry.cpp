#include "ui/views/DialGeometry.h"

#include "meter/MeterValue.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace tarnix::ui {

namespace {

QPointF polar(double degrees, double distance) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {distance * std::cos(a), distance * std::sin(a)};
}

struct FamilyShape {
    DialArc loadArc;
    DialArc redrawArc;
    double firstTick;
    double tickStep;
    int lastTick; // ticks 0 ... lastTick
    // The needle's travel; the overloads pin it to these ends.
    double lowestAngle;
    double highestAngle;
};

FamilyShape shape(DialFamily family) {
    switch (family) {
    case DialFamily::WideTemperature:
        return {{34.2, 149.4}, {34.2, 145.8}, 36, 2.7, 41, 35, 147};
    case DialFamily::Celsius200:
        return {{54, 140.4}, {45, 158.4}, 60, 1.5, 50, 60, 135};
    case DialFamily::Fahrenheit200:
        return {{54, 140.4}, {45, 158.4}, 60, 1.5, 54, 60, 138};
    case DialFamily::OneSided:
    case DialFamily::CentreZero:
        break;
    }
    return {{34.2, 145.8}, {34.2, 145.8}, 36, 2.7, 40, 35, 145};
}

// A scale number: a multiple of the range's number, or a fixed text.
struct NumberMark {
    double ofRange;   // times the range's number, when there is no text
    const char* text; // a fixed text, or nullptr
    double xAngle;
    std::optional<double> yAngle; // none: on the line below the number before
    bool topCentre;
};

constexpr std::nullopt_t NextLine = std::nullopt;

std::vector<NumberMark> marks(DialFamily family, QStringView range, DialDrawing drawing) {
    switch (family) {
    case DialFamily::WideTemperature: {
        // The scale's foot, in the range's own degrees.
        const char* foot = range == u"1370'C"             ? "-50"
                           : drawing == DialDrawing::Load ? "-58"
                                                          : "-60";
        return {{0.5, nullptr, 90, 90, true},          {0.75, nullptr, 63, 63, false},
                {0.25, nullptr, 117, NextLine, false}, {1, nullptr, 39.6, 39.6, false},
                {0, "0", 140.4, NextLine, false},      {0, foot, 144, 32.4, false}};
    }
    case DialFamily::Celsius200:
    case DialFamily::Fahrenheit200:
        return {{0.5, nullptr, 90, 90, true},
                {0.75, nullptr, 75.6, 75.6, false},
                {0.25, nullptr, 104.4, NextLine, false},
                {1, nullptr, 61.2, 63, false},
                {0, "0", 118.8, NextLine, false},
                {0, "-50", 135, 50.4, false}};
    case DialFamily::OneSided:
        return {{0.5, nullptr, 90, 90, true},
                {0.75, nullptr, 63, 63, false},
                {0.25, nullptr, 117, NextLine, false},
                {1, nullptr, 39.6, 39.6, false},
                {0, "0", 140.4, NextLine, false}};
    case DialFamily::CentreZero:
        break;
    }
    return {{0, "0", 90, 90, true},
            {0.5, nullptr, 63, 63, false},
            {-0.5, nullptr, 117, NextLine, false},
            {1, nullptr, 39.6, 39.6, false},
            {-1, nullptr, 140.4, NextLine, false}};
}

} // namespace

bool hasDial(QStringView function) {
    for (const char16_t* f : {u"RES", u"CAP", u"ACA", u"DCA", u"ACV", u"DCV", u"TEMP"})
        if (function == QStringView(f))
            return true;
    return false;
}

bool closesDial(QStringView function) {
    return function == u"DIODE" || function == u"FREQ";
}

DialFamily dialFamily(QStringView function, QStringView range) {
    if (range == u"1370'C" || range == u"2000'F")
        return DialFamily::WideTemperature;
    if (range == u"200'C")
        return DialFamily::Celsius200;
    if (range == u"200'F")
        return DialFamily::Fahrenheit200;
    if (function == u"ACV" || function == u"ACA" || function == u"RES" || function == u"CAP")
        return DialFamily::OneSided;
    return DialFamily::CentreZero;
}

DialScale dialScale(QSizeF window, DialDrawing drawing) {
    // The inner drawing area against the outer size the window had when the
    // dial was designed; the two drawings were designed at slightly
    // different sizes.
    const bool load = drawing == DialDrawing::Load;
    const double sx = window.width() * 4485 / (load ? 4575 : 4605);
    const double sy = window.height() * 2490 / (load ? 2895 : 2925);
    return {sx, sy, sx / 2, -sx / 2, sx / 2, 1.2 * sy, 0.2 * sy};
}

DialArc dialArc(DialFamily family, DialDrawing drawing) {
    const FamilyShape s = shape(family);
    return drawing == DialDrawing::Load ? s.loadArc : s.redrawArc;
}

std::vector<DialTick> dialTicks(DialFamily family, double radius) {
    const FamilyShape s = shape(family);
    std::vector<DialTick> ticks;
    ticks.reserve(std::size_t(s.lastTick + 1));
    for (int i = 0; i <= s.lastTick; ++i) {
        const double a = s.firstTick + i * s.tickStep;
        const double length = i % 10 == 0 ? 1.08 : i % 5 == 0 ? 1.06 : 1.03;
        ticks.push_back({polar(a, radius), polar(a, length * radius)});
    }
    return ticks;
}

QString dialNumberText(double value) {
    if (value < 0)
        return meter::formatNumber(value);
    return QStringLiteral(" ") + meter::formatNumber(value);
}

std::vector<ScaleNumber> scaleNumbers(DialFamily family, QStringView range, double fullScale,
                                      double radius, DialDrawing drawing) {
    const double r = fullScale;
    const double out = 1.16 * radius;
    std::vector<ScaleNumber> numbers;
    double y = 0;
    for (const NumberMark& m : marks(family, range, drawing)) {
        const bool nextLine = !m.yAngle;
        if (!nextLine)
            y = polar(*m.yAngle, out).y();
        const QString text = m.text ? QString::fromLatin1(m.text) : dialNumberText(m.ofRange * r);
        // Straight above the pivot exactly, without cos 90's rounding residue.
        const double x = m.topCentre ? 0.0 : polar(m.xAngle, out).x();
        numbers.push_back({text, QPointF(x, y), nextLine, m.topCentre});
    }
    return numbers;
}

std::vector<PlacedText> placeScaleNumbers(const std::vector<ScaleNumber>& numbers,
                                          DialDrawing drawing,
                                          const std::function<double(const QString&)>& textWidth,
                                          double lineHeight) {
    std::vector<PlacedText> placed;
    placed.reserve(numbers.size());
    for (const ScaleNumber& n : numbers) {
        const double left = drawing == DialDrawing::Load
                                ? n.anchor.x() - textWidth(n.text) / 2 + (n.topCentre ? 1 : 0)
                                : n.anchor.x() - 120;
        const double top =
            n.nextLine && !placed.empty() ? placed.back().topLeft.y() - lineHeight : n.anchor.y();
        placed.push_back({n.text, QPointF(left, top)});
    }
    return placed;
}

double needleAngle(const meter::Measurement& reading) {
    const DialFamily family = dialFamily(reading.function, reading.range);
    const FamilyShape s = shape(family);
    if (reading.shown.overload == meter::Overload::Under)
        return s.highestAngle;
    if (reading.shown.overload == meter::Overload::Over)
        return s.lowestAngle;

    const double v = reading.shown.number;
    const double r = reading.fullScale;
    // A range without a number has no full scale: the needle rests at zero.
    const double ofRange = r == 0 ? 0 : v / r;
    double angle = 0;
    switch (family) {
    case DialFamily::CentreZero:
        angle = 90 - 54 * ofRange;
        break;
    case DialFamily::Celsius200:
    case DialFamily::Fahrenheit200:
        angle = 120 - 0.3 * v;
        break;
    case DialFamily::OneSided:
    case DialFamily::WideTemperature:
        angle = 145 - 110 * ofRange;
        break;
    }
    return std::clamp(angle, s.lowestAngle, s.highestAngle);
}

NeedleLine needleLine(double angleDegrees, double radius) {
    return {polar(angleDegrees, 0.88 * radius), QPointF(0, 0)};
}

QSizeF dialWindowAfterResize(QSizeF window) {
    const double width = std::max(window.width(), DialSmallestWindow.width());
    return {width, width * DialSmallestWindow.height() / DialSmallestWindow.width()};
}

DialTickStep dialTickStep(QStringView function, QStringView range, QStringView dialFunction,
                          QStringView dialRange, bool windowResized) {
    if (closesDial(function))
        return DialTickStep::Close;
    if (function != dialFunction || range != dialRange)
        return DialTickStep::Rebuild;
    if (windowResized)
        return DialTickStep::Redraw;
    return DialTickStep::MoveNeedle;
}

QString dialCaption(const QString& function, const QString& range) {
    return function + QStringLiteral(" : ") + range;
}

} // namespace tarnix::ui
