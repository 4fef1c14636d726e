#include "meter/Units.h"

#include <QStringBuilder>
#include <array>

namespace tarnix::meter {

namespace {

struct Suffix {
    QStringView text;
    QStringView unit;
    int exponent;
};

// Longest suffixes first, so "mV" is found before "V" and "KOhm" before "Ohm".
constexpr std::array<Suffix, 15> Suffixes{{
    {u"KOhm", u"Ohm", 3},
    {u"MOhm", u"Ohm", 6},
    {u"Ohm", u"Ohm", 0},
    {u"KHz", u"Hz", 3},
    {u"MHz", u"Hz", 6},
    {u"'C", u"degC", 0},
    {u"'F", u"degF", 0},
    {u"mV", u"V", -3},
    {u"mA", u"A", -3},
    {u"uA", u"A", -6},
    {u"uF", u"F", -6},
    {u"nF", u"F", -9},
    {u"pF", u"F", -12},
    {u"V", u"V", 0},
    {u"A", u"A", 0},
}};

} // namespace

std::optional<RangeUnit> rangeUnit(QStringView range) {
    // A range is a number and its unit; "KHz/MHz" waits for the frame's unit bit.
    if (range.isEmpty() || !range.front().isDigit())
        return std::nullopt;
    for (const Suffix& s : Suffixes)
        if (range.endsWith(s.text))
            return RangeUnit{s.unit.toString(), s.exponent};
    return std::nullopt;
}

QString baseUnitValue(QStringView display, int exponent) {
    // A plain number: a sign, digits, a point and digits, nothing else.
    const QStringView text = display.trimmed();
    const bool negative = text.startsWith(u'-');
    qsizetype i = negative || text.startsWith(u'+') ? 1 : 0;
    const qsizetype wholeStart = i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    const qsizetype wholeDigits = i - wholeStart;
    QString digits = text.mid(wholeStart, wholeDigits).toString();
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < text.size() && text[i].isDigit())
            ++i;
        digits += text.mid(fractionStart, i - fractionStart);
    }
    if (i != text.size() || digits.isEmpty())
        return {};
    // The point moves `exponent` places; zeros fill where the digits run out.
    const qsizetype point = wholeDigits + exponent;
    QString moved;
    if (point <= 0)
        moved = QStringLiteral("0.") % QString(-point, u'0') % digits;
    else if (point >= digits.size())
        moved = digits % QString(point - digits.size(), u'0');
    else
        moved = digits.left(point) % u'.' % digits.mid(point);
    qsizetype zeros = 0; // leading zeros of the whole part, one kept
    while (zeros + 1 < moved.size() && moved[zeros] == u'0' && moved[zeros + 1] != u'.')
        ++zeros;
    return (negative ? QStringLiteral("-") : QString()) % QStringView(moved).mid(zeros);
}

} // namespace tarnix::meter
