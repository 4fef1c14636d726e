// Publishing over MQTT: the command line, the messages, the outbox, and the
// publisher against a real mosquitto the test starts on a port of its own.

#include "cli/LogCommandLine.h"
#include "records/AnalysisCsv.h"
#include "mqtt/HaDiscovery.h"
#include "mqtt/Json.h"
#include "mqtt/Outbox.h"
#include "mqtt/PublishSettings.h"
#include "mqtt/ReadingPublisher.h"
#include "support/MosquittoBroker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

using namespace tarnix;
using namespace Qt::StringLiterals;

namespace {

QString settingsSummary(const QStringList& arguments) {
    const auto parsed = cli::parseLogCommandLine(QStringList{"record", "--simulate"} + arguments);
    if (const auto* usage = std::get_if<cli::UsageError>(&parsed))
        return QStringLiteral("usage: ") + usage->message;
    const auto& options = std::get<cli::LogCommand>(parsed).record;
    const auto settings = mqtt::publishSettings(options, QStringLiteral("pw"));
    if (const auto* problem = std::get_if<QString>(&settings))
        return *problem;
    const auto& s = std::get<std::optional<mqtt::PublishSettings>>(settings);
    if (!s)
        return {};
    return QStringLiteral("%1 %2 user '%3' topic %4 to '%5'")
               .arg(s->broker.tls ? "tls" : "plain", s->broker.label(), s->broker.user, s->prefix,
                    options.output) +
           (s->discoveryPrefix ? " ha " + *s->discoveryPrefix : QString());
}

// The sequence numbers of the readings received, a number sent again left
// out; one that came late is missing from its place.
QList<int> sequence(const QStringList& messages) {
    static const QRegularExpression seq(QStringLiteral("/reading \\{.*\"seq\":(\\d+),"));
    QList<int> seen;
    for (const QString& message : messages)
        if (const auto match = seq.match(message); match.hasMatch())
            if (const int n = match.captured(1).toInt(); seen.isEmpty() || n > seen.last())
                seen.append(n);
    return seen;
}

mqtt::PublishSettings quickSettings(const MosquittoBroker& broker, const QString& prefix) {
    mqtt::PublishSettings settings;
    settings.broker = {false, {}, "127.0.0.1", broker.port()};
    settings.prefix = prefix;
    settings.firstRetryMs = settings.longestRetryMs = 100;
    return settings;
}

} // namespace

class TestMqtt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void commandLine_data();
    void commandLine();
    void readingJson();
    void discoveryConfigs_data();
    void discoveryConfigs();
    void discoveryIds_data();
    void discoveryIds();
    void outbox_data();
    void outbox();
    void publishesReadingsStatusAndMeter();
    void deliversEverySeqAcrossBrokerRestart();
    void countsReadingsDroppedFromAFullQueue();
    void twoBenchesKeepTheirConfigs();
    void programEnds_data();
    void programEnds();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMqtt::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    if (MosquittoBroker::program().isEmpty())
        QSKIP("mosquitto is not installed (scripts/setup-debian.sh installs it)");
}

