#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarnix::mqtt {

// Home Assistant's MQTT discovery: one sensor per meter function, each
// reading the bench's reading topic while its function is shown, and a
// problem sensor for the alarm topic, all on one device for the bench.

// The bench as Home Assistant's device shows it.
struct DiscoveryBench {
    QString discoveryPrefix; // homeassistant
    QString topic;           // the bench's topic prefix, lab/bench1
    QString model;           // empty until the meter has answered
};

// Where a function's config goes: PREFIX/sensor/tarnix_<topic as id>_<function>/config;
// a topic of more than letters, digits, "-" and single "/" adds "__" and a hash
// of its bytes to its id, so distinct topics never share one.
QByteArray sensorConfigTopic(const DiscoveryBench& bench, const QString& function);
// The config of a function's sensor for readings in `unit`, the reading's
// own unit (V, A, Ohm, F, Hz, degC, degF).
QByteArray sensorConfig(const DiscoveryBench& bench, const QString& function, const QString& unit);

// The sensor of a function's mean under --every, reading the bench's
// summary topic: PREFIX/sensor/tarnix_<topic as id>_<function>_mean/config.
QByteArray meanConfigTopic(const DiscoveryBench& bench, const QString& function);
QByteArray meanConfig(const DiscoveryBench& bench, const QString& function, const QString& unit);

// The alarm's binary sensor: on while the bench's alarm topic says over or under.
QByteArray alarmConfigTopic(const DiscoveryBench& bench);
QByteArray alarmConfig(const DiscoveryBench& bench);

// Every function a meter shows a number in: the configs a removal clears.
QStringList discoveryFunctions();

} // namespace tarnix::mqtt
