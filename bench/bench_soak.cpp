// A month of unattended recording in minutes: the recorder polls the
// simulated meter on the virtual clock, one sample a second into daily
// files, while once an hour the meter is switched off for a minute, its cable
// pulled for a minute, and its wire flooded with junk for a minute, and once
// a day the file is reopened as after logrotate's SIGHUP. Prints the memory,
// the samples against the deadlines, the gaps told and the processor time.
// Usage: bench-soak [DAYS] (default 30), in a time zone without summer time
// (the check reads the files' local times back on a grid of seconds).
//        bench-soak --every SECONDS [DAYS]: summary lines instead of samples,
// into one CSV file; prints the lines for each series and the memory.
#include "core/Recorder.h"
#include "platform/MemorySerialPort.h"
#include "sim/SimMeter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <sys/resource.h>

using namespace tarnix;

namespace {

constexpr double Interval = 1.0;
constexpr double PollMs = 0.3; // the polling timer's period
constexpr double Outage = 60.0;

// In front of the meter: while flooding, junk arrives at the wire's full
// speed with whatever the meter says.
class FloodPeer final : public platform::SerialPeer {
public:
    explicit FloodPeer(platform::SerialPeer& meter) : m_meter(meter) {}
    void flood(bool on, double time) {
        m_flooding = on;
        m_since = time;
    }
    void receive(const QByteArray& bytes, int baud, double time) override {
        m_meter.receive(bytes, baud, time);
    }
    int arrivedCount(double time) const override {
        return m_meter.arrivedCount(time) + junkBy(time);
    }
    QByteArray takeArrived(double time) override {
        QByteArray bytes = m_meter.takeArrived(time) + QByteArray(junkBy(time), char(0xa5));
        m_since = time;
        return bytes;
    }

private:
    int junkBy(double time) const { return m_flooding ? int((time - m_since) * 960.0) : 0; }

    platform::SerialPeer& m_meter;
    bool m_flooding = false;
    double m_since = 0;
};

// Kilobytes of memory in use now, and at the most so far.
long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Summary lines for each series (function and range) of a summary CSV file.
std::map<QByteArray, qint64> summaryLines(const QString& path) {
    std::map<QByteArray, qint64> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    file.readLine(); // the header
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().split(',');
        if (f.size() > 2)
            ++lines[f[1] + ' ' + f[2]];
    }
    return lines;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::optional<int> every;
    if (argc > 2 && QByteArrayView(argv[1]) == "--every") {
        every = std::max(1, std::atoi(argv[2]));
        argc -= 2;
        argv += 2;
    }
    const int days = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    QTemporaryDir folder;
    const QDateTime start(QDate(2026, 10, 1), QTime(0, 0, 0, 500));

    auto* clock = new platform::VirtualClock(start);
    sim::SimMeter meter(sim::Model::Short, 9600);
    FloodPeer wire(meter);
    platform::MemorySerialPort* port = nullptr;
    const platform::PortMaker makePort = [&](const platform::Clock& c) {
        auto made = std::make_unique<platform::MemorySerialPort>(wire, c);
        port = made.get();
        return made;
    };
    core::RecordOptions options;
    options.simulate = true;
    options.interval = Interval;
    options.output = folder.filePath(QStringLiteral("%Y-%m-%d.dat"));
    if (every) {
        options.every = every;
        options.format = records::RecordingFormat::Csv;
        options.output = folder.filePath(QStringLiteral("summaries.csv"));
    }
    platform::ScriptedDialogs dialogs;
    core::Recorder recorder(options, dialogs, makePort, nullptr,
                            std::unique_ptr<platform::Clock>(clock));
    QStringList gaps;
    qint64 reopens = 0;
    QObject::connect(&recorder, &core::Recorder::notice, [&](const QString& text, auto) {
        if (text.startsWith(u"no line written"))
            gaps << text;
        reopens += text.startsWith(u"reopened");
    });
    QString error;
    if (!recorder.start(&error)) {
        std::printf("soak: cannot start: %s\n", qPrintable(error));
        return 1;
    }

