// Polling against the simulated meter on a pseudo-terminal:
//  1. `tarnix --port` as its own process: CPU use, and the time between two
//     reading requests the meter hears.
//  2. The panel in this process: how long a click waits while the cycle waits.
// Usage: bench-polling [SECONDS] (default 60 for the first part, 10 for the second)
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"
#include "ui/DesktopProgram.h"
#include "ui/panel/Panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace tarnix;

namespace {

// User plus system CPU seconds of a process, from /proc.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void runFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

void programCpuAndRequestInterval(double seconds) {
    sim::SimMeter meter(sim::Model::Short, 9600);
    sim::PtyMeter pty(meter);
    if (!pty.open()) {
        std::printf("cannot make a pseudo-terminal: %s\n", qPrintable(pty.errorText()));
        return;
    }
    std::vector<double> requests;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&pty, &sim::PtyMeter::received, [&](const QByteArray& bytes, int baud) {
        if (bytes == " " && baud == 9600)
            requests.push_back(clock.nsecsElapsed() / 1e9);
    });
    QProcess tarnix;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tarnix.setProcessEnvironment(env);
    tarnix.start(QStringLiteral(TARNIX_PROGRAM), {QStringLiteral("--port"), pty.devicePath()});
    if (!tarnix.waitForStarted()) {
        std::printf("cannot start tarnix\n");
        return;
    }
    runFor(2.0); // start-up and the first frames
    const double cpuBefore = cpuSeconds(tarnix.processId());
    const std::size_t firstRequest = requests.size();
    QElapsedTimer span;
    span.start();
    runFor(seconds);
    const double cpu = cpuSeconds(tarnix.processId()) - cpuBefore;
    const double elapsed = span.nsecsElapsed() / 1e9;
    tarnix.terminate();
    tarnix.waitForFinished(5000);

    double longest = 0;
    for (std::size_t i = firstRequest + 1; i < requests.size(); ++i)
        longest = std::max(longest, requests[i] - requests[i - 1]);
    const std::size_t n = requests.size() - firstRequest;
    const double mean = n > 1 ? (requests.back() - requests[firstRequest]) / double(n - 1) : 0.0;
    std::printf("tarnix --port, %.0f s of polling a meter at 9600 baud:\n", elapsed);
    std::printf("  CPU use:                   %.2f %% of one core\n", 100.0 * cpu / elapsed);
    std::printf("  reading requests:          %zu\n", n);
    std::printf("  mean time between two:     %.3f s\n", mean);
    std::printf("  longest time between two:  %.3f s\n", longest);
}

void clickLatency(double seconds) {
    sim::SimMeter meter(sim::Model::Short, 9600);
    sim::PtyMeter pty(meter);
    if (!pty.open())
        return;
    ui::DesktopOptions options;
    options.start = ui::DesktopOptions::Start::Device;
    options.device = pty.devicePath();
    ui::DesktopProgram program(options);
    if (!program.start())
        return;
    auto* reset = program.panel()->findChild<QPushButton*>(QStringLiteral("CmdReset"));
    QElapsedTimer sinceClick;
    std::vector<double> latencies;
    QObject::connect(reset, &QPushButton::clicked,
                     [&] { latencies.push_back(sinceClick.nsecsElapsed() / 1e6); });
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        sinceClick.start();
        QMetaObject::invokeMethod(reset, &QPushButton::click, Qt::QueuedConnection);
    });
    runFor(1.5);
    clicker.start(97);
    runFor(seconds);
    clicker.stop();
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty())
        return;
    std::printf("clicks during polling (%zu): median %.2f ms, worst %.2f ms\n", latencies.size(),
                latencies[latencies.size() / 2], latencies.back());
    program.panel()->close();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(5.0, std::atof(argv[1])) : 60.0;
    programCpuAndRequestInterval(seconds);
    clickLatency(std::min(seconds, 10.0));
    return 0;
}
