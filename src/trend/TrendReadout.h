#pragma once

#include "trend/TrendSeries.h"

#include <QString>
#include <optional>

namespace tarnix::trend {

class TrendData;

// The reading of `series` nearest in time to `ms`; -1 when it has none.
qsizetype nearestReading(const TrendSeries& series, qint64 ms);

// What lies between two readings of a series, both counted.
struct TrendMeasure {
    qint64 spanMs = 0;
    std::optional<double> change; // the second's value less the first's
    qint64 numbers = 0;           // readings that hold a number
    double mean = 0, min = 0, max = 0;
};
TrendMeasure measureBetween(const TrendSeries& series, qsizetype first, qsizetype second);

// The readout's line for reading i: its time, value, display and record.
// `display` and `record` are the file's own fields of it.
QString readoutText(const TrendSeries& series, qsizetype i, const QString& display,
                    const QString& record);
// The trend's status: its records, counted as convert counts them, its
// series, and the lines skipped: "1200 records, 2 series; 3 lines skipped".
QString statusText(const TrendData& data);
// "Δt 1 min 5 s  Δ -12.3 mV  mean ... min ... max ..."
QString measureText(const TrendMeasure& measure, const QString& unit);

} // namespace tarnix::trend