    // The hour's troubles, a quarter of an hour apart, and the day's reopen.
    struct Window {
        double from, to;
    };
    std::vector<Window> troubles;
    for (int hour = 0; hour < days * 24; ++hour) {
        const double h = hour * 3600.0;
        clock->at(h + 600, [&] { meter.setPowered(false, clock->monotonic()); });
        clock->at(h + 600 + Outage, [&] { meter.setPowered(true, clock->monotonic()); });
        clock->at(h + 1500, [&] { port->setLost(true); });
        clock->at(h + 1500 + Outage, [&] { port->setLost(false); });
        clock->at(h + 2400, [&] { wire.flood(true, clock->monotonic()); });
        clock->at(h + 2400 + Outage, [&] { wire.flood(false, clock->monotonic()); });
        for (const double at : {600.0, 1500.0, 2400.0})
            troubles.push_back({h + at, h + at + Outage});
        if (hour % 24 == 12)
            clock->at(h + 1, [&] { recorder.reopenOutput(); });
    }

    const double end = days * 86400.0;
    long firstDayKb = 0;
    const double cpuStart = cpuSeconds();
    while (clock->monotonic() < end && !recorder.finished()) {
        clock->advance(PollMs);
        recorder.cycle().tick();
        recorder.deadlineReached();
        if (!firstDayKb && clock->monotonic() >= 86400.0)
            firstDayKb = statusKb("VmRSS:");
    }
    const double cpu = cpuSeconds() - cpuStart;
    recorder.finish(0);
    const long peakKb = statusKb("VmHWM:"), endKb = statusKb("VmRSS:");
    const auto memory = [&] {
        std::printf("soak: memory peak %.1f MB, %.1f MB after the first day, %.1f MB at the end "
                    "(growth %.2f MB); processor %.2f s a simulated day\n",
                    double(peakKb) / 1024, double(firstDayKb) / 1024, double(endKb) / 1024,
                    double(endKb - firstDayKb) / 1024, cpu / days);
    };
    if (every) {
        std::printf("soak: %d days of --every %d s:", days, *every);
        for (const auto& [series, lines] : summaryLines(options.output))
            std::printf(" %lld lines of %s;", qlonglong(lines), series.constData());
        std::printf("\n");
        memory();
        return 0;
    }

    // Every line on the grid of whole seconds from the first, once; the
    // seconds without a line all inside a trouble or the link's recovery.
    std::set<qint64> seconds;
    qint64 lines = 0, duplicates = 0, offGrid = 0;
    QDateTime first;
    const QStringList names = QDir(folder.path()).entryList({QStringLiteral("*.dat")}, QDir::Files);
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> f = line.trimmed().split(',');
            if (f.size() != 6)
                continue;
            const QDateTime at = QDateTime::fromString(
                QString::fromLatin1("20" + f[1] + ' ' + f[2]), QStringLiteral("yyyy/MM/dd hh:mm:ss.z"));
            if (!first.isValid())
                first = at;
            const qint64 ms = first.msecsTo(at);
            ++lines;
            offGrid += ms % 1000 != 0;
            duplicates += !seconds.insert(ms / 1000).second;
        }
    }
    const qint64 firstOffset = qint64(std::llround(start.msecsTo(first) / 1000.0));
    qint64 missingOutside = 0, missingInside = 0;
    const qint64 lastSecond = seconds.empty() ? 0 : *seconds.rbegin();
    for (qint64 s = 0; s <= lastSecond; ++s) {
        if (seconds.count(s))
            continue;
        const double t = double(s + firstOffset);
        // A trouble, then up to half a minute for the link to find the meter again.
        const bool explained = std::any_of(troubles.begin(), troubles.end(), [&](const Window& w) {
            return t >= w.from - 1 && t <= w.to + 30;
        });
        (explained ? missingInside : missingOutside)++;
    }
    std::printf("soak: %d days, %lld files, %lld samples written, %lld deadlines without a line "
                "inside the troubles, %lld outside, %lld written twice, %lld off the grid\n",
                days, qlonglong(names.size()), qlonglong(lines), qlonglong(missingInside),
                qlonglong(missingOutside), qlonglong(duplicates), qlonglong(offGrid));
    std::printf("soak: %lld gaps told for %lld troubles, %lld reopens; first gap: %s\n",
                qlonglong(gaps.size()), qlonglong(troubles.size()), qlonglong(reopens),
                qPrintable(gaps.value(0)));
    memory();
    return missingOutside == 0 && duplicates == 0 && offGrid == 0 ? 0 : 1;
}
