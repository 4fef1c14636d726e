#pragma once

#include "http/Access.h"
#include "http/Exchange.h"

#include <QString>

struct MHD_Daemon;
struct MHD_Connection;

namespace tarnix::http {

// A read-only HTTP server on threads of its own (libmicrohttpd, one thread
// a connection), so that no client ever holds up sampling. It answers GET
// and HEAD only, checks the token, bounds connections, their memory and
// idle time, and hands every request it accepts to `handler` on the
// client's thread.
class HttpServer {
public:
    struct Limits {
        unsigned connections = 64;
        unsigned idleSeconds = 15; // a client that sends nothing for this long is dropped
        std::size_t requestBytes = 16 * 1024; // request line and headers
    };
    HttpServer(ListenAddress listen, QByteArray token, Handler handler);
    HttpServer(ListenAddress listen, QByteArray token, Handler handler, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // False, with the reason, when the address cannot be taken.
    bool start(QString* error);
    // The port it listens on (the one chosen, for a port of 0).
    quint16 port() const { return m_port; }
    // Ends every connection and waits for their threads; a body that waits
    // must end its wait first (BenchBoard::close()).
    void stop();

    // The answer to one request, on the client's thread (libmicrohttpd's
    // callback calls it).
    bool respond(MHD_Connection* connection, const char* url, const char* method);

private:
    ListenAddress m_listen;
    QByteArray m_token;
    Handler m_handler;
    Limits m_limits;
    MHD_Daemon* m_daemon = nullptr;
    quint16 m_port = 0;
};

} // namespace tarnix::http
