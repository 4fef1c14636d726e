// The web server: where it listens and who it lets in, what it answers to
// bad requests over a real socket, the metrics text and the event stream.
#include "http/Access.h"
#include "http/BenchBoard.h"
#include "http/BenchRoutes.h"
#include "http/HttpServer.h"
#include "http/MetricsText.h"
#include "http/PageRoutes.h"
#include "meter/Measurement.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnix;

namespace {

// The status line a raw request gets: "HTTP/1.1 404 Not Found", or what
// came instead.
QByteArray statusLine(quint16 port, const QByteArray& raw) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return "no connection";
    socket.write(raw);
    QByteArray got;
    while (!got.contains("\r\n") && socket.waitForReadyRead(3000))
        got += socket.readAll();
    return got.left(got.indexOf("\r\n"));
}

http::BenchStatus dcvStatus(const QString& display) {
    http::BenchStatus s;
    s.recording = true;
    s.model = QStringLiteral("HBQ750");
    s.port = QStringLiteral("/dev/ttyUSB0");
    s.meterAnswers = true;
    s.reading = meter::measurementFromTexts("DCV", "200mV", display);
    s.alarm = {records::SampleAlarm::State::Over, "-OL", "15.00"};
    s.lastSample = QDateTime::fromMSecsSinceEpoch(1781000000500, QTimeZone::utc());
    s.samples = 12;
    s.lines = 11;
    return s;
}

} // namespace

class TestHttp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listenAddresses_data();
    void listenAddresses();
    void tokens_data();
    void tokens();
    void badRequests_data();
    void badRequests();
    void metrics();
    void pageComesFromTheProgram();
    void eventsFollowTheBench();
};

void TestHttp::listenAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("given");
    QTest::newRow("port alone: loopback") << "8080"
                                          << "127.0.0.1" << 8080 << false;
    QTest::newRow("every address") << "0.0.0.0:80"
                                   << "0.0.0.0" << 80 << true;
    QTest::newRow("loopback written out") << "127.0.0.1:9"
                                          << "127.0.0.1" << 9 << true;
    QTest::newRow("IPv6 in brackets") << "[::1]:8080"
                                      << "::1" << 8080 << true;
    QTest::newRow("IPv6 without") << "::1:8080"
                                  << "" << 0 << false;
    QTest::newRow("a name") << "bench:8080"
                            << "" << 0 << false;
    QTest::newRow("port 0") << "0"
                            << "" << 0 << false;
    QTest::newRow("port too big") << "65536"
                                  << "" << 0 << false;
    QTest::newRow("signed port") << "+80"
                                 << "" << 0 << false;
    QTest::newRow("no port") << "127.0.0.1:"
                             << "" << 0 << false;
}

void TestHttp::listenAddresses() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(bool, given);
    QString error;
    const auto listen = http::parseListenAddress(text, &error);
    QCOMPARE(bool(listen), !address.isEmpty());
    if (!listen) {
        QVERIFY(error.startsWith("--http " + text + ": "));
        return;
    }
    QCOMPARE(listen->address.toString(), address);
    QCOMPARE(int(listen->port), port);
    QCOMPARE(listen->addressGiven, given);
}

void TestHttp::tokens_data() {
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("authorization");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("loopback without one") << QByteArray() << QByteArray() << QByteArray() << true;
    QTest::newRow("missing") << QByteArray("s3cret") << QByteArray() << QByteArray() << false;
    QTest::newRow("wrong") << QByteArray("s3cret") << QByteArray("Bearer s3cre") << QByteArray()
                           << false;
    QTest::newRow("longer") << QByteArray("s3cret") << QByteArray("Bearer s3cret2") << QByteArray()
                            << false;
    QTest::newRow("right") << QByteArray("s3cret") << QByteArray("Bearer s3cret") << QByteArray()
                           << true;
    QTest::newRow("another scheme")
        << QByteArray("s3cret") << QByteArray("Basic s3cret") << QByteArray() << false;
    QTest::newRow("in the query") << QByteArray("s3cret") << QByteArray() << QByteArray("s3cret")
                                  << true;
    QTest::newRow("a wrong header wins")
        << QByteArray("s3cret") << QByteArray("Bearer x") << QByteArray("s3cret") << false;
}

