#include "analysis/SummaryLines.h"

#include "records/ReadingJson.h"
#include "records/RecordClock.h"


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

QByteArray summaryStartBytes(const SummaryLine& line, records::TimeZoneOut zone) {
    // Written by hand, as the analysis CSV's times are: a year of minutes
    // is half a million starts.
    char text[32];
    char* const end =
        zone == records::TimeZoneOut::Utc
            ? records::writeIsoTime(line.startMs, std::nullopt, text)
            : records::writeIsoTime(line.startMs + line.offsetSeconds * 1000LL,
                                    line.offsetSeconds, text);
    QByteArray start(text, end - text);
    return start.remove(19, 4); // the milliseconds: a start falls on a second
}

} // namespace

QString summaryStart(const SummaryLine& line, records::TimeZoneOut zone) {
    return QString::fromLatin1(summaryStartBytes(line, zone));
}

QByteArray summaryCsvLine(const SummaryLine& line, records::TimeZoneOut zone) {
    QByteArray out = summaryStartBytes(line, zone);
    out.reserve(160);
    for (const QString* text : {&line.function, &line.range})
        out.append(',').append(records::csvField(*text).toUtf8());
    out.append(',').append(line.unit.toUtf8()).append(',').append(QByteArray::number(line.count));
    for (const auto* v : {&line.min, &line.mean, &line.max, &line.last})
        out.append(',').append(csvNumber(*v));
    out.append(',').append(QByteArray::number(line.overloads)).append(',').append(
        number(line.unreadSeconds));
    return out;
}

QByteArray summaryJsonLine(const SummaryLine& line, records::TimeZoneOut zone) {
    return "{\"start\":\"" + summaryStartBytes(line, zone) + '"' +
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
