#include "http/TrendColumns.h"

#include "http/ServedFiles.h"
#include "records/ReadingJson.h"

#include <cmath>

namespace tarnix::http {

namespace {

QByteArray number(float value) {
    return std::isfinite(value) ? QByteArray::number(double(value), 'g', 7) : QByteArray("null");
}

QByteArray seriesJson(const trend::TrendSeries& series, qint64 fromMs, qint64 toMs, int columns) {
    QByteArray min, max, first, last;
    qsizetype at = series.firstAtOrAfter(fromMs);
    for (int c = 0; c < columns; ++c) {
        // Column c ends where c + 1 starts: no reading counts twice.
        const qint64 end = fromMs + (toMs - fromMs) * (c + 1) / columns;
        const qsizetype next = series.firstAtOrAfter(end, at);
        const char* comma = c ? "," : "";
        if (next > at) {
            const trend::MinMax m = series.span(at, next);
            min += comma + (m.empty() ? QByteArray("null") : number(m.min));
            max += comma + (m.empty() ? QByteArray("null") : number(m.max));
            first += comma + number(series.value(at));
            last += comma + number(series.value(next - 1));
        } else {
            for (QByteArray* list : {&min, &max, &first, &last})
                *list += comma + QByteArray("null");
        }
        at = next;
    }
    return "{\"function\":" + records::jsonString(series.function()) +
           ",\"range\":" + records::jsonString(series.range()) +
           ",\"unit\":" + records::jsonNullable(series.unit()) + ",\"min\":[" + min +
           "],\"max\":[" + max + "],\"first\":[" + first + "],\"last\":[" + last + "]}";
}

} // namespace

QByteArray trendColumnsJson(const trend::TrendData& data, qint64 fromMs, qint64 toMs, int columns) {
    QByteArray json = "{\"from\":\"" + isoTime(fromMs) + "\",\"to\":\"" + isoTime(toMs) +
                      "\",\"columns\":" + QByteArray::number(columns) + ",\"series\":[";
    bool any = false;
    for (const trend::TrendSeries& series : data.series()) {
        if (std::exchange(any, true))
            json += ',';
        json += seriesJson(series, fromMs, toMs, columns);
    }
    return json + "]}";
}

} // namespace tarnix::http
