#pragma once

#include "meter/Measurement.h"
#include "records/ReadingJson.h"

#include <QString>
#include <variant>
#include <vector>

namespace tarnix::records {

// When a recording starts or stops: a small language over one reading and
// its alarm state, written as a user types it on the command line.
//
//   condition := test { "and" test } { "or" test { "and" test } }
//   test      := "value" ( "<" | "<=" | ">" | ">=" | "=" | "!=" ) QUANTITY
//              | "value" ( "inside" | "outside" ) QUANTITY ".." QUANTITY
//              | "alarm" ( "=" | "!=" ) ( "ok" | "over" | "under" | "none" )
//              | "function" ( "=" | "!=" ) FUNCTION
//              | "overload"
//
// "and" binds tighter than "or"; there are no parentheses. A QUANTITY is a
// number with a unit (V, A, Ohm or Ω, F, Hz, degC or °C, degF or °F) and an
// optional SI prefix (p n u µ m k K M G): 5V, -20mA, 4.7kOhm. It is compared
// with the reading in the base unit; a reading in another unit makes the
// test false. OL counts above every number and -OL below; a display without
// a number ("Initial") makes every value test false. inside takes its ends
// in: 4.9V..5.1V holds 4.9 V and 5.1 V.
class RecordCondition {
public:
    struct Test {
        enum class Kind {
            Less,
            LessOrEqual,
            Greater,
            GreaterOrEqual,
            Equal,
            NotEqual,
            Inside,
            Outside,
            Alarm,
            NotAlarm,
            Function,
            NotFunction,
            Overload
        };
        Kind kind = Kind::Overload;
        double low = 0, high = 0; // the value compared with, in `unit`; inside: both ends
        QString unit;
        SampleAlarm::State alarm = SampleAlarm::State::None;
        QString function;

        bool holds(const meter::Measurement& measurement, SampleAlarm::State alarmState) const;
    };

    // Tests joined: any of the groups holds when all of its tests hold.
    RecordCondition(std::vector<std::vector<Test>> anyOf, QString text)
        : m_anyOf(std::move(anyOf)), m_text(std::move(text)) {}

    // The reading and its state against the meter's alarm limits.
    bool holds(const meter::Measurement& measurement, SampleAlarm::State alarm) const;
    // The condition with one blank between its words: "value > 5V".
    const QString& text() const { return m_text; }

private:
    std::vector<std::vector<Test>> m_anyOf; // "or" of "and"s
    QString m_text;
};

// Why a condition cannot be read, and the word that is wrong: its start and
// length in the text as given.
struct ConditionError {
    qsizetype at = 0;
    qsizetype length = 0;
    QString why;
};

std::variant<RecordCondition, ConditionError> parseRecordCondition(const QString& text);

} // namespace tarnix::records
