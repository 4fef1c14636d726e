// The web server: where it listens and who it lets in, what it answers to
// bad requests over a real socket, the metrics text and the event stream.
#include "http/Access.h"
#include "http/BenchBoard.h"
#include "http/BenchRoutes.h"
#include "http/FileRoutes.h"
#include "http/HttpServer.h"
#include "http/MetricsText.h"
#include "http/PageRoutes.h"
#include "core/FileCommands.h"
#include "meter/Measurement.h"
#include "platform/RealClock.h"
#include "support/DataRow.h"
#include "support/FileBytes.h"

#include <QTcpSocket>
#include <thread>
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

// A GET as HTTP/1.0, so that the body comes whole, not in chunks, and the
// server closes: its status line, and the body in `body`.
QByteArray fetch(quint16 port, const QByteArray& target, QByteArray* body = nullptr, int quietMs = 3000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return "no connection";
    socket.write("GET " + target + " HTTP/1.0\r\n\r\n");
    QByteArray got;
    while (socket.waitForReadyRead(quietMs))
        got += socket.readAll();
    got += socket.readAll();
    if (body)
        *body = got.mid(got.indexOf("\r\n\r\n") + 4);
    return got.left(got.indexOf("\r\n"));
}

// Two recordings in a folder: a.dat, four DCV readings from 08:00:00 local
// time, one of them OL; b.dat, two ACV readings an hour later.
const QByteArray RecordingA = "1,26/12/05,08:00:00.0,DCV,200mV,1.00\r\n"
                              "2,26/12/05,08:00:01.0,DCV,200mV,2.00\r\n"
                              "3,26/12/05,08:00:02.0,DCV,200mV,OL\r\n"
                              "4,26/12/05,08:00:03.0,DCV,200mV,4.00\r\n";
const QByteArray RecordingB = "1,26/12/05,09:00:00.0,ACV,2V,1.500\r\n"
                              "2,26/12/05,09:00:01.0,ACV,2V,1.600\r\n";

// The bench's routes, then the recorded files' of `folder`: what tarnix-log
// serves, started on a port of its own.
struct ServedBench {
    explicit ServedBench(const QString& folder, const QStringList& names = {"a.dat", "b.dat"})
        : files(http::ServedFiles([folder, names] {
                    QStringList paths;
                    for (const QString& name : names)
                        paths << folder + '/' + name;
                    return paths;
                }),
                clock),
          server({QHostAddress(QHostAddress::LocalHost), 0, false}, {},
                 [this](const http::Request& r) {
                     if (auto bench = routes.respond(r))
                         return *bench;
                     return files.respond(r).value_or(http::plainAnswer(404, "404 not found"));
                 }) {
        [this] {
            QString error;
            QVERIFY2(server.start(&error), qPrintable(error));
        }();
    }
    http::BenchBoard board;
    const http::BenchRoutes routes{board};
    platform::RealClock clock;
    http::FileRoutes files;
    http::HttpServer server;
};

} // namespace

class TestHttp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listenAddresses_data();
    void listenAddresses();
    void tokens_data();
    void tokens();
    void badRequests_data();
    void badRequests();
    void readingsAsConvertWritesThem_data();
    void readingsAsConvertWritesThem();
    void trendColumnsFollowAGrowingRecording();
    void aTrendBeingReadHoldsUpNoOther();
    void recordingsServedAsWritten_data();
    void namesTellFilesApart_data();
    void namesTellFilesApart();
    void recordingsServedAsWritten();
    void scraperKeepsItsConnection();
    void metrics();
    void pageComesFromTheProgram();
    void eventsFollowTheBench();

private:
    QTemporaryDir m_dir;
};

void TestHttp::listenAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("given");
    row("port alone: loopback", "8080", "127.0.0.1", 8080, false);
    row("every address", "0.0.0.0:80", "0.0.0.0", 80, true);
    row("loopback written out", "127.0.0.1:9", "127.0.0.1", 9, true);
    row("IPv6 in brackets", "[::1]:8080", "::1", 8080, true);
    row("IPv6 without", "::1:8080", "", 0, false);
    row("a name", "bench:8080", "", 0, false);
    row("port 0", "0", "", 0, false);
    row("port too big", "65536", "", 0, false);
    row("signed port", "+80", "", 0, false);
    row("no port", "127.0.0.1:", "", 0, false);
}

void TestHttp::listenAddresses() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    QString error;
    const auto listen = http::parseListenAddress(text, &error);
    QCOMPARE(bool(listen), !address.isEmpty());
    if (!listen) {
        QVERIFY(error.startsWith("--http " + text + ": "));
        return;
    }
    QCOMPARE(listen->address.toString(), address);
    QTEST(int(listen->port), "port");
    QTEST(listen->addressGiven, "given");
}

