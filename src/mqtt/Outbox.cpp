#include "mqtt/Outbox.h"

namespace tarnix::mqtt {

bool Outbox::push(Message message) {
    bool kept = true;
    if (size() >= m_bound && !m_messages.empty()) {
        popFront();
        if (m_sent > 0)
            --m_sent;
        ++m_dropped;
        kept = false;
    }
    m_states += message.retained;
    m_messages.push_back({std::move(message)});
    return kept;
}

void Outbox::popFront() {
    m_states -= m_messages.front().message.retained;
    m_messages.pop_front();
}

const Message* Outbox::nextUnsent() const {
    return m_sent < size() ? &m_messages[size_t(m_sent)].message : nullptr;
}

void Outbox::sent(int mid) {
    if (m_sent < size())
        m_messages[size_t(m_sent++)].mid = mid;
}

void Outbox::acknowledged(int mid) {
    for (qsizetype i = 0; i < m_sent; ++i)
        if (m_messages[size_t(i)].mid == mid)
            m_messages[size_t(i)].acknowledged = true;
    while (m_sent > 0 && m_messages.front().acknowledged) {
        popFront();
        --m_sent;
    }
}

void Outbox::resend() {
    for (qsizetype i = 0; i < m_sent; ++i)
        m_messages[size_t(i)] = {std::move(m_messages[size_t(i)].message)};
    m_sent = 0;
}

} // namespace tarnix::mqtt
