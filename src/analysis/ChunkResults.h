#pragma once

#include "analysis/AnalysisConverter.h"
#include "analysis/RecordReadings.h"
#include "records/LineChunks.h"
#include "records/LocalOffsets.h"

#include <QByteArray>
#include <vector>

namespace tarnix::analysis {

// What the lines of one chunk of a data file (records::LineChunk) came to,
// read on their own, for putting together in file order.
struct ChunkLines {
    bool anyLine = false;
    QByteArray firstLine;   // as the reader handed it, when there was a line
    bool anyRecord = false;
    qint64 skipped = 0;     // lines that were no record, and records without a time
    // A record's time was read; the first of them fell on a day without a
    // change of daylight saving time, so the chunk read the same alone as
    // after the chunks before it (records::LocalOffsets::onPlainDay()).
    bool timed = false;
    bool plainStart = true;
    bool past = false;            // the last time read was at or past the slice's end
    records::LocalOffsets offsets; // the state after the chunk's last time
};

// The chunk's analysis CSV lines, written by `converter` into `result`,
// whose room is used again.
struct ConvertedChunk : ChunkLines {
    QByteArray out;
};
void convertChunk(const records::LineChunk& chunk, AnalysisConverter& converter,
                  ConvertedChunk& result);

// The chunk's readings, kinds numbered in `kinds`, read by `readings` into
// `result`, whose room is used again.
struct ReadingsChunk : ChunkLines {
    std::vector<RecordReading> readings;
    std::vector<ReadingKind> kinds;
};
void readingsOfChunk(const records::LineChunk& chunk, RecordReadings& readings,
                     const TimeSlice& slice, ReadingsChunk& result);

} // namespace tarnix::analysis
