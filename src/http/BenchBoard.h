#pragma once

#include "http/BenchStatus.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tarnix::http {

// The bench's status as the recorder last posted it, shared with the
// server's threads. Posting takes the lock for a copy only, so sampling
// never waits for a client; a client waits for the next post on its own
// thread.
class BenchBoard {
public:
    void post(const BenchStatus& status);
    struct Seen {
        BenchStatus status;
        quint64 version = 0; // one more for every post
    };
    Seen read() const;
    // The status once its version passes `version`, or nothing when `wait`
    // ran out or the board closed first.
    std::optional<Seen> next(quint64 version, std::chrono::milliseconds wait) const;
    // Wakes every waiting client for good: the server is stopping.
    void close();
    bool closed() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_posted;
    BenchStatus m_status;
    quint64 m_version = 0;
    bool m_closed = false;
};

} // namespace tarnix::http
