#include "meter/PackedReading.h"

#include "meter/FunctionRange.h"

namespace tarnix::meter {

namespace {

bool bit(unsigned value, int n) { return (value >> n) & 1u; }

// Four bits starting at `first`, the first one weighing 8.
int reversedDigit(unsigned value, int first) {
    return bit(value, first) * 8 + bit(value, first + 1) * 4 + bit(value, first + 2) * 2 +
           bit(value, first + 3);
}

unsigned placeReversedDigit(int digit, int first) {
    const unsigned d = unsigned(digit) & 15u;
    return ((d >> 3) & 1u) << first | ((d >> 2) & 1u) << (first + 1) |
           ((d >> 1) & 1u) << (first + 2) | (d & 1u) << (first + 3);
}

bool overloadText(std::uint8_t low, QString& text) {
    if (low == NegativeOverloadLowByte) {
        text = QString::fromUtf16(NegativeOverloadText);
        return true;
    }
    if (low == OverloadLowByte) {
        text = QString::fromUtf16(OverloadText);
        return true;
    }
    return false;
}

} // namespace

PackedFields splitPacked(std::uint8_t high, std::uint8_t low) {
    const unsigned value = unsigned(high) * 256u + low;
    PackedFields f;
    f.flag = bit(value, 0);
    f.halfDigit = bit(value, 1);
    f.digit1 = reversedDigit(value, 2);
    f.digit2 = reversedDigit(value, 6);
    f.digit3 = reversedDigit(value, 10);
    f.point = int(bit(value, 14)) + 2 * int(bit(value, 15));
    return f;
}

PackedBytes composePacked(const PackedFields& f) {
    unsigned value = (f.flag ? 1u : 0u) | (f.halfDigit ? 2u : 0u);
    value |= placeReversedDigit(f.digit1, 2);
    value |= placeReversedDigit(f.digit2, 6);
    value |= placeReversedDigit(f.digit3, 10);
    value |= (unsigned(f.point) & 3u) << 14;
    return {std::uint8_t(value >> 8), std::uint8_t(value & 0xFFu)};
}

QString packedDigitsText(const PackedFields& f) {
    // Built in one buffer: this runs for every reading and every logger record.
    char text[16];
    int n = 0;
    const auto digit = [&](int d) {
        if (d >= 10)
            text[n++] = '1';
        text[n++] = char('0' + d % 10);
    };
    if (f.halfDigit)
        text[n++] = '1';
    if (f.point == 3)
        text[n++] = '.';
    digit(f.digit1);
    if (f.point == 1)
        text[n++] = '.';
    digit(f.digit2);
    if (f.point == 2)
        text[n++] = '.';
    digit(f.digit3);
    return QString::fromLatin1(text, n);
}

PackedValue decodePackedValue(std::uint8_t high, std::uint8_t low, bool frequency) {
    QString text;
    if (overloadText(low, text))
        return {MeterValue::fromText(text), {}};
    const PackedFields f = splitPacked(high, low);
    text = packedDigitsText(f);
    PackedValue packed;
    if (frequency)
        packed.frequencyRange = f.flag ? QStringLiteral("1MHz") : QStringLiteral("1KHz");
    else if (!f.flag)
        text.prepend(u'-');
    packed.value = MeterValue::fromText(text);
    return packed;
}

MeterValue decodeStoredValue(std::uint8_t high, std::uint8_t low) {
    QString text;
    if (overloadText(low, text))
        return MeterValue::fromText(text);
    const PackedFields f = splitPacked(high, low);
    text = packedDigitsText(f);
    if (!f.flag)
        text.prepend(u'-');
    return MeterValue::fromText(text);
}

} // namespace tarnix::meter
