// tarnix-meter-sim: the simulated meter on a pseudo-terminal. Prints the
// device to open as its first line, then serves until SIGINT/SIGTERM,
// "quit" on standard input or its end (unless --no-stdin).

#include "cli/MeterSimOptions.h"
#include "platform/InputLines.h"
#include "platform/StandardStreams.h"
#include "platform/StopSignals.h"
#include "sim/PtyMeter.h"
#include "sim/ScriptedReading.h"
#include "sim/SimMeter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <optional>

using tarnix::cli::Failure;
using tarnix::cli::isMeterSpeed;
using tarnix::cli::MeterSimSetup;
using tarnix::sim::Model;
using tarnix::sim::PtyMeter;
using tarnix::sim::SimMeter;

namespace {

constexpr int ExitTrouble = tarnix::cli::MeterSimTrouble;
constexpr int ExitUsage = tarnix::cli::MeterSimUsage;

void say(const QString& text) {
    std::fprintf(stderr, "tarnix-meter-sim: %s\n", qPrintable(text));
}

std::optional<QByteArray> readFile(const QString& path, Failure& failure) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = {ExitTrouble, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
        return std::nullopt;
    }
    return file.readAll();
}

// Fills the meter as the options say: memory image first, so the alarm
// bytes given on the command line win over the image's.
bool loadMeter(SimMeter& meter, const MeterSimSetup& setup, Failure& failure) {
    if (!setup.memoryFile.isEmpty()) {
        const auto image = readFile(setup.memoryFile, failure);
        if (!image)
            return false;
        if (image->size() > tarnix::sim::MemorySize) {
            failure = {ExitTrouble, QStringLiteral("%1 is %2 bytes; the meter's memory holds %3")
                                        .arg(setup.memoryFile)
                                        .arg(image->size())
                                        .arg(tarnix::sim::MemorySize)};
            return false;
        }
        meter.loadMemory(*image);
    }
    if (setup.alarm) {
        for (int i = 0; i < tarnix::cli::AlarmByteCount; ++i)
            meter.setMemory(tarnix::cli::AlarmFirstAddress + i, std::uint8_t(setup.alarm->at(i)));
    }
    if (!setup.readingsFile.isEmpty()) {
        const auto text = readFile(setup.readingsFile, failure);
        if (!text)
            return false;
        tarnix::sim::ScriptError error{};
        const auto script =
            tarnix::sim::parseReadingScript(QString::fromUtf8(*text), setup.model, &error);
        if (!script) {
            failure = {ExitUsage, QStringLiteral("%1:%2: %3")
                                      .arg(setup.readingsFile)
                                      .arg(error.line)
                                      .arg(error.message)};
            return false;
        }
        meter.setScript(*script);
    }
    meter.setRecording(setup.recording);
    meter.setPowerUpByte(setup.powerUpByte);
    return true;
}

// --- The console -------------------------------------------------------------

// What the meter hears, for --verbose: the letter, then parameter bytes as numbers.
QString describeCommand(const QByteArray& command) {
    const auto head = std::uint8_t(command[0]);
    QString text = head >= 32 && head < 127 ? QStringLiteral("\"%1\"").arg(QChar(head))
                                            : QString::number(head);
    for (qsizetype i = 1; i < command.size(); ++i)
        text += u' ' + QString::number(std::uint8_t(command[i]));
    return text;
}

class Console {
public:
    Console(PtyMeter& pty, bool verbose) : m_pty(pty), m_meter(pty.meter()), m_verbose(verbose) {}

    void switchPower(bool on) {
        m_pty.setPowered(on);
        say(on ? QStringLiteral("meter on") : QStringLiteral("meter off"));
    }

