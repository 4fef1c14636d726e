#pragma once

#include "records/RecordLine.h"
#include "analysis/ChunkResults.h"
#include "analysis/RecordReadings.h"
#include "analysis/RecordingStats.h"
#include "analysis/TimeSlice.h"

#include <optional>
#include <vector>

namespace tarnix::analysis {

// The lines of a data file or an analysis CSV file into a summary, one at a
// time as the reader hands them on: the file's first line tells which kind
// it is. Data-file records are read from their bytes; a record whose
// function, range or value holds other than ASCII, and every CSV line, go
// the way of their text.
class StatsLines {
public:
    // With `again`, only each reading's time goes to the summary, for the
    // second look for gaps (RecordingStats::gapsAgain()).
    // Only readings in `slice` count.
    explicit StatsLines(RecordingStats& stats, TimeSlice slice = {}, bool again = false)
        : m_stats(stats), m_slice(slice), m_again(again) {}

    // The lines of the next file: its first line tells its kind. Files are
    // read as one stream, their local offsets following on (LocalOffsets.h).
    void nextFile();
    void take(QByteArrayView line, const records::LineFields* fields);
    // The readings of a chunk of a data file, read by another reader.
    void takeChunk(const ReadingsChunk& chunk);
    // Lines of this file that were no reading.
    qint64 skipped() const { return m_skipped; }
    // Times that fell in an hour the clock skipped, in every file so far.
    qint64 skippedTimes() const { return m_readings.skippedTimes(); }
    // The last reading's time was at or past the slice's end.
    bool pastSlice() const { return m_past; }
    // The local offset state of the records so far.
    records::LocalOffsets& offsets() { return m_readings.offsets(); }
    // The reader of the records so far, for a chunk read in its state.
    RecordReadings& readings() { return m_readings; }

private:
    bool inSlice(qint64 utcMs);
    void takeCsv(QByteArrayView line);
    void takeRecord(const records::LineFields& fields);
    void takeReading(const RecordReading& r);
    // The summary's group of a kind of reading, made when first needed.
    std::size_t groupOf(std::size_t kind);
    void add(qint64 utcMs, int offset, std::size_t group, std::optional<double> value,
             int decimals, bool overload);

    RecordingStats& m_stats;
    TimeSlice m_slice;
    bool m_past = false;
    bool m_again;
    bool m_firstLine = true;
    bool m_csv = false;
    qint64 m_skipped = 0;
    RecordReadings m_readings;
    std::vector<std::optional<std::size_t>> m_groups; // by kind
};

} // namespace tarnix::analysis
