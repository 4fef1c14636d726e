#pragma once

#include "http/Exchange.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tarnix::http {

// A body that a writer produces on a thread of its own, a piece at a time,
// never more than `ahead` bytes before the client: a slow client holds the
// writer back, not memory. A client that goes away ends the writer at its
// next piece (its write returns false).
class ProducedBody final : public BodySource {
public:
    using Write = std::function<bool(QByteArrayView)>;
    static constexpr qint64 Ahead = 2 << 20;

    explicit ProducedBody(std::function<void(const Write&)> produce);
    ~ProducedBody() override;
    qint64 read(char* to, qint64 max) override;

private:
    bool write(QByteArrayView bytes);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_pieces;
    qint64 m_queued = 0;  // bytes in m_pieces
    qint64 m_readOfFirst = 0;
    bool m_done = false;  // the writer has written all
    bool m_gone = false;  // the client has gone
    std::thread m_writer; // last: it starts once the rest is ready
};

} // namespace tarnix::http
