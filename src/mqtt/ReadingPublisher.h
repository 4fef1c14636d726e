#pragma once

#include "analysis/IntervalSummary.h"
#include "records/AnalysisCsv.h"
#include "records/ReadingJson.h"
#include "mqtt/Json.h"
#include "mqtt/Outbox.h"
#include "mqtt/PublishSettings.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QThread>

namespace tarnix::mqtt {

class BrokerConnection;

// Publishes a run's samples to PREFIX/reading, its bench to PREFIX/meter,
// its alarm state to PREFIX/alarm (when it changes) and its presence to
// PREFIX/status, and --every's summary lines to PREFIX/summary; with Home
// Assistant discovery, a sensor config for each function as it is first
// shown, and one for its mean when its first summary comes. The broker is
// served by a thread of its own: handing a sample over never waits,
// whatever the network does.
// Reports, a refused login and the end of close() come back as signals in
// the caller's thread.
class ReadingPublisher : public QObject {
    Q_OBJECT

public:
    explicit ReadingPublisher(PublishSettings settings, QObject* parent = nullptr);
    ~ReadingPublisher() override;

    // One sample: numbered from 1 in the order given.
    void publish(const QDateTime& at, const meter::Measurement& measurement,
                 const records::SampleAlarm& alarm = {});
    // One summary line of --every, not retained: a line is of its interval.
    void publishSummary(const analysis::SummaryLine& line, records::TimeZoneOut zone);
    // The bench as it is now; sent again only when it changed.
    void setMeter(const MeterFacts& facts);
    // Clears every config Home Assistant discovery may have left under
    // the settings' discovery prefix; close() tells whether they arrived.
    void removeDiscovery();
    // Delivers what is queued, says "offline" and disconnects, giving up
    // after `graceMs`; then closed().
    void close(int graceMs);

    // For a status line: "mqtt connected", "mqtt retrying, 12 queued".
    QString stateText() const;
    // Readings waiting for the broker.
    qsizetype queued() const { return m_queued; }
    // Readings dropped, the oldest first, while the queue was full.
    qint64 lost() const { return m_dropped; }

Q_SIGNALS:
    void report(const QString& line);
    void connected();
    void refused(const QString& reason);
    void closed(qint64 undelivered, bool allDelivered);
    void stateChanged();

private:
    void enqueue(Message message);
    void configure(const QString& function, const QString& unit);
    void configureMean(const QString& function, const QString& unit);
    void setRetained(const QByteArray& topic, const QByteArray& payload);
    QByteArray topic(const char* leaf) const;

    PublishSettings m_settings;
    QThread m_network;
    BrokerConnection* m_connection; // lives in m_network
    qint64 m_seq = 0;
    bool m_connected = false;
    qsizetype m_queued = 0;
    qint64 m_dropped = 0;
    std::optional<MeterFacts> m_meter;
    std::optional<records::SampleAlarm::State> m_alarmTold;
    QHash<QString, QString> m_configured; // function: the unit its sensor was configured for
    QHash<QString, QString> m_meansConfigured; // the same for the sensors of the means
};

} // namespace tarnix::mqtt
