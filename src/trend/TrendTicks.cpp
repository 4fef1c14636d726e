#include "trend/TrendTicks.h"

#include "records/LocalOffsets.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace tarnix::trend {

namespace {

enum class Unit { Second, Day, Week, Month, Year };

struct TimeStep {
    Unit unit;
    qint64 size; // seconds (Second), days, weeks, months or years
    const char* format;
};

constexpr qint64 Minute = 60, Hour = 3600;

constexpr TimeStep TimeSteps[] = {
    {Unit::Second, 1, "HH:mm:ss"},        {Unit::Second, 2, "HH:mm:ss"},
    {Unit::Second, 5, "HH:mm:ss"},        {Unit::Second, 10, "HH:mm:ss"},
    {Unit::Second, 15, "HH:mm:ss"},       {Unit::Second, 30, "HH:mm:ss"},
    {Unit::Second, Minute, "HH:mm"},      {Unit::Second, 2 * Minute, "HH:mm"},
    {Unit::Second, 5 * Minute, "HH:mm"},  {Unit::Second, 10 * Minute, "HH:mm"},
    {Unit::Second, 15 * Minute, "HH:mm"}, {Unit::Second, 30 * Minute, "HH:mm"},
    {Unit::Second, Hour, "HH:mm"},        {Unit::Second, 2 * Hour, "HH:mm"},
    {Unit::Second, 3 * Hour, "HH:mm"},    {Unit::Second, 6 * Hour, "HH:mm"},
    {Unit::Second, 12 * Hour, "HH:mm"},   {Unit::Day, 1, "yyyy-MM-dd"},
    {Unit::Day, 2, "yyyy-MM-dd"},         {Unit::Week, 1, "yyyy-MM-dd"},
    {Unit::Month, 1, "yyyy-MM"},          {Unit::Month, 3, "yyyy-MM"},
    {Unit::Month, 6, "yyyy-MM"},
};

// A step's rough length in seconds, to count its ticks over a span.
double roughSeconds(Unit unit, qint64 size) {
    switch (unit) {
    case Unit::Second:
        return double(size);
    case Unit::Day:
        return 86400.0 * double(size);
    case Unit::Week:
        return 7 * 86400.0 * double(size);
    case Unit::Month:
        return 30.44 * 86400.0 * double(size);
    case Unit::Year:
        return 365.25 * 86400.0 * double(size);
    }
    return 1;
}

// The first local time of a step's grid at or before `at`.
QDateTime gridStart(const QDateTime& at, Unit unit, qint64 size) {
    const QDate day = at.date();
    switch (unit) {
    case Unit::Second: // on the wall clock instead (clockTicks)
        return at;
    case Unit::Day:
        return QDateTime(day.addDays(-((day.day() - 1) % size)), QTime(0, 0));
    case Unit::Week:
        return QDateTime(day.addDays(1 - day.dayOfWeek()), QTime(0, 0));
    case Unit::Month:
        return QDateTime(QDate(day.year(), int((day.month() - 1) / size * size) + 1, 1),
                         QTime(0, 0));
    case Unit::Year:
        return QDateTime(QDate(int(day.year() / size * size), 1, 1), QTime(0, 0));
    }
    return at;
}

QDateTime next(const QDateTime& at, Unit unit, qint64 size) {
    switch (unit) {
    case Unit::Second: // on the wall clock instead (clockTicks)
        return at.addSecs(size);
    case Unit::Day: {
        const QDate day = at.date().addDays(size);
        // Day steps restart on the first of each month.
        const QDate first(at.date().year(), at.date().month(), 1);
        return QDateTime(day.month() != at.date().month() ? first.addMonths(1) : day, QTime(0, 0));
    }
    case Unit::Week:
        return QDateTime(at.date().addDays(7 * size), QTime(0, 0));
    case Unit::Month:
        return QDateTime(at.date().addMonths(int(size)), QTime(0, 0));
    case Unit::Year:
        return QDateTime(at.date().addYears(int(size)), QTime(0, 0));
    }
    return at;
}

qint64 offsetMsAt(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc() * 1000LL;
}

// Ticks at round times of day, every `stepMs` on the wall clock: the wall
// times of each local offset in force over the span (and a little around
// it) that are read with that offset. A wall time the clock skipped has none; one it showed twice
// has two, named by their zones. Every step divides a day, so the grid
// starts again at each midnight.
std::vector<TimeTick> clockTicks(qint64 fromMs, qint64 toMs, qint64 stepMs, const QString& format) {
    struct Found {
        qint64 ms, wall;
    };
    std::vector<Found> found;
    // Looked at a little way out, so that a span inside the hour shown
    // twice still knows it is.
    constexpr qint64 Around = 3 * 3600 * 1000;
    std::vector<qint64> offsets{offsetMsAt(fromMs - Around), offsetMsAt(toMs + Around)};
    if (offsets[0] == offsets[1])
        offsets.pop_back();
    for (const qint64 offset : offsets)
        for (qint64 wall = (records::floorDiv(fromMs + offset - 1, stepMs) + 1) * stepMs;
             wall <= toMs + offset; wall += stepMs)
            if (offsetMsAt(wall - offset) == offset)
                found.push_back({wall - offset, wall});
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.ms < b.ms; });
    std::vector<TimeTick> ticks;
    QDate lastDay;
    for (const Found& f : found) {
        const QDateTime wall = QDateTime::fromMSecsSinceEpoch(f.wall, Qt::UTC);
        QString label = wall.toString(format);
        if (offsets.size() > 1 && offsetMsAt(f.wall - offsets[0]) == offsets[0] &&
            offsetMsAt(f.wall - offsets[1]) == offsets[1])
            label += u' ' + QDateTime::fromMSecsSinceEpoch(f.ms).timeZoneAbbreviation();
        const QString day = wall.date() != lastDay ? wall.toString(u"yyyy-MM-dd") : QString();
        lastDay = wall.date();
        ticks.push_back({f.ms, label, day});
    }
    return ticks;
}

} // namespace

