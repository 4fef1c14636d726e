#pragma once

#include <QByteArray>
#include <deque>

namespace tarnix::mqtt {

// One message for the broker: a reading, or a retained state such as the
// alarm's, which must arrive in its place among the readings.
struct Message {
    QByteArray topic;
    QByteArray payload;
    bool retained = false;
};

// The readings on their way to the broker, oldest first. A message leaves
// only when the broker has acknowledged it (and everything before it), so
// a lost connection sends again from the first unacknowledged one: the
// subscriber sees every reading in order, at worst some twice, which the
// run's sequence numbers reveal. Past `bound` messages the oldest go.
class Outbox {
public:
    explicit Outbox(qsizetype bound) : m_bound(bound) {}

    // False when the oldest message was dropped to make room.
    bool push(Message message);

    qsizetype size() const { return qsizetype(m_messages.size()); }
    // The messages that are readings, not retained states.
    qsizetype readings() const { return size() - m_states; }
    bool empty() const { return m_messages.empty(); }
    qint64 dropped() const { return m_dropped; }
    // Sent and not yet acknowledged.
    qsizetype inFlight() const { return m_sent; }

    // The next message to send; nullptr when all are on their way.
    const Message* nextUnsent() const;
    // nextUnsent() went out as message `mid`.
    void sent(int mid);
    // The broker acknowledged `mid`; unknown ones (the status) are ignored.
    void acknowledged(int mid);
    // The connection is gone: whatever was not acknowledged goes again.
    void resend();

private:
    void popFront();

    struct Entry {
        Message message;
        int mid = 0;
        bool acknowledged = false;
    };
    std::deque<Entry> m_messages;
    qsizetype m_sent = 0; // the first m_sent entries are on their way
    qsizetype m_bound;
    qint64 m_dropped = 0;
    qsizetype m_states = 0; // retained messages among them
};

} // namespace tarnix::mqtt
