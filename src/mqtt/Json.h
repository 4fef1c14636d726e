#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tarnix::mqtt {

// What the meter topic tells about the bench.
struct MeterFacts {
    QString model;       // MQZ5081 or HBQ750
    QString port;        // the device, or SIM
    int speed = 0;       // baud
    double interval = 0; // seconds between samples

    bool operator==(const MeterFacts&) const = default;
};
QByteArray meterJson(const MeterFacts& facts);

} // namespace tarnix::mqtt
