#include "mqtt/BrokerConnection.h"

#include "platform/Diagnostics.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>

namespace tarnix::mqtt {

namespace {

constexpr int AtLeastOnce = 1;
constexpr int Window = 20; // libmosquitto's own limit of messages in flight
constexpr int HousekeepingMs = 1000;
constexpr int StillDownMs = 60000;
constexpr char Online[] = "online";
constexpr char Offline[] = "offline";

// Connection refused codes of MQTT 3.1.1, as a user can act on them.
QString refusal(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("it does not accept MQTT 3.1.1");
    case 2:
        return QStringLiteral("it rejected the client identifier");
    case 4:
        return QStringLiteral("bad user name or password");
    case 5:
        return QStringLiteral("not authorised");
    default:
        return QStringLiteral("refused with code %1").arg(code);
    }
}
constexpr int ServerUnavailable = 3; // worth trying again later

// The library's reason as part of a sentence: "connection refused".
QString libraryError(int rc, int savedErrno) {
    QString text = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(savedErrno))
                                        : QString::fromUtf8(mosquitto_strerror(rc));
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text.size() > 1 && !text[1].isUpper()) // "TLS" keeps its capitals
        text[0] = text[0].toLower();
    return text;
}

void dropNotifier(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier)
        return;
    // It may be the sender of the signal being handled: deleted later.
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

} // namespace

