#pragma once

#include "sim/SimMeter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

// tarnix-meter-sim's command line: read here, handed to the simulated meter
// as a set-up.
namespace tarnix::cli {

constexpr int MeterSimTrouble = 1; // no pseudo-terminal, or a file that cannot be read
constexpr int MeterSimUsage = 2;   // a bad option or readings script

constexpr int AlarmFirstAddress = 49; // alarm mode, code, low limit, high limit
constexpr int AlarmByteCount = 6;

// A failure that ends the program before it serves.
struct Failure {
    int exitCode;
    QString message;
};

// What the simulated meter is to be.
struct MeterSimSetup {
    sim::Model model = sim::Model::Short;
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

// A byte given as decimal or 0x hexadecimal; nothing outside 0..255.
std::optional<int> byteNumber(const QString& word);
// 1200, 2400, 4800 or 9600: the speeds the meter knows.
bool isMeterSpeed(int baud);

// Reads the arguments, the program's name first. --help and --version print
// and end the program here, as QCommandLineParser does; nullopt with
// `failure` set when the command line cannot be served.
std::optional<MeterSimSetup> parseMeterSimOptions(QCommandLineParser& parser,
                                                  const QStringList& arguments, Failure& failure);

} // namespace tarnix::cli
