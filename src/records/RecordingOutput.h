#pragma once

#include "records/RecordingFormat.h"

#include <QString>

namespace tarnix::platform {
class LineAppender;
}

namespace tarnix::records {

// Readies `out`, just opened or adopted, for a recording's lines of
// `format`. A new or empty file, or a stream, gets the CSV header; a file
// that holds lines must hold lines of the same format (see appendRefusal),
// and gets no second header. False with the reason in `error`; standard
// output (an adopted descriptor) that holds other lines is written to all
// the same, and `notice` says so. A last line
// left without its line end is ended first, except in
// JSON lines, where it is moved to NAME.torn beside the file; `notice` then
// says so.
bool readyForLines(platform::LineAppender& out, RecordingFormat format, QString* error,
                   QString* notice);

// The time of the last record in the file `out` appends to; nothing for an
// empty file, a stream, or a last line that is no record.
std::optional<QDateTime> lastRecordTime(const platform::LineAppender& out);

} // namespace tarnix::records
