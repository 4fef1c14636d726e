#pragma once

#include "analysis/RecordValue.h"
#include "records/LocalOffsets.h"
#include "records/RecordClock.h"
#include "records/RecordLine.h"

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tarnix::analysis {

// What a data-file record says, read from its bytes as its text would be
// read: its moment and its reading in the range's base unit.
struct RecordReading {
    qint64 utcMs = 0;
    int offsetSeconds = 0; // the local offset its time was written in
    std::size_t kind = 0;  // its function and range, numbered as first seen
    std::optional<double> value; // none for OL, -OL, "Initial", HOLD
    int decimals = 0;            // places of the value in the base unit
    int overload = 0;            // +1 for OL, -1 for -OL
};

// A function and range, and the range's base unit (empty when it has none).
struct ReadingKind {
    QString function, range, unit;
};

// The records of a file, or of files read as one, in file order: local
// offsets follow that order (records::LocalOffsets.h), and each function and range
// is numbered once. Fields of ASCII, nearly every record, are read from
// their bytes, the function and range of the record before kept; others go
// the way of their text.
class RecordReadings {
public:
    // Nothing when the record's date or time cannot be read.
    std::optional<RecordReading> read(const records::LineFields& fields) {
        std::optional<RecordReading> result{std::in_place};
        if (!readInto(fields, *result))
            result.reset();
        return result;
    }
    // The same into `r`, a RecordReading as made fresh, where its reader
    // keeps it: a copy of it whole stalls on the fields just written one by
    // one. False, with `r` as it was, when the date or time cannot be read.
    bool readInto(const records::LineFields& fields, RecordReading& r);

    const ReadingKind& kind(std::size_t k) const { return m_kinds[k]; }
    const std::vector<ReadingKind>& kinds() const { return m_kinds; }
    // The number of a kind another reader found, given one here if new.
    std::size_t kindOf(const ReadingKind& kind) {
        return kindOf(kind.function, kind.range, kind.unit);
    }
    // Times that fell in an hour the clock skipped.
    qint64 skippedTimes() const { return m_offsets.skippedTimes(); }
    // The local offset state of the records so far.
    records::LocalOffsets& offsets() { return m_offsets; }

private:
    struct Cached {
        bool known = false;
        QByteArray function, range;
        std::size_t kind = 0;
        bool hasUnit = false;
        int exponent = 0;
        [[gnu::always_inline]] bool holds(QByteArrayView f, QByteArrayView r) const {
            return known && records::sameText(function, f) && records::sameText(range, r);
        }
    };
    const Cached& cachedKind(QByteArrayView function, QByteArrayView range);
    // The display moved into the base unit as text and read back: a number
    // too long or moved too far for exactValue().
    void valueTheLongWay(QByteArrayView display, int exponent, RecordReading& r);
    std::size_t kindOf(const QString& function, const QString& range, const QString& unit);

    records::RecordClock m_clock;
    records::LocalOffsets m_offsets;
    std::vector<ReadingKind> m_kinds;
    std::array<Cached, 8> m_cache; // a file holds few ranges, taken in turns
    std::size_t m_nextCached = 0;
    std::size_t m_lastCached = 0; // the kind of the record before
    RangeUnits m_units;
    std::string m_value; // room for a value moved into its base unit
};

} // namespace tarnix::analysis
