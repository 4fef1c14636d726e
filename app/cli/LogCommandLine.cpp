#include "cli/LogCommandLine.h"

#include "cli/ConfigFile.h"
#include "cli/Duration.h"
#include "records/RecordCondition.h"
#include "records/OutputName.h"
#include "link/MemoryMap.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>

namespace tarnix::cli {

using core::ConvertOptions;
using core::LoggerOptions;
using core::RecordOptions;

namespace {

using Result = std::variant<LogCommand, UsageError>;

UsageError error(const QString& text) {
    return UsageError{text};
}

// --help after a subcommand: that subcommand's own help.
LogCommand helpOn(const QString& topic) {
    LogCommand command{LogCommand::Kind::Help};
    command.helpTopic = topic;
    return command;
}

bool isHelp(const QString& word) {
    return word == u"--help" || word == u"-h";
}
bool isVersion(const QString& word) {
    return word == u"--version" || word == u"-v";
}

// One option word: its name and the value given after "=", if any.
struct OptionWord {
    QString name;
    std::optional<QString> attached;
};

OptionWord splitOption(const QString& word) {
    const qsizetype equals = word.indexOf(u'=');
    if (equals < 0)
        return {word, std::nullopt};
    return {word.left(equals), word.mid(equals + 1)};
}

// --simulate[=short|long]; the error text when the model is neither.
QString takeSimulate(const std::optional<QString>& attached, bool& simulate, bool& longFrames) {
    const QString model = attached.value_or(QStringLiteral("short"));
    if (model != u"short" && model != u"long")
        return QStringLiteral("--simulate takes short or long, not \"%1\"").arg(model);
    simulate = true;
    longFrames = model == u"long";
    return {};
}

// The options of `record` that take a value, with the value's name for messages.
struct ValueOption {
    const char16_t* name;
    const char16_t* metavar;
};
constexpr ValueOption ValueOptions[] = {
    {u"--port", u"DEVICE"},
    {u"--interval", u"SECONDS"},
    {u"--samples", u"N"},
    {u"--duration", u"SECONDS"},
    {u"--format", u"FORMAT"},
    {u"--mqtt", u"URL"},
    {u"--topic", u"PREFIX"},
    {u"--cafile", u"FILE"},
    {u"--config", u"FILE"},
    {u"--on-alarm", u"COMMAND"},
    {u"--start-when", u"COND"},
    {u"--stop-when", u"COND"},
    {u"--pre", u"DURATION"},
    {u"--post", u"DURATION"},
    {u"--every", u"DURATION"},
    {u"--http", u"[ADDR:]PORT"},
};

const ValueOption* findValueOption(const QString& name) {
    for (const ValueOption& option : ValueOptions)
        if (name == QStringView(option.name))
            return &option;
    return nullptr;
}

// A condition that cannot be read, with a line that points at the word.
QString conditionProblem(const QString& name, const QString& text,
                         const records::ConditionError& wrong) {
    return QStringLiteral("%1: %2\n  %3\n  %4%5")
        .arg(name, wrong.why, text, QString(wrong.at, u' '),
             QString(std::max<qsizetype>(wrong.length, 1), u'^'));
}

// --every: whole seconds from 1 s to a day; an error text when not.
QString takeEvery(std::optional<int>& every, const QString& value) {
    const auto seconds = durationSeconds(value);
    if (!seconds || *seconds < 1 || *seconds > 86400 || *seconds != std::floor(*seconds))
        return QStringLiteral("--every takes whole seconds from 1 s to a day, such as 60, 1m, 15m "
                              "or 1h, not \"%1\"")
            .arg(value);
    every = int(*seconds);
    return {};
}

// Summaries are CSV or JSON lines: the data file keeps one sample a line.
QString everyProblem(std::optional<int> every, bool dataFile, bool skipEmpty) {
    if (every && dataFile)
        return QStringLiteral("--every writes summary lines as CSV or JSON lines, not as "
                              "data-file lines: give --format csv or jsonl, or a .csv or .jsonl "
                              "file");
    if (skipEmpty && !every)
        return QStringLiteral("--skip-empty leaves out empty summary intervals: give --every too");
    return {};
}

// Stores one option's value; an error text when the value does not do.
QString takeValue(RecordOptions& options, const QString& name, const QString& value) {
    if (name == u"--port") {
        if (value.isEmpty())
            return QStringLiteral("missing DEVICE after --port");
        options.device = value;
    } else if (name == u"--interval") {
        const auto seconds = parseIntervalSeconds(value);
        // "1,5" is neither 15 nor, in a script's "C" locale, 1.5: say which is meant.
        if (!seconds && value.contains(u','))
            return QStringLiteral("--interval takes a decimal point, not a comma: \"%1\"")
                .arg(value);
        if (!seconds)
            return QStringLiteral("--interval takes a number of seconds, not \"%1\"").arg(value);
        options.interval = *seconds;
    } else if (name == u"--format") {
        const auto format = records::recordingFormatNamed(value);
        if (!format)
            return QStringLiteral("--format takes dat, csv or jsonl, not \"%1\"").arg(value);
        options.format = *format;
    } else if (name == u"--samples") {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        if (!ok || n < 1)
            return QStringLiteral("--samples takes a whole number from 1, not \"%1\"").arg(value);
        options.samples = n;
    } else if (name == u"--duration") {
        bool ok = false;
        const double seconds = value.toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0)
            return QStringLiteral("--duration takes a number of seconds above 0, not \"%1\"")
                .arg(value);
        options.duration = seconds;
    } else if (name == u"--start-when" || name == u"--stop-when") {
        auto parsed = records::parseRecordCondition(value);
        if (const auto* wrong = std::get_if<records::ConditionError>(&parsed))
            return conditionProblem(name, value, *wrong);
        (name == u"--start-when" ? options.startWhen : options.stopWhen) =
            std::move(std::get<records::RecordCondition>(parsed));
    } else if (name == u"--pre" || name == u"--post") {
        const auto seconds = durationSeconds(value);
        if (!seconds)
            return QStringLiteral("%1 takes a span of time such as 30, 30s, 5m or 1h, not \"%2\"")
                .arg(name, value);
        (name == u"--pre" ? options.pre : options.post) = *seconds;
    } else if (name == u"--every") {
        return takeEvery(options.every, value);
    } else if (name == u"--on-alarm") {
        if (value.trimmed().isEmpty())
            return QStringLiteral("--on-alarm needs a COMMAND");
        options.onAlarm = value;
    } else {
        // The broker options are checked by the program that publishes.
        (name == u"--mqtt" ? options.mqttUrl : name == u"--topic" ? options.mqttTopic
                                                                  : options.mqttCafile) = value;
    }
    return {};
}

// The words after a subcommand: file names, "--", --help, --simulate[=MODEL]
// and options that take a value (as "--name value" or "--name=value").
struct Scanned {
    QStringList files;
    QSet<QString> seen;
    bool help = false;
};

// `metavar` names the value an option takes (nullopt: not an option here);
// `take` stores a value and returns an error text when it does not do.
std::variant<Scanned, UsageError>
scanWords(const QStringList& arguments, qsizetype first, bool& simulate, bool& longFrames,
          const std::function<std::optional<QString>(const QString&)>& metavar,
          const std::function<QString(const QString&, const QString&)>& take) {
    Scanned scanned;
    bool optionsEnded = false; // after "--" every word is a file name
    for (qsizetype i = first; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (optionsEnded || word == u"-" || !word.startsWith(u'-')) {
            scanned.files.append(word);
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        if (isHelp(word)) {
            scanned.help = true;
            return scanned;
        }
        const auto [name, attached] = splitOption(word);
        if (scanned.seen.contains(name))
            return error(QStringLiteral("%1 is given twice").arg(name));
        scanned.seen.insert(name);
        if (name == u"--simulate") {
            if (const QString problem = takeSimulate(attached, simulate, longFrames);
                !problem.isEmpty())
                return error(problem);
            continue;
        }
        const std::optional<QString> valueName = metavar(name);
        if (!valueName)
            return error(QStringLiteral("unknown option %1").arg(name));
        QString value;
        if (attached)
            value = *attached;
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return error(QStringLiteral("missing %1 after %2").arg(*valueName, name));
        if (const QString why = take(name, value); !why.isEmpty())
            return error(why);
    }
    return scanned;
}

// What the user should hear of values taken otherwise than given: an
// interval outside what the meter can do, a format that its file name
// contradicts.
QStringList recordWarnings(const RecordOptions& options, const QString& interval,
                           bool formatGiven) {
    QStringList warnings;
    const double asked = interval.trimmed().toDouble();
    if (!interval.isEmpty() && asked < 1.0)
        warnings << QStringLiteral("--interval %1 is taken as 1 s: the meter gives about one "
                                   "reading in 0.9 s, so samples cannot come closer")
                        .arg(interval);
    else if (asked > 86400.0)
        warnings << QStringLiteral("--interval %1 is taken as 86400 s, a day, the longest "
                                   "interval")
                        .arg(interval);
    // What each format writes, and what a name of its kind leads one to expect.
    using records::RecordingFormat;
    static const char* const Writes[] = {"dat writes data-file lines", "csv writes CSV lines",
                                         "jsonl writes JSON lines"};
    static const char* const Expected[] = {"data-file lines", "CSV", "JSON lines"};
    const auto named = options.output.endsWith(u".dat", Qt::CaseInsensitive)
                           ? std::optional(RecordingFormat::Dat)
                           : records::recordingFormatOfName(options.output);
    if (formatGiven && named && *named != options.format)
        warnings << QStringLiteral("--format %1, not %2, to %3")
                        .arg(QLatin1String(Writes[int(options.format)]),
                             QLatin1String(Expected[int(*named)]), options.output);
    return warnings;
}

// A yes or no of a configuration file.
std::optional<bool> switchValue(const QString& value) {
    const QString v = value.toLower();
    if (v == u"yes" || v == u"true" || v == u"on" || v == u"1")
        return true;
    if (v == u"no" || v == u"false" || v == u"off" || v == u"0")
        return false;
    return std::nullopt;
}

// The values of a configuration file for what the command line left open:
// an option given there wins. `take` stores a value option's value.
std::optional<UsageError> takeConfig(const QString& path, RecordOptions& options,
                                     QStringList& files, QSet<QString>& seen,
                                     const std::function<QString(const QString&, const QString&)>& take) {
    const auto read = readConfigFile(path);
    if (const auto* problem = std::get_if<QString>(&read))
        return error(*problem);
    const bool meterGiven = seen.contains(QStringLiteral("--port")) ||
                            seen.contains(QStringLiteral("--simulate"));
    for (const ConfigEntry& entry : std::get<QList<ConfigEntry>>(read)) {
        const auto refuse = [&](const QString& why) {
            return error(QStringLiteral("%1:%2: %3").arg(path).arg(entry.line).arg(why));
        };
        const QString name = QStringLiteral("--") + entry.key;
        QString why;
        // The file's meter counts only when the command line names none.
        bool taken = true;
        if (entry.key == u"password")
            return refuse(QStringLiteral("the MQTT password is not read from a file; give it in "
                                         "TARNIX_MQTT_PASSWORD, or as the systemd credential "
                                         "mqtt-password"));
        if (entry.key == u"output") {
            if (files.isEmpty())
                files.append(entry.value);
        } else if (entry.key == u"utc") {
            const auto on = switchValue(entry.value);
            if (!on)
                return refuse(QStringLiteral("utc takes yes or no, not \"%1\"").arg(entry.value));
            options.utc = options.utc || *on;
        } else if (entry.key == u"repeat") {
            const auto on = switchValue(entry.value);
            if (!on)
                return refuse(QStringLiteral("repeat takes yes or no, not \"%1\"").arg(entry.value));
            options.repeat = options.repeat || *on;
        } else if (entry.key == u"skip-empty") {
            const auto on = switchValue(entry.value);
            if (!on)
                return refuse(
                    QStringLiteral("skip-empty takes yes or no, not \"%1\"").arg(entry.value));
            options.skipEmpty = options.skipEmpty || *on;
        } else if (entry.key == u"ha-discovery") {
            taken = !seen.contains(name);
            if (taken)
                options.haDiscovery = entry.value;
        } else if (entry.key == u"simulate") {
            taken = !meterGiven;
            if (taken)
                why = takeSimulate(entry.value, options.simulate, options.longFrames);
        } else if (entry.key == u"config" || !findValueOption(name)) {
            return refuse(QStringLiteral("unknown key \"%1\"").arg(entry.key));
        } else {
            taken = !(entry.key == u"port" ? meterGiven : seen.contains(name));
            if (taken)
                why = take(name, entry.value);
        }
        if (!why.isEmpty())
            return refuse(why);
        if (taken)
            seen.insert(name);
    }
    return std::nullopt;
}

// --ha-discovery[=PREFIX] and --ha-discovery-remove, taken out of the words;
// an error text when one is given twice.
QString takeDiscovery(QStringList& arguments, RecordOptions& options, QSet<QString>& seen) {
    const QString discovery = QStringLiteral("--ha-discovery");
    options.haDiscoveryRemove = arguments.removeAll(discovery + QStringLiteral("-remove")) > 0;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == u"--")
            break;
        if (word != discovery && !word.startsWith(discovery + u'='))
            continue;
        if (options.haDiscovery)
            return QStringLiteral("--ha-discovery is given twice");
        options.haDiscovery = word.size() > discovery.size() ? word.mid(discovery.size() + 1)
                                                             : QStringLiteral("homeassistant");
        arguments.removeAt(i--);
    }
    if (options.haDiscovery)
        seen.insert(discovery);
    return {};
}

