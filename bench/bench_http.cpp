// The web server of tarnix-log, measured from outside as its clients see it:
// /metrics with 20 clients at 10 requests a second each; /api/trend of a
// large recording once it is read; 50 clients on /events, whether every
// sample still comes on its deadline, and what each client costs the
// recorder in memory.
// Usage: bench-http [RECORDS]   (default 10,000,000 for the trend)
#include "SampleRecording.h"
#include "support/HttpGet.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// One GET on a kept connection, as Prometheus scrapes: true once the whole
// answer, as long as its Content-Length, came with 200.
bool getKept(QTcpSocket& socket, const QByteArray& target) {
    socket.write("GET " + target + " HTTP/1.1\r\nHost: bench\r\n\r\n");
    QByteArray got;
    for (qsizetype end = -1, length = -1; socket.waitForReadyRead(5000);) {
        got += socket.readAll();
        if (end < 0 && (end = got.indexOf("\r\n\r\n")) >= 0) {
            const qsizetype at = got.toLower().indexOf("content-length:");
            length = at < 0 ? -1 : got.mid(at + 15, got.indexOf('\r', at) - at - 15).trimmed().toLongLong();
        }
        if (end >= 0 && length >= 0 && got.size() >= end + 4 + length)
            return got.startsWith("HTTP/1.1 200");
    }
    return false;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

// The resident memory of a process, in kB.
long residentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A program of ours on a port, up once it answers.
bool startServing(QProcess& process, const QStringList& arguments, quint16 port) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TARNIX_LOG), arguments);
    for (int i = 0; i < 100; ++i) {
        if (!httpGet(port, "/api/status").isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

void metricsUnderLoad(quint16 port) {
    constexpr int Clients = 20, PerSecond = 10, Seconds = 10;
    std::vector<double> ms;
    std::mutex mutex;
    std::vector<std::thread> clients;
    int failed = 0;
    for (int c = 0; c < Clients; ++c)
        clients.emplace_back([&, c] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            socket.waitForConnected(2000);
            auto next = Clock::now() + std::chrono::milliseconds(c * 1000 / Clients / PerSecond);
            for (int i = 0; i < PerSecond * Seconds; ++i) {
                std::this_thread::sleep_until(next);
                next += std::chrono::milliseconds(1000 / PerSecond);
                const auto start = Clock::now();
                const bool ok = getKept(socket, "/metrics");
                const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                const std::lock_guard lock(mutex);
                ms.push_back(took);
                failed += !ok;
            }
        });
    for (auto& t : clients)
        t.join();
    std::printf("/metrics, %d clients at %d/s for %d s on kept connections: %zu requests, "
                "%d failed, p50 %.2f ms, "
                "p99 %.2f ms, max %.2f ms\n",
                Clients, PerSecond, Seconds, ms.size(), failed, percentile(ms, 0.5),
                percentile(ms, 0.99), percentile(ms, 1.0));
}

void eventClients(quint16 port, qint64 recorderPid) {
    constexpr int Clients = 50, Seconds = 20;
    const long before = residentKb(recorderPid);
    std::atomic<bool> stop = false;
    std::mutex mutex;
    std::vector<double> delays;        // sample to client, ms
    std::vector<qint64> sampleTimes;   // as the first client heard them
    std::vector<std::thread> clients;
    for (int c = 0; c < Clients; ++c)
        clients.emplace_back([&, c] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (!socket.waitForConnected(2000))
                return;
            socket.write("GET /events HTTP/1.0\r\n\r\n");
            QByteArray pending;
            qint64 last = 0; // the sample last heard: status changes come between samples
            bool first = true; // the status as it was on connecting: no new sample
            while (!stop) {
                if (!socket.waitForReadyRead(500))
                    continue;
                pending += socket.readAll();
                const qint64 now = QDateTime::currentMSecsSinceEpoch();
                for (qsizetype at; (at = pending.indexOf("\n\n")) >= 0; pending.remove(0, at + 2)) {
                    const QByteArray event = pending.left(at);
                    const qsizetype t = event.indexOf("\"time\":\"");
                    if (t < 0)
                        continue;
                    const qint64 ms = QDateTime::fromString(
                        QString::fromUtf8(event.mid(t + 8, event.indexOf('"', t + 8) - t - 8)),
                        Qt::ISODateWithMs).toMSecsSinceEpoch();
                    if (std::exchange(last, ms) == ms || std::exchange(first, false))
                        continue;
                    const std::lock_guard lock(mutex);
                    delays.push_back(double(now - ms));
                    if (c == 0)
                        sampleTimes.push_back(ms);
                }
            }
        });
    std::this_thread::sleep_for(std::chrono::seconds(Seconds));
    const long with = residentKb(recorderPid);
    stop = true;
    for (auto& t : clients)
        t.join();
    // On its deadline: the first sample's time plus whole seconds, within 250 ms.
    int late = 0;
    for (std::size_t k = 1; k < sampleTimes.size(); ++k)
        late += std::abs(sampleTimes[k] - sampleTimes[0] - qint64(k) * 1000) > 250;
    std::printf("/events, %d clients for %d s: %zu samples heard by the first, %d late or "
                "missed; sample to client p50 %.0f ms, p99 %.0f ms; recorder memory %ld kB "
                "before, %ld kB with them: %.1f kB a client\n",
                Clients, Seconds, sampleTimes.size(), late, percentile(delays, 0.5),
                percentile(delays, 0.99), before, with, double(with - before) / Clients);
}

