#pragma once

#include <QString>

namespace tarnix::core {

enum class AlarmVerdict { Under, Over, Pass };

// The reading `value` against the limits as the meter holds them (texts such
// as "-1.500", "OL", "-OL"). The first rule that matches decides:
//   1 value is -OL -> Under        2 value is OL -> Over
//   3 value <= low -> Under        4 low is -OL -> Pass
//   5 low is OL -> Under           6 high is -OL -> Over
//   7 high is OL -> Pass           8 value >= high -> Over
//   9 otherwise Pass
// Numbers are the texts' leading numbers, so an overload counts as 0 in rule 3.
AlarmVerdict alarmVerdict(const QString& value, const QString& low, const QString& high);

} // namespace tarnix::core
