#include "records/ReadingJson.h"

#include "records/AnalysisCsv.h"

namespace tarnix::records {

namespace {

// A number in the base unit as the display has it, or null; a whole
// number keeps a point, as a typed reader wants one type for every value.
QByteArray number(const QString& baseText) {
    if (baseText.isEmpty())
        return QByteArrayLiteral("null");
    return baseText.contains(u'.') ? baseText.toLatin1() : baseText.toLatin1() + ".0";
}

// A limit is a display of the reading's own range.
QByteArray limit(const meter::Measurement& m, const QString& text) {
    return number(m.baseTextOf(text));
}

QByteArray alarmFields(const SampleAlarm& alarm, const meter::Measurement& m) {
    if (alarm.state == SampleAlarm::State::None)
        return QByteArrayLiteral(",\"alarm\":null,\"limits\":null");
    return QByteArrayLiteral(",\"alarm\":\"") + alarmWord(alarm.state) +
           QByteArrayLiteral("\",\"limits\":{\"low\":") + limit(m, alarm.low) +
           QByteArrayLiteral(",\"high\":") + limit(m, alarm.high) + '}';
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

QByteArray readingJson(qint64 seq, const QDateTime& at, const meter::Measurement& m,
                       const SampleAlarm& alarm) {
    // The value keeps the digits the meter showed: no trip through a double.
    return QByteArrayLiteral("{\"time\":") + jsonString(isoTime(at)) +
           QByteArrayLiteral(",\"seq\":") + QByteArray::number(seq) +
           QByteArrayLiteral(",\"value\":") + number(m.baseText) +
           QByteArrayLiteral(",\"unit\":") + jsonNullable(m.unit) +
           QByteArrayLiteral(",\"function\":") + jsonString(m.function) +
           QByteArrayLiteral(",\"range\":") + jsonString(m.range) +
           QByteArrayLiteral(",\"display\":") + jsonString(m.display) + alarmFields(alarm, m) +
           '}';
}

} // namespace tarnix::records
