#pragma once

#include "core/RecorderOptions.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// tarnix-log's command line: the program's own words, read here and handed
// to the core as option values.
namespace tarnix::cli {

// A tarnix-log command line. The first word picks the subcommand.
struct LogCommand {
    enum class Kind { Help, Version, Record, Logger, Convert, Stats, Ports, Serve };
    Kind kind = Kind::Help;
    core::RecordOptions record = {};   // Record
    core::LoggerOptions logger = {};   // Logger
    core::ConvertOptions convert = {}; // Convert
    core::StatsOptions stats = {};     // Stats
    // Values taken otherwise than given, each a line for standard error.
    QStringList warnings = {};
    QString helpTopic = {}; // Help after a subcommand: its name
    // --http [ADDR:]PORT of record and serve, as given; empty: record serves nothing.
    QString http = {};
    QStringList serveFiles = {}; // Serve: the data files and folders it offers

};

// A command line that cannot be run: the program says why, shows the usage
// and exits with 2.
struct UsageError {
    QString message;
};

// Reads the arguments after the program name. Prints nothing and never exits.
std::variant<LogCommand, UsageError> parseLogCommandLine(const QStringList& arguments);

// --interval's value: seconds with a decimal point, kept within 1..86400.
// Nothing when it is not a number, a comma included.
std::optional<double> parseIntervalSeconds(const QString& text);

// The text --help prints: every subcommand.
QString logUsage();
// The text SUBCOMMAND --help prints: its usage, options and examples.
QString subcommandUsage(const QString& subcommand);

} // namespace tarnix::cli
