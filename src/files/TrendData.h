#pragma once

#include "files/RecordReader.h"
#include "files/RecordReadings.h"
#include "files/SpacingMedian.h"
#include "files/TrendSeries.h"

#include <optional>
#include <vector>

namespace tarnix::files {

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
    // The end of what there is: a last line without its line end counts.
    void finish();

    const std::vector<TrendSeries>& series() const { return m_series; }
    // Twice the median spacing of all readings; 0 before there are two.
    qint64 gapMs() const { return 2 * m_spacings.median(); }
    qint64 records() const { return m_records; }
    qint64 skippedLines() const { return m_reader.skippedLines() + m_timeless; }
    std::optional<qint64> firstMs() const { return m_firstMs; }
    std::optional<qint64> lastMs() const { return m_lastMs; }

private:
    void take(const LineFields& fields);

    RecordReader m_reader;
    RecordReadings m_readings;
    SpacingMedian m_spacings;
    std::vector<TrendSeries> m_series;
    std::vector<std::optional<std::size_t>> m_seriesOf; // by kind of reading
    std::optional<std::size_t> m_lastSeries;
    std::optional<qint64> m_firstMs, m_lastMs;
    qint64 m_records = 0; // records read, each its row in the file
    qint64 m_timeless = 0; // records whose time cannot be read
};

} // namespace tarnix::files