void trendOfALargeRecording(long records, const QString& folder) {
    const QString path = folder + QStringLiteral("/large.dat");
    if (!bench::writeRecords(path, records)) {
        std::printf("cannot write %s\n", qPrintable(path));
        return;
    }
    const quint16 port = freePort();
    QProcess server;
    if (!startServing(server, {"serve", "--http", QString::number(port), path}, port)) {
        std::printf("serve did not answer\n");
        return;
    }
    const auto timed = [&](const QByteArray& target) {
        const auto start = Clock::now();
        const bool ok = httpGet(port, target).contains("\"series\"");
        return ok ? std::chrono::duration<double, std::milli>(Clock::now() - start).count() : -1.0;
    };
    const double first = timed("/api/trend?columns=1000");
    // Spans of all of it down to an hour, each at 1,000 columns.
    const char* const Spans[] = {"", "&from=2026-12-10&to=2027-01-10", "&from=2027-01-05&to=2027-01-06",
                                 "&from=2027-01-05T10:00&to=2027-01-05T11:00",
                                 "&from=1970-01-01&to=2070-01-01"};
    std::vector<double> ms;
    for (int round = 0; round < 10; ++round)
        for (const char* span : Spans)
            ms.push_back(timed("/api/trend?columns=1000" + QByteArray(span)));
    std::printf("/api/trend of %ld records at 1000 columns: first read %.0f ms; then %zu requests "
                "(all, a month, a day, an hour, a century): p50 %.1f ms, max %.1f ms%s\n",
                records, first, ms.size(), percentile(ms, 0.5), percentile(ms, 1.0),
                std::count(ms.begin(), ms.end(), -1.0) ? " (some failed)" : "");
    server.terminate();
    server.waitForFinished(5000);
}

} // namespace

int main(int argc, char* argv[]) {
    bench::useBerlinTime();
    QCoreApplication application(argc, argv);
    const long records = argc > 1 ? std::max(1L, std::atol(argv[1])) : 10000000L;
    QTemporaryDir folder;
    QFile load(QStringLiteral("/proc/loadavg"));
    const QByteArray loadAverage = load.open(QIODevice::ReadOnly) ? load.readLine() : "?\n";
    std::printf("%d processors, load average %s", QThread::idealThreadCount(),
                loadAverage.constData());
    const quint16 port = freePort();
    QProcess recorder;
    if (!startServing(recorder,
                      {"record", "--simulate", "--interval", "1", "--http", QString::number(port),
                       folder.filePath(QStringLiteral("live.dat"))},
                      port)) {
        std::printf("the recorder did not answer\n");
        return 1;
    }
    metricsUnderLoad(port);
    eventClients(port, recorder.processId());
    recorder.terminate();
    recorder.waitForFinished(5000);
    trendOfALargeRecording(records, folder.path());
    return 0;
}
