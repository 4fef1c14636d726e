// The logger's memory download over a pseudo-terminal at 9600 baud:
//  1. the dump of all 8194 bytes from tarnix-meter-sim, against its wire time
//     (8194 bytes of 10 bits at 9600 baud), and the longest time the event
//     loop went without running a 10 ms timer meanwhile (what a click waits);
//  2. listing every record of a memory full of one set into DataList.
// Usage: bench-logger [RUNS] (default 3 dumps)
#include "records/DataChannel.h"
#include "link/MemoryMap.h"
#include "link/Rs232.h"
#include "link/Speeds.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/MemoryDump.h"
#include "platform/QtSerialPort.h"
#include "platform/RealClock.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "ui/logger/DataList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace tarnix;
namespace address = link::address;

namespace {

constexpr double WireSeconds = logger::DumpLength * 10.0 / 9600.0;

// One set of DCV 200mV records from address 56 to the end of the memory.
QByteArray fullMemory() {
    QByteArray image(address::MemorySize, '\0');
    const char clockDigits[] = "1231235959";
    for (int i = 0; i < address::ClockDigits; ++i)
        image[address::ClockStamp + i] = clockDigits[i];
    image[address::SampleInterval] = 1; // 0.4 s
    image[address::EndAddress] = char(address::MemorySize & 0xFF);
    image[address::EndAddress + 1] = char(address::MemorySize >> 8);
    image[address::RangeChanges] = 1;
    image[address::setCode(1)] = 0;
    image[address::setStart(1)] = 56;
    for (int a = 56; a + 1 < address::MemorySize; a += 2) {
        const int value = (a * 37) % 2000; // packed: low byte, then high byte with the sign bit
        image[a] = char(value & 0xFF);
        image[a + 1] = char((value >> 8) | ((a & 2) ? 0x80 : 0));
    }
    return image;
}

struct DumpRun {
    double seconds = 0;
    double longestGapMs = 0;
    qsizetype bytes = 0;
};

DumpRun timeDump(const QString& device) {
    platform::QtSerialPort port;
    port.setPortName(device);
    platform::RealClock clock;
    platform::ScriptedDialogs dialogs;
    link::Rs232 link(port, clock, dialogs);
    DumpRun run;
    if (!port.open(link::settingsForBaud(9600))) {
        std::printf("cannot open %s: %s\n", qPrintable(device), qPrintable(port.errorText()));
        return run;
    }
    // A timer that should run every 10 ms: the gaps between its runs are how
    // long the window would have kept a click waiting.
    QElapsedTimer sinceLast;
    QTimer responsiveness;
    responsiveness.setInterval(10);
    QObject::connect(&responsiveness, &QTimer::timeout, [&] {
        run.longestGapMs = std::max(run.longestGapMs, sinceLast.nsecsElapsed() / 1e6);
        sinceLast.restart();
    });
    sinceLast.start();
    responsiveness.start();
    QElapsedTimer span;
    span.start();
    const logger::DumpResult result = logger::fetchDump(link);
    run.seconds = span.nsecsElapsed() / 1e9;
    run.bytes = result.bytes.size();
    responsiveness.stop();
    port.close();
    return run;
}

void benchDump(int runs, const QString& imagePath) {
    QProcess meter;
    meter.start(QStringLiteral(TARNIX_METER_SIM), {QStringLiteral("--baud"), QStringLiteral("9600"),
                                                   QStringLiteral("--memory"), imagePath});
    if (!meter.waitForReadyRead(5000)) {
        std::printf("the simulated meter did not start\n");
        return;
    }
    const QString device = QString::fromLocal8Bit(meter.readLine()).trimmed();
    std::printf("dump of %d bytes at 9600 baud over %s, wire time %.3f s\n", logger::DumpLength,
                qPrintable(device), WireSeconds);
    for (int i = 0; i < runs; ++i) {
        const DumpRun run = timeDump(device);
        std::printf("  run %d: %lld bytes in %.3f s (%+.2f %% of wire time), longest event-loop "
                    "gap %.1f ms\n",
                    i + 1, static_cast<long long>(run.bytes), run.seconds,
                    (run.seconds / WireSeconds - 1) * 100, run.longestGapMs);
    }
    meter.terminate();
    meter.waitForFinished(3000);
}

void benchListing(const QByteArray& image) {
    QByteArray reply(2, '\0');
    for (char byte : image)
        reply.append(byte).append(char(~byte));
    const logger::MemoryDump dump(reply);
    const auto header = dump.headerBytes();
    const logger::LoggerHeader decoded = logger::decodeHeader(header);

    records::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::RealClock clock;
    const ui::ListContext context{data, dialogs, printer, clock, nullptr};
    ui::DataList list(context);
    list.show();
    QApplication::processEvents();

    QElapsedTimer span;
    span.start();
    const logger::SetDownload download = logger::downloadSet(dump, decoded.sets.front(), 2026);
    const double decodeMs = span.nsecsElapsed() / 1e6;
    list.listSet(download.records, 1);
    const double listMs = span.nsecsElapsed() / 1e6;
    QApplication::processEvents(); // the window shows the list
    const double shownMs = span.nsecsElapsed() / 1e6;
    std::printf("listing a full memory: %zu records decoded in %.2f ms, listed in %.2f ms, "
                "shown in %.2f ms (\"%s\")\n",
                download.records.size(), decodeMs, listMs, shownMs, qPrintable(list.title()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("full.bin"));
    const QByteArray image = fullMemory();
    {
        QFile file(imagePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
            std::printf("cannot write %s\n", qPrintable(imagePath));
            return 1;
        }
    }
    benchDump(runs, imagePath);
    benchListing(image);
    return 0;
}
