// tarnix-meter-sim: the simulated meter on a pseudo-terminal. Prints the
// device to open as its first line, then serves until SIGINT/SIGTERM,
// "quit" on standard input or its end (unless --no-stdin).

#include "platform/InputLines.h"
#include "sim/PtyMeter.h"
#include "sim/ScriptedReading.h"
#include "sim/SimMeter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

using tarnix::sim::Model;
using tarnix::sim::PtyMeter;
using tarnix::sim::SimMeter;

namespace {

constexpr int ExitTrouble = 1; // no pseudo-terminal, or a file that cannot be read
constexpr int ExitUsage = 2;   // a bad option or readings script

constexpr int AlarmFirstAddress = 49; // alarm mode, code, low limit, high limit
constexpr int AlarmByteCount = 6;

void say(const QString& text) {
    std::fprintf(stderr, "tarnix-meter-sim: %s\n", qPrintable(text));
}

// A failure that ends the program before it serves.
struct Failure {
    int exitCode;
    QString message;
};

std::optional<int> byteNumber(const QString& word) {
    bool ok = false;
    const QString w = word.trimmed();
    const int value =
        w.startsWith(u"0x", Qt::CaseInsensitive) ? w.mid(2).toInt(&ok, 16) : w.toInt(&ok, 10);
    if (!ok || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

bool isMeterSpeed(int baud) {
    return baud == 1200 || baud == 2400 || baud == 4800 || baud == 9600;
}

// --- Options -------------------------------------------------------------

struct Setup {
    Model model = Model::Short;
    int baud = 9600;
    QString memoryFile;
    QString readingsFile;
    std::optional<QByteArray> alarm;
    bool recording = false;
    QString linkPath;
    bool verbose = false;
    bool powerUpByte = false;
    bool readInput = true; // commands on standard input, whose end ends the meter
};

std::optional<Setup> parseOptions(QCommandLineParser& parser, const QStringList& arguments,
                                  Failure& failure) {
    parser.setApplicationDescription(QStringLiteral(
        "The simulated meter on a pseudo-terminal. Prints the device to open (for example with\n"
        "tarnix --port) as its first line, then answers like the meter until stopped.\n"
        "\n"
        "Standard input takes one command a line: off, on, baud N, record on|off, quit.\n"
        "Its end (Ctrl-D, or the pipe closed) ends the program too, unless --no-stdin.\n"
        "SIGUSR1 switches the meter off, SIGUSR2 on; SIGINT or SIGTERM end the program."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption model(
        {QStringLiteral("model")},
        QStringLiteral("short (5-byte frames) or long (12-byte frames)."),
        QStringLiteral("short|long"), QStringLiteral("short"));
    const QCommandLineOption baud(
        {QStringLiteral("baud")},
        QStringLiteral("The meter's own speed: 1200, 2400, 4800 or 9600."), QStringLiteral("N"),
        QStringLiteral("9600"));
    const QCommandLineOption memory({QStringLiteral("memory")},
                                    QStringLiteral("A binary memory image of up to 4096 bytes."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption readings(
        {QStringLiteral("readings")},
        QStringLiteral("A readings script, one reading a line: CODE VALUE [MHz|KHz], packed CODE "
                       "HIGH LOW, chars CODE TEXT, raw BYTE..., hold."),
        QStringLiteral("FILE"));
    const QCommandLineOption alarm(
        {QStringLiteral("alarm")},
        QStringLiteral("The alarm bytes at addresses 49..54, six numbers separated by commas: "
                       "MODE (150 = armed),CODE,LOW_LO,LOW_HI,HIGH_LO,HIGH_HI."),
        QStringLiteral("BYTES"));
    const QCommandLineOption recording({QStringLiteral("recording")},
                                       QStringLiteral("The logger reports that it is recording."));
    const QCommandLineOption link({QStringLiteral("link")},
                                  QStringLiteral("Also make a symlink PATH to the device."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption verbose({QStringLiteral("verbose")},
                                     QStringLiteral("Print every command the meter hears."));
    const QCommandLineOption powerUpByte(
        {QStringLiteral("power-up-byte")},
        QStringLiteral("Send one byte 0xFF when switched on (by default the meter stays silent "
                       "until asked)."));
    const QCommandLineOption noStdin(
        {QStringLiteral("no-stdin")},
        QStringLiteral("Read no commands from standard input, and serve on when it is closed or "
                       "/dev/null (a meter started in the background by a script)."));
    parser.addOptions(
        {model, baud, memory, readings, alarm, recording, link, verbose, powerUpByte, noStdin});

    if (!parser.parse(arguments)) {
        failure = {ExitUsage, parser.errorText()};
        return std::nullopt;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        failure = {
            ExitUsage,
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first())};
        return std::nullopt;
    }

    Setup setup;
    const QString modelText = parser.value(model).toLower();
    if (modelText != u"short" && modelText != u"long") {
        failure = {ExitUsage,
                   QStringLiteral("--model is short or long, not \"%1\"").arg(modelText)};
        return std::nullopt;
    }
    setup.model = modelText == u"long" ? Model::Long : Model::Short;

    bool ok = false;
    setup.baud = parser.value(baud).toInt(&ok);
    if (!ok || !isMeterSpeed(setup.baud)) {
        failure = {ExitUsage, QStringLiteral("--baud is 1200, 2400, 4800 or 9600, not \"%1\"")
                                  .arg(parser.value(baud))};
        return std::nullopt;
    }

    if (parser.isSet(alarm)) {
        const QStringList words = parser.value(alarm).split(u',');
        QByteArray bytes;
        for (const QString& word : words) {
            const auto b = byteNumber(word);
            if (!b)
                break;
            bytes.append(char(*b));
        }
        if (words.size() != AlarmByteCount || bytes.size() != AlarmByteCount) {
            failure = {ExitUsage, QStringLiteral("--alarm takes six numbers 0..255 separated by "
                                                 "commas, not \"%1\"")
                                      .arg(parser.value(alarm))};
            return std::nullopt;
        }
        setup.alarm = bytes;
    }
    setup.memoryFile = parser.value(memory);
    setup.readingsFile = parser.value(readings);
    setup.recording = parser.isSet(recording);
    setup.linkPath = parser.value(link);
    setup.verbose = parser.isSet(verbose);
    setup.powerUpByte = parser.isSet(powerUpByte);
    setup.readInput = !parser.isSet(noStdin);
    return setup;
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
bool loadMeter(SimMeter& meter, const Setup& setup, Failure& failure) {
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
        for (int i = 0; i < AlarmByteCount; ++i)
            meter.setMemory(AlarmFirstAddress + i, std::uint8_t(setup.alarm->at(i)));
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

// --- Signals ---------------------------------------------------------------

// The write end of the self-pipe; only the signal handler uses it.
int signalPipeWrite = -1;

extern "C" void onSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    if (::write(signalPipeWrite, &byte, 1) < 0) {
        // A full pipe already holds a signal to handle.
    }
    errno = savedErrno;
}

// Signals arrive as bytes on a socket the event loop watches, so they are
// handled between events, never inside a handler.
bool catchSignals(QSocketNotifier*& notifier, QObject* parent) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    signalPipeWrite = ends[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
        ::sigaction(number, &action, nullptr);
    // A reader gone from standard output must not end the meter.
    std::signal(SIGPIPE, SIG_IGN);
    notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, parent);
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
    const auto setup = parseOptions(parser, QCoreApplication::arguments(), failure);
    if (!setup) {
        say(failure.message);
        return failure.exitCode;
    }
    SimMeter meter(setup->model, setup->baud);
    if (!loadMeter(meter, *setup, failure)) {
        say(failure.message);
        return failure.exitCode;
    }

    QSocketNotifier* signalNotifier = nullptr;
    if (!catchSignals(signalNotifier, &app)) {
        say(QStringLiteral("cannot watch for signals"));
        return ExitTrouble;
    }
    PtyMeter pty(meter);
    Console console(pty, setup->verbose);
    QObject::connect(signalNotifier, &QSocketNotifier::activated, &app, [&] {
        unsigned char number = 0;
        while (::read(int(signalNotifier->socket()), &number, 1) == 1) {
            if (number == SIGUSR1)
                console.switchPower(false);
            else if (number == SIGUSR2)
                console.switchPower(true);
            else
                QCoreApplication::quit();
        }
    });

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
