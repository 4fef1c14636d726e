#include "meter/FunctionRange.h"

#include <array>
#include <optional>

namespace tarnix::meter {

namespace {

constexpr std::array<FunctionRange, 37> Table{{
    {0, "DCV", "200mV"},     {1, "DCV", "2V"},        {2, "DCV", "20V"},
    {3, "DCV", "200V"},      {4, "DCV", "1000V"},     {5, "FREQ", "KHz/MHz"},
    {6, "DIODE", "1V"},      {8, "RES", "200Ohm"},    {9, "RES", "2KOhm"},
    {10, "RES", "20KOhm"},   {12, "RES", "200KOhm"},  {16, "RES", "2MOhm"},
    {17, "RES", "20MOhm"},   {18, "CAP", "20uF"},     {20, "CAP", "2uF"},
    {24, "CAP", "200nF"},    {32, "CAP", "2000pF"},   {33, "DCA", "20A"},
    {34, "DCA", "200mA"},    {36, "DCA", "20mA"},     {40, "DCA", "2mA"},
    {48, "DCA", "200uA"},    {64, "TEMP", "200'F"},   {65, "TEMP", "2000'F"},
    {66, "TEMP", "200'C"},   {68, "TEMP", "1370'C"},  {128, "ACV", "200mV"},
    {129, "ACV", "2V"},      {130, "ACV", "20V"},     {131, "ACV", "200V"},
    {132, "ACV", "750V"},    {161, "ACA", "20A"},     {162, "ACA", "200mA"},
    {164, "ACA", "20mA"},    {168, "ACA", "2mA"},     {176, "ACA", "200uA"},
    {255, "HOLD", ""},
}};

constexpr std::span<const FunctionRange> Codes{Table};

} // namespace

std::span<const FunctionRange> functionRangeTable() { return Codes; }

namespace {

struct Texts {
    QString function;
    QString range;
};

// The texts of every code, made once: decoding runs for every frame and
// every logger record, and shared QStrings cost no allocation.
const std::array<std::optional<Texts>, 256>& textsByCode() {
    static const auto texts = [] {
        std::array<std::optional<Texts>, 256> t;
        for (const FunctionRange& e : Codes)
            t[std::size_t(e.code)] =
                Texts{QString::fromLatin1(e.function), QString::fromLatin1(e.range)};
        return t;
    }();
    return texts;
}

} // namespace

void decodeFunctionRange(int code, Reading& reading) {
    reading.functionCode = code;
    if (code < 0 || code > 255)
        return;
    if (const auto& texts = textsByCode()[std::size_t(code)]) {
        reading.functionText = texts->function;
        reading.rangeText = texts->range;
    }
}

} // namespace tarnix::meter
