// tarnix-log: the polling cycle and the sampling clock without windows, for
// benches and headless machines that record for days.
#include "cli/LogCommandLine.h"
#include "core/FileCommands.h"
#include "core/LoggerCommands.h"
#include "core/PortListing.h"
#include "core/Recorder.h"
#include "core/StatusLine.h"
#include "mqtt/PublishSettings.h"
#include "mqtt/ReadingPublisher.h"
#include "platform/ConsoleDialogs.h"
#include "platform/MeterPorts.h"
#include "platform/StandardStreams.h"
#include "platform/StopSignals.h"
#include "platform/WriteAll.h"
#include "sim/DemoLogger.h"
#include "sim/SimMeter.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

using namespace tarnix;

namespace {

constexpr int ExitTrouble = 1; // the port, the file or a line write failed
constexpr int ExitUsage = 2;

const QString Program = QStringLiteral("tarnix-log");
// At the end, the readings still queued have this long to reach the broker.
constexpr int PublishGraceMs = 5000;
constexpr int SimulatedBaud = 9600;

int usageError(const QString& message) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(Program),
                 qPrintable(message), qPrintable(Program));
    return ExitUsage;
}

// The built-in simulated meter of --simulate, reached over the in-memory wire
// as a real meter is over its port; none without the option.
std::unique_ptr<sim::SimMeter> simulatedMeter(bool simulate, bool longFrames) {
    if (!simulate)
        return nullptr;
    return std::make_unique<sim::SimMeter>(longFrames ? sim::Model::Long : sim::Model::Short,
                                           SimulatedBaud);
}

platform::PortMaker portTo(sim::SimMeter* meter) {
    return meter ? platform::memoryWireTo(*meter) : platform::PortMaker{};
}

// Each sample recorded goes on to the broker, and the bench with it; a
// refused login ends the run.
std::unique_ptr<mqtt::ReadingPublisher> publishTo(const mqtt::PublishSettings& settings,
                                                  core::Recorder& recorder,
                                                  const core::RecordOptions& options,
                                                  core::StatusLine& console) {
    auto publisher = std::make_unique<mqtt::ReadingPublisher>(settings);
    QObject::connect(&recorder, &core::Recorder::sampleRecorded, publisher.get(),
                     &mqtt::ReadingPublisher::publishReading);
    QObject::connect(&recorder, &core::Recorder::statusChanged, publisher.get(),
                     [&recorder, &options, p = publisher.get()] {
                         const core::SharedState& state = recorder.state();
                         p->setMeter({state.texts.model, state.link.portLabel,
                                      state.link.baudRateNumber, double(options.interval)});
                     });
    QObject::connect(publisher.get(), &mqtt::ReadingPublisher::report, &recorder,
                     [&console](const QString& line) {
                         console.say(Program + QStringLiteral(": mqtt: ") + line);
                     });
    QObject::connect(publisher.get(), &mqtt::ReadingPublisher::refused, &recorder,
                     [&recorder](const QString& reason) { recorder.finish(ExitTrouble, reason); });
    return publisher;
}

int record(const core::RecordOptions& options,
           const std::optional<mqtt::PublishSettings>& publishing) {
    // The status goes on a terminal only, and not when the lines themselves
    // go to the same terminal: rewriting it would garble them.
    const bool live =
        platform::isTerminal(platform::standardError()) &&
        !(options.toStandardOutput() && platform::isTerminal(platform::standardOutput()));
    core::StatusLine console(platform::standardError(), live);
    platform::ConsoleDialogs dialogs(Program, [&](const QString& line) { console.say(line); });
    // A reader gone from standard output is a failed write, reported as such.
    platform::ignoreBrokenPipes();

    const auto meter = simulatedMeter(options.simulate, options.longFrames);
    core::Recorder recorder(options, dialogs, portTo(meter.get()));
    std::unique_ptr<mqtt::ReadingPublisher> publisher;
    if (publishing)
        publisher = publishTo(*publishing, recorder, options, console);
    platform::StopSignals stops;
    if (!stops.watch()) {
        console.say(Program + QStringLiteral(": cannot watch for Ctrl-C"));
        return ExitTrouble;
    }
    QObject::connect(&stops, &platform::StopSignals::stopAsked, &recorder,
                     [&] { recorder.finish(0); });
    QObject::connect(&recorder, &core::Recorder::notice, &recorder, [&](const QString& line) {
        console.say(Program + QStringLiteral(": ") + line);
    });
    // The terminal's status line, with the broker's state when publishing.
    const auto showStatus = [&] {
        console.show(publisher ? recorder.status() + QStringLiteral("  ") + publisher->stateText()
                               : recorder.status());
    };
    QObject::connect(&recorder, &core::Recorder::statusChanged, &recorder, showStatus);
    if (publisher)
        QObject::connect(publisher.get(), &mqtt::ReadingPublisher::stateChanged, &recorder,
                         showStatus);
    QObject::connect(
        &recorder, &core::Recorder::runFinished, &recorder, [&](int code, const QString& message) {
            showStatus();
            console.end();
            if (!message.isEmpty())
                console.say(Program + QStringLiteral(": ") + message);
            if (!publisher) {
                QCoreApplication::exit(code);
                return;
            }
            // The queued readings and "offline" go before the exit.
            QObject::connect(publisher.get(), &mqtt::ReadingPublisher::closed,
                             [&console, &options, code](qint64 undelivered) {
                                 if (undelivered > 0)
                                     console.say(
                                         Program +
                                         QStringLiteral(": mqtt: %1 readings never reached the "
                                                        "broker")
                                             .arg(undelivered));
                                 // Without a file they are lost.
                                 const bool lost = undelivered > 0 && options.output.isEmpty();
                                 QCoreApplication::exit(lost ? ExitTrouble : code);
                             });
            publisher->close(PublishGraceMs);
        });
    QString error;
    if (!recorder.start(&error)) {
        console.say(Program + QStringLiteral(": ") + error);
        return ExitTrouble;
    }
    return QCoreApplication::exec();
}