// The spans and --repeat each belong to a condition.
QString conditionsProblem(const RecordOptions& options) {
    if (options.pre > 0 && !options.startWhen)
        return QStringLiteral("--pre keeps the samples before a start: give --start-when too");
    if (options.post > 0 && !options.stopWhen)
        return QStringLiteral("--post goes on after a stop: give --stop-when too");
    if (options.repeat && !(options.startWhen && options.stopWhen))
        return QStringLiteral("--repeat waits for the next start after a stop: give "
                              "--start-when and --stop-when");
    return {};
}

Result parseRecord(QStringList arguments) {
    RecordOptions options;
    options.utc = arguments.removeAll(QStringLiteral("--utc")) > 0;
    options.repeat = arguments.removeAll(QStringLiteral("--repeat")) > 0;
    options.skipEmpty = arguments.removeAll(QStringLiteral("--skip-empty")) > 0;
    QSet<QString> taken;
    if (const QString problem = takeDiscovery(arguments, options, taken); !problem.isEmpty())
        return error(problem);
    QString interval, config, http;
    const auto take = [&options, &interval, &config, &http](const QString& name,
                                                            const QString& value) {
        if (name == u"--config" || name == u"--http") {
            (name == u"--config" ? config : http) = value;
            return QString();
        }
        if (name == u"--interval")
            interval = value;
        return takeValue(options, name, value);
    };
    const auto scan = scanWords(
        arguments, 0, options.simulate, options.longFrames,
        [](const QString& name) -> std::optional<QString> {
            if (const ValueOption* option = findValueOption(name))
                return QString::fromUtf16(option->metavar);
            return std::nullopt;
        },
        take);
    if (const auto* failed = std::get_if<UsageError>(&scan))
        return *failed;
    auto [files, seen, help] = std::get<Scanned>(scan);
    if (help)
        return helpOn(QStringLiteral("record"));
    seen.unite(taken);
    // Both in the file: the file names one meter, as the command line would.
    if (!config.isEmpty())
        if (const auto failed = takeConfig(config, options, files, seen, take))
            return *failed;

    if (options.haDiscoveryRemove) {
        // It only clears the broker's configs: a meter or a file would be ignored.
        if (options.simulate || !options.device.isEmpty() || !files.isEmpty() ||
            !options.onAlarm.isEmpty())
            return error(QStringLiteral("--ha-discovery-remove records nothing: give it with "
                                        "--mqtt, --topic and --ha-discovery[=PREFIX] only"));
        return LogCommand{LogCommand::Kind::Record, options};
    }
    if (options.simulate && seen.contains(QStringLiteral("--port")))
        return error(QStringLiteral("give either --port or --simulate"));
    if (!options.simulate && options.device.isEmpty())
        return error(QStringLiteral("give the meter's port with --port DEVICE, or --simulate"));
    if (files.isEmpty() && options.mqttUrl.isEmpty())
        return error(QStringLiteral("give a FILE to append to, or - for standard output"));
    if (files.size() > 1)
        return error(QStringLiteral("unexpected argument \"%1\"").arg(files[1]));
    if (const QString problem = conditionsProblem(options); !problem.isEmpty())
        return error(problem);
    options.output = files.value(0); // empty: the readings go to the broker only
    if (const auto problem = records::outputNameProblem(options.output))
        return error(*problem);
    // Without --format the file's name decides: a spreadsheet opens a .csv.
    const bool formatGiven = seen.contains(QStringLiteral("--format"));
    if (const auto named = records::recordingFormatOfName(options.output); !formatGiven && named)
        options.format = *named;
    if (const QString problem =
            everyProblem(options.every, !options.output.isEmpty() &&
                                            options.format == records::RecordingFormat::Dat,
                         options.skipEmpty);
        !problem.isEmpty())
        return error(problem);
    LogCommand command{LogCommand::Kind::Record, options};
    command.warnings = recordWarnings(options, interval, formatGiven);
    command.http = http;
    return command;
}

