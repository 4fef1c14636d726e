#include "http/BenchRoutes.h"

#include "http/MetricsText.h"
#include "http/StatusJson.h"

#include <cstring>

namespace tarnix::http {

namespace {

// The event stream: the status now, then each one posted, until the
// client goes or the board closes.
class EventStream final : public BodySource {
public:
    explicit EventStream(const BenchBoard& board) : m_board(board) {
        const BenchBoard::Seen now = board.read();
        m_version = now.version;
        m_pending = "retry: 2000\n\n" + readingEvent(now.status);
    }
    qint64 read(char* to, qint64 max) override {
        while (m_pending.isEmpty()) {
            if (m_board.closed())
                return -1;
            if (const auto seen = m_board.next(m_version, BenchRoutes::KeepAlive)) {
                m_version = seen->version;
                m_pending = readingEvent(seen->status);
            } else if (!m_board.closed()) {
                m_pending = ": still here\n\n";
            }
        }
        const qint64 n = std::min<qint64>(max, m_pending.size());
        std::memcpy(to, m_pending.constData(), std::size_t(n));
        m_pending.remove(0, n);
        return n;
    }

private:
    const BenchBoard& m_board;
    quint64 m_version = 0;
    QByteArray m_pending;
};

Response json(const QByteArray& body) {
    Response r;
    r.contentType = "application/json";
    r.body = body + '\n';
    return r;
}

} // namespace

QByteArray readingEvent(const BenchStatus& status) {
    return "event: reading\ndata: " + statusJson(status) + "\n\n";
}

std::optional<Response> BenchRoutes::respond(const Request& request) const {
    if (request.path == "/metrics") {
        Response r;
        r.contentType = "text/plain; version=0.0.4; charset=utf-8";
        r.body = metricsText(m_board.read().status, QStringLiteral(TARNIX_VERSION));
        return r;
    }
    if (request.path == "/api/status")
        return json(statusJson(m_board.read().status));
    if (request.path == "/events") {
        Response r;
        r.contentType = "text/event-stream";
        r.stream = std::make_shared<EventStream>(m_board);
        return r;
    }
    return std::nullopt;
}

} // namespace tarnix::http
