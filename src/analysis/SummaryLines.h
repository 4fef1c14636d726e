#pragma once

#include "analysis/IntervalSummary.h"
#include "records/AnalysisCsv.h"

#include <QByteArray>
#include <QString>

namespace tarnix::analysis {

// The summary CSV: one interval and series a line, values in the base unit.
// no_reading_s is the interval's seconds that no reading stood for; min,
// mean, max and last are empty without a number.
inline const QString SummaryHeader =
    QStringLiteral("start,function,range,unit,count,min,mean,max,last,overloads,no_reading_s");

// The interval's start, to the second, with its offset from UTC
// (2026-10-25T02:00:00+01:00, the second of the hour shown twice), or in UTC
// ending in Z.
QString summaryStart(const SummaryLine& line, records::TimeZoneOut zone);
// One CSV line, without its line end.
QByteArray summaryCsvLine(const SummaryLine& line, records::TimeZoneOut zone);
// The same fields as a JSON object on one line (no line end); numbers
// missing are null, and a value always has a decimal point:
// {"start":"2026-12-07T14:05:00+01:00","function":"DCV","range":"20V","unit":"V",
//  "count":30,"min":4.98,"mean":5.0012,"max":5.03,"last":5.0,"overloads":0,
//  "no_reading_s":0.0}
QByteArray summaryJsonLine(const SummaryLine& line, records::TimeZoneOut zone);

} // namespace tarnix::analysis
