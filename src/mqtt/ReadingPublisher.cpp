#include "mqtt/ReadingPublisher.h"

#include "mqtt/BrokerConnection.h"
#include "mqtt/HaDiscovery.h"
#include "analysis/SummaryLines.h"
#include "records/AnalysisCsv.h"

#include <mosquitto.h>
#include <mutex>

namespace tarnix::mqtt {

ReadingPublisher::ReadingPublisher(PublishSettings settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_connection(new BrokerConnection(std::move(settings))) {
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });

    m_network.setObjectName(QStringLiteral("mqtt"));
    m_connection->moveToThread(&m_network);
    // Signals from the network thread arrive queued, in this object's thread.
    connect(m_connection, &BrokerConnection::report, this, &ReadingPublisher::report);
    connect(m_connection, &BrokerConnection::connected, this, &ReadingPublisher::connected);
    connect(m_connection, &BrokerConnection::refused, this, &ReadingPublisher::refused);
    connect(m_connection, &BrokerConnection::closed, this, &ReadingPublisher::closed);
    connect(m_connection, &BrokerConnection::stateChanged, this,
            [this](bool connected, qsizetype queued, qint64 dropped) {
                m_connected = connected;
                m_queued = queued;
                m_dropped = dropped;
                Q_EMIT stateChanged();
            });
    connect(&m_network, &QThread::finished, m_connection, &QObject::deleteLater);
    connect(&m_network, &QThread::started, m_connection, &BrokerConnection::begin);
    m_network.start();
}

ReadingPublisher::~ReadingPublisher() {
    m_network.quit();
    m_network.wait();
}

QString ReadingPublisher::stateText() const {
    const QString state =
        m_connected ? QStringLiteral("mqtt connected") : QStringLiteral("mqtt retrying");
    return m_queued > 0 ? state + QStringLiteral(", %1 queued").arg(m_queued) : state;
}

QByteArray ReadingPublisher::topic(const char* leaf) const {
    return m_settings.prefix.toUtf8() + '/' + leaf;
}

void ReadingPublisher::enqueue(Message message) {
    QMetaObject::invokeMethod(
        m_connection,
        [connection = m_connection, message = std::move(message)] { connection->enqueue(message); },
        Qt::QueuedConnection);
}

void ReadingPublisher::publish(const QDateTime& at, const meter::Measurement& measurement,
                               const records::SampleAlarm& alarm) {
    if (!measurement.unit.isEmpty() && m_settings.discoveryPrefix)
        configure(measurement.function, measurement.unit);
    enqueue({topic("reading"), records::readingJson(++m_seq, at, measurement, alarm)});
    // The alarm topic follows the reading that changed it, in order.
    if (m_alarmTold != alarm.state) {
        m_alarmTold = alarm.state;
        enqueue({topic("alarm"), records::alarmWord(alarm.state), true});
    }
}

// A function's sensor, once it is first shown and again when its unit
// changes (degrees C to F); sent before its reading.
void ReadingPublisher::configure(const QString& function, const QString& unit) {
    if (m_configured.value(function) == unit)
        return;
    const DiscoveryBench bench{*m_settings.discoveryPrefix, m_settings.prefix,
                               m_meter ? m_meter->model : QString()};
    if (m_configured.isEmpty())
        setRetained(alarmConfigTopic(bench), alarmConfig(bench));
    m_configured.insert(function, unit);
    setRetained(sensorConfigTopic(bench, function), sensorConfig(bench, function, unit));
}

void ReadingPublisher::publishSummary(const analysis::SummaryLine& line,
                                      records::TimeZoneOut zone) {
    if (!line.unit.isEmpty() && m_settings.discoveryPrefix)
        configureMean(line.function, line.unit);
    enqueue({topic("summary"), analysis::summaryJsonLine(line, zone)});
}

void ReadingPublisher::configureMean(const QString& function, const QString& unit) {
    if (m_meansConfigured.value(function) == unit)
        return;
    const DiscoveryBench bench{*m_settings.discoveryPrefix, m_settings.prefix,
                               m_meter ? m_meter->model : QString()};
    m_meansConfigured.insert(function, unit);
    setRetained(meanConfigTopic(bench, function), meanConfig(bench, function, unit));
}

void ReadingPublisher::setRetained(const QByteArray& topic, const QByteArray& payload) {
    QMetaObject::invokeMethod(
        m_connection,
        [connection = m_connection, topic, payload] { connection->setRetained(topic, payload); },
        Qt::QueuedConnection);
}

void ReadingPublisher::setMeter(const MeterFacts& facts) {
    if (facts.model.isEmpty() || m_meter == facts)
        return; // nothing to tell before the meter has answered
    m_meter = facts;
    setRetained(topic("meter"), meterJson(facts));
    // The device block names the model: configs sent before it was known go again.
    const auto configured = std::exchange(m_configured, {});
    for (auto it = configured.begin(); it != configured.end(); ++it)
        configure(it.key(), it.value());
    const auto means = std::exchange(m_meansConfigured, {});
    for (auto it = means.begin(); it != means.end(); ++it)
        configureMean(it.key(), it.value());
}

void ReadingPublisher::removeDiscovery() {
    const DiscoveryBench bench{m_settings.discoveryPrefix.value_or(QString()), m_settings.prefix,
                               {}};
    // Through the outbox: close() counts whatever the broker did not take.
    enqueue({alarmConfigTopic(bench), {}, true});
    for (const QString& function : discoveryFunctions()) {
        enqueue({sensorConfigTopic(bench, function), {}, true});
        enqueue({meanConfigTopic(bench, function), {}, true});
    }
}

void ReadingPublisher::close(int graceMs) {
    QMetaObject::invokeMethod(
        m_connection, [connection = m_connection, graceMs] { connection->close(graceMs); },
        Qt::QueuedConnection);
}

} // namespace tarnix::mqtt
