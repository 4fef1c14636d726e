#pragma once

#include "http/BenchStatus.h"

#include <QByteArray>

namespace tarnix::http {

// The bench in Prometheus' text format (version 0.0.4): the reading in its
// base unit, its overload and alarm state, the limits, whether the meter
// answers, the recorder's and the publisher's counters, the time of the
// last sample and the build.
QByteArray metricsText(const BenchStatus& status, const QString& version);

// The name part Prometheus gives a base unit: V is "volts", degC "celsius".
QByteArray unitName(const QString& unit);

} // namespace tarnix::http
