#pragma once

#include "meter/Measurement.h"

#include <QByteArrayView>
#include <QString>

namespace tarnix::records {

// How records read back from a file or a list become what the meter shows:
// the one place in this layer that reads a record's range and display.

// A record's function, range and value texts as a measurement.
meter::Measurement measurementOfRecord(const QString& function, const QString& range,
                                       const QString& value);

// What a plot needs of a record: its value's leading number or that the
// value is an overload, and its range. Read from the bytes as they lie, so
// a plot of millions of records copies nothing.
struct ValueCell {
    double number = 0;
    int overload = 0; // an "L" in the value: +1 for "OL", -1 when it has a "-" too
    QByteArrayView range;
};
ValueCell valueCell(QByteArrayView value, QByteArrayView range);

} // namespace tarnix::records
