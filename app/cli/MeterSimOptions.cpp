#include "cli/MeterSimOptions.h"

#include <QCommandLineParser>

namespace tarnix::cli {

namespace {

constexpr int ExitUsage = MeterSimUsage;

} // namespace

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

std::optional<MeterSimSetup> parseMeterSimOptions(QCommandLineParser& parser,
                                                  const QStringList& arguments, Failure& failure) {
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
    // A program without windows has no Qt options of note: --help-all is --help.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        failure = {
            ExitUsage,
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first())};
        return std::nullopt;
    }

    MeterSimSetup setup;
    const QString modelText = parser.value(model).toLower();
    if (modelText != u"short" && modelText != u"long") {
        failure = {ExitUsage,
                   QStringLiteral("--model is short or long, not \"%1\"").arg(modelText)};
        return std::nullopt;
    }
    setup.model = modelText == u"long" ? sim::Model::Long : sim::Model::Short;

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

} // namespace tarnix::cli
