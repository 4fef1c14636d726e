#pragma once

#include "meter/Measurement.h"
#include "meter/Units.h"
#include "records/DataRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

namespace tarnix::records {

// The analysis CSV: one reading a line, in base units, with an ISO 8601
// time, for spreadsheets and pandas. It stands beside the data-file line,
// which stays as it is.
inline const QString AnalysisHeader = QStringLiteral("time,value,unit,function,range,display");

// Units belong to the meter; the CSV names them.
using meter::RangeUnit;
using meter::rangeUnit;
using meter::baseUnitValue;

// How a CSV time is written: local, with its offset from UTC, or in UTC.
enum class TimeZoneOut { Local, Utc };

// Local time with milliseconds and its offset from UTC,
// 2026-12-06T14:07:18.012+01:00; or UTC, 2026-12-06T13:07:18.012Z, which a
// reader takes as one column of times across a change of daylight saving.
QString isoTime(const QDateTime& at, TimeZoneOut zone = TimeZoneOut::Local);

// A field as RFC 4180 writes it: quoted, with quotes doubled, when it holds
// a comma, a quote or a line break.
QString csvField(const QString& text);

// One CSV line, without its line end.
QString analysisLine(const QDateTime& at, const meter::Measurement& measurement,
                     TimeZoneOut zone = TimeZoneOut::Local);

// The moment a data-file record names: "yy/mm/dd" in 20yy and "hh:mm:ss.t",
// in local time. Nothing when either field is not a real date or time.
std::optional<QDateTime> recordTime(QStringView date, QStringView time);

// The CSV line of a data-file record (a PC sample or a logger record alike),
// without its line end; nothing when its date or time cannot be read.
std::optional<QString> analysisLineOf(const RecordFields& record,
                                      TimeZoneOut zone = TimeZoneOut::Local);

// The CSV line end.
inline constexpr char CsvLineEnd[] = "\r\n";

} // namespace tarnix::records
