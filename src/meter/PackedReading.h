#pragma once

#include "meter/MeterValue.h"

#include <QString>
#include <cstdint>

namespace tarnix::meter {

// The 16-bit packed reading of the short frame, the logger records and the
// alarm limits. value = high * 256 + low, bit 0 = lowest bit of low:
//
//   15 14 | 13 12 11 10 |  9  8  7  6 |  5  4  3  2 |  1   |  0
//   point |  digit 3    |  digit 2    |  digit 1    | half | flag
//
// flag: 1 = positive (for FREQ: 1 = MHz, 0 = kHz); half: a leading "1".
// Each digit field is read with its lowest-numbered bit as the most
// significant one (bit 2 weighs 8, bit 5 weighs 1), and may hold 10..15.
// point: 0 "hddd", 1 "hd.dd", 2 "hdd.d", 3 "h.ddd".
// Low byte 14 is the negative overload "-OL" and 15 the overload "OL",
// whatever the high byte holds.
struct PackedFields {
    bool flag = false;
    bool halfDigit = false;
    int digit1 = 0;
    int digit2 = 0;
    int digit3 = 0;
    int point = 0;

    friend bool operator==(const PackedFields&, const PackedFields&) = default;
};

struct PackedBytes {
    std::uint8_t high = 0;
    std::uint8_t low = 0;

    friend bool operator==(const PackedBytes&, const PackedBytes&) = default;
};

inline constexpr std::uint8_t NegativeOverloadLowByte = 14;
inline constexpr std::uint8_t OverloadLowByte = 15;

PackedFields splitPacked(std::uint8_t high, std::uint8_t low);
// The inverse of splitPacked; digit values are taken modulo 16.
PackedBytes composePacked(const PackedFields& fields);

// The unsigned digits with the point in place, leading zeros kept ("180.0").
QString packedDigitsText(const PackedFields& fields);

// A packed reading as the display shows it.
struct PackedValue {
    MeterValue value;
    // For FREQ, the range the flag picks: "1MHz" or "1KHz". Empty for any
    // other function, and for an overload, which names no unit.
    QString frequencyRange;
};

// For FREQ (`frequency`) the flag picks the range and the text stays
// unsigned; otherwise flag 0 prefixes "-".
PackedValue decodePackedValue(std::uint8_t high, std::uint8_t low, bool frequency);

// Renders a packed reading read from meter memory (alarm limits): flag 0
// always prefixes "-", whatever the function.
MeterValue decodeStoredValue(std::uint8_t high, std::uint8_t low);

} // namespace tarnix::meter
