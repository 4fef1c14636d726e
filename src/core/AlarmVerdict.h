#pragma once

#include "meter/Measurement.h"
#include "records/ReadingJson.h"

#include <QString>

namespace tarnix::core {

enum class AlarmVerdict { Under, Over, Pass };

// The reading `value` against the limits as the meter holds them (texts such
// as "-1.500", "OL", "-OL"). A low limit of "-OL" means no lower bound and a
// high limit of "OL" no upper bound. Otherwise:
//   a value of -OL is Under, a value of OL is Over;
//   a value at or below the low limit is Under (a low limit of OL: everything);
//   a value at or above the high limit is Over (a high limit of -OL: everything);
//   anything else passes.
AlarmVerdict alarmVerdict(const meter::Shown& value, const meter::Shown& low,
                          const meter::Shown& high);

struct AlarmState;
// The value against the limits the polling cycle loaded.
AlarmVerdict alarmVerdict(const meter::Shown& value, const AlarmState& alarm);
// How a sample of `value`, shown under the function and range `functionCode`,
// stands against the limits the polling cycle loaded: None when none are
// loaded for that function and range, they could not be read, or the value
// is "Initial".
records::SampleAlarm sampleAlarm(const AlarmState& alarm, const meter::Measurement& measurement);

} // namespace tarnix::core