// The logger's header, memory and clock: one exchange after another, each
// waiting on the clock's own event loop, so no exec() here.
int loggerCommand(const core::LoggerOptions& options) {
    core::StatusLine console(platform::standardError(),
                             platform::isTerminal(platform::standardError()));
    platform::ignoreBrokenPipes();
    // The simulated meter's logger holds sets recorded from an hour ago.
    const auto meter = simulatedMeter(options.simulate, options.longFrames);
    if (meter)
        meter->loadMemory(sim::demoLoggerMemory(QDateTime::currentDateTime().addSecs(-3600)));
    const int code = core::runLoggerCommand(
        options, {.progress = [&](const QString& text) { console.show(text); },
                  .message = [&](const QString& line) { console.say(line); },
                  .makePort = portTo(meter.get())});
    console.end();
    return code;
}

// convert and stats: the result on standard output, the rest on standard error.
core::FileCommandOutput fileCommandOutput() {
    platform::ignoreBrokenPipes();
    return {.out =
                [](QByteArrayView bytes) {
                    return platform::writeAll(platform::standardOutput(), bytes);
                },
            .message =
                [](const QString& line) {
                    std::fprintf(stderr, "%s: %s\n", qPrintable(Program), qPrintable(line));
                }};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(Program);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNIX_VERSION));

    const auto parsed = cli::parseLogCommandLine(QCoreApplication::arguments().mid(1));
    if (const auto* usage = std::get_if<cli::UsageError>(&parsed))
        return usageError(usage->message);
    const cli::LogCommand& command = std::get<cli::LogCommand>(parsed);
    for (const QString& warning : command.warnings)
        std::fprintf(stderr, "%s: %s\n", qPrintable(Program), qPrintable(warning));
    switch (command.kind) {
    case cli::LogCommand::Kind::Help:
        std::printf("%s", qPrintable(command.helpTopic.isEmpty()
                                         ? cli::logUsage()
                                         : cli::subcommandUsage(command.helpTopic)));
        return 0;
    case cli::LogCommand::Kind::Version:
        std::printf("%s %s\n", qPrintable(Program), TARNIX_VERSION);
        return 0;
    case cli::LogCommand::Kind::Record: {
        const auto publishing =
            mqtt::publishSettings(command.record, qEnvironmentVariable("TARNIX_MQTT_PASSWORD"));
        if (const auto* problem = std::get_if<QString>(&publishing))
            return usageError(*problem);
        return record(command.record, std::get<std::optional<mqtt::PublishSettings>>(publishing));
    }
    case cli::LogCommand::Kind::Logger:
        return loggerCommand(command.logger);
    case cli::LogCommand::Kind::Convert:
        return core::runConvert(command.convert, fileCommandOutput());
    case cli::LogCommand::Kind::Stats:
        return core::runStats(command.statsFiles, fileCommandOutput(), command.statsPrecise);
    case cli::LogCommand::Kind::Ports:
        std::printf("%s", qPrintable(core::portListing(platform::describedSerialDevices())));
        return 0;
    }
    return ExitUsage;
}
