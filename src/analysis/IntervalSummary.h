#pragma once

#include "analysis/SummaryIntervals.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace tarnix::analysis {

// What one interval says of one series (a function, range and unit).
struct SummaryLine {
    qint64 startMs = 0;    // the interval's start
    int offsetSeconds = 0; // the wall clock's offset from UTC there
    QString function = {}, range = {}, unit = {};
    qint64 count = 0; // readings, numbers and overloads alike
    std::optional<double> min = {}, mean = {}, max = {}; // of the numbers, in the base unit
    std::optional<double> last = {}; // the last reading's number; none for OL
    qint64 overloads = 0;
    double unreadSeconds = 0; // the interval's time no reading stood for
};

// Readings in time order into one line per interval and series, each
// written once its interval is over. A reading stands for the time from it
// to the next one, at most the shortest spacing between readings seen so
// far: the interval's remaining time is its seconds without a reading. An
// interval without a reading writes a line of count 0 under the series last
// read, or nothing when `writeEmpty` is false. The same readings make the
// same lines, whether they come from a meter or from files.
class IntervalSummary {
public:
    using Write = std::function<void(const SummaryLine&)>;

    IntervalSummary(SummaryIntervals intervals, bool writeEmpty, Write write);

    std::size_t seriesOf(const QString& function, const QString& range, const QString& unit);
    // A reading of `series`; `value` none for OL, -OL and "Initial".
    void add(qint64 utcMs, std::size_t series, std::optional<double> value, bool overload);
    // Writes the intervals over by `utcMs`, when no reading came since:
    // a meter that went silent still gets its lines.
    void reach(qint64 utcMs);
    // Writes the interval open now, its time to the end: the last lines.
    void finish();
    qint64 linesWritten() const { return m_lines; }

private:
    struct Series {
        QString function, range, unit;
    };
    struct Sums {
        qint64 count = 0, numbers = 0, overloads = 0;
        double min = 0, max = 0, sum = 0;
        std::optional<double> last;
    };
    // Credits the last reading's time up to `untilMs`, capped at its span.
    void cover(qint64 untilMs);
    // Writes the open interval and opens the next one.
    void closeInterval();
    void open(qint64 startMs);

    SummaryIntervals m_intervals;
    bool m_writeEmpty;
    Write m_write;
    std::vector<Series> m_series;
    bool m_open = false;
    qint64 m_start = 0, m_end = 0;
    std::vector<Sums> m_sums;         // by series, for the open interval
    std::vector<std::size_t> m_order; // the series read in it, as first read
    qint64 m_coveredMs = 0;           // of the open interval
    std::optional<qint64> m_lastMs;   // the last reading
    qint64 m_coveredTo = 0;           // its time credited up to here
    std::size_t m_lastSeries = 0;
    qint64 m_shortest = 0;            // the shortest spacing so far; 0 none yet
    qint64 m_lines = 0;
};

} // namespace tarnix::analysis
