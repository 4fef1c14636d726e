// The trend window over large recordings, as a user opens and drives it: the
// time from opening a file to the first paint, each zoom or pan repaint in a
// 1600x900 drawing area, and the peak memory, one line per file size; and the
// same over a file that grows by a reading a second while it is shown.
// Each size runs in a process of its own, so that its peak is its own; the
// first paint is also timed from outside, from the start of a process that
// ends as soon as it has painted.
// Usage: bench-trend [RECORDS...] (default 1000000 10000000; the last also live)
#include "SampleRecording.h"
#include "platform/RealClock.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "ui/trend/TrendCanvas.h"
#include "ui/trend/TrendWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

// One zoom or pan as the mouse or keys give it, then a paint, timed: in ms.
double zoomOrPan(tarnix::ui::TrendCanvas* canvas, int step, QRandomGenerator& random) {
    QElapsedTimer timer;
    timer.start();
    const QPointF at(random.bounded(80, canvas->width() - 20), canvas->height() / 3);
    switch (step % 8) {
    case 0:
    case 1:
    case 2: { // the wheel, in, in, then out (zooming in overall until Home)
        QWheelEvent wheel(at, canvas->mapToGlobal(at), {}, {0, step % 8 == 2 ? -120 : 120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        break;
    }
    case 3:
    case 4: { // a drag by a hundred pixels
        const QPointF to = at + QPointF(step % 8 == 3 ? 100 : -100, 0);
        QMouseEvent press(QEvent::MouseButtonPress, at, canvas->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, to, canvas->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &press);
        QApplication::sendEvent(canvas, &move);
        QApplication::sendEvent(canvas, &release);
        break;
    }
    default: { // keys: an arrow, -, and now and then Home
        const int key = step % 8 == 5    ? Qt::Key_Right
                        : step % 8 == 6  ? Qt::Key_Minus
                        : step % 40 == 7 ? Qt::Key_Home
                                         : Qt::Key_Left;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(canvas, &press);
        break;
    }
    }
    canvas->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

// Waits `ms` in the event loop, as the window does between readings.
void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Opens `path` in a trend window, drives it and prints the line; with
// `mode` "first", ends at once after the first paint, without a word.
int measure(const QString& path, const QByteArray& mode) {
    const bool live = mode == "live";
    tarnix::platform::ScriptedDialogs dialogs;
    tarnix::platform::RecordingPrinter printer;
    const tarnix::platform::RealClock clock; // a growing file is followed in real time
    QElapsedTimer opened;
    opened.start();
    tarnix::ui::TrendWindow window({path}, dialogs, printer, clock);
    window.resize(1600, 1000);
    window.show();
    tarnix::ui::TrendCanvas* canvas = window.canvas();
    window.resize(window.size() + QSize(1600, 900) - canvas->size());
    for (int tries = 0; tries < 200 && !window.windowHandle()->isExposed(); ++tries)
        wait(10); // shown by the window system
    window.load();
    canvas->repaint();
    const double firstPaint = double(opened.nsecsElapsed()) / 1e9;
    if (mode == "first")
        std::_Exit(0); // what is painted is what is timed; the rest is no part of it
    std::vector<double> repaints;
    QRandomGenerator random(33);
    QFile grow(path);
    if (live && !grow.open(QIODevice::Append))
        return 1;
    qint64 number = 0;
    const qint64 before = window.canvas()->scene().data->records();
    QElapsedTimer second;
    second.start();
    for (int step = 0; step < (live ? 1200 : 400); ++step) {
        repaints.push_back(zoomOrPan(canvas, step, random));
        if (live) {
            wait(25); // some 40 zooms and pans a second, as a hand gives them
            if (second.elapsed() >= 1000) {
                second.restart();
                const QDateTime at = QDateTime::currentDateTime();
                grow.write(QStringLiteral("%1,%2,DCV,200mV,-1.23\r\n")
                               .arg(++number + before)
                               .arg(at.toString(QStringLiteral("yy/MM/dd,HH:mm:ss.z")).left(19))
                               .toLatin1());
                grow.flush();
                QElapsedTimer timer;
                timer.start();
                window.readMore();
                canvas->repaint();
                repaints.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("trend: %lld records%s, first paint %.2f s, repaint median %.1f ms, p99 %.1f ms, "
                "peak %ld MB\n",
                window.canvas()->scene().data->records(), live ? " (live, +1 a second)" : "",
                firstPaint, percentile(repaints, 0.5), percentile(repaints, 0.99),
                usage.ru_maxrss / 1024);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    bench::useBerlinTime();
    if (argc == 4 && QByteArray(argv[1]) == "--measure") {
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return measure(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const std::vector<long> sizes = bench::recordCounts(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.dat"));
    int failures = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (!bench::writeRecords(file, sizes[i]))
            return 1;
        for (const char* mode : {"first", "still", "live"}) {
            if (QByteArrayView(mode) == "live" && i + 1 < sizes.size())
                continue;
            QProcess run;
            run.setProcessChannelMode(QProcess::ForwardedChannels);
            QElapsedTimer outside;
            outside.start();
            run.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--measure"), file, QString::fromLatin1(mode)});
            run.waitForFinished(-1);
            failures += run.exitCode() != 0;
            if (QByteArrayView(mode) == "first")
                std::printf("trend: %ld records, process start to first paint %.2f s\n", sizes[i],
                            double(outside.nsecsElapsed()) / 1e9);
            std::fflush(stdout);
        }
    }
    return failures;
}
