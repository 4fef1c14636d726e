#include "files/AnalysisCsv.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

namespace tarnix::files {

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
    static const QRegularExpression number(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const auto m = number.match(display.trimmed());
    if (!m.hasMatch() || m.capturedLength(2) + m.capturedLength(3) == 0)
        return {};
    QString whole = m.captured(2);
    QString fraction = m.captured(3);
    // Moves the point digit by digit, padding with zeros where it runs out.
    for (; exponent > 0; --exponent) {
        whole += fraction.isEmpty() ? QChar(u'0') : fraction.front();
        if (!fraction.isEmpty())
            fraction.remove(0, 1);
    }
    for (; exponent < 0; ++exponent) {
        fraction.prepend(whole.isEmpty() ? QChar(u'0') : whole.back());
        if (!whole.isEmpty())
            whole.chop(1);
    }
    while (whole.size() > 1 && whole.front() == u'0')
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    const QString sign = m.captured(1) == u"-" ? QStringLiteral("-") : QString();
    return sign + whole + (fraction.isEmpty() ? QString() : u'.' + fraction);
}

QString isoTime(const QDateTime& at) {
    const int offset = at.offsetFromUtc() / 60; // minutes
    const int size = std::abs(offset);
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(size / 60, 2, 10, QChar(u'0')).arg(size % 60, 2, 10, QChar(u'0'));
}

QString csvField(const QString& text) {
    static const QRegularExpression special(QStringLiteral("[,\"\\r\\n]"));
    if (!text.contains(special))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString analysisLine(const QDateTime& at, const QString& function, const QString& range,
                     const QString& display) {
    const auto unit = rangeUnit(range);
    const QString value = unit ? baseUnitValue(display, unit->exponent) : QString();
    return QStringList{isoTime(at), value, unit ? unit->unit : QString(), csvField(function),
                       csvField(range), csvField(display)}
        .join(u',');
}

} // namespace tarnix::files