void TestMqtt::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const char* const rows[][2] = {
        {"--mqtt mqtt://pi.lab --topic lab/b1", "plain pi.lab:1883 user '' topic lab/b1 to ''"},
        {"--mqtt=mqtt://bench@10.0.0.2:1884 --topic lab b.dat",
         "plain 10.0.0.2:1884 user 'bench' topic lab to 'b.dat'"},
        {"--mqtt mqtts://[::1] --topic a/b --cafile ca.pem -",
         "tls [::1]:8883 user '' topic a/b to '-'"},
        {"--mqtt http://h --topic t",
         "--mqtt takes mqtt://host[:port] or mqtts://host[:port], not \"http://h\""},
        {"--mqtt mqtt://h/x --topic t",
         "--mqtt takes mqtt://host[:port] or mqtts://host[:port], not \"mqtt://h/x\""},
        {"--mqtt mqtt://u:secret@h --topic t",
         "put the broker password in TARNIX_MQTT_PASSWORD, not in the URL, where ps would show it"},
        {"--mqtt mqtt://h --topic lab/+",
         "--topic cannot hold + or #, which only subscribers use: \"lab/+\""},
        {"--mqtt mqtt://h", "--topic needs a PREFIX such as lab/bench1"},
        {"--mqtt mqtt://h --topic t --cafile ca.pem", "--cafile goes with an mqtts:// URL"},
        {"--mqtt mqtt://@h --topic t",
         "--mqtt has an empty user name before @: give user@host, or host alone to log in "
         "without one"},
        {"--mqtt mqtt://h --topic $SYS/t",
         "--topic cannot start with $, which marks the broker's own topics: \"$SYS/t\""},
        {"--mqtt mqtt://h --topic t --ha-discovery", "plain h:1883 user '' topic t to '' ha homeassistant"},
        {"--mqtt mqtt://h --topic t --ha-discovery=hass/x", "plain h:1883 user '' topic t to '' ha hass/x"},
        {"--mqtt mqtt://h --topic t --ha-discovery=ha/#",
         "--ha-discovery cannot hold + or #, which only subscribers use: \"ha/#\""},
        {"--ha-discovery -", "--topic, --cafile and --ha-discovery go with --mqtt URL"},
        {"--mqtt mqtt://h --topic t --ha-discovery --ha-discovery=x", "usage: --ha-discovery is given twice"},
    };
    for (const auto& [arguments, expected] : rows)
        QTest::addRow("%s", arguments)
            << QString::fromLatin1(arguments).split(u' ', Qt::SkipEmptyParts) << expected;
    // PREFIX/reading fills an MQTT string to its last byte, and one byte more.
    const QString longest(65527, u'a'), tooLong(32764, u'\u00e9');
    QTest::addRow("longest topic") << QStringList{"--mqtt", "mqtt://h", "--topic", longest}
                                   << "plain h:1883 user '' topic " + longest + " to ''";
    for (const QString& control : {u"\u007f"_s, u"\u009f"_s}) // DEL and the last C1 control
        QTest::addRow("control %x", control[0].unicode())
            << QStringList{"--mqtt", "mqtt://h", "--topic", "lab" + control}
            << "--topic takes a PREFIX such as lab/bench1, not \"lab" + control + "\"";
    QTest::addRow("topic too long")
        << QStringList{"--mqtt", "mqtt://h", "--topic", tooLong}
        << "--topic is 65528 bytes long; PREFIX/reading must fit in 65535 bytes of UTF-8";
}

void TestMqtt::commandLine() {
    QFETCH(QStringList, arguments);
    QTEST(settingsSummary(arguments), "expected");
}

// A number and OL are checked as the broker passes them on; here the time
// with its offset, a range without a unit, the escapes, and the alarm state
// with its limits in base units (an open bound is null).
void TestMqtt::readingJson() {
    const QDateTime at(QDate(2026, 12, 6), QTime(14, 7, 18, 12), QTimeZone(3600));
    QCOMPARE(
        records::readingJson(17, at, meter::measurementFromTexts("A\"B\\", "", "x\ty z")),
        R"({"time":"2026-12-06T14:07:18.012+01:00","seq":17,"value":null,"unit":null,)"
        R"("function":"A\"B\\","range":"","display":"x\u0009y z","alarm":null,"limits":null})");
    QVERIFY(records::readingJson(1, at.toUTC(), meter::measurementFromTexts("DCV", "2V", "1"))
                .contains(":18.012+00:00\","));
    // One type for every value: a whole number keeps its point.
    QVERIFY(records::readingJson(1, at, meter::measurementFromTexts("RES", "2MOhm", "1.234"))
                .contains(R"("value":1234000.0,)"));
    const records::SampleAlarm over{records::SampleAlarm::State::Over, "-OL", "-12.00"};
    QVERIFY(records::readingJson(2, at, meter::measurementFromTexts("DCV", "200mV", "-11.50"), over)
                .endsWith(R"("alarm":"over","limits":{"low":null,"high":-0.01200}})"));
    // A speed not known yet is no speed.
    QCOMPARE(mqtt::meterJson({"HBQ750", "SIM", 0, 1}),
             R"({"model":"HBQ750","port":"SIM","speed":null,"interval":1})");
}

