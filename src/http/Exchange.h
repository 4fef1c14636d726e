#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tarnix::http {

// A response's body that comes piece by piece: the event stream, and
// readings too many to hold at once. read() runs on the client's own thread
// and may wait there.
class BodySource {
public:
    virtual ~BodySource() = default;
    // Up to `max` bytes into `to`: how many, or -1 at the end.
    virtual qint64 read(char* to, qint64 max) = 0;
};

struct Request {
    QByteArray method;
    QByteArray path;
    // A query argument, decoded; empty when it is missing.
    std::function<QByteArray(const char* name)> argument;
};

struct Response {
    int status = 200;
    QByteArray contentType = "text/plain; charset=utf-8";
    QByteArray body;
    std::shared_ptr<BodySource> stream; // instead of body, when set
    std::vector<std::pair<QByteArray, QByteArray>> headers;
};

// A short plain-text answer: "404 not found: /x".
Response plainAnswer(int status, const QByteArray& text);

using Handler = std::function<Response(const Request&)>;

} // namespace tarnix::http
