#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnix::meter {

// The base unit of a range, and the power of ten its display counts in:
// "200mV" is V at -3, "20KOhm" Ohm at 3, "1370'C" degC at 0. Nothing for a
// range without a unit (HOLD's empty one, the frequency before its unit
// is known).
struct RangeUnit {
    QString unit; // V, A, Ohm, F, Hz, degC or degF
    int exponent;
};
std::optional<RangeUnit> rangeUnit(QStringView range);

// The display in the base unit, moved by `exponent` places and otherwise
// exactly as shown: "-12.34" at -3 is "-0.01234", "1.234" at 3 is "1234".
// Empty for anything that is not a plain number (OL, -OL, Initial).
QString baseUnitValue(QStringView display, int exponent);

} // namespace tarnix::meter