void TestHttp::tokens_data() {
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("authorization");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("accepted");
    using B = QByteArray;
    row("loopback without one", B(), B(), B(), true);
    row("missing", B("s3cret"), B(), B(), false);
    row("wrong", B("s3cret"), B("Bearer s3cre"), B(), false);
    row("longer", B("s3cret"), B("Bearer s3cret2"), B(), false);
    row("right", B("s3cret"), B("Bearer s3cret"), B(), true);
    row("another scheme", B("s3cret"), B("Basic s3cret"), B(), false);
    row("in the query", B("s3cret"), B(), B("s3cret"), true);
    row("a wrong header wins", B("s3cret"), B("Bearer x"), B("s3cret"), false);
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
    QVERIFY(writeFile(credentials.filePath("http-token"), "from-systemd\n"));
    QCOMPARE(http::serverToken(lan, {{}, credentials.path()}, &error).value(), "from-systemd");
    QCOMPARE(http::serverToken(lan, {"env", credentials.path()}, &error).value(), "env");
}

void TestHttp::badRequests_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");
    using B = QByteArray;
    const B host = " HTTP/1.1\r\nHost: bench\r\n\r\n", bad = "400 Bad Request";
    row("fine", "GET /api/status" + host, B("200 OK"));
    row("head", "HEAD /api/status" + host, B("200 OK"));
    row("unknown path", "GET /nothing" + host, B("404 Not Found"));
    row("traversal", "GET /../../etc/passwd" + host, B("404 Not Found"));
    row("post", B("POST /api/status HTTP/1.1\r\nHost: b\r\nContent-Length: 3\r\n\r\nabc"),
        B("405 Method Not Allowed"));
    row("delete", "DELETE /api/status" + host, B("405 Method Not Allowed"));
    row("made up", "BREW /pot" + host, B("405 Method Not Allowed"));
    row("unknown version", B("GET / HTTP/7.0\r\nHost: b\r\n\r\n"),
        B("505 HTTP Version Not Supported"));
    row("bytes, no request", B("\x01\x02\xff junk\r\n\r\n"), bad);
    row("no host", B("GET / HTTP/1.1\r\n\r\n"), bad);
    row("file by path", "GET /api/readings?file=..%2Fa.dat" + host, B("404 Not Found"));
    row("unknown file", "GET /api/trend?file=c.dat" + host, B("404 Not Found"));
    row("bad time", "GET /api/readings?from=yesterday" + host, bad);
    row("ends swapped", "GET /api/trend?from=2026-12-05T09:00&to=2026-12-05T08:00" + host, bad);
    row("bad format", "GET /api/readings?format=xml" + host, bad);
    row("columns=10^9", "GET /api/trend?columns=1000000000" + host, bad);
    row("no columns", "GET /api/trend?columns=0" + host, bad);
    row("100 years", "GET /api/trend?from=1970-01-01&to=2070-01-01&columns=4000" + host,
        B("200 OK"));
    row("huge header", "GET / HTTP/1.1\r\nHost: b\r\nX-Big: " + B(64 * 1024, 'x') + "\r\n\r\n",
        B("431 Request Header Fields Too Large"));
}

// Bad requests get their status in bounded time, and the server goes on.
void TestHttp::badRequests() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    ServedBench bench(m_dir.path());
    QElapsedTimer answered;
    answered.start();
    QCOMPARE(statusLine(bench.server.port(), request), "HTTP/1.1 " + status);
    QVERIFY(answered.elapsed() < 2000);
    QCOMPARE(statusLine(bench.server.port(), "GET /metrics HTTP/1.1\r\nHost: b\r\n\r\n"),
             QByteArray("HTTP/1.1 200 OK"));
}

void TestHttp::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (const auto& [name, text] : {std::pair{"a.dat", RecordingA}, {"b.dat", RecordingB}})
        QVERIFY(writeFile(m_dir.filePath(name), text));
}

void TestHttp::readingsAsConvertWritesThem_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("expected"); // "convert": convert's CSV of the same span
    using B = QByteArray;
    row("all, as CSV", B(""), B("convert"));
    row("a span, as CSV", B("from=2026-12-05T08:00:01&to=2026-12-05T09:00:01"), B("convert"));
    row("the data file's lines", B("format=dat&from=2026-12-05T08:00:03&to=2026-12-05T09:00:01"),
        RecordingA.mid(RecordingA.lastIndexOf("4,")) + RecordingB.left(RecordingB.indexOf("2,")));
    row("one file as JSON lines", B("format=jsonl&file=b.dat&to=2026-12-05T09:00:01"),
        B("{\"time\":\"2026-12-05T09:00:00.000"));
}

