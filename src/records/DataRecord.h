#pragma once

#include <QDateTime>
#include <QString>
#include <array>

namespace tarnix::records {

// One record of a data file and one row of a list: number, date "yy/mm/dd",
// time "hh:mm:ss.t", function, range, value.
inline constexpr int FieldCount = 6;
using RecordFields = std::array<QString, FieldCount>;

// "yy/mm/dd" and "hh:mm:ss.0" of a sample taken on the PC.
QString sampleDate(const QDateTime& at);
QString sampleTime(const QDateTime& at);

// The fields of a PC sample.
RecordFields sampleRecord(qint64 number, const QDateTime& at, const QString& function,
                          const QString& range, const QString& value);

// The record as a data-file line, without its line end:
// 1,26/12/05,14:03:07.0,DCV,200mV,-12.34
QString recordLine(const RecordFields& fields);

// The record as a list row: the fields separated by tabs.
QString recordRow(const RecordFields& fields);

// The line end of data files.
inline constexpr char LineEnd[] = "\r\n";

} // namespace tarnix::records
