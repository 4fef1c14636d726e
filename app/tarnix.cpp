// tarnix: the desktop companion of the multimeter.
#include "cli/QtOwnOptions.h"
#include "sim/BuiltInMeter.h"
#include "ui/DesktopProgram.h"
#include "ui/platform/DisplayOpening.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <optional>

using tarnix::ui::DesktopOptions;

namespace {

constexpr int ExitTrouble = 1; // no display, or the port failed
constexpr int ExitUsage = 2;

constexpr char NoDisplay[] = "tarnix: no display: set DISPLAY, or run under xvfb-run";

void setNames() {
    QCoreApplication::setApplicationName(QStringLiteral("tarnix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNIX_VERSION));
}

// Reads the command line before any window exists, so that --help,
// --version and a bad option need no display. Qt's own options are left to
// QApplication, -platform's value in `platform`, the simulated meter's model
// in `model`. nullopt with `exitCode` set when the program ends here.
std::optional<DesktopOptions> readOptions(int argc, char* argv[], int& exitCode,
                                          QString& platform, tarnix::sim::Model& model) {
    QCoreApplication reading(argc, argv);
    setNames();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The PC companion of a hand-held multimeter with a data logger.\n"
                       "Without options it starts with the port window. With a data FILE\n"
                       "alone it lists that file, as OPEN FILE does, without asking for a\n"
                       "port; with --port or --simulate as well, the main panel opens too.\n"
                       "With --trend, each FILE (or folder of .dat files) opens in a trend\n"
                       "window instead: its readings over time, zoomed with the wheel,\n"
                       "panned by dragging; Home shows all, Esc undoes a zoom.\n"
                       "Keys on the main panel: Ctrl+O opens a file, Ctrl+T shows the running\n"
                       "recording's trend, Ctrl+Q quits, F1 shows the version and licence."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open the main panel on DEVICE (/dev/ttyUSB0, a "
                                                 "stable /dev/serial/by-id/... link, or "
                                                 "COM1..COM8)."),
                                  QStringLiteral("DEVICE"));
    parser.addOption(port);
    parser.addOption({QStringLiteral("simulate"),
                      QStringLiteral("Open the main panel on the built-in simulated meter; "
                                     "--simulate=long for the 12-byte model.")});
    const QCommandLineOption trend(
        QStringLiteral("trend"),
        QStringLiteral("Show each FILE's readings over time in a trend window of its own; "
                       "it follows a file that is still being recorded."));
    parser.addOption(trend);
    const QCommandLineOption together(
        QStringLiteral("together"),
        QStringLiteral("With --trend: all FILEs in one trend window, in the order of their "
                       "first reading's time."));
    parser.addOption(together);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A data file (.dat) to list, or with --trend "
                                                "data files or folders of them."),
                                 QStringLiteral("[FILE...]"));
    const auto usageError = [&](const QString& message) {
        std::fprintf(stderr, "tarnix: %s\nTry 'tarnix --help' for more information.\n",
                     qPrintable(message));
        exitCode = ExitUsage;
        return std::nullopt;
    };
    // --simulate takes an optional value, which QCommandLineParser cannot express.
    tarnix::cli::QtOwnOptions split = tarnix::cli::splitQtOwnOptions(QCoreApplication::arguments());
    platform = split.platform;
    QStringList& arguments = split.rest;
    bool simulate = false, longFrames = false;
    for (auto it = arguments.begin(); it != arguments.end();) {
        if (*it == u"--simulate" || it->startsWith(u"--simulate=")) {
            // "--simulate=" names no model: refused, as tarnix-log does.
            const bool named = it->contains(u'=');
            const QString model = named ? it->section(u'=', 1) : QStringLiteral("short");
            if (model != u"short" && model != u"long")
                return usageError(
                    QStringLiteral("--simulate takes short or long, not \"%1\"").arg(model));
            simulate = true;
            longFrames = model == u"long";
            it = arguments.erase(it);
        } else {
            ++it;
        }
    }
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", qPrintable(parser.helpText() + tarnix::cli::qtOwnOptionsHelp()));
        exitCode = 0;
        return std::nullopt;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    const QStringList files = parser.positionalArguments();
    const bool trends = parser.isSet(trend);
    if (parser.isSet(together) && !trends)
        return usageError(QStringLiteral("--together goes with --trend"));
    if (trends && files.isEmpty())
        return usageError(QStringLiteral("--trend needs a data FILE"));
    if (!trends && files.size() > 1)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(files[1]));
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile() && !(trends && info.isDir()))
            return usageError(QStringLiteral("no data file \"%1\"").arg(file));
    }
    if (simulate && parser.isSet(port))
        return usageError(QStringLiteral("give either --port or --simulate"));
    if (parser.isSet(port) && parser.value(port).isEmpty())
        return usageError(QStringLiteral("missing DEVICE after --port"));

    DesktopOptions options;
    if (trends) {
        for (const QString& file : files)
            options.trendFiles << QFileInfo(file).absoluteFilePath();
        options.trendTogether = parser.isSet(together);
    } else if (!files.isEmpty()) {
        options.dataFile = QFileInfo(files.first()).absoluteFilePath();
    }
    model = longFrames ? tarnix::sim::Model::Long : tarnix::sim::Model::Short;
    if (simulate) {
        options.start = DesktopOptions::Start::Simulated;
    } else if (parser.isSet(port)) {
        options.start = DesktopOptions::Start::Device;
        options.device = parser.value(port);
    }
    return options;
}

} // namespace

int main(int argc, char* argv[]) {
    int exitCode = 0;
    QString platform; // -platform on the command line, which wins over QT_QPA_PLATFORM
    tarnix::sim::Model model = tarnix::sim::Model::Short;
    auto options = readOptions(argc, argv, exitCode, platform, model);
    if (!options)
        return exitCode;

    // Without a display Qt's platform plugin would abort the program.
    if (tarnix::ui::displayMissing(platform)) {
        std::fprintf(stderr, "%s\n", NoDisplay);
        return ExitTrouble;
    }
    std::optional<tarnix::ui::DisplayOpening> opening;
    if (tarnix::ui::needsDisplay(platform))
        opening.emplace(NoDisplay);
    QApplication app(argc, argv);
    opening.reset();
    setNames();
    // The built-in meter, on offer whether or not --simulate chose it.
    tarnix::sim::BuiltInMeter builtIn(model);
    options->simulatedPorts = builtIn.ports();
    tarnix::ui::DesktopProgram program(*options);
    if (!program.start())
        return ExitTrouble;
    return QApplication::exec();
}