// The meter options shared by the logger actions, --set, and the words left
// over as file names.
Result parseLogger(const QStringList& arguments) {
    if (arguments.isEmpty())
        return error(QStringLiteral("give a logger action: status, download or set-clock"));
    LoggerOptions options;
    const QString& action = arguments.first();
    if (isHelp(action))
        return helpOn(QStringLiteral("logger"));
    if (action == u"status")
        options.action = LoggerOptions::Action::Status;
    else if (action == u"download")
        options.action = LoggerOptions::Action::Download;
    else if (action == u"set-clock")
        options.action = LoggerOptions::Action::SetClock;
    else
        return error(QStringLiteral("unknown logger action \"%1\"").arg(action));
    const bool download = options.action == LoggerOptions::Action::Download;

    const auto scan = scanWords(
        arguments, 1, options.simulate, options.longFrames,
        [download](const QString& name) -> std::optional<QString> {
            if (name == u"--port")
                return QStringLiteral("DEVICE");
            if (name == u"--set" && download)
                return QStringLiteral("N");
            return std::nullopt;
        },
        [&options](const QString& name, const QString& value) -> QString {
            if (name == u"--port") {
                if (value.isEmpty())
                    return QStringLiteral("missing DEVICE after --port");
                options.device = value;
                return {};
            }
            bool ok = false;
            const int set = value.toInt(&ok);
            if (!ok || set < 1 || set > link::address::DescribedSets)
                return QStringLiteral("--set takes a set number from 1 to %1, not \"%2\"")
                    .arg(link::address::DescribedSets)
                    .arg(value);
            options.set = set;
            return {};
        });
    if (const auto* failed = std::get_if<UsageError>(&scan))
        return *failed;
    auto [files, seen, help] = std::get<Scanned>(scan);
    if (help)
        return helpOn(QStringLiteral("logger"));

    if (options.simulate && seen.contains(QStringLiteral("--port")))
        return error(QStringLiteral("give either --port or --simulate"));
    if (!options.simulate && options.device.isEmpty())
        return error(QStringLiteral("give the meter's port with --port DEVICE, or --simulate"));
    if (download) {
        if (options.set == 0)
            return error(QStringLiteral("give the set to download with --set N"));
        if (files.isEmpty())
            return error(QStringLiteral("give a FILE to write, or - for standard output"));
        options.output = files.takeFirst();
    }
    if (!files.isEmpty())
        return error(QStringLiteral("unexpected argument \"%1\"").arg(files.first()));
    LogCommand command{LogCommand::Kind::Logger};
    command.logger = options;
    return command;
}

