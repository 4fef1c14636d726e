#pragma once

#include <QString>
#include <vector>

namespace tarnix::trend {

// The ticks of a trend's axes: a few round values with their labels.

struct TimeTick {
    qint64 ms; // since the epoch
    QString label;
    QString day; // the date a time of day leaves out, on the first tick and each new day's
};

// Ticks over [fromMs, toMs], about `most` of them (at least 2), at round
// local times: every 1, 2, 5, 10, 15 or 30 seconds or minutes, 1, 2, 3, 6
// or 12 hours, each day, 2 days, each Monday, 1, 2, 3 or 6 months, or 1, 2,
// 5, 10 ... years. Labelled HH:mm:ss, HH:mm, yyyy-MM-dd, yyyy-MM or yyyy as
// the step asks. Times of day are round on the wall clock on the days
// daylight saving time starts and ends too: the hour skipped has no tick,
// and the hour shown twice tells its passes apart by the zone's name
// ("02:00 CEST", "02:00 CET").
std::vector<TimeTick> timeTicks(qint64 fromMs, qint64 toMs, int most);

struct ValueTick {
    double value;
    QString label;
};

// The symbol a reader expects for a data file's unit: "°C", "°F" and "Ω"
// for degC, degF and Ohm; any other unit as it is.
QString unitSymbol(const QString& unit);

// Ticks over [from, to] at 1, 2 or 5 times a power of ten, about `most` of
// them (one more when both ends fall on the step), and at least three
// (finer, at 2.5 too) where `most` has room for them; labelled with an SI
// prefix fitting the larger end: "-500 mV", "1.5 kΩ", "20 µA"; a
// temperature in plain degrees, "1200 °C".
std::vector<ValueTick> valueTicks(double from, double to, int most, const QString& unit);

// A value with the SI prefix of its size and `digits` significant digits,
// as many as the meter shows: "-12.35 mV", "23.50 °C".
QString siValue(double value, const QString& unit, int digits = 4);

} // namespace tarnix::trend
