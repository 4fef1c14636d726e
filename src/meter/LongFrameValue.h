#pragma once

#include "meter/MeterValue.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarnix::meter {

// One display character of the long frame: blank and "+" give an empty
// text, "-", ".", "O", "L" and the digits give themselves. Any other byte is
// not a display character (nullopt).
std::optional<QString> decodeDisplayChar(std::uint8_t ch);

// The value of the six display characters. nullopt when one of them is not a
// display character: the reading is then shown as "Initial".
std::optional<MeterValue> renderDisplayChars(QByteArrayView sixChars);

// The value of the joined display text T (blanks already dropped):
// "-" with "L" is "-OL", "L" alone "OL"; without a point, or with the point
// last, T becomes a number; otherwise the integer part loses its leading
// zeros and the decimals stay as sent ("012.5" -> "12.5"), except that a
// value between -1 and 0 becomes a negative number ("-0.123" -> -0.123).
MeterValue renderDisplayText(const QString& joined);

} // namespace tarnix::meter
