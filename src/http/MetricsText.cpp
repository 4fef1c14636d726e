#include "http/MetricsText.h"

namespace tarnix::http {

namespace {

// A label value with \, " and line ends escaped as the format asks.
QByteArray labelValue(const QString& text) {
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

class Metrics {
public:
    void family(const char* name, const char* type, const char* help) {
        m_text +=
            QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(const QByteArray& name, const QByteArray& labels, const QByteArray& value) {
        m_text += name;
        if (!labels.isEmpty())
            m_text += '{' + labels + '}';
        m_text += ' ' + value + '\n';
    }
    QByteArray text() const { return m_text; }

private:
    QByteArray m_text;
};

QByteArray number(qint64 n) {
    return QByteArray::number(n);
}

// A value as the display showed it in the base unit: no trip through a double.
QByteArray baseValue(const QString& baseText) {
    return baseText.isEmpty() ? QByteArrayLiteral("NaN") : baseText.toLatin1();
}

} // namespace

QByteArray unitName(const QString& unit) {
    static const std::pair<const char16_t*, const char*> Names[] = {
        {u"V", "volts"},  {u"A", "amperes"},    {u"Ohm", "ohms"},       {u"F", "farads"},
        {u"Hz", "hertz"}, {u"degC", "celsius"}, {u"degF", "fahrenheit"}};
    for (const auto& [symbol, name] : Names)
        if (unit == QStringView(symbol))
            return name;
    return {};
}

QByteArray metricsText(const BenchStatus& s, const QString& version) {
    Metrics m;
    if (s.reading && !unitName(s.reading->unit).isEmpty()) {
        const meter::Measurement& r = *s.reading;
        const QByteArray unit = unitName(r.unit);
        const QByteArray labels = "function=\"" + labelValue(r.function) + "\",range=\"" +
                                  labelValue(r.range) + "\",unit=\"" + labelValue(r.unit) + '"';
        const QByteArray name = "tarnix_reading_" + unit;
        m.family(name.constData(), "gauge",
                 "The last sample's reading in its base unit; NaN for OL, -OL and Initial.");
        m.sample(name, labels, baseValue(r.baseText));
        if (s.alarm.state != records::SampleAlarm::State::None) {
            const QByteArray limit = "tarnix_alarm_limit_" + unit;
            m.family(limit.constData(), "gauge",
                     "The meter's alarm limits in the reading's base unit; NaN for an open bound.");
            m.sample(limit, labels + ",bound=\"low\"", baseValue(r.baseTextOf(s.alarm.low)));
            m.sample(limit, labels + ",bound=\"high\"", baseValue(r.baseTextOf(s.alarm.high)));
        }
    }
    if (s.reading) {
        m.family("tarnix_reading_overload", "gauge",
                 "1 while the meter shows OL, -1 while it shows -OL, else 0.");
        const meter::Overload o = s.reading->shown.overload;
        m.sample("tarnix_reading_overload", {},
                 o == meter::Overload::Over    ? "1"
                 : o == meter::Overload::Under ? "-1"
                                               : "0");
    }
    m.family("tarnix_alarm_state", "gauge",
             "1 for the state the last sample stood in against the alarm limits.");
    for (const auto state : {records::SampleAlarm::State::None, records::SampleAlarm::State::Ok,
                             records::SampleAlarm::State::Over, records::SampleAlarm::State::Under})
        m.sample("tarnix_alarm_state", "state=\"" + records::alarmWord(state) + '"',
                 s.alarm.state == state ? "1" : "0");
    m.family("tarnix_meter_up", "gauge", "1 while the meter answers, else 0.");
    m.sample("tarnix_meter_up", {}, s.meterAnswers ? "1" : "0");
    m.family("tarnix_samples_total", "counter", "Samples taken since the recorder started.");
    m.sample("tarnix_samples_total", {}, number(s.samples));
    m.family("tarnix_lines_written_total", "counter", "Lines the recorder wrote.");
    m.sample("tarnix_lines_written_total", {}, number(s.lines));
    m.family("tarnix_gaps_total", "counter", "Gaps in the recording: spans without a sample.");
    m.sample("tarnix_gaps_total", {}, number(s.gaps));
    if (s.publishing) {
        m.family("tarnix_mqtt_readings_queued", "gauge", "Readings waiting for the MQTT broker.");
        m.sample("tarnix_mqtt_readings_queued", {}, number(s.mqttQueued));
        m.family("tarnix_mqtt_readings_lost_total", "counter",
                 "Readings dropped because the queue for the broker was full.");
        m.sample("tarnix_mqtt_readings_lost_total", {}, number(s.mqttLost));
    }
    m.family("tarnix_on_alarm_runs_total", "counter", "Times the on-alarm command was started.");
    m.sample("tarnix_on_alarm_runs_total", {}, number(s.onAlarmRuns));
    if (s.lastSample.isValid()) {
        m.family("tarnix_last_sample_timestamp_seconds", "gauge",
                 "When the last sample was taken, in seconds since 1970 (UTC).");
        m.sample("tarnix_last_sample_timestamp_seconds", {},
                 QByteArray::number(s.lastSample.toMSecsSinceEpoch() / 1000.0, 'f', 3));
    }
    m.family("tarnix_build_info", "gauge", "Always 1; the labels name the build.");
    m.sample("tarnix_build_info", "version=\"" + labelValue(version) + '"', "1");
    return m.text();
}

} // namespace tarnix::http
