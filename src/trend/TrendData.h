#pragma once

#include "analysis/RecordReadings.h"
#include "analysis/SpacingMedian.h"
#include "records/RecordReader.h"
#include "trend/TrendSeries.h"

#include <optional>
#include <vector>

namespace tarnix::trend {

// A data file's readings as trend series, one per function and range in
// the order first seen, read in chunks as the file comes in and as it
// grows. A reading is joined to the one before in its series only when no
// other series' reading came between; a stretch longer than twice the
// median spacing breaks the line too (gapMs()).
class TrendData {
public:
    TrendData();
    TrendData(const TrendData&) = delete;
    TrendData& operator=(const TrendData&) = delete;

    void feed(QByteArrayView bytes);
    // The next record, its fields as a data-file reader hands them: records
    // kept in memory come in without a text to read them from.
    void take(const records::LineFields& fields);
    // The end of what there is: a last line without its line end counts.
    void finish();
    // This was read from the bytes just after the `bytesBefore` bytes that
    // `earlier` read: its readings are put after earlier's, as one read of
    // them all would have them (and it reads on from where it is).
    void follow(TrendData&& earlier, qint64 bytesBefore);

    const std::vector<TrendSeries>& series() const { return m_series; }
    // Twice the median spacing of all readings; 0 before there are two.
    // It counts every spacing: keep it, not ask it at every paint.
    qint64 gapMs() const { return 2 * m_spacings.median(); }
    qint64 records() const { return m_records; }
    // The records whose date and time can be read: those convert writes.
    qint64 timedRecords() const { return m_records - m_untimed; }
    // Lines that are no record, and records without a time that can be read.
    qint64 skippedLines() const { return m_reader.skippedLines() + m_skipped + m_untimed; }
    std::optional<qint64> firstMs() const { return m_firstMs; }
    std::optional<qint64> lastMs() const { return m_lastMs; }
    // Where in the bytes fed a line at or before record `row` starts, and
    // that line's record number: read on from there to reach the row.
    std::pair<qint64, qint64> lineBefore(qint64 row) const;

private:
    std::size_t seriesFor(std::size_t kind, qint64 ms) {
        if (kind < m_seriesOf.size() && m_seriesOf[kind]) // nearly every reading
            return *m_seriesOf[kind];
        return newSeriesFor(kind, ms);
    }
    // The series of a kind not met before here, found or made.
    std::size_t newSeriesFor(std::size_t kind, qint64 ms);

    // Hands each line of the text fed to take(), a call made in place.
    struct TakeLine {
        TrendData* data;
        void operator()(QByteArrayView line, const records::LineFields* fields) const;
    };
    records::BasicRecordReader<TakeLine> m_reader;
    analysis::RecordReadings m_readings;
    analysis::SpacingMedian m_spacings;
    std::vector<TrendSeries> m_series;
    std::vector<std::optional<std::size_t>> m_seriesOf; // by kind of reading
    std::optional<std::size_t> m_firstSeries, m_lastSeries;
    std::optional<qint64> m_firstMs, m_lastMs;
    qint64 m_records = 0;   // records read, each its row in the file
    qint64 m_skipped = 0;   // lines an earlier part skipped as no record
    qint64 m_untimed = 0;   // records whose time cannot be read
    qint64 m_lineStart = 0; // of the line being read, in the bytes fed
    qint64 m_byteBase = 0;  // bytes read by an earlier part, before the first fed here
    std::vector<std::pair<qint64, qint64>> m_rowStarts; // (row, byte) every RowStartEvery
    static constexpr qint64 RowStartEvery = 256;
};

} // namespace tarnix::trend