// Each function's sensor as Home Assistant's discovery documents it: the
// unit it knows, a device class only where it has one.
void TestMqtt::discoveryConfigs_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected"); // unit_of_measurement device_class
    QTest::newRow("DCV") << "DCV" << "V" << "V|voltage";
    QTest::newRow("ACA") << "ACA" << "A" << "A|current";
    QTest::newRow("FREQ") << "FREQ" << "Hz" << "Hz|frequency";
    QTest::newRow("TEMP in F") << "TEMP" << "degF" << "\u00b0F|temperature";
    QTest::newRow("RES: no class") << "RES" << "Ohm" << "\u03a9|";
    QTest::newRow("CAP: no class") << "CAP" << "F" << "F|";
    QTest::newRow("DIODE: no class") << "DIODE" << "V" << "V|";
}

void TestMqtt::discoveryConfigs() {
    QFETCH(QString, function);
    QFETCH(QString, unit);
    QFETCH(QString, expected);
    const mqtt::DiscoveryBench bench{"homeassistant", "Lab/Bench1", "MQZ5081"};
    const QString id = "tarnix_lab_bench1_" + function.toLower();
    QCOMPARE(mqtt::sensorConfigTopic(bench, function), "homeassistant/sensor/" + id + "/config");
    const QJsonObject config =
        QJsonDocument::fromJson(mqtt::sensorConfig(bench, function, unit)).object();
    const QJsonObject device = config["device"].toObject();
    QStringList fields{device["identifiers"].toArray().first().toString()};
    for (const char* key : {"model", "name", "sw_version"})
        fields << device[key].toString();
    for (const char* key : {"name", "unique_id", "default_entity_id", "unit_of_measurement",
                            "device_class", "state_class", "state_topic", "json_attributes_topic",
                            "availability_topic", "payload_available", "payload_not_available",
                            "value_template"})
        fields << config[key].toString();
    QCOMPARE(fields.join(u'|'), "tarnix_lab_bench1|MQZ5081|Lab/Bench1|" TARNIX_VERSION "|" + function +
                                    u'|' + id + "|sensor." + id + u'|' + expected +
                                    "|measurement|Lab/Bench1/reading|Lab/Bench1/reading|Lab/"
                                    "Bench1/status|online|offline|{{ value_json.value if value_json.function == '" +
                                    function + "' and value_json.unit == '" + unit + "' else None }}");
    // Nothing else, and no device class where Home Assistant has none.
    QCOMPARE(config.keys().size(), fields.size() - 3 - !config.contains("device_class"));
    // The mean of --every's summaries: a sensor of its own on the summary topic.
    const QJsonObject mean = QJsonDocument::fromJson(mqtt::meanConfig(bench, function, unit)).object();
    QCOMPARE(mqtt::meanConfigTopic(bench, function), "homeassistant/sensor/" + id + "_mean/config");
    QCOMPARE(mean["state_topic"].toString() + u'|' + mean["unit_of_measurement"].toString() + u'|' +
                 mean["value_template"].toString(),
             "Lab/Bench1/summary|" + expected.section(u'|', 0, 0) + "|{{ value_json.mean if value_json.function == '" +
                 function + "' and value_json.unit == '" + unit + "' else None }}");
}

