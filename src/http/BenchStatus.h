#pragma once

#include "meter/Measurement.h"
#include "records/ReadingJson.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace tarnix::http {

// What the server tells about its bench: copied from the recorder, the
// publisher and the alarm command after each sample and change, and read by
// the server's own threads from a copy of their own.
struct BenchStatus {
    bool recording = false; // false when only recorded files are served
    QString model;          // "HBQ750", empty before the meter answered
    QString port;           // the device the recorder polls
    bool meterAnswers = false;
    std::optional<meter::Measurement> reading; // the last sample's
    records::SampleAlarm alarm;                // the last sample's
    QDateTime lastSample;
    qint64 samples = 0;
    qint64 lines = 0;
    qint64 gaps = 0;
    bool publishing = false; // MQTT is on
    qint64 mqttQueued = 0;
    qint64 mqttLost = 0;
    qint64 onAlarmRuns = 0;
    QString state; // the recorder's status line
};

} // namespace tarnix::http