// The readings of a span: CSV byte for byte as convert writes it.
void TestHttp::readingsAsConvertWritesThem() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, expected);
    ServedBench bench(m_dir.path());
    QByteArray body;
    QCOMPARE(fetch(bench.server.port(), "/api/readings?" + query, &body),
             QByteArray("HTTP/1.1 200 OK"));
    if (expected != "convert") {
        QVERIFY2(body.startsWith(expected), body.constData());
        QCOMPARE(body.count('\n'), expected.count('\n') ? expected.count('\n') : 1);
        return;
    }
    core::ConvertOptions options;
    options.inputs = QStringList{m_dir.filePath("a.dat"), m_dir.filePath("b.dat")};
    options.output = "-";
    for (const QByteArray& pair : query.split('&'))
        if (pair.contains('='))
            (pair.startsWith("from") ? options.slice.from : options.slice.to) =
                analysis::sliceTime(QString::fromUtf8(pair.mid(pair.indexOf('=') + 1)));
    QByteArray converted;
    QCOMPARE(core::runConvert(options, {.out = [&](QByteArrayView b) { return converted += b, true; },
                                        .message = [](const QString&) {}}),
             0);
    QCOMPARE(body, converted);
    QVERIFY(body.count('\n') > 2);
}

// Prometheus scrapes on one connection: the next request is answered on it.
void TestHttp::scraperKeepsItsConnection() {
    ServedBench bench(m_dir.path());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, bench.server.port());
    QVERIFY(socket.waitForConnected(2000));
    QByteArray got;
    for (int i = 0; i < 2; ++i) {
        socket.write("GET /metrics HTTP/1.1\r\nHost: b\r\n\r\n");
        while (got.count("tarnix_build_info{") <= i && socket.waitForReadyRead(3000))
            got += socket.readAll();
    }
    QCOMPARE(got.count("HTTP/1.1 200 OK"), 2);
    QVERIFY(!got.contains("Connection: close"));
}

// Columns of equal time, each with its readings' extremes, first and last;
// OL is no number, an empty column null. While the recording grows, its
// trend follows: a line appended is in the next answer.
void TestHttp::trendColumnsFollowAGrowingRecording() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(m_dir.filePath("a.dat"), dir.filePath("a.dat")));
    ServedBench bench(dir.path());
    QByteArray body;
    QCOMPARE(fetch(bench.server.port(),
                   "/api/trend?file=a.dat&from=2026-12-05T08:00:00&to=2026-12-05T08:00:06&columns=3",
                   &body),
             QByteArray("HTTP/1.1 200 OK"));
    QVERIFY2(body.contains(R"("function":"DCV","range":"200mV","unit":"V","min":[0.001,0.004,null],)"
                           R"("max":[0.002,0.004,null],"first":[0.001,null,null],"last":[0.002,0.004,null]})"),
             body.constData());
    QFile file(dir.filePath("a.dat"));
    QVERIFY(file.open(QIODevice::Append) && file.write("5,26/12/05,08:00:04.0,DCV,200mV,5.00\r\n"));
    file.close();
    fetch(bench.server.port(), "/api/trend?file=a.dat&columns=1", &body);
    QVERIFY2(body.contains(R"("max":[0.005],"first":[0.001],"last":[0.005])"), body.constData());
}

// A trend whose file is still being read (a year takes seconds) leaves the
// other files' trends answering at once.
void TestHttp::aTrendBeingReadHoldsUpNoOther() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(m_dir.filePath("a.dat"), dir.filePath("a.dat")));
    const int Records = 2'000'000; // some 80 MB, a tenth of a second or more to read
    // The same line with its time moved on: the day at 8, hh:mm:ss at 11.
    QByteArray lines;
    char line[] = "1,26/12/05,00:00:00.0,ACV,2V,1.500\r\n";
    const auto two = [&line](int at, int value) {
        line[at] = char('0' + value / 10), line[at + 1] = char('0' + value % 10);
    };
    for (int i = 0; i < Records; ++i) {
        const int s = i % 86400;
        two(8, 5 + i / 86400), two(11, s / 3600), two(14, s / 60 % 60), two(17, s % 60);
        lines.append(line, sizeof line - 1);
    }
    QVERIFY(writeFile(dir.filePath("b.dat"), lines));
    ServedBench bench(dir.path());
    const quint16 port = bench.server.port();
    QElapsedTimer clock;
    clock.start();
    qint64 bigMs = 0;
    QByteArray bigStatus;
    std::thread reading([&] {
        // Seconds without a byte while it is read, with the sanitizers.
        bigStatus = fetch(port, "/api/trend?file=b.dat&columns=1", nullptr, 60000);
        bigMs = clock.elapsed();
    });
    QThread::msleep(30); // its request is in
    QByteArray body;
    const qint64 smallFrom = clock.elapsed();
    const QByteArray status = fetch(port, "/api/trend?file=a.dat&columns=1", &body);
    const qint64 smallMs = clock.elapsed() - smallFrom; // its own wait, not the pause before it
    reading.join();
    QCOMPARE(status, QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(bigStatus, QByteArray("HTTP/1.1 200 OK"));
    QVERIFY2(body.contains(R"("last":[0.004])"), body.constData());
    QVERIFY2(smallMs < bigMs / 2, qPrintable(QStringLiteral("%1 ms, the big one %2 ms").arg(smallMs).arg(bigMs)));
}