// A bench's ids: a topic of letters, digits, "-" and single "/" keeps the
// id Home Assistant has always known; distinct topics never share one.
void TestMqtt::discoveryIds_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("other"); // a topic whose ids must differ
    QTest::addColumn<QString>("id");    // the device's id where it must stay as it was
    QTest::newRow("plain") << "lab/bench1" << "lab/bench2" << "tarnix_lab_bench1";
    QTest::newRow("capitals") << "Lab/B1" << "" << "tarnix_lab_b1";
    QTest::newRow("dash") << "lab-2/b" << "lab_2/b" << "tarnix_lab-2_b";
    QTest::newRow("not ASCII") << u"lab/温度"_s << u"lab/湿度"_s << "";
    QTest::newRow("space, slash") << "a b" << "a/b" << "";
    QTest::newRow("slash, underscore") << "a/b" << "a_b" << "tarnix_a_b";
    QTest::newRow("space, underscore") << "a b" << "a_b" << "";
    QTest::newRow("trailing slash") << "a/b/" << "a/b" << "";
    QTest::newRow("leading slash") << "/a/b" << "a/b" << "";
    QTest::newRow("double slash") << "a//b" << "a/_/b" << "";
    QTest::newRow("Kelvin sign") << u"\u212a"_s << "k" << "";
}

void TestMqtt::discoveryIds() {
    QFETCH(QString, topic);
    QFETCH(QString, other);
    QFETCH(QString, id);
    // Device, unique_id and both config topics, which the removal clears too.
    const auto ids = [](const QString& t) {
        const mqtt::DiscoveryBench bench{"ha", t, {}};
        const QJsonObject sensor = QJsonDocument::fromJson(mqtt::sensorConfig(bench, "DCV", "V")).object();
        const QJsonObject alarm = QJsonDocument::fromJson(mqtt::alarmConfig(bench)).object();
        return QStringList{sensor["device"]["identifiers"][0].toString(), sensor["unique_id"].toString(),
                           alarm["unique_id"].toString(), mqtt::sensorConfigTopic(bench, "DCV"),
                           mqtt::alarmConfigTopic(bench)};
    };
    const QStringList mine = ids(topic);
    static const QRegularExpression allowed(QStringLiteral("^tarnix_[a-z0-9_-]+$"));
    QVERIFY2(allowed.match(mine[0]).hasMatch(), qPrintable(mine[0]));
    const QStringList expected{mine[0], mine[0] + "_dcv", mine[0] + "_alarm",
                               "ha/sensor/" + mine[0] + "_dcv/config",
                               "ha/binary_sensor/" + mine[0] + "_alarm/config"};
    QCOMPARE(mine, expected);
    if (!id.isEmpty())
        QCOMPARE(mine[0], id);
    if (!other.isEmpty())
        QVERIFY2(ids(other)[0] != mine[0], qPrintable(mine[0]));
}

void TestMqtt::outbox_data() {
    QTest::addColumn<int>("bound");
    QTest::addColumn<QString>("script");   // + push the next letter (! as a state), s send, aN ack N, r resend
    QTest::addColumn<QString>("expected"); // waiting, in flight, dropped, next to send, readings
    QTest::newRow("acknowledged in order leave") << 9 << "+ + + s s a1" << "2 1 0 c 2";
    QTest::newRow("a later ack waits for the first") << 9 << "+ + s s a2" << "2 2 0 - 2";
    QTest::newRow("then both leave") << 9 << "+ + s s a2 a1" << "0 0 0 - 0";
    QTest::newRow("an unknown ack leaves the unsent alone") << 9 << "+ + s a0 s a1" << "1 1 0 - 1";
    QTest::newRow("lost connection: again from the first") << 9 << "+ + + s s a2 r" << "3 0 0 a 3";
    QTest::newRow("full: the oldest goes") << 2 << "+ + + +" << "2 0 2 c 2";
    QTest::newRow("full while in flight") << 2 << "+ s + + a1" << "2 0 1 b 2";
    QTest::newRow("states are no readings") << 3 << "! + ! s a1 + +" << "3 0 1 c 2";
}

