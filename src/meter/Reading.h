#pragma once

#include "meter/MeterValue.h"

#include <QString>

namespace tarnix::meter {

// The decoded reading: what the panel shows and every view reads.
// Units live only in the range text ("200mV", "1MHz", "1370'C").
struct Reading {
    QString functionText;
    QString rangeText;
    MeterValue value;
    int functionCode = 0;

    friend bool operator==(const Reading&, const Reading&) = default;
};

} // namespace tarnix::meter
