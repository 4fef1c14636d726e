#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <limits>
#include <optional>

namespace tarnix::records {

// The wall-clock time of data-file records, read from their bytes exactly as
// recordTime() reads their text ("yy/mm/dd" in 20yy, "hh:mm:ss" with an
// optional ".t", blanks around them dropped), as milliseconds on the local
// calendar (LocalOffsets.h). The date of the record before is kept: a
// recording holds one date for thousands of lines.
class RecordClock {
public:
    std::optional<qint64> wallMs(QByteArrayView date, QByteArrayView time) {
        const qint64 ms = wallMsOr(date, time);
        return ms == NoTime ? std::nullopt : std::optional(ms);
    }

    static constexpr qint64 NoTime = std::numeric_limits<qint64>::min();
    // The same for readers of every record: NoTime for none. An optional
    // here is stored in two parts and read whole, which stalls.
    qint64 wallMsOr(QByteArrayView date, QByteArrayView time) {
        // Nearly every record: the kept date, and a time of ASCII digits as
        // written, read without a look at the rest of the rule.
        if (m_dayMs >= 0 && date.size() == 8 && time.size() == 10 &&
            std::memcmp(m_date, date.data(), 8) == 0)
            if (const qint64 ms = msOfDay(time); ms >= 0)
                return m_dayMs + ms;
        return wallMsOtherwise(date, time);
    }

    // "hh:mm:ss" or "hh:mm:ss.t" of ASCII digits, as milliseconds into the
    // day; -1 for any other text.
    static qint64 msOfDay(QByteArrayView time) {
        const bool tenth = time.size() == 10 && time[8] == '.';
        if (time.size() != 8 && !tenth)
            return -1;
        // The eight bytes of hh:mm:ss at once: each digit less '0' is below
        // ten, and the two colons are in their place.
        quint64 v;
        std::memcpy(&v, time.data(), 8);
        constexpr quint64 Digits = 0xffff00ffff00ffffULL, Colons = 0x00003a00003a0000ULL;
        const quint64 x = (v ^ 0x3030303030303030ULL) & Digits;
        if ((v & ~Digits) != Colons || (((x + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL & Digits) != 0)
            return -1;
        const auto two = [x](int at) { return int((x >> (8 * at)) & 0xf) * 10 + int((x >> (8 * at + 8)) & 0xf); };
        const int h = two(0), m = two(3), s = two(6);
        const int t = tenth ? time[9] - '0' : 0;
        if (h > 23 || m > 59 || s > 59 || t < 0 || t > 9)
            return -1;
        return ((h * 60 + m) * 60 + s) * 1000LL + t * 100;
    }

private:
    qint64 wallMsOtherwise(QByteArrayView date, QByteArrayView time);

    char m_date[8] = {};
    qint64 m_dayMs = -1; // the kept date's midnight; -1: none kept
};

// A time as ISO 8601 with milliseconds, as isoTime() writes it, at `out`:
// 2026-12-06T14:07:18.012+01:00 for a wall time and its offset (seconds),
// or 2026-12-06T13:07:18.012Z for a UTC time (no offset). Returns the end
// of what it wrote, 29 bytes at most.
char* writeIsoTime(qint64 ms, std::optional<int> offsetSeconds, char* out);

} // namespace tarnix::records