void TestMqtt::outbox() {
    QFETCH(int, bound);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    mqtt::Outbox outbox(bound);
    char letter = 'a';
    int mid = 0;
    for (const QString& step : script.split(u' ')) {
        if (step == u"+" || step == u"!")
            outbox.push({{}, QByteArray(1, letter++), step == u"!"});
        else if (step == u"s")
            outbox.sent(++mid);
        else if (step == u"r")
            outbox.resend();
        else
            outbox.acknowledged(step.mid(1).toInt());
    }
    const mqtt::Message* next = outbox.nextUnsent();
    const QList<qint64> counts{outbox.size(), outbox.inFlight(), outbox.dropped()};
    QCOMPARE(QString::number(counts[0]) + u' ' + QString::number(counts[1]) + u' ' +
                 QString::number(counts[2]) + u' ' + (next ? QString(next->payload) : QStringLiteral("-")) +
                 u' ' + QString::number(outbox.readings()),
             expected);
}

// With discovery: the configs before the first reading of their function,
// the alarm state after the reading that changed it, all retained.
void TestMqtt::publishesReadingsStatusAndMeter() {
    MosquittoBroker broker(m_dir->path());
    QVERIFY(broker.start());
    Subscriber live(broker, {"-t", "lab/b1/#", "-t", "ha/#"});
    QVERIFY(live.ready());
    mqtt::PublishSettings settings = quickSettings(broker, QStringLiteral("lab/b1"));
    settings.discoveryPrefix = QStringLiteral("ha");
    mqtt::ReadingPublisher publisher(settings);
    QSignalSpy connected(&publisher, &mqtt::ReadingPublisher::connected);
    QVERIFY(connected.wait(5000));
    QTRY_COMPARE(publisher.stateText(), QStringLiteral("mqtt connected")); // on the status line
    const QDateTime at = QDateTime::currentDateTime();
    publisher.setMeter({"MQZ5081", "/dev/ttyUSB0", 9600, 2});
    publisher.publish(at, meter::measurementFromTexts("DCV", "200mV", "-12.34"));
    publisher.publish(at, meter::measurementFromTexts("DCV", "200mV", "OL"),
                      {records::SampleAlarm::State::Over, "-OL", "OL"});
    publisher.publish(at, meter::measurementFromTexts("DCV", "200mV", "OL"),
                      {records::SampleAlarm::State::Over, "-OL", "OL"});
    analysis::SummaryLine line{.startMs = 1796083200000, .function = "DCV", .range = "200mV", .unit = "V", .count = 2};
    line.overloads = 1;
    publisher.publishSummary(line, records::TimeZoneOut::Utc);
    const QByteArray time = records::jsonString(records::isoTime(at));
    const QStringList expected{
        "0 lab/b1/status online",
        R"(0 lab/b1/meter {"model":"MQZ5081","port":"/dev/ttyUSB0","speed":9600,"interval":2})",
        "0 ha/binary_sensor/tarnix_lab_b1_alarm/config",
        "0 ha/sensor/tarnix_lab_b1_dcv/config",
        R"(0 lab/b1/reading {"time":)" + time +
            R"(,"seq":1,"value":-0.01234,"unit":"V","function":"DCV","range":"200mV","display":"-12.34",)"
            R"("alarm":null,"limits":null})",
        "0 lab/b1/alarm none",
        R"(0 lab/b1/reading {"time":)" + time +
            R"(,"seq":2,"value":null,"unit":"V","function":"DCV","range":"200mV","display":"OL",)"
            R"("alarm":"over","limits":{"low":null,"high":null}})",
        "0 lab/b1/alarm over",
        "0 lab/b1/reading",
        "0 ha/sensor/tarnix_lab_b1_dcv_mean/config",
        R"(0 lab/b1/summary {"start":"2026-12-01T00:00:00Z","function":"DCV","range":"200mV","unit":"V",)"
        R"("count":2,"min":null,"mean":null,"max":null,"last":null,"overloads":1,"no_reading_s":0.0})",
        "0 lab/b1/status offline"};
    QSignalSpy closed(&publisher, &mqtt::ReadingPublisher::closed);
    publisher.close(3000);
    QVERIFY(closed.wait(5000));
    QCOMPARE(closed.first().first().toLongLong(), 0);
    // The configs' fields are checked on their own; the third reading by its place.
    const auto heard = [&live] {
        QStringList messages = live.messages();
        for (QString& m : messages)
            if (m.contains("/config ") || m.contains("\"seq\":3"))
                m.truncate(m.indexOf(u' ', 2));
        return messages;
    };
    QVERIFY2(live.waitFor([&](const QStringList& m) { return m.size() >= 12; }),
             qPrintable(live.messages().join(u'\n')));
    QCOMPARE(heard(), expected);
    // Status, meter, alarm and configs stay for whoever subscribes later; summaries do not.
    Subscriber later(broker, {"-t", "lab/b1/#", "-t", "ha/#", "-C", "6"});
    QVERIFY(later.waitFor([](const QStringList& m) { return m.size() == 6; }));
    QCOMPARE(later.messages().filter("1 lab/b1/status"), QStringList{"1 lab/b1/status offline"});
    QCOMPARE(later.messages().filter("1 lab/b1/alarm"), QStringList{"1 lab/b1/alarm over"});
    QCOMPARE(later.messages().filter("1 ha/").size(), 3);

    // Removed by the program, which then ends.
    ProgramRun removal(QStringLiteral(TARNIX_LOG));
    removal.start({"record", "--mqtt", QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                   "--topic", "lab/b1", "--ha-discovery=ha", "--ha-discovery-remove"});
    QVERIFY(removal.finished(5000));
    QCOMPARE(removal.process().exitCode(), 0);
    QVERIFY2(removal.err().contains("removed the Home Assistant configs of lab/b1 under ha/"),
             removal.err().constData());
    QVERIFY(live.waitFor([](const QStringList& m) {
        return m.contains("0 ha/sensor/tarnix_lab_b1_dcv/config ") &&
               m.contains("0 ha/sensor/tarnix_lab_b1_dcv_mean/config ") &&
               m.contains("0 ha/binary_sensor/tarnix_lab_b1_alarm/config ");
    }));
}

