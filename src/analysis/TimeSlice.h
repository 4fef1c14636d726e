#pragma once

#include "records/LocalOffsets.h"

#include <QString>
#include <optional>

class QFile;

namespace tarnix::analysis {

// The part of a recording between two moments, in ms since the epoch:
// `from` counts in, `to` does not. Either end may be open.
struct TimeSlice {
    std::optional<qint64> from, to;

    bool whole() const { return !from && !to; }
    bool holds(qint64 ms) const { return (!from || ms >= *from) && (!to || ms < *to); }
    bool isPast(qint64 ms) const { return to && ms >= *to; }
};

// An end of a slice as a user writes it: ISO 8601, local time
// (2026-12-05T08:00, seconds and a date alone will do) or with an offset or
// Z. Nothing when it is none of these.
std::optional<qint64> sliceTime(const QString& text);

// The first record of a data file at or after byte `at` (the line `at`
// falls in is passed over, but for `at` 0): where its line starts, its
// wall-clock time and its moment, read in the offset state `offsets` (the
// one a reading of the file in order would be in just before it). Nothing
// when the next 64 KiB hold none.
struct RecordAt {
    qint64 lineStart;
    qint64 wallMs;
    qint64 ms;
};
std::optional<RecordAt> recordAt(QFile& file, qint64 at, records::LocalOffsets offsets = {});

// Whether a data file's times grow from its start to its end, judged by
// records spread over it: a recording's do, so it can be sought in. Its
// records are read in the state `afterFirst`, the one its first record
// leaves: in a file whose times grow, a time in the hour shown twice is of
// the same round as the file's first.
bool timesGrow(QFile& file, const records::LocalOffsets& afterFirst = {});

// Where to read from for the records at or after `fromMs` in a file whose
// times grow: the start of a line at most 64 KiB before the first of them.
qint64 seekTime(QFile& file, qint64 fromMs, const records::LocalOffsets& afterFirst = {});

// How a data file is read for the records of `slice`: from `start`, and,
// when its times grow, no further than the slice's end. `stream` is the
// local offset state of the files read before it as one stream; a file read
// from further on is sought in that state, and `stream` is moved past its
// first record, as reading it whole would.
struct SliceRead {
    bool grows = false;
    qint64 start = 0;
};
SliceRead sliceRead(QFile& file, const TimeSlice& slice, records::LocalOffsets& stream);

} // namespace tarnix::analysis
