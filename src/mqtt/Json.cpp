#include "mqtt/Json.h"

#include "files/AnalysisCsv.h"

namespace tarnix::mqtt {

namespace {

QByteArray nullable(const QString& text) {
    return text.isEmpty() ? QByteArrayLiteral("null") : jsonString(text);
}

} // namespace

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
                       const QString& range, const QString& display) {
    const auto unit = files::rangeUnit(range);
    // The value keeps the digits the meter showed: no trip through a double.
    const QString value = unit ? files::baseUnitValue(display, unit->exponent) : QString();
    return QByteArrayLiteral("{\"time\":") + jsonString(files::isoTime(at)) +
           QByteArrayLiteral(",\"seq\":") + QByteArray::number(seq) +
           QByteArrayLiteral(",\"value\":") + (value.isEmpty() ? "null" : value.toLatin1()) +
           QByteArrayLiteral(",\"unit\":") + nullable(unit ? unit->unit : QString()) +
           QByteArrayLiteral(",\"function\":") + jsonString(function) +
           QByteArrayLiteral(",\"range\":") + jsonString(range) +
           QByteArrayLiteral(",\"display\":") + jsonString(display) + '}';
}

QByteArray meterJson(const MeterFacts& facts) {
    return QByteArrayLiteral("{\"model\":") + nullable(facts.model) +
           QByteArrayLiteral(",\"port\":") + nullable(facts.port) +
           QByteArrayLiteral(",\"speed\":") +
           (facts.speed > 0 ? QByteArray::number(facts.speed) : QByteArrayLiteral("null")) +
           QByteArrayLiteral(",\"interval\":") + QByteArray::number(facts.interval) + '}';
}

} // namespace tarnix::mqtt