void TestMqtt::deliversEverySeqAcrossBrokerRestart() {
    MosquittoBroker broker(m_dir->path());
    QVERIFY(broker.start());
    // A lasting session: the broker keeps what comes while it is away.
    Subscriber subscriber(broker, {"-c", "-i", "tarnix-test", "-t", "lab/b3/reading", "-t", "ha/#"});
    QVERIFY(subscriber.ready());
    mqtt::PublishSettings settings = quickSettings(broker, QStringLiteral("lab/b3"));
    settings.discoveryPrefix = QStringLiteral("ha");
    mqtt::ReadingPublisher publisher(settings);
    QSignalSpy connected(&publisher, &mqtt::ReadingPublisher::connected);
    QVERIFY(connected.wait(5000));
    const auto sample = [&] {
        publisher.publish(QDateTime::currentDateTime(),
                          meter::measurementFromTexts("DCV", "2V", "1.000"));
    };
    sample();
    sample();
    QVERIFY(subscriber.waitFor([](const QStringList& m) { return sequence(m).size() == 2; }));
    QVERIFY(broker.stop());
    for (int i = 0; i < 4; ++i)
        sample(); // sampling goes on while the broker is away
    QVERIFY(broker.start());
    QVERIFY2(subscriber.waitFor([](const QStringList& m) { return sequence(m).size() >= 6; }),
             qPrintable(subscriber.messages().join(u'\n')));
    QCOMPARE(sequence(subscriber.messages()), (QList<int>{1, 2, 3, 4, 5, 6}));
    // The configs went again on the new connection.
    QCOMPARE(subscriber.messages().filter("0 ha/sensor/tarnix_lab_b3_dcv/config {").size(), 2);
}

