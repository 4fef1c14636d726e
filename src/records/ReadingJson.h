#pragma once

#include "meter/Measurement.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tarnix::records {

// How a sample stands against the meter's alarm limits: None when no limits
// are set for its function and range.
struct SampleAlarm {
    enum class State { None, Ok, Over, Under };
    State state = State::None;
    QString low, high; // the limits as the meter holds them: "-1.500", "OL", "-OL"
};

// The state as one word: "none", "ok", "over" or "under".
QByteArray alarmWord(SampleAlarm::State state);

// One sample as a JSON object on one line, as the broker gets it and a
// JSON-lines file holds it: the analysis CSV's fields, its number in the run
// and its alarm state, in the order a person reads them:
// {"time":"2026-12-06T14:07:18.012+01:00","seq":17,"value":-0.01234,"unit":"V",
//  "function":"DCV","range":"200mV","display":"-12.34","alarm":"ok",
//  "limits":{"low":-0.015,"high":null}}
// value (and unit) are null when the display holds no number (OL) or the
// range no unit; a number always has a decimal point (1234000.0), so a
// reader that types its fields sees one type; alarm and limits are null without limits, and a bound the
// limits leave open ("-OL" low, "OL" high) is null.
QByteArray readingJson(qint64 seq, const QDateTime& at, const meter::Measurement& measurement,
                       const SampleAlarm& alarm = {});

// A JSON string literal, quotes included; jsonNullable gives null for an empty text.
QByteArray jsonString(const QString& text);
QByteArray jsonNullable(const QString& text);

} // namespace tarnix::records
