#pragma once

#include <QString>

namespace tarnix::meter {

// Maximum and minimum, kept as the texts the panel shows.
struct MaxMin {
    QString max;
    QString min;

    friend bool operator==(const MaxMin&, const MaxMin&) = default;
};

// Takes the value just shown into the maximum and minimum. "-OL" lies below
// every number and "OL" above; numbers compare by their leading number, and
// an equal value leaves a bound as it is. "Initial" anywhere makes both "0".
MaxMin updateMaxMin(const QString& shown, const MaxMin& current);

// RESET, and a change of range: both bounds take the value shown.
inline MaxMin resetMaxMin(const QString& shown) {
    return {shown, shown};
}

} // namespace tarnix::meter
