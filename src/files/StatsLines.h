#pragma once

#include "files/LocalOffsets.h"
#include "files/RecordClock.h"
#include "files/RecordLine.h"
#include "files/RecordingStats.h"
#include "files/TimeSlice.h"

#include <array>
#include <string>

namespace tarnix::files {

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

    void take(QByteArrayView line, const LineFields* fields);
    // Lines that were no reading.
    qint64 skipped() const { return m_skipped; }
    // Times that fell in an hour the clock skipped.
    qint64 skippedTimes() const { return m_offsets.skippedTimes(); }
    // The last reading's time was at or past the slice's end.
    bool pastSlice() const { return m_past; }

private:
    struct Key {
        bool known = false;
        QByteArray function, range;
        std::size_t group = 0;
        bool hasUnit = false;
        int exponent = 0;
    };
    const Key& keyOf(QByteArrayView function, QByteArrayView range);
    bool inSlice(qint64 utcMs);
    void takeCsv(QByteArrayView line);
    void takeRecord(const LineFields& fields);
    void add(qint64 utcMs, int offset, std::size_t group, std::optional<double> value,
             int decimals, bool overload);

    RecordingStats& m_stats;
    TimeSlice m_slice;
    bool m_past = false;
    bool m_again;
    bool m_firstLine = true;
    bool m_csv = false;
    qint64 m_skipped = 0;
    RecordClock m_clock;
    LocalOffsets m_offsets;
    std::array<Key, 8> m_keys;
    std::size_t m_nextKey = 0; // the entry a new key takes
    std::string m_value; // room for a value moved into its base unit
};

} // namespace tarnix::files