// The words of a subcommand that reads files and talks to no meter: its
// file names, or the command's end (help, or what is wrong).
std::variant<QStringList, Result>
scanFileCommand(const QString& topic, const QStringList& arguments,
                const std::function<std::optional<QString>(const QString&)>& metavar,
                const std::function<QString(const QString&, const QString&)>& take) {
    bool simulate = false, longFrames = false; // not options here
    const auto scan = scanWords(arguments, 0, simulate, longFrames, metavar, take);
    if (const auto* failed = std::get_if<UsageError>(&scan))
        return Result(*failed);
    const auto& [files, seen, help] = std::get<Scanned>(scan);
    if (help)
        return Result(helpOn(topic));
    if (simulate)
        return Result(error(QStringLiteral("unknown option --simulate")));
    return files;
}

// --from and --to, the ends of a slice; an error text when one does not do.
QString takeSliceEnd(analysis::TimeSlice& slice, const QString& name, const QString& value) {
    const auto at = analysis::sliceTime(value);
    if (!at)
        return QStringLiteral("%1 takes an ISO 8601 time such as 2026-12-05T08:00 or "
                              "2026-12-05T07:00Z, not \"%2\"")
            .arg(name, value);
    (name == u"--from" ? slice.from : slice.to) = *at;
    if (slice.from && slice.to && *slice.from >= *slice.to)
        return QStringLiteral("--from must come before --to");
    return {};
}

