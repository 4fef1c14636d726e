#include "analysis/SummaryLines.h"

#include "records/ReadingJson.h"

#include <QDateTime>
#include <QTimeZone>

namespace tarnix::analysis {

namespace {

QByteArray number(double v) {
    return QByteArray::number(v, 'g', 15); // a sum's last bit of noise left out
}

QByteArray csvNumber(const std::optional<double>& v) {
    return v ? number(*v) : QByteArray();
}

// A JSON reader that types its fields sees one type: 5 is written 5.0.
QByteArray jsonNumber(const std::optional<double>& v) {
    if (!v)
        return "null";
    QByteArray text = number(*v);
    if (!text.contains('.') && !text.contains('e'))
        text += ".0";
    return text;
}

} // namespace

QString summaryStart(const SummaryLine& line, records::TimeZoneOut zone) {
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(
        line.startMs, QTimeZone(line.offsetSeconds));
    QString text = records::isoTime(at, zone);
    return text.remove(19, 4); // the milliseconds: a start falls on a second
}

QByteArray summaryCsvLine(const SummaryLine& line, records::TimeZoneOut zone) {
    QByteArray out = summaryStart(line, zone).toLatin1();
    out += ',' + records::csvField(line.function).toUtf8() + ',' +
           records::csvField(line.range).toUtf8() + ',' + line.unit.toUtf8() + ',' +
           QByteArray::number(line.count) + ',' + csvNumber(line.min) + ',' +
           csvNumber(line.mean) + ',' + csvNumber(line.max) + ',' + csvNumber(line.last) + ',' +
           QByteArray::number(line.overloads) + ',' + number(line.unreadSeconds);
    return out;
}

QByteArray summaryJsonLine(const SummaryLine& line, records::TimeZoneOut zone) {
    return "{\"start\":" + records::jsonString(summaryStart(line, zone)) +
           ",\"function\":" + records::jsonString(line.function) +
           ",\"range\":" + records::jsonString(line.range) +
           ",\"unit\":" + records::jsonNullable(line.unit) +
           ",\"count\":" + QByteArray::number(line.count) + ",\"min\":" + jsonNumber(line.min) +
           ",\"mean\":" + jsonNumber(line.mean) + ",\"max\":" + jsonNumber(line.max) +
           ",\"last\":" + jsonNumber(line.last) +
           ",\"overloads\":" + QByteArray::number(line.overloads) +
           ",\"no_reading_s\":" + jsonNumber(line.unreadSeconds) + '}';
}

} // namespace tarnix::analysis
