#pragma once

#include <QByteArray>
#include <QDateTime>

namespace tarnix::sim {

// A logger memory for the built-in simulated meter, so that LOGGER has
// something to show: three record sets (DCV 20V, TEMP 1370'C, ACV 200V),
// 2 s apart, the clock stamp `start`, the rest of the header plausible.
QByteArray demoLoggerMemory(const QDateTime& start);

} // namespace tarnix::sim
