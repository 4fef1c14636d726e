#include "mqtt/ReadingPublisher.h"

#include "mqtt/BrokerConnection.h"

#include <mosquitto.h>
#include <mutex>

namespace tarnix::mqtt {

ReadingPublisher::ReadingPublisher(PublishSettings settings, QObject* parent)
    : QObject(parent), m_connection(new BrokerConnection(std::move(settings))) {
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
            [this](bool connected, qsizetype queued) {
                m_connected = connected;
                m_queued = queued;
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

void ReadingPublisher::publishReading(const QDateTime& at, const QString& function,
                                      const QString& range, const QString& display,
                                      const files::SampleAlarm& alarm) {
    QByteArray json = files::readingJson(++m_seq, at, function, range, display, alarm);
    QMetaObject::invokeMethod(
        m_connection, [connection = m_connection, json] { connection->enqueue(json); },
        Qt::QueuedConnection);
}

void ReadingPublisher::setMeter(const MeterFacts& facts) {
    if (facts.model.isEmpty() || m_meter == facts)
        return; // nothing to tell before the meter has answered
    m_meter = facts;
    QMetaObject::invokeMethod(
        m_connection,
        [connection = m_connection, json = meterJson(facts)] { connection->setMeter(json); },
        Qt::QueuedConnection);
}

void ReadingPublisher::close(int graceMs) {
    QMetaObject::invokeMethod(
        m_connection, [connection = m_connection, graceMs] { connection->close(graceMs); },
        Qt::QueuedConnection);
}

} // namespace tarnix::mqtt
