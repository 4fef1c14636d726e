// tarnix-log: the polling cycle and the sampling clock without windows, for
// benches and headless machines that record for days.
#include "core/LoggerCommands.h"
#include "core/PortListing.h"
#include "core/Recorder.h"
#include "core/RecorderOptions.h"
#include "core/StatusLine.h"
#include "platform/ConsoleDialogs.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace tarnix;

namespace {

constexpr int ExitTrouble = 1; // the port, the file or a line write failed
constexpr int ExitUsage = 2;

const QString Program = QStringLiteral("tarnix-log");

int record(const core::RecordOptions& options) {
    // The status goes on a terminal only, and not when the lines themselves
    // go to the same terminal: rewriting it would garble them.
    const bool live =
        ::isatty(STDERR_FILENO) && !(options.toStandardOutput() && ::isatty(STDOUT_FILENO));
    core::StatusLine console(STDERR_FILENO, live);
    platform::ConsoleDialogs dialogs(Program, [&](const QString& line) { console.say(line); });
    // A reader gone from standard output is a failed write, reported as such.
    std::signal(SIGPIPE, SIG_IGN);

    core::Recorder recorder(options, dialogs);
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
    QObject::connect(&recorder, &core::Recorder::statusChanged, &recorder,
                     [&] { console.show(recorder.status()); });
    QObject::connect(&recorder, &core::Recorder::runFinished, &recorder,
                     [&](int code, const QString& message) {
                         console.show(recorder.status());
                         console.end();
                         if (!message.isEmpty())
                             console.say(Program + QStringLiteral(": ") + message);
                         QCoreApplication::exit(code);
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
    core::StatusLine console(STDERR_FILENO, ::isatty(STDERR_FILENO) != 0);
    std::signal(SIGPIPE, SIG_IGN);
    const int code = core::runLoggerCommand(
        options, {.progress = [&](const QString& text) { console.show(text); },
                  .message = [&](const QString& line) { console.say(line); }});
    console.end();
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(Program);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNIX_VERSION));

    const auto parsed = core::parseLogCommandLine(QCoreApplication::arguments().mid(1));
    if (const auto* usage = std::get_if<core::UsageError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(Program),
                     qPrintable(usage->message), qPrintable(Program));
        return ExitUsage;
    }
    const core::LogCommand& command = std::get<core::LogCommand>(parsed);
    switch (command.kind) {
    case core::LogCommand::Kind::Help:
        std::printf("%s", qPrintable(core::logUsage()));
        return 0;
    case core::LogCommand::Kind::Version:
        std::printf("%s %s\n", qPrintable(Program), TARNIX_VERSION);
        return 0;
    case core::LogCommand::Kind::Record:
        return record(command.record);
    case core::LogCommand::Kind::Logger:
        return loggerCommand(command.logger);
    case core::LogCommand::Kind::Ports:
        std::printf("%s", qPrintable(core::portListing(platform::describedSerialDevices())));
        return 0;
    }
    return ExitUsage;
}
