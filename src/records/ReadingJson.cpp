#include "records/ReadingJson.h"

#include "records/AnalysisCsv.h"

namespace tarnix::records {

namespace {

// A number in the range's base unit as the text has it, or null; a whole
// number keeps a point, as a typed reader wants one type for every value.
QByteArray number(const QString& text, const std::optional<RangeUnit>& unit) {
    const QString value = unit ? baseUnitValue(text, unit->exponent) : QString();
    if (value.isEmpty())
        return QByteArrayLiteral("null");
    return value.contains(u'.') ? value.toLatin1() : value.toLatin1() + ".0";
}

QByteArray alarmFields(const SampleAlarm& alarm, const std::optional<RangeUnit>& unit) {
    if (alarm.state == SampleAlarm::State::None)
        return QByteArrayLiteral(",\"alarm\":null,\"limits\":null");
    return QByteArrayLiteral(",\"alarm\":\"") + alarmWord(alarm.state) +
           QByteArrayLiteral("\",\"limits\":{\"low\":") +
           number(alarm.low, unit) + QByteArrayLiteral(",\"high\":") + number(alarm.high, unit) +
           '}';
}

} // namespace

QByteArray alarmWord(SampleAlarm::State state) {
    static const char* const Words[] = {"none", "ok", "over", "under"};
    return Words[int(state)];
}

QByteArray jsonNullable(const QString& text) {
    return text.isEmpty() ? QByteArrayLiteral("null") : jsonString(text);
}

QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += QByteArrayLiteral("\\u00") + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    return out + '"';
}

QByteArray readingJson(qint64 seq, const QDateTime& at, const QString& function,
                       const QString& range, const QString& display, const SampleAlarm& alarm) {
    const auto unit = rangeUnit(range);
    // The value keeps the digits the meter showed: no trip through a double.
    return QByteArrayLiteral("{\"time\":") + jsonString(isoTime(at)) +
           QByteArrayLiteral(",\"seq\":") + QByteArray::number(seq) +
           QByteArrayLiteral(",\"value\":") + number(display, unit) +
           QByteArrayLiteral(",\"unit\":") + jsonNullable(unit ? unit->unit : QString()) +
           QByteArrayLiteral(",\"function\":") + jsonString(function) +
           QByteArrayLiteral(",\"range\":") + jsonString(range) +
           QByteArrayLiteral(",\"display\":") + jsonString(display) + alarmFields(alarm, unit) +
           '}';
}

} // namespace tarnix::records
