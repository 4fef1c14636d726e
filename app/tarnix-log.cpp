// tarnix-log: the polling cycle and the sampling clock without windows, for
// benches and headless machines that record for days.
#include "LogServer.h"
#include "cli/LogCommandLine.h"
#include "core/AlarmCommand.h"
#include "core/FileCommands.h"
#include "core/FilesInTimeOrder.h"
#include "core/LoggerCommands.h"
#include "core/PortListing.h"
#include "core/RecordEnding.h"
#include "core/Recorder.h"
#include "core/StatusLine.h"
#include "core/SummaryRecording.h"
#include "mqtt/PublishSettings.h"
#include "mqtt/ReadingPublisher.h"
#include "platform/ConsoleDialogs.h"
#include "platform/MeterPorts.h"
#include "platform/ServiceManager.h"
#include "platform/StandardStreams.h"
#include "platform/StopSignals.h"
#include "platform/WriteAll.h"
#include "sim/BuiltInMeter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace tarnix;

namespace {

constexpr int ExitTrouble = 1; // the port, the file or a line write failed
constexpr int ExitUsage = 2;

const QString Program = QStringLiteral("tarnix-log");
// At the end, the readings still queued have this long to reach the broker.
constexpr int PublishGraceMs = 5000;

int usageError(const QString& message) {
    // A service's journal files the lines as errors.
    const char* priority = platform::isJournalStream(platform::standardError()) ? "<3>" : "";
    std::fprintf(stderr, "%s%s: %s\n%sTry '%s --help' for more information.\n", priority,
                 qPrintable(Program), qPrintable(message), priority, qPrintable(Program));
    return ExitUsage;
}

// The built-in simulated meter of --simulate; none without the option.
std::unique_ptr<sim::BuiltInMeter> simulatedMeter(bool simulate, bool longFrames) {
    if (!simulate)
        return nullptr;
    return std::make_unique<sim::BuiltInMeter>(longFrames ? sim::Model::Long : sim::Model::Short);
}

platform::PortMaker portTo(sim::BuiltInMeter* meter) {
    return meter ? meter->ports() : platform::PortMaker{};
}

// systemd, when it started the recorder as a service: told that the recorder
// is ready and what it is doing, and its watchdog fed while the polling cycle
// moves on: it showed something since the last feed, or it waits for a meter
// or a device that is gone. A cycle stuck anywhere else is restarted.
class ServiceLink {
public:
    explicit ServiceLink(core::Recorder& recorder) : m_recorder(recorder) {
        if (!m_manager.present())
            return;
        QObject::connect(&recorder, &core::Recorder::statusChanged, &recorder, [this] {
            m_cycleMoved = true;
            if (m_ready)
                tellStatus();
        });
        core::PollingCycle& cycle = recorder.cycle();
        QObject::connect(&cycle, &core::PollingCycle::linkLost, &recorder,
                         [this] { m_waitingForDevice = true; });
        QObject::connect(&cycle, &core::PollingCycle::linkBack, &recorder,
                         [this] { m_waitingForDevice = false; });
        if (const int ms = m_manager.watchdogPetMs(); ms > 0) {
            m_watchdog.setInterval(ms);
            QObject::connect(&m_watchdog, &QTimer::timeout, &recorder, [this] {
                if (std::exchange(m_cycleMoved, false) || m_waitingForDevice)
                    m_manager.petWatchdog();
            });
            m_watchdog.start();
        }
    }
    void ready() {
        m_ready = true;
        m_manager.tell("READY=1");
        tellStatus();
    }
    void stopping() {
        m_watchdog.stop();
        m_manager.tell("STOPPING=1");
    }

private:
    void tellStatus() {
        const QByteArray status = "STATUS=" + m_recorder.status().toUtf8();
        if (status != std::exchange(m_told, status))
            m_manager.tell(status);
    }

