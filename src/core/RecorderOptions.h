#pragma once

#include "records/RecordCondition.h"
#include "records/RecordingFormat.h"
#include "analysis/TimeSlice.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnix::core {

// What `tarnix-log record` was asked to do.
struct RecordOptions {
    QString device;                 // --port: a path such as /dev/ttyUSB0
    bool simulate = false;          // --simulate: the built-in simulated meter
    bool longFrames = false;        // --simulate=long: the 12-byte model
    double interval = 2;            // seconds between samples, 1..86400
    std::optional<qint64> samples;  // end after this many lines
    std::optional<double> duration; // end after this many seconds (the first end reached counts)
    QString output;                 // the file to append to, or "-"
    records::RecordingFormat format = records::RecordingFormat::Dat;
    bool utc = false;               // --utc: CSV times in UTC, ending in Z
    int silenceNoticeMs = 10000;    // without a reading this long, the run says so
    QString mqttUrl;                // --mqtt: the broker readings are published to
    QString mqttTopic;              // --topic: the prefix of their topics
    QString mqttCafile;             // --cafile: the CA an mqtts broker is checked with
    std::optional<QString> haDiscovery; // --ha-discovery: the prefix of Home Assistant's configs
    bool haDiscoveryRemove = false; // --ha-discovery-remove: clear them and record nothing
    QString onAlarm;                // --on-alarm: a shell command run on each change of alarm state
    std::optional<records::RecordCondition> startWhen; // --start-when: lines wait until it holds
    std::optional<records::RecordCondition> stopWhen;  // --stop-when: the lines end when it holds
    double pre = 0;                 // --pre: seconds of samples before a start, written with it
    double post = 0;                // --post: seconds the lines go on after a stop
    bool repeat = false;            // --repeat: after a stop, wait for the next start
    std::optional<int> every;       // --every: seconds of a summary line instead of each sample
    bool skipEmpty = false;         // --skip-empty: no summary line for an interval without a reading

    bool toStandardOutput() const { return output == u"-"; }
};

// What `tarnix-log logger` was asked to do.
struct LoggerOptions {
    enum class Action { Status, Download, SetClock };
    Action action = Action::Status;
    QString device;          // --port: a path such as /dev/ttyUSB0
    bool simulate = false;   // --simulate: the built-in simulated meter
    bool longFrames = false; // --simulate=long: the 12-byte model
    int set = 0;             // --set: 1..5, download only
    QString output;          // download: the file to write, or "-"

    bool toStandardOutput() const { return output == u"-"; }
};

// What `tarnix-log convert` was asked to do: data files into analysis CSV.
struct ConvertOptions {
    QStringList inputs; // data files (recordings, downloaded logger sets) or folders of them
    QString output;     // the CSV file to write (replaced whole), or "-"
    bool utc = false;   // --utc: times in UTC, ending in Z
    analysis::TimeSlice slice = {}; // --from, --to
    std::optional<int> every = {};  // --every: summary lines of this many seconds, CSV or JSON lines
    bool jsonLines = {};            // --format jsonl: the summaries as JSON lines
    bool skipEmpty = {};            // --skip-empty: no line for an interval without a reading
    qint64 chunkBytes = 1 << 20;    // what a reading thread takes at a time (tests take less)

    bool toStandardOutput() const { return output == u"-"; }
};

// What `tarnix-log stats` was asked to do.
struct StatsOptions {
    QStringList files;      // data or CSV files, or folders of them
    bool precise = false;   // --precise: every digit of the mean and deviation
    bool perFile = false;   // --per-file: a line for each file too
    analysis::TimeSlice slice = {}; // --from, --to
    qint64 chunkBytes = 1 << 20;    // what a reading thread takes at a time (tests take less)
};

} // namespace tarnix::core
