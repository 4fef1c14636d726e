#include "sim/ScriptedReading.h"

#include "meter/FunctionRange.h"
#include "meter/PackedReading.h"

#include <QRegularExpression>
#include <QStringList>

namespace tarnix::sim {

ScriptedReading ScriptedReading::packed(int code, std::uint8_t high, std::uint8_t low) {
    ScriptedReading r;
    r.kind = Kind::Packed;
    r.code = code;
    r.high = high;
    r.low = low;
    return r;
}

ScriptedReading ScriptedReading::display(int code, QByteArray sixChars) {
    ScriptedReading r;
    r.kind = Kind::Display;
    r.code = code;
    sixChars.resize(6, ' ');
    r.chars = sixChars;
    return r;
}

ScriptedReading ScriptedReading::raw(QByteArray frame) {
    ScriptedReading r;
    r.kind = Kind::Raw;
    r.frame = std::move(frame);
    return r;
}

std::optional<PackedValue> packValueText(const QString& value, bool positiveFlag) {
    QString text = value.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text.remove(0, 1);
    if (text == u"OL")
        return PackedValue{0, negative ? meter::NegativeOverloadLowByte : meter::OverloadLowByte};
    const qsizetype point = text.indexOf(u'.');
    QString digits = text;
    digits.remove(u'.');
    if (digits.isEmpty() || text.count(u'.') > 1 ||
        !QRegularExpression(QStringLiteral("^[0-9]+$")).match(digits).hasMatch())
        return std::nullopt;
    qsizetype before = point < 0 ? digits.size() : point; // digits in front of the point
    if (digits.size() == 4 && digits[0] == u'0') {           // "05.00": no half digit
        digits.remove(0, 1);
        --before;
    }
    meter::PackedFields f;
    if (digits.size() == 4) {
        if (digits[0] != u'1')
            return std::nullopt;
        f.halfDigit = true;
        digits.remove(0, 1);
        --before;
    }
    if (digits.size() != 3)
        return std::nullopt;
    f.digit1 = digits[0].digitValue();
    f.digit2 = digits[1].digitValue();
    f.digit3 = digits[2].digitValue();
    if (point < 0)
        f.point = 0;
    else if (before == 1)
        f.point = 1;
    else if (before == 2)
        f.point = 2;
    else if (before == 0)
        f.point = 3;
    else
        return std::nullopt;
    f.flag = positiveFlag && !negative;
    const auto bytes = meter::composePacked(f);
    return PackedValue{bytes.high, bytes.low};
}

std::optional<QByteArray> displayCharsForValue(const QString& value) {
    QString text = value.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text.remove(0, 1);
    const QByteArray sign = negative ? "-" : " ";
    if (text == u"OL")
        return sign + QByteArray(" OL  ");
    if (text.isEmpty() || text.size() > 5 ||
        !QRegularExpression(QStringLiteral("^[0-9]*\\.?[0-9]*$")).match(text).hasMatch())
        return std::nullopt;
    return sign + text.rightJustified(5, u'0').toLatin1();
}

std::optional<ScriptedReading> ScriptedReading::fromValue(Model model, int code,
                                                          const QString& value, bool megahertz) {
    const bool frequency = code == meter::FrequencyCode;
    const QString v = value.trimmed();
    if (frequency && v.startsWith(u'-'))
        return std::nullopt;
    if (model == Model::Short) {
        // For FREQ the flag carries the unit; otherwise a "-" clears it.
        const auto bytes = packValueText(v, frequency ? megahertz : true);
        if (!bytes)
            return std::nullopt;
        return packed(code, bytes->high, bytes->low);
    }
    auto chars = displayCharsForValue(v);
    if (!chars)
        return std::nullopt;
    // For FREQ the first display character's parity carries the unit:
    // '+' (odd) shows as nothing and means MHz, ' ' (even) kHz.
    if (frequency)
        (*chars)[0] = megahertz ? '+' : ' ';
    return display(code, *chars);
}

QByteArray ScriptedReading::frameFor(Model model) const {
    if (kind == Kind::Raw)
        return frame;
    if (kind == Kind::Packed && model == Model::Short)
        return QByteArray(1, '\0') + char(code) + char(low) + char(high) + char(13);
    if (kind == Kind::Display && model == Model::Long)
        return QByteArray("*") + char(code) + chars.left(6) + QByteArray(3, '\0') + char(13);
    // A reading written for the other model goes out in this model's form.
    if (kind == Kind::Packed) {
        const auto chars = displayCharsForValue(meter::decodeStoredValue(high, low).text());
        return display(code, chars.value_or(QByteArray("  ?   "))).frameFor(model);
    }
    QString text = QString::fromLatin1(chars).remove(u' ').remove(u'+');
    const auto bytes = packValueText(text, true);
    return packed(code, bytes ? bytes->high : 0, bytes ? bytes->low : 0).frameFor(model);
}

namespace {

std::optional<int> byteNumber(const QString& word) {
    bool ok = false;
    const int value = word.startsWith(u"0x", Qt::CaseInsensitive) ? word.mid(2).toInt(&ok, 16)
                                                                   : word.toInt(&ok, 10);
    if (!ok || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<ReadingScript> parseReadingScript(const QString& text, Model model,
                                                ScriptError* error) {
    ReadingScript script;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const auto fail = [&](const QString& message) -> std::optional<ReadingScript> {
            if (error)
                *error = {i + 1, message};
            return std::nullopt;
        };
        QString line = lines[i];
        if (const auto hash = line.indexOf(u'#'); hash >= 0)
            line.truncate(hash);
        const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString head = words[0].toLower();
        if (head == u"hold") {
            script.hold = true;
        } else if (head == u"packed") {
            if (words.size() != 4)
                return fail(QStringLiteral("packed needs CODE HIGH LOW"));
            const auto code = byteNumber(words[1]), high = byteNumber(words[2]),
                       low = byteNumber(words[3]);
            if (!code || !high || !low)
                return fail(QStringLiteral("packed takes three numbers 0..255"));
            script.readings.push_back(
                ScriptedReading::packed(*code, std::uint8_t(*high), std::uint8_t(*low)));
        } else if (head == u"chars") {
            // The six characters are taken from the raw line, blanks included.
            const auto code = words.size() >= 2 ? byteNumber(words[1]) : std::nullopt;
            if (!code)
                return fail(QStringLiteral("chars needs CODE TEXT"));
            QString rest = line.trimmed().mid(head.size()).trimmed().mid(words[1].size());
            if (rest.startsWith(u' '))
                rest.remove(0, 1);
            if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
                rest = rest.mid(1, rest.size() - 2);
            if (rest.size() != 6)
                return fail(QStringLiteral("chars needs exactly six characters"));
            script.readings.push_back(ScriptedReading::display(*code, rest.toLatin1()));
        } else if (head == u"raw") {
            QByteArray frame;
            for (int w = 1; w < words.size(); ++w) {
                const auto b = byteNumber(words[w]);
                if (!b)
                    return fail(QStringLiteral("raw takes bytes 0..255"));
                frame.append(char(*b));
            }
            script.readings.push_back(ScriptedReading::raw(frame));
        } else {
            const auto code = byteNumber(words[0]);
            if (!code || words.size() < 2 || words.size() > 3)
                return fail(QStringLiteral("expected CODE VALUE [MHz|KHz]"));
            bool megahertz = false;
            if (words.size() == 3) {
                const QString unit = words[2].toLower();
                if (unit != u"mhz" && unit != u"khz")
                    return fail(QStringLiteral("the unit is MHz or KHz"));
                megahertz = unit == u"mhz";
            }
            const auto reading = ScriptedReading::fromValue(model, *code, words[1], megahertz);
            if (!reading)
                return fail(QStringLiteral("\"%1\" cannot be shown by this meter").arg(words[1]));
            script.readings.push_back(*reading);
        }
    }
    return script;
}

} // namespace tarnix::sim
