#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include "records/ReadingJson.h"

#include <QString>
#include <optional>

namespace tarnix::records {

// What a recording writes a sample as: the data-file line, the analysis CSV
// line under its header, or the reading's JSON on a line of its own.
enum class RecordingFormat { Dat, Csv, Jsonl };

// "dat", "csv", "jsonl"
std::optional<RecordingFormat> recordingFormatNamed(QStringView name);
// The format a file's name asks for: .csv and .jsonl; nothing for any other.
std::optional<RecordingFormat> recordingFormatOfName(const QString& fileName);

// The sample's line, with its line end. `number` counts the file's lines from
// 1 (only the data-file line shows it), `seq` the run's samples (only the
// JSON shows it, with `alarm`); `utc` writes a CSV time in UTC.
QByteArray recordingLine(RecordingFormat format, qint64 number, const QDateTime& at,
                         const meter::Measurement& measurement, bool utc = false, qint64 seq = 0, const SampleAlarm& alarm = {});

// What goes at the top of a new or empty file: the CSV header line, or nothing.
QByteArray recordingHeader(RecordingFormat format);

// How much of each end of a file the append check reads.
inline constexpr qsizetype AppendCheckBytes = 4096;

// What a file holds at its two ends: enough of its start for its first
// line, and of its end for its last lines.
struct FileEnds {
    QByteArray start;
    QByteArray end;
    bool whole = false; // `end` is the whole file, so its first line is whole too

    static FileEnds of(const QByteArray& file); // a file held whole
};

// Whether a file with these ends can take lines of `format`: nothing when it
// can, otherwise why not. A CSV file must start with this header; a data file
// must not, and its last line must be a record of six fields (the
// unfinished one, when it has no complete line).
std::optional<QString> appendRefusal(RecordingFormat format, const FileEnds& file);

// The file ends without a line end: a write cut short by a power cut.
bool endsUnfinished(const FileEnds& file);

// The time of the file's last record, data-file, CSV or JSON line; nothing when
// its last line is no record.
std::optional<QDateTime> lastRecordTime(const FileEnds& file);

} // namespace tarnix::records