void TestHttp::tokens() {
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, authorization);
    QFETCH(QByteArray, query);
    QFETCH(bool, accepted);
    QCOMPARE(http::tokenAccepted(expected, authorization, query), accepted);
    // The same over a socket.
    http::HttpServer server({QHostAddress(QHostAddress::LocalHost), 0, false}, expected,
                            [](const http::Request&) { return http::plainAnswer(200, "ok"); });
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QByteArray request = "GET /metrics" + (query.isEmpty() ? "" : "?token=" + query) +
                         " HTTP/1.1\r\nHost: bench\r\n";
    if (!authorization.isEmpty())
        request += "Authorization: " + authorization + "\r\n";
    QCOMPARE(statusLine(server.port(), request + "\r\n"),
             accepted ? QByteArray("HTTP/1.1 200 OK") : QByteArray("HTTP/1.1 401 Unauthorized"));

    // An address of the user's own wants a token; the service's credential gives one.
    QTemporaryDir credentials;
    const http::ListenAddress lan{QHostAddress(QStringLiteral("0.0.0.0")), 80, true};
    QVERIFY(!http::serverToken(lan, {}, &error) && error.contains("TARNIX_HTTP_TOKEN"));
    QVERIFY(http::serverToken({QHostAddress(QHostAddress::LocalHost), 80, true}, {}, &error));
    QFile file(credentials.filePath("http-token"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("from-systemd\n"));
    file.close();
    QCOMPARE(http::serverToken(lan, {{}, credentials.path()}, &error).value(), "from-systemd");
    QCOMPARE(http::serverToken(lan, {"env", credentials.path()}, &error).value(), "env");
}

void TestHttp::badRequests_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");
    const QByteArray host = " HTTP/1.1\r\nHost: bench\r\n\r\n";
    QTest::newRow("fine") << "GET /api/status" + host << QByteArray("200 OK");
    QTest::newRow("head") << "HEAD /api/status" + host << QByteArray("200 OK");
    QTest::newRow("unknown path") << "GET /nothing" + host << QByteArray("404 Not Found");
    QTest::newRow("traversal") << "GET /../../etc/passwd" + host << QByteArray("404 Not Found");
    QTest::newRow("post")
        << QByteArray("POST /api/status HTTP/1.1\r\nHost: b\r\nContent-Length: 3\r\n\r\nabc")
        << QByteArray("405 Method Not Allowed");
    QTest::newRow("delete") << "DELETE /api/status" + host << QByteArray("405 Method Not Allowed");
    QTest::newRow("made up") << "BREW /pot" + host << QByteArray("405 Method Not Allowed");
    QTest::newRow("unknown version") << QByteArray("GET / HTTP/7.0\r\nHost: b\r\n\r\n")
                                     << QByteArray("505 HTTP Version Not Supported");
    QTest::newRow("bytes, no request")
        << QByteArray("\x01\x02\xff junk\r\n\r\n") << QByteArray("400 Bad Request");
    QTest::newRow("no host") << QByteArray("GET / HTTP/1.1\r\n\r\n")
                             << QByteArray("400 Bad Request");
    QTest::newRow("huge header") << "GET / HTTP/1.1\r\nHost: b\r\nX-Big: " +
                                        QByteArray(64 * 1024, 'x') + "\r\n\r\n"
                                 << QByteArray("431 Request Header Fields Too Large");
}

// Bad requests get their status in bounded time, and the server goes on.
void TestHttp::badRequests() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    http::BenchBoard board;
    const http::BenchRoutes routes(board);
    http::HttpServer server(
        {QHostAddress(QHostAddress::LocalHost), 0, false}, {}, [&routes](const http::Request& r) {
            return routes.respond(r).value_or(http::plainAnswer(404, "404 not found"));
        });
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QCOMPARE(statusLine(server.port(), request), "HTTP/1.1 " + status);
    QCOMPARE(statusLine(server.port(), "GET /metrics HTTP/1.1\r\nHost: b\r\n\r\n"),
             QByteArray("HTTP/1.1 200 OK"));
}

