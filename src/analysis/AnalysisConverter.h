#pragma once

#include "records/AnalysisCsv.h"
#include "records/LocalOffsets.h"
#include "records/RecordClock.h"
#include "records/RecordLine.h"
#include "analysis/RecordValue.h"
#include "analysis/TimeSlice.h"

#include <QByteArray>
#include <array>
#include <optional>

namespace tarnix::analysis {

// Data-file records into analysis CSV lines, at the speed the file is read:
// each field's bytes go out as they came, and the date, the range's unit and
// the local offset are kept from the record before. The lines are those
// records::analysisLine() writes, byte for byte, but for the offset around a change
// of daylight saving time, which follows the file's order (records::LocalOffsets.h).
// A record whose function, range or value holds other than ASCII goes
// through records::analysisLine() itself.
class AnalysisConverter {
public:
    explicit AnalysisConverter(records::TimeZoneOut zone, TimeSlice slice = {})
        : m_utc(zone == records::TimeZoneOut::Utc), m_slice(slice) {}

    // The record's line and its line end, appended to `out` when its time is
    // in the slice; false, with nothing appended, when its date or time
    // cannot be read.
    bool append(const records::LineFields& record, QByteArray& out) {
        qsizetype used = out.size();
        const bool timed = append(record, out, used);
        out.resize(used);
        return timed;
    }
    // The same for many lines: `out` holds `used` bytes of lines and room
    // after them, which grows when short; its size is set once at the end.
    bool append(const records::LineFields& record, QByteArray& out, qsizetype& used);
    // The last record's time was at or past the slice's end.
    bool pastSlice() const { return m_past; }
    // Times that fell in an hour the clock skipped.
    qint64 skippedTimes() const { return m_offsets.skippedTimes(); }
    // The local offset state of the records so far.
    records::LocalOffsets& offsets() { return m_offsets; }

private:
    // The function and range of the record before, and what a line of them
    // holds between its value and its display: ",unit,function,range,".
    struct Kind {
        bool known = false;
        QByteArray function, range, middle;
        bool hasUnit = false;
        int exponent = 0;
    };
    const Kind& kindOf(QByteArrayView function, QByteArrayView range);

    bool m_utc;
    TimeSlice m_slice;
    bool m_past = false;
    records::RecordClock m_clock;
    records::LocalOffsets m_offsets;
    RangeUnits m_units;
    Kind m_kind;
};

// A display that is a plain number: a sign, digits, a point and digits,
// nothing else (blanks around it dropped), with at least one digit.
struct PlainNumber {
    bool negative = false;
    QByteArrayView whole, fraction; // the digits before and after the point
};
// Inline, and into the caller's `n`: it runs for every record read.
inline bool plainNumber(QByteArrayView display, PlainNumber& n) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    display = records::trimmedAscii(display);
    const char* p = display.data();
    const char* const end = p + display.size();
    n.negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    const char* const whole = p;
    while (p < end && isDigit(*p))
        ++p;
    n.whole = QByteArrayView(whole, p - whole);
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        while (p < end && isDigit(*p))
            ++p;
        n.fraction = QByteArrayView(fraction, p - fraction);
    }
    return p == end && n.whole.size() + n.fraction.size() > 0;
}

// The display moved into the base unit, as meter::baseUnitValue writes it, at
// `out`, which has room for the display's size plus |exponent| plus 3;
// returns the end of what it wrote: `out` itself when the display is no
// plain number. ASCII only.
char* writeBaseUnitValue(QByteArrayView display, int exponent, char* out);
// The same for a display already read as a plain number.
char* writeBaseUnitValue(const PlainNumber& n, int exponent, char* out);

} // namespace tarnix::analysis