std::vector<TimeTick> timeTicks(qint64 fromMs, qint64 toMs, int most) {
    most = std::max(most, 2);
    const double span = std::max(double(toMs - fromMs) / 1000.0, 1.0);
    TimeStep step{Unit::Year, 1, "yyyy"};
    const auto fits = [&](Unit unit, qint64 size) {
        return span / roughSeconds(unit, size) <= most;
    };
    const auto found = std::find_if(std::begin(TimeSteps), std::end(TimeSteps),
                                    [&](const TimeStep& s) { return fits(s.unit, s.size); });
    if (found != std::end(TimeSteps)) {
        step = *found;
    } else {
        for (qint64 years = 1; step.size == 1 && !fits(Unit::Year, 1); years *= 10)
            for (const qint64 size : {years, 2 * years, 5 * years})
                if (step.size == 1 && fits(Unit::Year, size))
                    step.size = size;
    }
    const QString format = QString::fromLatin1(step.format);
    if (step.unit == Unit::Second)
        return clockTicks(fromMs, toMs, step.size * 1000, format);
    std::vector<TimeTick> ticks;
    for (QDateTime at = gridStart(QDateTime::fromMSecsSinceEpoch(fromMs), step.unit, step.size);
         at.toMSecsSinceEpoch() <= toMs; at = next(at, step.unit, step.size))
        if (at.toMSecsSinceEpoch() >= fromMs)
            ticks.push_back({at.toMSecsSinceEpoch(), at.toString(format), {}});
    return ticks;
}

namespace {

bool isTemperature(const QString& unit) {
    return unit == u"degC" || unit == u"degF";
}

// The unit with the SI prefix for values up to `larger`, in thousands from
// pico to giga, and its scale; no prefix for a temperature, read in degrees.
std::pair<QString, double> unitFor(double larger, const QString& unit) {
    static const char16_t* const Prefixes[] = {u"p", u"n", u"\u00b5", u"m", u"", u"k", u"M", u"G"};
    const int thousands = larger > 0 && !isTemperature(unit)
                              ? std::clamp(int(std::floor(std::log10(larger) / 3)), -4, 3)
                              : 0;
    return {QString::fromUtf16(Prefixes[thousands + 4]) + unitSymbol(unit),
            std::pow(1000.0, thousands)};
}

} // namespace

QString unitSymbol(const QString& unit) {
    if (unit == u"Ohm")
        return QStringLiteral("\u03a9");
    if (isTemperature(unit))
        return unit == u"degC" ? QStringLiteral("\u00b0C") : QStringLiteral("\u00b0F");
    return unit;
}

QString siValue(double value, const QString& unit, int digits) {
    // Rounded first, so that a float's -9.99999e-6 reads as -10.00 µ, not -9.99999.
    if (value != 0) {
        const double step = std::pow(10.0, std::floor(std::log10(std::abs(value))) - (digits - 1));
        value = std::round(value / step) * step;
    }
    const auto [symbol, scale] = unitFor(std::abs(value), unit);
    const double scaled = value / scale;
    const int whole = scaled == 0 ? 1 : int(std::floor(std::log10(std::abs(scaled)))) + 1;
    const int decimals = std::clamp(digits - whole, 0, digits);
    return QString::number(scaled, 'f', decimals) + u' ' + symbol;
}

std::vector<ValueTick> valueTicks(double from, double to, int most, const QString& unit) {
    most = std::max(most, 2);
    if (!(to > from))
        to = from + (from == 0 ? 1 : std::abs(from) * 1e-3);
    // The step: 1, 2 or 5 times a power of ten, the smallest that fits.
    const double rough = (to - from) / most;
    double power = std::pow(10.0, std::floor(std::log10(rough))), times = 10;
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            times = m;
            break;
        }
    const auto first = [&] { return std::ceil(from / (times * power) - 1e-9); };
    const auto count = [&] { return std::floor(to / (times * power) + 1e-9) - first() + 1; };
    // Fewer than three where there is room for three (the ends fell between
    // steps): finer steps, 2.5 among them, until three fit.
    while (count() < std::min(most, 3)) {
        if (times == 1) {
            power /= 10;
            times = 5;
        } else {
            times = times == 10 ? 5 : times == 5 ? 2.5 : times == 2.5 ? 2 : 1;
        }
    }
    const double stepSize = times * power;
    // The prefix of the larger end.
    const auto [symbol, scale] = unitFor(std::max(std::abs(from), std::abs(to)), unit);
    const int decimals =
        std::max(0, int(-std::floor(std::log10(stepSize / scale) + 1e-9)) + (times == 2.5));
    std::vector<ValueTick> ticks;
    for (double n = first(); n * stepSize <= to + stepSize * 1e-9; ++n) {
        const double value = n * stepSize;
        QString number = QString::number(value / scale, 'f', decimals);
        if (number.startsWith(u'-') && number.count(u'0') + number.count(u'.') == number.size() - 1)
            number.remove(0, 1); // no "-0"
        ticks.push_back({value, number + u' ' + symbol});
    }
    return ticks;
}

} // namespace tarnix::trend
