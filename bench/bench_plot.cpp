// A million-record list plotted: "Plot" in the opened-file list computes the
// signed plot's geometry and opens ListPlot2, which is then painted; then
// the same window painted again at twice its size.
// Usage: bench-plot [RECORDS [PNG]] (default 1000000; PNG: the resized window)
#include "records/DataChannel.h"
#include "plot/PlotGeometry.h"
#include "platform/RealClock.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "ui/lists/PlotWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <cmath>
#include <cstdio>

using namespace tarnix;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long records = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000000L;

    records::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::RealClock clock;
    QWidget panel;
    auto* board = new ui::PlotBoard(dialogs, printer, &panel);
    ui::FileList list(ui::ListContext{data, dialogs, printer, clock, nullptr, board});
    // A slow wave with noise and one single-record spike in the middle.
    records::RecordStore& store = list.model().recordsForLoading();
    store.reserve(records, records * 50);
    for (long i = 1; i <= records; ++i) {
        const double v = i == records / 2 ? 199.0 : 80 * std::sin(i / 5000.0) + (i * 7919 % 13) - 6;
        store.append({QString::number(i), QStringLiteral("26/12/05"), QStringLiteral("14:03:07.0"),
                      QStringLiteral("DCV"), QStringLiteral("200mV"), QString::number(v, 'f', 2)});
    }
    list.model().announceLoaded(0);

    QElapsedTimer timer;
    timer.start();
    list.findChild<QPushButton*>(QStringLiteral("CmdFplot"))->click();
    ui::PlotWindow* plot = board->window(plot::PlotKind::Signed);
    if (!plot)
        return 1;
    const double geometrySeconds = timer.nsecsElapsed() / 1e9;
    QImage image = plot->grab().toImage();
    const double plotSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("Plot of %ld records: geometry and window %.3f s, painted %dx%d in %.3f s total\n",
                records, geometrySeconds, image.width(), image.height(), plotSeconds);

    timer.restart();
    plot->resize(plot->size() * 2);
    image = plot->grab().toImage();
    std::printf("Repainted at %dx%d in %.3f s\n", image.width(), image.height(),
                timer.nsecsElapsed() / 1e9);
    if (argc > 2)
        image.save(QString::fromLocal8Bit(argv[2]));
    return plotSeconds < 0.5 ? 0 : 2;
}
