#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tarnix::mqtt {

// The message of one sample: the analysis CSV's fields plus its number in
// the run, in the order a person reads them:
// {"time":"2026-12-06T14:07:18.012+01:00","seq":17,"value":-0.01234,"unit":"V",
//  "function":"DCV","range":"200mV","display":"-12.34"}
// value (and unit) are null when the display holds no number (OL) or the
// range no unit.
QByteArray readingJson(qint64 seq, const QDateTime& at, const QString& function,
                       const QString& range, const QString& display);

// What the meter topic tells about the bench.
struct MeterFacts {
    QString model;       // MQZ5081 or HBQ750
    QString port;        // the device, or SIM
    int speed = 0;       // baud
    double interval = 0; // seconds between samples

    bool operator==(const MeterFacts&) const = default;
};
QByteArray meterJson(const MeterFacts& facts);

// A JSON string literal, quotes included.
QByteArray jsonString(const QString& text);

} // namespace tarnix::mqtt
