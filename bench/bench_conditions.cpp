// `tarnix-log record --start-when` against the simulated meter on a
// pseudo-terminal: the recorder polls the meter's device as the program
// does, on the computer's clock, and the meter is switched to a reading that
// meets the condition. Measured: from the polling cycle taking that reading
// to its line in the file, and from the request it answers (the meter's
// protocol waits 0.2 s after each request before the reply is read). The
// interval is a minute, so no sample deadline can write the line; only the
// start can. Prints one line: the medians and the worst of the runs.
// Usage: bench-conditions [RUNS] (default 10)
#include "core/Recorder.h"
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace tarnix;

namespace {

sim::ScriptedReading dcv(const char* value) {
    return *sim::ScriptedReading::fromValue(sim::Model::Short, 2, QString::fromLatin1(value));
}

struct Took {
    double fromReading; // ms from the reading taken to the line in the file
    double fromRequest; // ms from the request that reading answers
};

std::optional<Took> oneRun(const QString& folder, int run) {
    sim::SimMeter meter(sim::Model::Short, 9600);
    meter.setScript({dcv("1.00")}, true);
    sim::PtyMeter pty(meter);
    if (!pty.open()) {
        std::printf("conditions: cannot make a pseudo-terminal: %s\n", qPrintable(pty.errorText()));
        return std::nullopt;
    }
    core::RecordOptions options;
    options.device = pty.devicePath();
    options.interval = 60;
    options.output = QStringLiteral("%1/run%2.dat").arg(folder).arg(run);
    options.startWhen = std::get<records::RecordCondition>(
        records::parseRecordCondition(QStringLiteral("value > 5V")));
    platform::ScriptedDialogs dialogs;
    core::Recorder recorder(options, dialogs);
    QElapsedTimer clock;
    clock.start();
    QEventLoop polled, written;
    int requests = 0;
    bool switched = false;
    std::optional<qint64> askedNs, takenNs, writtenNs;
    QObject::connect(&pty, &sim::PtyMeter::received, [&](const QByteArray& bytes, int baud) {
        if (bytes != " " || baud != 9600)
            return;
        if (++requests == 3)
            polled.quit();
        if (switched && !askedNs)
            askedNs = clock.nsecsElapsed(); // the meter answers this one with 6.00
    });
    // The state shows a reading just before the cycle hands it on.
    QObject::connect(&recorder.state(), &core::SharedState::changed, [&] {
        if (switched && !takenNs && recorder.state().measurement.display == u"6.00")
            takenNs = clock.nsecsElapsed();
    });
    QObject::connect(&recorder, &core::Recorder::sampleRecorded, [&] {
        if (!writtenNs && QFileInfo(options.output).size() > 0) {
            writtenNs = clock.nsecsElapsed();
            written.quit();
        }
    });
    QString error;
    if (!recorder.start(&error)) {
        std::printf("conditions: %s\n", qPrintable(error));
        return std::nullopt;
    }
    QTimer::singleShot(10000, &polled, &QEventLoop::quit);
    polled.exec();
    if (requests < 3 || recorder.lines() > 0) {
        std::printf("conditions: the recorder did not poll the meter, or wrote too soon\n");
        return std::nullopt;
    }
    meter.setScript({dcv("6.00")}, true);
    switched = true;
    QTimer::singleShot(5000, &written, &QEventLoop::quit);
    written.exec();
    recorder.finish(0);
    if (!askedNs || !takenNs || !writtenNs)
        return std::nullopt;
    return Took{double(*writtenNs - *takenNs) / 1e6, double(*writtenNs - *askedNs) / 1e6};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir folder;
    std::vector<double> fromReading, fromRequest;
    for (int run = 0; run < runs; ++run)
        if (const auto took = oneRun(folder.path(), run)) {
            fromReading.push_back(took->fromReading);
            fromRequest.push_back(took->fromRequest);
        }
    if (fromReading.empty()) {
        std::printf("conditions: no run wrote its first line\n");
        return 1;
    }
    const double worst = *std::max_element(fromReading.begin(), fromReading.end());
    std::printf("conditions: the reading that meets --start-when to its line in the file: median "
                "%.2f ms, worst %.2f ms over %zu runs (limit 50 ms); from the request it answers: "
                "median %.1f ms\n",
                median(fromReading), worst, fromReading.size(), median(fromRequest));
    return worst <= 50.0 && int(fromReading.size()) == runs ? 0 : 1;
}