std::optional<QString> sliceMetavar(const QString& name) {
    if (name == u"--from" || name == u"--to")
        return QStringLiteral("TIME");
    return std::nullopt;
}

// convert [--utc] [--from TIME] [--to TIME] [--every DURATION [--skip-empty]]
//         [--format csv|jsonl] IN... OUT|-
Result parseConvert(QStringList arguments) {
    ConvertOptions options;
    options.utc = arguments.removeAll(QStringLiteral("--utc")) > 0;
    options.skipEmpty = arguments.removeAll(QStringLiteral("--skip-empty")) > 0;
    QString format = QStringLiteral("csv");
    const auto scanned = scanFileCommand(
        QStringLiteral("convert"), arguments,
        [](const QString& name) -> std::optional<QString> {
            if (name == u"--format")
                return QStringLiteral("FORMAT");
            if (name == u"--every")
                return QStringLiteral("DURATION");
            return sliceMetavar(name);
        },
        [&options, &format](const QString& name, const QString& value) -> QString {
            if (name == u"--every")
                return takeEvery(options.every, value);
            if (name != u"--format")
                return takeSliceEnd(options.slice, name, value);
            format = value;
            return {};
        });
    if (const auto* ended = std::get_if<Result>(&scanned))
        return *ended;
    if (const QString problem = everyProblem(options.every, format == u"dat", options.skipEmpty);
        !problem.isEmpty())
        return error(problem);
    options.jsonLines = format == u"jsonl";
    if (format != u"csv" && !(options.every && options.jsonLines))
        return error(options.every
                         ? QStringLiteral("convert --every writes --format csv or jsonl, not \"%1\"")
                               .arg(format)
                         : QStringLiteral("convert writes --format csv only, not \"%1\"")
                               .arg(format));
    QStringList files = std::get<QStringList>(scanned);
    if (files.size() < 2)
        return error(QStringLiteral("give the data files to convert and the CSV file to write, "
                                    "or - for standard output"));
    options.output = files.takeLast();
    options.inputs = files;
    LogCommand command{LogCommand::Kind::Convert};
    command.convert = options;
    return command;
}

