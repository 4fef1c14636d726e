#pragma once

#include "http/BenchBoard.h"
#include "http/Exchange.h"

namespace tarnix::http {

// What the server answers about the bench: /metrics, /api/status and the
// event stream /events. Anything else is for the next handler.
class BenchRoutes {
public:
    explicit BenchRoutes(const BenchBoard& board) : m_board(board) {}
    // Nothing when the path is not one of these.
    std::optional<Response> respond(const Request& request) const;

    // How long an idle event stream waits before it sends a comment, so
    // that proxies and the server's idle limit keep it open.
    static constexpr std::chrono::milliseconds KeepAlive{10000};

private:
    const BenchBoard& m_board;
};

// One server-sent event: "event: reading\ndata: {...}\n\n".
QByteArray readingEvent(const BenchStatus& status);

} // namespace tarnix::http
