#include "http/HttpServer.h"

#include <arpa/inet.h>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>

namespace tarnix::http {

namespace {

constexpr std::size_t PieceBytes = 32 * 1024;
constexpr std::size_t ThreadStackBytes = 512 * 1024;

MHD_Result answer(void* self, MHD_Connection* connection, const char* url, const char* method,
                  const char*, const char*, std::size_t* uploadSize, void** seen) {
    // GET and HEAD are answered on the second call, once the request is
    // whole, which keeps the connection open for the next one (a scraper's).
    // Any other method is refused at once, on its headers, and its body
    // never read: the connection closes after the answer.
    static char headersSeen;
    const bool reads = std::strcmp(method, "GET") == 0 || std::strcmp(method, "HEAD") == 0;
    if (reads && !std::exchange(*seen, &headersSeen))
        return MHD_YES;
    if (reads && *uploadSize > 0) { // a body with a GET: dropped
        *uploadSize = 0;
        return MHD_YES;
    }
    *uploadSize = 0;
    return static_cast<HttpServer*>(self)->respond(connection, url, method) ? MHD_YES : MHD_NO;
}

ssize_t readBody(void* source, uint64_t, char* to, std::size_t max) {
    const qint64 n = (*static_cast<std::shared_ptr<BodySource>*>(source))->read(to, qint64(max));
    return n < 0 ? MHD_CONTENT_READER_END_OF_STREAM : ssize_t(n);
}

void freeBody(void* source) {
    delete static_cast<std::shared_ptr<BodySource>*>(source);
}

void quiet(void*, const char*, va_list) {}

} // namespace

Response plainAnswer(int status, const QByteArray& text) {
    Response r;
    r.status = status;
    r.body = text + '\n';
    return r;
}

HttpServer::HttpServer(ListenAddress listen, QByteArray token, Handler handler)
    : HttpServer(std::move(listen), std::move(token), std::move(handler), Limits()) {}

HttpServer::HttpServer(ListenAddress listen, QByteArray token, Handler handler, Limits limits)
    : m_listen(std::move(listen)), m_token(std::move(token)), m_handler(std::move(handler)),
      m_limits(limits) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start(QString* error) {
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* address = nullptr;
    unsigned flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL;
    if (m_listen.address.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(m_listen.port);
        const Q_IPV6ADDR bytes = m_listen.address.toIPv6Address();
        std::memcpy(&v6.sin6_addr, &bytes, sizeof bytes);
        address = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(m_listen.port);
        v4.sin_addr.s_addr = htonl(m_listen.address.toIPv4Address());
        address = reinterpret_cast<const sockaddr*>(&v4);
    }
    m_daemon = MHD_start_daemon(
        flags, m_listen.port, nullptr, nullptr, &answer, this, MHD_OPTION_SOCK_ADDR, address,
        MHD_OPTION_CONNECTION_LIMIT, m_limits.connections, MHD_OPTION_CONNECTION_TIMEOUT,
        m_limits.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.requestBytes,
        MHD_OPTION_THREAD_STACK_SIZE, ThreadStackBytes, MHD_OPTION_STRICT_FOR_CLIENT, 1,
        MHD_OPTION_EXTERNAL_LOGGER, &quiet, nullptr, MHD_OPTION_END);
    if (!m_daemon) {
        *error = QStringLiteral("--http: cannot serve on %1 port %2: %3")
                     .arg(m_listen.address.toString())
                     .arg(m_listen.port)
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_listen.port;
    return true;
}

void HttpServer::stop() {
    if (m_daemon)
        MHD_stop_daemon(std::exchange(m_daemon, nullptr));
}

bool HttpServer::respond(MHD_Connection* connection, const char* url, const char* method) {
    const QByteArray verb(method);
    Response r;
    if (verb != "GET" && verb != "HEAD") {
        r = plainAnswer(MHD_HTTP_METHOD_NOT_ALLOWED,
                        "405 only GET and HEAD: this server changes nothing");
        r.headers.emplace_back("Allow", "GET, HEAD");
    } else if (!tokenAccepted(
                   m_token,
                   MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                               MHD_HTTP_HEADER_AUTHORIZATION),
                   MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "token"))) {
        r = plainAnswer(MHD_HTTP_UNAUTHORIZED,
                        "401 a token is wanted: Authorization: Bearer TOKEN");
        r.headers.emplace_back("WWW-Authenticate", "Bearer");
    } else {
        Request request{verb, QByteArray(url), [connection](const char* name) {
                            return QByteArray(MHD_lookup_connection_value(
                                connection, MHD_GET_ARGUMENT_KIND, name));
                        }};
        r = m_handler(request);
    }
    MHD_Response* response = nullptr;
    if (r.stream) {
        // The response owns the source from here: freeBody lets it go.
        auto* source = new std::shared_ptr<BodySource>(r.stream);
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, PieceBytes, &readBody,
                                                     source, &freeBody);
        if (!response)
            delete source;
    } else {
        response = MHD_create_response_from_buffer(std::size_t(r.body.size()), r.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (!response)
        return false;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, r.contentType.constData());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    for (const auto& [name, value] : r.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(r.status), response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}

} // namespace tarnix::http
