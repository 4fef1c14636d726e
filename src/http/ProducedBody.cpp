#include "http/ProducedBody.h"

#include <cstring>

namespace tarnix::http {

ProducedBody::ProducedBody(std::function<void(const Write&)> produce)
    : m_writer([this, produce = std::move(produce)] {
          produce([this](QByteArrayView bytes) { return write(bytes); });
          {
              const std::lock_guard lock(m_mutex);
              m_done = true;
          }
          m_changed.notify_all();
      }) {}

ProducedBody::~ProducedBody() {
    {
        const std::lock_guard lock(m_mutex);
        m_gone = true;
    }
    m_changed.notify_all();
    m_writer.join();
}

bool ProducedBody::write(QByteArrayView bytes) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_gone || m_queued < Ahead; });
    if (m_gone)
        return false;
    if (!bytes.isEmpty()) {
        m_pieces.emplace_back(bytes.toByteArray());
        m_queued += bytes.size();
    }
    lock.unlock();
    m_changed.notify_all();
    return true;
}

qint64 ProducedBody::read(char* to, qint64 max) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done || !m_pieces.empty(); });
    if (m_pieces.empty())
        return -1;
    const QByteArray& first = m_pieces.front();
    const qint64 n = std::min(max, first.size() - m_readOfFirst);
    std::memcpy(to, first.constData() + m_readOfFirst, std::size_t(n));
    m_readOfFirst += n;
    m_queued -= n;
    if (m_readOfFirst == first.size()) {
        m_pieces.pop_front();
        m_readOfFirst = 0;
    }
    lock.unlock();
    m_changed.notify_all();
    return n;
}

} // namespace tarnix::http
