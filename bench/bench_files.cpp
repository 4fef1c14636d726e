// Big data files side by side: for each size, OPEN FILE into the list window
// and the list scrolled to its end, the whole list plotted and saved, each
// run in a fresh process so that its peak memory is its own; then, when
// python3-pandas is installed, pandas.read_csv on the same file.
// Usage: bench-files [RECORDS...] (default 1000000 10000000)
//        bench-files --file PATH   (one file, this program's figures only)
#include "SampleRecording.h"
#include "records/DataChannel.h"
#include "records/DataFile.h"
#include "platform/RealClock.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "ui/lists/FileList.h"
#include "ui/lists/ListGrid.h"
#include "ui/lists/PlotBoard.h"
#include "ui/lists/PlotWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace tarnix;

namespace {

// The peak resident memory of this process so far, in MB.
long peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

// Processor time of this process so far: what the work costs on a busy machine.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

double seconds(QElapsedTimer& timer) {
    const double s = timer.nsecsElapsed() / 1e9;
    timer.restart();
    return s;
}

// This program's figures for one file, as "name value" lines.
int measureFile(const QString& path) {
    records::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::RealClock clock;
    QWidget panel;
    auto* board = new ui::PlotBoard(dialogs, printer, &panel);
    ui::FileList list(ui::ListContext{data, dialogs, printer, clock, nullptr, board});
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    list.show();
    if (!list.load(path))
        return 1;
    list.repaint();
    QCoreApplication::processEvents();
    std::printf("open %.3f\nopenCpu %.3f\nrecords %lld\nopenPeak %ld\n", seconds(timer),
                cpuSeconds() - cpuStart, qlonglong(list.model().records().size()), peakMegabytes());
    list.grid()->scrollToBottom();
    list.repaint();
    QCoreApplication::processEvents();
    std::printf("scroll %.3f\n", seconds(timer));
    list.findChild<QPushButton*>(QStringLiteral("CmdFplot"))->click();
    ui::PlotWindow* plot = board->window(plot::PlotKind::Signed);
    if (!plot)
        return 1;
    plot->grab();
    std::printf("plot %.3f\n", seconds(timer));
    QTemporaryDir dir;
    QString error;
    if (!records::saveDataFile(dir.filePath(QStringLiteral("saved.dat")), list.model().records(),
                             &error))
        return 1;
    std::printf("save %.3f\npeak %ld\n", seconds(timer), peakMegabytes());
    std::fflush(stdout);
    return 0;
}

// The "name value" lines a child printed, or nothing when it failed.
QMap<QString, double> run(const QString& program, const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, arguments);
    QMap<QString, double> figures;
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (const QList<QByteArray> parts = line.split(' '); parts.size() == 2)
            figures[QString::fromLatin1(parts[0])] = parts[1].toDouble();
    return figures;
}

const char PandasScript[] = R"(
import resource, sys, time
import pandas
start, cpu = time.perf_counter(), time.process_time()
frame = pandas.read_csv(sys.argv[1], header=None)
print("open %.3f" % (time.perf_counter() - start))
print("openCpu %.3f" % (time.process_time() - cpu))
print("records %d" % len(frame))
print("peak %d" % (resource.getrusage(resource.RUSAGE_SELF).ru_maxrss // 1024))
)";

} // namespace

int main(int argc, char* argv[]) {
    bench::useBerlinTime();
    if (argc == 3 && QByteArray(argv[1]) == "--file") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return measureFile(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    const std::vector<long> sizes = bench::recordCounts(argc, argv);
    // Debian's python3-pandas is for Debian's own python3, which another one on the PATH may hide.
    QString python;
    for (const QString& candidate :
         {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import pandas")});
        if (probe.waitForFinished(-1) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            python = candidate;
            break;
        }
    }
    const bool pandas = !python.isEmpty();
    if (!pandas)
        std::printf("pandas: not installed (apt-get install python3-pandas), left out\n");
    QTemporaryDir dir;
    int failures = 0;
    for (const long records : sizes) {
        const QString path = dir.filePath(QStringLiteral("big.dat"));
        if (!bench::writeRecords(path, records))
            return 1;
        std::printf("\n%ld records, %.1f MB:\n", records, QFileInfo(path).size() / 1e6);
        const auto tarnix = run(QCoreApplication::applicationFilePath(), {"--file", path});
        if (tarnix.isEmpty()) {
            std::printf("  Tarnix: failed\n");
            ++failures;
            continue;
        }
        std::printf("  Tarnix: open and show %.2f s (processor %.2f s), peak %.0f MB (%.0f "
                    "records); scroll to the end %.3f s; plot %.3f s; save %.2f s; peak after "
                    "all %.0f MB\n",
                    tarnix["open"], tarnix["openCpu"], tarnix["openPeak"], tarnix["records"],
                    tarnix["scroll"], tarnix["plot"], tarnix["save"], tarnix["peak"]);
        if (pandas && records <= bench::PandasRecordsAtMost) {
            const auto p = run(python, {"-c", PandasScript, path});
            if (p.isEmpty())
                std::printf("  pandas: failed\n");
            else
                std::printf("  pandas: read_csv %.2f s (processor %.2f s), peak %.0f MB (%.0f "
                            "records)\n",
                            p["open"], p["openCpu"], p["peak"], p["records"]);
        }
        std::fflush(stdout);
    }
    return failures;
}
