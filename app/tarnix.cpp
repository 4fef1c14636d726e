// tarnix: the desktop companion of the multimeter.
#include "ui/DesktopProgram.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

using tarnix::app::DesktopOptions;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnix"));
    QApplication::setApplicationVersion(QStringLiteral(TARNIX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The PC companion of a hand-held multimeter with a data logger.\n"
                       "Without options it starts with the port window."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open the main panel on DEVICE (/dev/ttyUSB0)."),
                                  QStringLiteral("DEVICE"));
    parser.addOption(port);
    parser.addOption({QStringLiteral("simulate"),
                      QStringLiteral("Open the main panel on the built-in simulated meter; "
                                     "--simulate=long for the 12-byte model.")});
    // --simulate takes an optional value, which QCommandLineParser cannot express.
    QStringList arguments = QApplication::arguments();
    bool simulate = false, longFrames = false;
    for (auto it = arguments.begin(); it != arguments.end();) {
        if (*it == u"--simulate" || it->startsWith(u"--simulate=")) {
            const QString model = it->section(u'=', 1);
            if (!model.isEmpty() && model != u"short" && model != u"long") {
                std::fprintf(stderr, "tarnix: --simulate takes short or long, not \"%s\"\n",
                             qPrintable(model));
                return 2;
            }
            simulate = true;
            longFrames = model == u"long";
            it = arguments.erase(it);
        } else {
            ++it;
        }
    }
    // A bad command line is a usage error (2), as in tarnix-log.
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tarnix: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tarnix: unexpected argument \"%s\"\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }

    DesktopOptions options;
    if (simulate && parser.isSet(port)) {
        std::fprintf(stderr, "tarnix: give either --port or --simulate\n");
        return 2;
    }
    if (simulate) {
        options.start = DesktopOptions::Start::Simulated;
        options.longFrames = longFrames;
    } else if (parser.isSet(port)) {
        options.start = DesktopOptions::Start::Device;
        options.device = parser.value(port);
    }

    tarnix::app::DesktopProgram program(options);
    if (!program.start())
        return 1;
    return QApplication::exec();
}
