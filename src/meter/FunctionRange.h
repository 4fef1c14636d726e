#pragma once

#include "meter/Reading.h"

#include <QString>
#include <span>

namespace tarnix::meter {

struct FunctionRange {
    int code;
    const char* function;
    const char* range;
};

// Every function/range code the meter sends, in code order. The codes are
// bit-coded, but only these exact values are recognised.
std::span<const FunctionRange> functionRangeTable();

// Stores the code in the reading and, for a code of the table, its function
// and range texts; any other code leaves the texts as they were.
void decodeFunctionRange(int code, Reading& reading);

// The range text of a frequency reading before its unit is known.
inline constexpr char16_t FrequencyRangePlaceholder[] = u"KHz/MHz";
inline constexpr char16_t FrequencyFunction[] = u"FREQ";
inline constexpr int FrequencyCode = 5;

} // namespace tarnix::meter
