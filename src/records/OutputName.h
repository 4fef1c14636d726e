#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace tarnix::records {

// A recording's file name that turns over with time: %Y %m %d %H %M stand
// for the sample's year, month, day, hour and minute (%% for a percent
// sign), so "/var/lib/tarnix/bench1/%Y-%m-%d.csv" gives a file a day.

// Why `pattern` cannot name files: in a name that turns over, a % followed
// by anything else. A name without any field is taken as it is.
std::optional<QString> outputNameProblem(const QString& pattern);
// Whether the name changes with time at all.
bool turnsOver(const QString& pattern);
// The file a sample taken at `at` belongs in: the fields in local time, or
// in UTC with `utc`. A name that does not turn over is returned as it is.
QString outputNameAt(const QString& pattern, const QDateTime& at, bool utc);

} // namespace tarnix::records
