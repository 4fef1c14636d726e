#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace tarnix::records {

// The wall-clock time of data-file records, read from their bytes exactly as
// recordTime() reads their text ("yy/mm/dd" in 20yy, "hh:mm:ss" with an
// optional ".t", blanks around them dropped), as milliseconds on the local
// calendar (LocalOffsets.h). The date of the record before is kept: a
// recording holds one date for thousands of lines.
class RecordClock {
public:
    std::optional<qint64> wallMs(QByteArrayView date, QByteArrayView time);

private:
    char m_date[8] = {};
    qint64 m_dayMs = -1; // the kept date's midnight; -1: none kept
};

// A time as ISO 8601 with milliseconds, as isoTime() writes it, at `out`:
// 2026-12-06T14:07:18.012+01:00 for a wall time and its offset (seconds),
// or 2026-12-06T13:07:18.012Z for a UTC time (no offset). Returns the end
// of what it wrote, 29 bytes at most.
char* writeIsoTime(qint64 ms, std::optional<int> offsetSeconds, char* out);

} // namespace tarnix::records