void TestHttp::metrics() {
    const http::BenchStatus s = dcvStatus("-12.34");
    const QByteArray text = http::metricsText(s, "1.2.3");
    const QByteArray labels = R"({function="DCV",range="200mV",unit="V"})";
    QVERIFY(text.contains("tarnix_reading_volts" + labels + " -0.01234\n"));
    QVERIFY(text.contains("tarnix_alarm_limit_volts" + labels.chopped(1) +
                          ",bound=\"high\"} 0.01500\n"));
    QVERIFY(text.contains(",bound=\"low\"} NaN\n"));
    QVERIFY(text.contains("tarnix_alarm_state{state=\"over\"} 1\n"));
    QVERIFY(text.contains("tarnix_alarm_state{state=\"ok\"} 0\n"));
    QVERIFY(text.contains("tarnix_last_sample_timestamp_seconds 1781000000.500\n"));
    QVERIFY(text.contains("tarnix_build_info{version=\"1.2.3\"} 1\n"));
    QVERIFY(!text.contains("mqtt")); // only when publishing
    QVERIFY(http::metricsText(dcvStatus("OL"), "1").contains("tarnix_reading_overload 1\n"));
    // Prometheus' own checker finds nothing to say, when it is installed.
    const QString promtool = QStandardPaths::findExecutable("promtool");
    if (promtool.isEmpty())
        return;
    QProcess check;
    check.start(promtool, {"check", "metrics"});
    check.write(text);
    check.closeWriteChannel();
    QVERIFY(check.waitForFinished(10000));
    QCOMPARE(check.readAllStandardOutput() + check.readAllStandardError(), QByteArray());
    QCOMPARE(check.exitCode(), 0);
}

// The page, its script and its style are built in; the page may run only
// them and talk only to this server.
void TestHttp::pageComesFromTheProgram() {
    const auto page = [](const char* path) {
        return http::pageResponse({"GET", path, [](const char*) { return QByteArray(); }});
    };
    QVERIFY(page("/")->body.contains("<script src=\"/app.js\" defer></script>"));
    QCOMPARE(page("/")->contentType, "text/html; charset=utf-8");
    QCOMPARE(page("/app.js")->contentType, "text/javascript; charset=utf-8");
    QVERIFY(page("/app.css")->body.contains("prefers-color-scheme: dark"));
    QVERIFY(!page("/index.html") && !page("/page/app.js"));
    const auto policy = page("/")->headers.front();
    QCOMPARE(policy.first, "Content-Security-Policy");
    QVERIFY(policy.second.contains("script-src 'self'") &&
            policy.second.contains("default-src 'none'"));
}

// A client on the event stream hears each post at once, and a stopping
// server ends the stream.
void TestHttp::eventsFollowTheBench() {
    http::BenchBoard board;
    board.post(dcvStatus("1.00"));
    const http::BenchRoutes routes(board);
    http::HttpServer server({QHostAddress(QHostAddress::LocalHost), 0, false}, {},
                            [&routes](const http::Request& r) {
                                return routes.respond(r).value_or(http::plainAnswer(404, "no"));
                            });
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("GET /events HTTP/1.1\r\nHost: b\r\n\r\n");
    QByteArray got;
    const auto waitFor = [&](const QByteArray& text) {
        while (!got.contains(text) && socket.waitForReadyRead(2000))
            got += socket.readAll();
        return got.contains(text);
    };
    QVERIFY(waitFor("\"display\":\"1.00\""));
    QVERIFY(got.contains("Content-Type: text/event-stream"));
    QElapsedTimer heard;
    heard.start();
    board.post(dcvStatus("2.00"));
    QVERIFY(waitFor("event: reading\ndata: {\"time\""));
    QVERIFY(waitFor("\"display\":\"2.00\""));
    QVERIFY(heard.elapsed() < 500);
    board.close();
    server.stop();
}

QTEST_GUILESS_MAIN(TestHttp)
#include "test_http.moc"