// stats [--precise] [--per-file] [--from TIME] [--to TIME] FILE...
Result parseStats(QStringList arguments) {
    core::StatsOptions options;
    options.precise = arguments.removeAll(QStringLiteral("--precise")) > 0;
    options.perFile = arguments.removeAll(QStringLiteral("--per-file")) > 0;
    const auto scanned = scanFileCommand(
        QStringLiteral("stats"), arguments, sliceMetavar,
        [&options](const QString& name, const QString& value) {
            return takeSliceEnd(options.slice, name, value);
        });
    if (const auto* ended = std::get_if<Result>(&scanned))
        return *ended;
    options.files = std::get<QStringList>(scanned);
    if (options.files.isEmpty())
        return error(QStringLiteral("give the data or CSV files to sum up"));
    LogCommand command{LogCommand::Kind::Stats};
    command.stats = options;
    return command;
}

// serve [--http [ADDR:]PORT] FILE|DIR...
Result parseServe(const QStringList& arguments) {
    LogCommand command{LogCommand::Kind::Serve};
    const auto scanned = scanFileCommand(
        QStringLiteral("serve"), arguments,
        [](const QString& name) -> std::optional<QString> {
            if (name == u"--http")
                return QStringLiteral("[ADDR:]PORT");
            return std::nullopt;
        },
        [&command](const QString&, const QString& value) {
            command.http = value;
            return QString();
        });
    if (const auto* ended = std::get_if<Result>(&scanned))
        return *ended;
    command.serveFiles = std::get<QStringList>(scanned);
    if (command.serveFiles.isEmpty())
        return error(QStringLiteral("give the data files or folders to serve"));
    return command;
}

} // namespace

std::optional<double> parseIntervalSeconds(const QString& text) {
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok); // "C" locale: no comma at all
    if (!ok || !std::isfinite(seconds))
        return std::nullopt;
    return std::clamp(seconds, 1.0, 86400.0);
}

Result parseLogCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return error(QStringLiteral("no subcommand given"));
    const QString& first = arguments.first();
    if (isHelp(first))
        return LogCommand{LogCommand::Kind::Help, {}};
    if (isVersion(first))
        return LogCommand{LogCommand::Kind::Version, {}};
    // Each subcommand reads the words after its name.
    if (first == u"record")
        return parseRecord(arguments.mid(1));
    if (first == u"logger")
        return parseLogger(arguments.mid(1));
    if (first == u"convert")
        return parseConvert(arguments.mid(1));
    if (first == u"stats")
        return parseStats(arguments.mid(1));
    if (first == u"serve")
        return parseServe(arguments.mid(1));
    if (first == u"ports") {
        if (arguments.size() > 1 && isHelp(arguments[1]))
            return helpOn(QStringLiteral("ports"));
        if (arguments.size() > 1)
            return error(QStringLiteral("unexpected argument \"%1\"").arg(arguments[1]));
        return LogCommand{LogCommand::Kind::Ports};
    }
    return error(QStringLiteral("unknown subcommand \"%1\"").arg(first));
}

} // namespace tarnix::cli