    // One line of standard input.
    void command(const QString& line) {
        const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            return;
        const QString head = words[0].toLower();
        if (head == u"off" && words.size() == 1) {
            switchPower(false);
        } else if (head == u"on" && words.size() == 1) {
            switchPower(true);
        } else if (head == u"quit" && words.size() == 1) {
            QCoreApplication::quit();
        } else if (head == u"baud" && words.size() == 2 && isMeterSpeed(words[1].toInt())) {
            m_meter.setBaud(words[1].toInt());
            say(QStringLiteral("meter at %1 baud").arg(m_meter.baud()));
        } else if (head == u"record" && words.size() == 2 &&
                   (words[1] == u"on" || words[1] == u"off")) {
            m_meter.setRecording(words[1] == u"on");
            say(m_meter.recording() ? QStringLiteral("logger recording")
                                    : QStringLiteral("logger not recording"));
        } else {
            say(QStringLiteral("unknown command \"%1\" (off, on, baud 1200|2400|4800|9600, "
                               "record on|off, quit)")
                    .arg(line.trimmed()));
        }
    }

    // After the meter heard bytes: tells what it made of them.
    void heard(const QByteArray& bytes, int baud) {
        const auto& commands = m_meter.commands();
        if (m_verbose) {
            for (const QByteArray& c : commands)
                say(QStringLiteral("heard %1").arg(describeCommand(c)));
            if (commands.empty() && !m_meter.poweredOn())
                say(QStringLiteral("ignored %1 byte(s): the meter is off").arg(bytes.size()));
            else if (commands.empty() && baud != m_meter.baud())
                say(QStringLiteral("ignored %1 byte(s) sent at %2 baud: the meter is at %3")
                        .arg(bytes.size())
                        .arg(baud == 0 ? QStringLiteral("an unknown speed") : QString::number(baud))
                        .arg(m_meter.baud()));
        }
        // The log would grow for as long as the meter runs.
        m_meter.clearCommands();
    }

private:
    PtyMeter& m_pty;
    SimMeter& m_meter;
    bool m_verbose;
};

} // namespace

int main(int argc, char* argv[]) {
    tarnix::platform::InputLines::holdOpen(); // before Qt opens anything
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnix-meter-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNIX_VERSION));

    Failure failure{};
    QCommandLineParser parser;
    const auto setup =
        tarnix::cli::parseMeterSimOptions(parser, QCoreApplication::arguments(), failure);
    if (!setup) {
        say(failure.message);
        return failure.exitCode;
    }
    SimMeter meter(setup->model, setup->baud);
    if (!loadMeter(meter, *setup, failure)) {
        say(failure.message);
        return failure.exitCode;
    }

    tarnix::platform::StopSignals stops;
    if (!stops.watch(tarnix::platform::StopSignals::Watch::StopsAndUserSignals)) {
        say(QStringLiteral("cannot watch for signals"));
        return ExitTrouble;
    }
    // A reader gone from standard output must not end the meter.
    tarnix::platform::ignoreBrokenPipes();
    PtyMeter pty(meter);
    Console console(pty, setup->verbose);
    QObject::connect(&stops, &tarnix::platform::StopSignals::stopAsked, &app,
                     [] { QCoreApplication::quit(); });
    QObject::connect(&stops, &tarnix::platform::StopSignals::userSignal, &app,
                     [&](int which) { console.switchPower(which == 2); });

    if (!pty.open(setup->linkPath)) {
        say(pty.errorText());
        return ExitTrouble;
    }
    QObject::connect(&pty, &PtyMeter::received, &app,
                     [&](const QByteArray& bytes, int baud) { console.heard(bytes, baud); });
    QObject::connect(&pty, &PtyMeter::failed, &app, [](const QString& reason) {
        say(reason);
        QCoreApplication::exit(ExitTrouble);
    });
    tarnix::platform::InputLines input;
    if (setup->readInput) {
        QObject::connect(&input, &tarnix::platform::InputLines::lineRead, &app,
                         [&](const QString& line) { console.command(line); });
        QObject::connect(&input, &tarnix::platform::InputLines::ended, &app, [] {
            say(QStringLiteral("standard input ended: the meter stops (--no-stdin serves on)"));
            QCoreApplication::quit();
        });
        input.watch();
    }

    std::printf("%s\n", qPrintable(pty.devicePath()));
    std::fflush(stdout);
    if (setup->verbose)
        say(QStringLiteral("%1 meter at %2 baud on %3")
                .arg(setup->model == Model::Long ? QStringLiteral("long-frame")
                                                 : QStringLiteral("short-frame"))
                .arg(setup->baud)
                .arg(pty.devicePath()));
    return app.exec();
}