    core::Recorder& m_recorder;
    platform::ServiceManager m_manager;
    QTimer m_watchdog;
    QByteArray m_told;
    bool m_ready = false;
    bool m_cycleMoved = false;
    bool m_waitingForDevice = false;
};

// Each sample recorded goes on to the broker, and the bench with it; a
// refused login ends the run.
std::unique_ptr<mqtt::ReadingPublisher> publishTo(const mqtt::PublishSettings& settings,
                                                  core::Recorder& recorder,
                                                  const core::RecordOptions& options,
                                                  core::StatusLine& console) {
    auto publisher = std::make_unique<mqtt::ReadingPublisher>(settings);
    QObject::connect(&recorder, &core::Recorder::sampleRecorded, publisher.get(),
                     &mqtt::ReadingPublisher::publish);
    if (core::SummaryRecording* summaries = recorder.summaries())
        QObject::connect(summaries, &core::SummaryRecording::lineWritten, publisher.get(),
                         [p = publisher.get(), &options](const analysis::SummaryLine& line) {
                             p->publishSummary(line, options.utc ? records::TimeZoneOut::Utc
                                                                 : records::TimeZoneOut::Local);
                         });
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
           const std::optional<mqtt::PublishSettings>& publishing,
           const std::optional<app::ServerPlan>& serving) {
    // The status goes on a terminal only, and not when the lines themselves
    // go to the same terminal: rewriting it would garble them.
    // On the journal each message carries its priority, and no status is drawn.
    const bool journal = platform::isJournalStream(platform::standardError());
    const bool live =
        platform::isTerminal(platform::standardError()) &&
        !(options.toStandardOutput() && platform::isTerminal(platform::standardOutput()));
    core::StatusLine console(platform::standardError(),
                             journal ? core::StatusLine::Kind::Journal
                             : live  ? core::StatusLine::Kind::Live
                                     : core::StatusLine::Kind::Plain);
    const auto say = [&console](const QString& line, platform::Severity severity) {
        console.say(Program + QStringLiteral(": ") + line, severity);
    };
    platform::ConsoleDialogs dialogs(Program, [&](const QString& line) { console.say(line); });
    // A reader gone from standard output is a failed write, reported as such.
    platform::ignoreBrokenPipes();

    const auto meter = simulatedMeter(options.simulate, options.longFrames);
    core::Recorder recorder(options, dialogs, portTo(meter.get()));
    std::unique_ptr<mqtt::ReadingPublisher> publisher;
    if (publishing)
        publisher = publishTo(*publishing, recorder, options, console);
    platform::StopSignals stops;
    if (!stops.watch(platform::StopSignals::Watch::StopsAndReopen)) {
        say(QStringLiteral("cannot watch for Ctrl-C"), platform::Severity::Error);
        return ExitTrouble;
    }
    QObject::connect(&stops, &platform::StopSignals::stopAsked, &recorder,
                     [&] { recorder.finish(0); });
    // logrotate moves the file away, then sends SIGHUP.
    QObject::connect(&stops, &platform::StopSignals::reopenAsked, &recorder,
                     [&] { recorder.reopenOutput(); });
    QObject::connect(&recorder, &core::Recorder::notice, &recorder, say);
    std::unique_ptr<core::AlarmCommand> alarmCommand;
    if (!options.onAlarm.isEmpty()) {
        alarmCommand = std::make_unique<core::AlarmCommand>(
            options.onAlarm, recorder.state().link.portLabel, say);
        QObject::connect(&recorder, &core::Recorder::sampleRecorded, alarmCommand.get(),
                         &core::AlarmCommand::measured);
    }
    ServiceLink service(recorder);
    // --http: the server is up before the meter, so a taken address ends the run at once.
    std::unique_ptr<app::RecordingServer> server;
    if (serving) {
        server = std::make_unique<app::RecordingServer>(*serving, recorder, options,
                                                        publisher.get(), alarmCommand.get());
        if (QString error; !server->start(&error)) {
            say(error, platform::Severity::Error);
            return ExitTrouble;
        }
    }
    // The terminal's status line, with the broker's state when publishing.
    const auto showStatus = [&] {
        console.show(publisher ? recorder.status() + QStringLiteral("  ") + publisher->stateText()
                               : recorder.status());
    };
    QObject::connect(&recorder, &core::Recorder::statusChanged, &recorder, showStatus);
    if (publisher)
        QObject::connect(publisher.get(), &mqtt::ReadingPublisher::stateChanged, &recorder,
                         showStatus);
    // At the end the broker's queue and the alarm command both have their
    // grace, side by side; the program exits once both are done.
    core::RecordEnding ending(!options.output.isEmpty());
    const auto oneEnded = [&] {
        if (ending.partEnded())
            QCoreApplication::exit(ending.exitCode());
    };
    QObject::connect(
        &recorder, &core::Recorder::runFinished, &recorder, [&](int code, const QString& message) {
            showStatus();
            console.end();
            service.stopping();
            if (!message.isEmpty())
                say(message, code == 0 ? platform::Severity::Notice : platform::Severity::Error);
            ending.recorderFinished(code, bool(publisher) + bool(alarmCommand));
            if (publisher) {
                // The queued readings and "offline" go before the exit.
                QObject::connect(publisher.get(), &mqtt::ReadingPublisher::closed,
                                 [&](qint64 undelivered) {
                                     if (const QString lost = ending.brokerClosed(undelivered);
                                         !lost.isEmpty())
                                         say(lost, platform::Severity::Warning);
                                     oneEnded();
                                 });
                publisher->close(PublishGraceMs);
            }
            if (alarmCommand) {
                QObject::connect(alarmCommand.get(), &core::AlarmCommand::idle, oneEnded);
                alarmCommand->finish(PublishGraceMs);
            }
            oneEnded();
        });
    QString error;
    if (!recorder.start(&error)) {
        say(error, platform::Severity::Error);
        return ExitTrouble;
    }
    if (journal)
        say(QStringLiteral("recording from %1 every %2 s to %3")
                .arg(options.simulate ? QStringLiteral("the simulated meter") : options.device)
                .arg(options.interval)
                .arg(options.output.isEmpty() ? QStringLiteral("the broker") : options.output),
            platform::Severity::Notice);
    service.ready();
    return QCoreApplication::exec();
}

// serve: the recorded files over HTTP, with no meter, until Ctrl-C or SIGTERM.
int serve(const QStringList& inputs, const app::ServerPlan& plan) {
    // A name that is not there is said at once; a folder's files are looked for at each request.
    for (const QString& input : inputs)
        if (!QFileInfo::exists(input)) {
            std::fprintf(stderr, "%s: %s: no such file or folder\n", qPrintable(Program),
                         qPrintable(input));
            return ExitTrouble;
        }
    app::LogServer server(plan, [inputs] {
        const auto files = core::inputsInTimeOrder(
            inputs, {QStringLiteral("dat"), QStringLiteral("csv"), QStringLiteral("jsonl")});
        return std::holds_alternative<QStringList>(files) ? std::get<QStringList>(files)
                                                          : QStringList();
    });
    server.board().post({});
    platform::StopSignals stops;
    QString error;
    if (!stops.watch(platform::StopSignals::Watch::Stops) || !server.start(&error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(Program),
                     qPrintable(error.isEmpty() ? QStringLiteral("cannot watch for Ctrl-C") : error));
        return ExitTrouble;
    }
    QObject::connect(&stops, &platform::StopSignals::stopAsked, [] { QCoreApplication::exit(0); });
    std::fprintf(stderr, "%s: serving on port %d\n", qPrintable(Program), int(server.port()));
    return QCoreApplication::exec();
}

// --http's plan, when given; a usage error's text when it does not do.
std::variant<std::optional<app::ServerPlan>, QString> serving(const QString& http) {
    if (http.isEmpty())
        return std::nullopt;
    auto plan = app::serverPlan(http);
    if (const auto* problem = std::get_if<QString>(&plan))
        return *problem;
    return std::get<app::ServerPlan>(plan);
}

// --ha-discovery-remove: the configs cleared from the broker, and the run
// ends; it fails when the broker did not take them all.
int removeDiscovery(const mqtt::PublishSettings& settings) {
    core::StatusLine console(platform::standardError(), false);
    mqtt::ReadingPublisher publisher(settings);
    QObject::connect(&publisher, &mqtt::ReadingPublisher::report, &publisher,
                     [&console](const QString& line) {
                         console.say(Program + QStringLiteral(": mqtt: ") + line);
                     });
    int code = 0;
    QObject::connect(&publisher, &mqtt::ReadingPublisher::refused, &publisher,
                     [&code, &console](const QString& reason) {
                         console.say(Program + QStringLiteral(": ") + reason);
                         code = ExitTrouble;
                     });
    QObject::connect(&publisher, &mqtt::ReadingPublisher::closed, &publisher,
                     [&](qint64, bool allDelivered) {
                         if (!allDelivered)
                             code = ExitTrouble;
                         console.say(Program + (code == 0 ? QStringLiteral(": removed the Home "
                                                                           "Assistant configs "
                                                                           "of %1 under %2/")
                                                          : QStringLiteral(": the Home Assistant "
                                                                           "configs of %1 under "
                                                                           "%2/ were not removed"))
                                                   .arg(settings.prefix,
                                                        *settings.discoveryPrefix));
                         QCoreApplication::exit(code);
                     });
    publisher.removeDiscovery();
    publisher.close(PublishGraceMs);
    return QCoreApplication::exec();
}

// The logger's header, memory and clock: one exchange after another, each
// waiting on the clock's own event loop, so no exec() here.
int loggerCommand(const core::LoggerOptions& options) {
    core::StatusLine console(platform::standardError(),
                             platform::isTerminal(platform::standardError()));
    platform::ignoreBrokenPipes();
    const auto meter = simulatedMeter(options.simulate, options.longFrames);
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

// The broker's password never comes from the command line or the
// configuration file: from the environment, or as a service from systemd's
// credential (LoadCredential=mqtt-password:FILE).
QString brokerPassword() {
    if (qEnvironmentVariableIsSet("TARNIX_MQTT_PASSWORD"))
        return qEnvironmentVariable("TARNIX_MQTT_PASSWORD");
    const QString folder = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    QFile credential(folder + QStringLiteral("/mqtt-password"));
    if (folder.isEmpty() || !credential.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(credential.readAll()).trimmed();
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
        const auto publishing = mqtt::publishSettings(command.record, brokerPassword());
        if (const auto* problem = std::get_if<QString>(&publishing))
            return usageError(*problem);
        if (command.record.haDiscoveryRemove)
            return removeDiscovery(*std::get<std::optional<mqtt::PublishSettings>>(publishing));
        const auto plan = serving(command.http);
        if (const auto* problem = std::get_if<QString>(&plan))
            return usageError(*problem);
        return record(command.record, std::get<std::optional<mqtt::PublishSettings>>(publishing),
                      std::get<std::optional<app::ServerPlan>>(plan));
    }
    case cli::LogCommand::Kind::Serve: {
        const auto plan = serving(command.http.isEmpty() ? QString::number(app::ServePort)
                                                         : command.http);
        if (const auto* problem = std::get_if<QString>(&plan))
            return usageError(*problem);
        return serve(command.serveFiles, **std::get_if<std::optional<app::ServerPlan>>(&plan));
    }
    case cli::LogCommand::Kind::Logger:
        return loggerCommand(command.logger);
    case cli::LogCommand::Kind::Convert:
        return core::runConvert(command.convert, fileCommandOutput());
    case cli::LogCommand::Kind::Stats:
        return core::runStats(command.stats, fileCommandOutput());
    case cli::LogCommand::Kind::Ports:
        std::printf("%s", qPrintable(core::portListing(platform::describedSerialDevices())));
        return 0;
    }
    return ExitUsage;
}
