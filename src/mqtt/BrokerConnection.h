#pragma once

#include "mqtt/Outbox.h"
#include "mqtt/PublishSettings.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

struct mosquitto;
class QSocketNotifier;

namespace tarnix::mqtt {

// One broker, kept connected from the network thread: libmosquitto's socket
// is watched by the thread's event loop, so nothing here ever waits. Each
// reading waits in the outbox until the broker acknowledges it; a lost
// connection is tried again with a growing pause, and every reading not yet
// acknowledged goes again, in order.
class BrokerConnection : public QObject {
    Q_OBJECT

public:
    explicit BrokerConnection(PublishSettings settings, QObject* parent = nullptr);
    ~BrokerConnection() override;

    // Each of these runs in the network thread.
    void begin();
    // A reading, or a state that must keep its place among them.
    void enqueue(Message message);
    // A retained message that stands while the run lasts (the bench, the
    // Home Assistant configs): sent now and again on every connection; an
    // empty payload clears the broker's.
    void setRetained(const QByteArray& topic, QByteArray payload);
    // Delivers what is queued and "offline", then disconnects; gives up
    // after `graceMs`. Ends with closed().
    void close(int graceMs);

Q_SIGNALS:
    void report(const QString& line);
    void connected();
    // The broker refused the login: trying again will not help.
    void refused(const QString& reason);
    // After close(): the readings that never reached the broker, and
    // whether every message (the alarm states too) did.
    void closed(qint64 undelivered, bool allDelivered);
    // Connected or not, and the readings waiting for the broker's answer.
    // Connected or not, readings queued, and readings dropped from a full queue so far.
    void stateChanged(bool connected, qsizetype queued, qint64 dropped);

private:
    enum class Phase { Waiting, Connecting, Connected, Refused, Closed };

    void connectNow();
    void afterLibraryCall(int rc);
    void onConnack(int code);
    void lose(const QString& why);
    void teardown();
    void sendQueued();
    void publishStatus(bool online);
    void publishRetained(const QByteArray& topic, const QByteArray& payload);
    void watchWrites();
    void tellDrops();
    void finishClose();
    void tellState();
    QByteArray topic(const char* leaf) const;

    static void connectCallback(mosquitto*, void* self, int code);
    static void disconnectCallback(mosquitto*, void* self, int code);
    static void publishCallback(mosquitto*, void* self, int mid);

    PublishSettings m_settings;
    Outbox m_outbox;
    mosquitto* m_client = nullptr;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QTimer m_housekeeping; // keep-alive pings and their answers
    QTimer m_retry;
    QTimer m_connectTimeout;
    QTimer m_stillDown; // says now and then that the broker is still away
    QTimer m_closeTimeout;
    Phase m_phase = Phase::Waiting;
    int m_retryMs;
    bool m_everConnected = false;
    bool m_toldDown = false;
    bool m_closing = false;
    int m_offlineMid = -1;
    bool m_offlineDelivered = false;
    qint64 m_droppedTold = 0;
    std::map<QByteArray, QByteArray> m_retained;
    std::tuple<bool, qsizetype, qint64> m_toldState{false, 0, 0};
    // What the library's callbacks reported during the last call into it.
    std::optional<int> m_connack;
    bool m_lost = false;
    int m_lostCode = 0;
};

} // namespace tarnix::mqtt
