#include "http/StatusJson.h"

#include "records/AnalysisCsv.h"

namespace tarnix::http {

namespace {
QByteArray field(const char* name, const QByteArray& value) {
    return QByteArray(",\"") + name + "\":" + value;
}
QByteArray count(qint64 n) {
    return QByteArray::number(n);
}
} // namespace

QByteArray statusJson(const BenchStatus& s) {
    using records::jsonNullable;
    QByteArray recorder =
        QByteArrayLiteral("{\"recording\":") + (s.recording ? "true" : "false") +
        field("model", jsonNullable(s.model)) + field("port", jsonNullable(s.port)) +
        field("meter_answers", s.meterAnswers ? "true" : "false") +
        field("last_sample", s.lastSample.isValid()
                                 ? records::jsonString(records::isoTime(s.lastSample))
                                 : QByteArrayLiteral("null")) +
        field("samples", count(s.samples)) + field("lines", count(s.lines)) +
        field("gaps", count(s.gaps)) + field("on_alarm_runs", count(s.onAlarmRuns));
    if (s.publishing)
        recorder +=
            field("mqtt_queued", count(s.mqttQueued)) + field("mqtt_lost", count(s.mqttLost));
    recorder += field("status", records::jsonString(s.state)) + '}';
    if (!s.reading)
        return "{\"recorder\":" + recorder + '}';
    QByteArray json = records::readingJson(s.samples, s.lastSample, *s.reading, s.alarm);
    json.chop(1); // its closing brace
    return json + field("recorder", recorder) + '}';
}

} // namespace tarnix::http