// A recorder that writes CSV or JSON lines offers its files as written,
// sliced by time; the trend, which reads data files, says so.
void TestHttp::recordingsServedAsWritten_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("target"); // the request
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");   // what it starts with
    const QByteArray csv = "time,value,unit,function,range,display\r\n"
                           "2026-12-05T08:00:00.000+01:00,0.001,V,DCV,200mV,1.00\r\n"
                           "2026-12-05T08:00:01.000+01:00,0.002,V,DCV,200mV,2.00\r\n"
                           "2026-12-05T08:00:02.000+01:00,0.003,V,DCV,200mV,3.0"; // still being written
    const QByteArray jsonl = R"({"time":"2026-12-05T07:00:00.000Z","seq":1,"display":"1.00"})" "\n"
                             R"({"time":"2026-12-05T07:00:01.000Z","seq":2,"display":"2.00"})" "\n";
    using B = QByteArray;
    row("CSV listed", B("c.csv"), csv, B("/api/files"), B("200 OK"),
        B(R"([{"name":"c.csv","bytes":199,"format":"csv","first":"2026-12-05T07:00:00.000Z",)"
          R"("last":"2026-12-05T07:00:01.000Z"}])"));
    row("CSV sliced, under its header", B("c.csv"), csv,
        B("/api/readings?from=2026-12-05T07:00:01Z"), B("200 OK"),
        B("time,value,unit,function,range,display\r\n"
          "2026-12-05T08:00:01.000+01:00,0.002,V,DCV,200mV,2.00\r\n"));
    row("CSV as a data file", B("c.csv"), csv, B("/api/readings?format=dat"), B("400 Bad Request"),
        B("400 this recording is written as csv"));
    row("CSV trend", B("c.csv"), csv, B("/api/trend"), B("422 Unprocessable Content"),
        B("422 the trend reads data files"));
    row("JSON lines listed", B("j.jsonl"), jsonl, B("/api/files"), B("200 OK"),
        B(R"([{"name":"j.jsonl","bytes":122,"format":"jsonl","first":"2026-12-05T07:00:00.000Z",)"
          R"("last":"2026-12-05T07:00:01.000Z"}])"));
    row("JSON lines sliced", B("j.jsonl"), jsonl,
        B("/api/readings?format=jsonl&to=2026-12-05T07:00:01Z"), B("200 OK"),
        jsonl.left(jsonl.indexOf('\n') + 1));
}

void TestHttp::recordingsServedAsWritten() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QString::fromLatin1(name)), text));
    ServedBench bench(dir.path(), {QString::fromLatin1(name)});
    QByteArray got;
    QCOMPARE(fetch(bench.server.port(), target, &got), "HTTP/1.1 " + status);
    QVERIFY2(got.startsWith(body), got.constData());
    if (status == "200 OK" && target.startsWith("/api/readings"))
        QCOMPARE(got, body);
}

// Files of one name from two folders are offered by their folders' names too.
void TestHttp::namesTellFilesApart_data() {
    QTest::addColumn<QString>("paths");
    QTest::addColumn<QString>("names");
    row("names alone", "/d/a.dat /d/b.dat", "a.dat b.dat");
    row("one name twice", "/l/bench1/a.dat /l/bench2/a.dat /l/b.dat",
        "bench1/a.dat bench2/a.dat b.dat");
    row("folders of one name too", "/x/bench/a.dat /y/bench/a.dat /z/a.dat",
        "x/bench/a.dat y/bench/a.dat z/a.dat");
}

void TestHttp::namesTellFilesApart() {
    QFETCH(QString, paths);
    QTEST(http::servedNames(paths.split(u' ')).join(u' '), "names");
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
    ServedBench bench(m_dir.path());
    bench.board.post(dcvStatus("1.00"));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, bench.server.port());
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
    bench.board.post(dcvStatus("2.00"));
    QVERIFY(waitFor("event: reading\ndata: {\"time\""));
    QVERIFY(waitFor("\"display\":\"2.00\""));
    QVERIFY(heard.elapsed() < 500);
    bench.board.close();
    bench.server.stop();
}

QTEST_GUILESS_MAIN(TestHttp)
#include "test_http.moc"
