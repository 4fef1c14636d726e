#pragma once

#include "http/BenchStatus.h"

#include <QByteArray>

namespace tarnix::http {

// The bench as one JSON object: the last sample's fields exactly as the
// broker gets them ("time", "seq", "value", ... "limits"; absent before the
// first sample), then "recorder": the model, the port, whether the meter
// answers, the counters and the status line.
QByteArray statusJson(const BenchStatus& status);

} // namespace tarnix::http
