#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace tarnix::meter {

// The number a text starts with: optional blanks, an optional sign, digits,
// an optional point and more digits. 0 when the text does not start with one,
// so "200mV" gives 200, "2 sec" gives 2, "OL" and "-OL" give 0.
double leadingNumber(QStringView text);
// The same for single-byte text, as lists keep their cells: no copy, so a
// plot can read a million values quickly.
double leadingNumber(QByteArrayView text);

} // namespace tarnix::meter