BrokerConnection::BrokerConnection(PublishSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_outbox(m_settings.queueBound),
      m_housekeeping(this), m_retry(this), m_connectTimeout(this), m_stillDown(this),
      m_closeTimeout(this), m_retryMs(m_settings.firstRetryMs) {
    m_housekeeping.setInterval(HousekeepingMs);
    connect(&m_housekeeping, &QTimer::timeout, this, [this] {
        const int rc = mosquitto_loop_misc(m_client);
        afterLibraryCall(rc);
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &BrokerConnection::connectNow);
    m_connectTimeout.setSingleShot(true);
    m_connectTimeout.setInterval(m_settings.connectTimeoutMs);
    connect(&m_connectTimeout, &QTimer::timeout, this, [this] {
        lose(QStringLiteral("no answer within %1 s").arg(m_settings.connectTimeoutMs / 1000));
    });
    m_stillDown.setInterval(StillDownMs);
    connect(&m_stillDown, &QTimer::timeout, this, [this] {
        Q_EMIT report(QStringLiteral("still retrying %1; %2 readings queued")
                          .arg(m_settings.broker.label())
                          .arg(m_outbox.readings()));
        tellDrops();
    });
    m_closeTimeout.setSingleShot(true);
    connect(&m_closeTimeout, &QTimer::timeout, this, &BrokerConnection::finishClose);
}

BrokerConnection::~BrokerConnection() {
    if (m_client)
        mosquitto_destroy(m_client);
}

QByteArray BrokerConnection::topic(const char* leaf) const {
    return m_settings.prefix.toUtf8() + '/' + leaf;
}

void BrokerConnection::begin() {
    connectNow();
}

void BrokerConnection::connectNow() {
    if (m_phase == Phase::Refused || m_phase == Phase::Closed)
        return;
    m_phase = Phase::Connecting;
    qCDebug(lcMqtt).noquote() << "connecting to" << m_settings.broker.label();
    m_client = mosquitto_new(nullptr, true, this);
    if (!m_client) {
        lose(QStringLiteral("out of memory"));
        return;
    }
    mosquitto_connect_callback_set(m_client, &BrokerConnection::connectCallback);
    mosquitto_disconnect_callback_set(m_client, &BrokerConnection::disconnectCallback);
    mosquitto_publish_callback_set(m_client, &BrokerConnection::publishCallback);
    const BrokerAddress& broker = m_settings.broker;
    if (!broker.user.isEmpty())
        mosquitto_username_pw_set(
            m_client, broker.user.toUtf8().constData(),
            m_settings.password.isEmpty() ? nullptr : m_settings.password.toUtf8().constData());
    const QByteArray status = topic("status");
    mosquitto_will_set(m_client, status.constData(), int(std::strlen(Offline)), Offline,
                       AtLeastOnce, true);
    if (broker.tls) {
        const int rc =
            m_settings.cafile.isEmpty()
                ? mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                : mosquitto_tls_set(m_client, m_settings.cafile.toLocal8Bit().constData(), nullptr,
                                    nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            m_phase = Phase::Refused;
            teardown();
            Q_EMIT refused(QStringLiteral("cannot use the CA file %1: %2")
                               .arg(m_settings.cafile, libraryError(rc, errno)));
            return;
        }
    }
    const int rc = mosquitto_connect_async(m_client, broker.host.toUtf8().constData(), broker.port,
                                           m_settings.keepAliveSeconds);
    const int savedErrno = errno;
    const int socket = mosquitto_socket(m_client);
    if (rc != MOSQ_ERR_SUCCESS || socket < 0) {
        lose(libraryError(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_NO_CONN : rc, savedErrno));
        return;
    }
    m_readable = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, [this] {
        const int rc = mosquitto_loop_read(m_client, 1);
        afterLibraryCall(rc);
    });
    m_writable = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
    connect(m_writable.get(), &QSocketNotifier::activated, this, [this] {
        const int rc = mosquitto_loop_write(m_client, 1);
        afterLibraryCall(rc);
    });
    m_housekeeping.start();
    m_connectTimeout.start();
    watchWrites();
}

// The callbacks only note what happened; it is acted on once the library
// has returned, when the client may be destroyed safely.
void BrokerConnection::connectCallback(mosquitto*, void* self, int code) {
    static_cast<BrokerConnection*>(self)->m_connack = code;
}

void BrokerConnection::disconnectCallback(mosquitto*, void* self, int code) {
    auto* connection = static_cast<BrokerConnection*>(self);
    connection->m_lost = true;
    connection->m_lostCode = code;
}

void BrokerConnection::publishCallback(mosquitto*, void* self, int mid) {
    auto* connection = static_cast<BrokerConnection*>(self);
    if (mid == connection->m_offlineMid)
        connection->m_offlineDelivered = true;
    else
        connection->m_outbox.acknowledged(mid);
}

void BrokerConnection::afterLibraryCall(int rc) {
    const int savedErrno = errno;
    if (m_connack) {
        const int code = *m_connack;
        m_connack.reset();
        onConnack(code);
    }
    if (m_phase != Phase::Connecting && m_phase != Phase::Connected)
        return;
    if (m_closing && m_offlineDelivered) {
        mosquitto_disconnect(m_client); // no last will: the status already says offline
        finishClose();
        return;
    }
    if (m_lost || rc != MOSQ_ERR_SUCCESS || mosquitto_socket(m_client) < 0) {
        lose(rc != MOSQ_ERR_SUCCESS
                 ? libraryError(rc, savedErrno)
                 : libraryError(m_lostCode ? m_lostCode : MOSQ_ERR_CONN_LOST, 0));
        return;
    }
    if (m_phase == Phase::Connected)
        sendQueued();
    else
        watchWrites();
    tellState();
}

void BrokerConnection::onConnack(int code) {
    m_connectTimeout.stop();
    qCDebug(lcMqtt) << "connection answered with code" << code;
    if (code == 0) {
        m_phase = Phase::Connected;
        m_retryMs = m_settings.firstRetryMs;
        m_toldDown = false;
        m_stillDown.stop();
        Q_EMIT report(m_outbox.readings() == 0
                          ? QStringLiteral("connected to %1").arg(m_settings.broker.label())
                          : QStringLiteral("connected to %1; sending %2 queued readings")
                                .arg(m_settings.broker.label())
                                .arg(m_outbox.readings()));
        tellDrops();
        publishStatus(true);
        for (const auto& [topic, payload] : m_retained)
            publishRetained(topic, payload);
        Q_EMIT connected();
        return;
    }
    if (code == ServerUnavailable) {
        lose(QStringLiteral("the broker is unavailable"));
        return;
    }
    m_phase = Phase::Refused;
    teardown();
    Q_EMIT refused(QStringLiteral("the broker at %1 refused the login: %2")
                       .arg(m_settings.broker.label(), refusal(code)));
    if (m_closing)
        finishClose();
}

void BrokerConnection::lose(const QString& why) {
    const bool wasConnected = m_phase == Phase::Connected;
    teardown();
    m_outbox.resend();
    m_phase = Phase::Waiting;
    m_offlineMid = -1;
    if (!m_toldDown) {
        m_toldDown = true;
        Q_EMIT report(wasConnected ? QStringLiteral("lost %1 (%2); retrying, %3 readings queued")
                                         .arg(m_settings.broker.label(), why)
                                         .arg(m_outbox.readings())
                                   : QStringLiteral("cannot reach %1 (%2); retrying")
                                         .arg(m_settings.broker.label(), why));
        m_stillDown.start();
    }
    qCDebug(lcMqtt).noquote() << "lost or not reached:" << why << "; next try in" << m_retryMs
                              << "ms," << m_outbox.readings() << "readings queued";
    m_retry.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, m_settings.longestRetryMs);
    tellState();
}

