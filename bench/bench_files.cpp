// A million-record data file: OPEN FILE into the list window, then Save.
// Usage: bench-files [RECORDS] (default 1000000)
#include "files/DataChannel.h"
#include "files/DataFile.h"
#include "platform/RealClock.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "ui/lists/FileList.h"
#include "ui/lists/ListGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace tarnix;

namespace {
long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long records = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000000L;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.dat"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block;
        for (long i = 1; i <= records; ++i) {
            block += QByteArray::number(qlonglong(i)) + ",26/12/05,14:03:07.0,DCV,200mV,-" +
                     QByteArray::number(qlonglong(i % 2000) / 100.0, 'f', 2) + "\r\n";
            if (block.size() > (1 << 20)) {
                file.write(block);
                block.clear();
            }
        }
        file.write(block);
    }
    const double megabytes = QFileInfo(path).size() / 1e6;
    std::printf("file: %ld records, %.1f MB; memory before opening: %ld MB\n", records, megabytes,
                peakMegabytes());

    files::DataChannel data;
    platform::ScriptedDialogs dialogs;
    platform::RecordingPrinter printer;
    platform::RealClock clock;
    files::FileList list(files::ListContext{data, dialogs, printer, clock, nullptr});
    QElapsedTimer timer;
    timer.start();
    list.show();
    list.load(path);
    list.grid()->scrollToBottom();
    list.repaint();
    QCoreApplication::processEvents();
    const double openSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("OPEN FILE: %lld records listed and shown in %.2f s; peak memory %ld MB\n",
                qlonglong(list.model().records().size()), openSeconds, peakMegabytes());

    timer.restart();
    QString error;
    const bool saved = files::saveDataFile(dir.filePath(QStringLiteral("saved.dat")),
                                           list.model().records(), &error);
    std::printf("Save: %s in %.2f s\n", saved ? "written" : qPrintable(error),
                timer.nsecsElapsed() / 1e9);
    return saved ? 0 : 1;
}