// With no broker, a full queue drops the oldest: the count the web server
// shows grows with each, though the queue's length stays.
void TestMqtt::countsReadingsDroppedFromAFullQueue() {
    const MosquittoBroker absent(m_dir->path()); // never started
    mqtt::PublishSettings settings = quickSettings(absent, QStringLiteral("lab/b4"));
    settings.queueBound = 2;
    mqtt::ReadingPublisher publisher(settings);
    for (int i = 0; i < 5; ++i)
        publisher.publish(QDateTime::currentDateTime(), meter::measurementFromTexts("DCV", "2V", "1.000"));
    QTRY_VERIFY(publisher.lost() >= 3); // and the bench's own message, if it went first
    QVERIFY(publisher.queued() <= 2);
}

// Two benches whose topics differ only in letters outside ASCII: removing
// one bench's configs leaves the other's on the broker.
void TestMqtt::twoBenchesKeepTheirConfigs() {
    MosquittoBroker broker(m_dir->path());
    QVERIFY(broker.start());
    for (const QString& topic : {u"lab/湿度"_s, u"lab/温度"_s}) {
        mqtt::PublishSettings settings = quickSettings(broker, topic);
        settings.discoveryPrefix = QStringLiteral("ha");
        mqtt::ReadingPublisher publisher(settings);
        if (topic.endsWith(u"温度"))
            publisher.removeDiscovery(); // after the other bench's configs
        else
            publisher.publish(QDateTime::currentDateTime(),
                              meter::measurementFromTexts("DCV", "2V", "1.000"));
        QSignalSpy closed(&publisher, &mqtt::ReadingPublisher::closed);
        publisher.close(3000);
        QVERIFY(closed.wait(5000));
    }
    Subscriber later(broker, {"-t", "ha/#", "-C", "2", "-W", "2"});
    QVERIFY(later.waitFor([](const QStringList& m) { return m.size() == 2; }));
    QCOMPARE(later.messages().filter(u"lab/湿度/status"_s).size(), 2);
}

void TestMqtt::programEnds_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("wrong password")
        << "lab/b4" << "wrong" << 1 << "refused the login: not authorised";
    QTest::newRow("killed") << "lab/b4" << "secret" << -1 << "";
}

void TestMqtt::programEnds() {
    QFETCH(QString, topic);
    QFETCH(QString, password);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    const QString passwords = m_dir->filePath("passwords");
    QCOMPARE(QProcess::execute("mosquitto_passwd", {"-b", "-c", passwords, "bench", "secret"}), 0);
    MosquittoBroker broker(m_dir->path(), "allow_anonymous false\npassword_file " +
                                              QFile::encodeName(passwords) + '\n');
    QVERIFY(broker.start());
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    qputenv("TARNIX_MQTT_PASSWORD", password.toUtf8()); // the program inherits it
    run.start({"record", "--simulate", "--interval", "1", "--mqtt",
               QStringLiteral("mqtt://bench@127.0.0.1:%1").arg(broker.port()), "--topic", topic});
    if (exitCode >= 0) {
        QVERIFY(run.finished(5000));
        QCOMPARE(run.process().exitCode(), exitCode);
        QVERIFY2(run.err().contains(said.toUtf8()), run.err().constData());
        return;
    }
    // Without a file, every sample goes to the broker alone; killed, the
    // program leaves its last will.
    Subscriber subscriber(broker, {"-u", "bench", "-P", "secret", "-t", "lab/b4/#"});
    QVERIFY(
        subscriber.waitFor([](const QStringList& m) { return !m.filter("/reading").isEmpty(); }));
    QCOMPARE(subscriber.messages().filter("lab/b4/status online").size(), 1);
    run.signal(SIGKILL);
    QVERIFY(subscriber.waitFor(
        [](const QStringList& m) { return m.contains("0 lab/b4/status offline"); }));
    Subscriber later(broker, {"-u", "bench", "-P", "secret", "-t", "lab/b4/status", "-C", "1"});
    QVERIFY(later.waitFor(
        [](const QStringList& m) { return m == QStringList{"1 lab/b4/status offline"}; }));
}

QTEST_GUILESS_MAIN(TestMqtt)
#include "test_mqtt.moc"