void BrokerConnection::tellState() {
    const std::tuple state{m_phase == Phase::Connected, m_outbox.readings(), m_outbox.dropped()};
    if (state == m_toldState)
        return;
    m_toldState = state;
    Q_EMIT stateChanged(std::get<0>(state), std::get<1>(state), std::get<2>(state));
}

void BrokerConnection::teardown() {
    m_housekeeping.stop();
    m_connectTimeout.stop();
    dropNotifier(m_readable);
    dropNotifier(m_writable);
    if (m_client) {
        mosquitto_destroy(m_client); // closes the socket; the broker sends the last will
        m_client = nullptr;
    }
    m_lost = false;
    m_lostCode = 0;
    m_connack.reset();
}

void BrokerConnection::enqueue(Message message) {
    if (!m_outbox.push(std::move(message)) && m_outbox.dropped() == 1)
        Q_EMIT report(QStringLiteral("%1 readings queued: the oldest are dropped from now on")
                          .arg(m_outbox.readings()));
    if (m_phase == Phase::Connected)
        sendQueued();
    tellState();
}

void BrokerConnection::sendQueued() {
    while (m_outbox.inFlight() < Window) {
        const Message* message = m_outbox.nextUnsent();
        if (!message)
            break;
        int mid = 0;
        const int rc = mosquitto_publish(m_client, &mid, message->topic.constData(),
                                         int(message->payload.size()), message->payload.constData(),
                                         AtLeastOnce, message->retained);
        if (rc != MOSQ_ERR_SUCCESS) {
            lose(libraryError(rc, errno));
            return;
        }
        m_outbox.sent(mid);
    }
    // The status goes last, after every reading of the run.
    if (m_closing && m_outbox.empty() && m_offlineMid < 0)
        publishStatus(false);
    watchWrites();
}

void BrokerConnection::publishStatus(bool online) {
    const QByteArray statusTopic = topic("status");
    const char* status = online ? Online : Offline;
    int mid = 0;
    mosquitto_publish(m_client, &mid, statusTopic.constData(), int(std::strlen(status)), status,
                      AtLeastOnce, true);
    if (!online)
        m_offlineMid = mid;
}

void BrokerConnection::setRetained(const QByteArray& topic, QByteArray payload) {
    const auto it = m_retained.find(topic);
    if (it != m_retained.end() && it->second == payload)
        return;
    const QByteArray& stored = m_retained.insert_or_assign(topic, std::move(payload)).first->second;
    if (m_phase == Phase::Connected)
        publishRetained(topic, stored);
}

void BrokerConnection::publishRetained(const QByteArray& topic, const QByteArray& payload) {
    mosquitto_publish(m_client, nullptr, topic.constData(), int(payload.size()),
                      payload.constData(), AtLeastOnce, true);
    watchWrites();
}

void BrokerConnection::watchWrites() {
    if (m_writable && m_client)
        m_writable->setEnabled(mosquitto_want_write(m_client));
}

void BrokerConnection::tellDrops() {
    if (m_outbox.dropped() <= m_droppedTold)
        return;
    m_droppedTold = m_outbox.dropped();
    Q_EMIT report(QStringLiteral("%1 readings dropped so far, the oldest first: the queue holds %2")
                      .arg(m_droppedTold)
                      .arg(m_settings.queueBound));
}

void BrokerConnection::close(int graceMs) {
    m_closing = true;
    if (m_phase == Phase::Refused || m_phase == Phase::Closed) {
        finishClose();
        return;
    }
    m_closeTimeout.start(graceMs);
    if (m_outbox.readings() > 0)
        Q_EMIT report(QStringLiteral("%1 readings still queued: up to %2 s to deliver them")
                          .arg(m_outbox.readings())
                          .arg(graceMs / 1000));
    if (m_phase == Phase::Connected)
        sendQueued();
}

void BrokerConnection::finishClose() {
    if (m_phase == Phase::Closed)
        return;
    m_closeTimeout.stop();
    m_retry.stop();
    m_stillDown.stop();
    teardown();
    m_phase = Phase::Closed;
    tellDrops();
    Q_EMIT closed(m_outbox.readings(), m_outbox.empty());
}

} // namespace tarnix::mqtt
