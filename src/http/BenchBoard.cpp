#include "http/BenchBoard.h"

namespace tarnix::http {

void BenchBoard::post(const BenchStatus& status) {
    {
        const std::lock_guard lock(m_mutex);
        m_status = status;
        ++m_version;
    }
    m_posted.notify_all();
}

BenchBoard::Seen BenchBoard::read() const {
    const std::lock_guard lock(m_mutex);
    return {m_status, m_version};
}

std::optional<BenchBoard::Seen> BenchBoard::next(quint64 version,
                                                 std::chrono::milliseconds wait) const {
    std::unique_lock lock(m_mutex);
    if (!m_posted.wait_for(lock, wait, [&] { return m_closed || m_version > version; }) || m_closed)
        return std::nullopt;
    return Seen{m_status, m_version};
}

void BenchBoard::close() {
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_posted.notify_all();
}

bool BenchBoard::closed() const {
    const std::lock_guard lock(m_mutex);
    return m_closed;
}

} // namespace tarnix::http
