#pragma once

#include "meter/Reading.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnix::meter {

// What a display shows past its digits: OL above every number, -OL below.
enum class Overload { None, Over, Under };

// A display as a number in its range's own unit: "-12.34" on 200mV is
// -12.34; OL, -OL and "Initial" are 0, the first two with their overload.
struct Shown {
    double number = 0;
    Overload overload = Overload::None;
};
Shown shownOf(QStringView display);
// The order of displays: -OL below every number, OL above; two overloads of
// one kind are equal.
bool below(const Shown& a, const Shown& b);

// One reading, decoded once: the texts the windows show and the files keep,
// beside the value every output reads.
struct Measurement {
    QString function;
    QString range;
    QString display; // exactly as the meter showed it
    int functionCode = -1; // the frame's code; -1 for texts read back
    Shown shown;
    QString unit; // V, A, Ohm, F, Hz, degC, degF; empty for a range without one
    int scale = 0; // the power of ten the range counts in: 200mV is -3
    double fullScale = 0; // the range's own number: 200 for 200mV, 0 without one
    // The display moved into the base unit with the digits it showed
    // ("-0.01234"), as files write it; empty for OL, -OL, "Initial" and
    // a range without a unit.
    QString baseText;
    // The same as a number; nothing when baseText is empty.
    std::optional<double> value;

    bool isInitial() const { return display == QStringView(InitialText); }
    // Another display of this range (an alarm limit) in the base unit, as
    // baseText has it.
    QString baseTextOf(QStringView otherDisplay) const;
};

// Texts read back from a file, or a reading's texts, as a measurement.
Measurement measurementFromTexts(const QString& function, const QString& range,
                                 const QString& display);
// A value the meter keeps (an alarm limit) as a display.
Shown shownOfValue(const MeterValue& value);
// A decoded frame as a measurement, with its function code.
Measurement measurementOf(const Reading& reading);

} // namespace tarnix::meter
