#pragma once

#include "analysis/TimeSlice.h"
#include "records/RecordingFormat.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarnix::http {

// A recording the recorder wrote as CSV or JSON lines: each line starts
// with its moment in ISO 8601 with its offset, the CSV file under its
// header. The server offers such a file as it was written, sliced by time.

// What `file` was written as, read from its first line: the CSV header,
// a JSON object, or else data-file records.
records::RecordingFormat writtenFormat(QFile& file);

// The files a request reads as one recording: the data files among
// `paths`, or when there is none, those written as the first one was.
struct Recording {
    QStringList paths;
    records::RecordingFormat format = records::RecordingFormat::Dat;
};
Recording recordingOf(const QStringList& paths);

// The moment a CSV or JSON line starts with; nothing for a line without one
// (the header, a torn line).
std::optional<qint64> lineTimeMs(QByteArrayView line);

// The first and last moment of a CSV or JSON-lines file.
std::optional<qint64> firstLineTimeMs(QFile& file);
std::optional<qint64> lastLineTimeMs(QFile& file);

// The lines of `slice` in the files, one after another, in pieces to
// `write` (false: stop); a CSV header once, at the start.
void writeRecordedLines(const QStringList& paths, const analysis::TimeSlice& slice,
                        const std::function<bool(QByteArrayView)>& write);

} // namespace tarnix::http
