#include "records/RecordClock.h"

#include "records/AnalysisCsv.h"
#include "records/LocalOffsets.h"
#include "records/RecordLine.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tarnix::records {

namespace {

int twoDigits(const char* p) {
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return -1;
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// Days since 1970-01-01 of a date on the proleptic Gregorian calendar.
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return qint64(era) * 146097 + doe - 719468;
}

void civilFromDays(qint64 z, int& y, int& m, int& d) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = int(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int(yoe + era * 400) + (m <= 2);
}

int daysInMonth(int year, int month) {
    static const int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[month - 1];
}

} // namespace

qint64 RecordClock::wallMsOtherwise(QByteArrayView date, QByteArrayView time) {
    if (!isAscii(date) || !isAscii(time)) {
        // Digits of other scripts count as digits there: the text's own reading decides.
        const auto at = recordTime(QString::fromUtf8(date), QString::fromUtf8(time));
        if (!at)
            return NoTime;
        const QDate d = at->date();
        return daysFromCivil(d.year(), d.month(), d.day()) * DayMs + at->time().msecsSinceStartOfDay();
    }
    date = trimmedAscii(date);
    time = trimmedAscii(time);
    const qint64 ms = msOfDay(time);
    if (date.size() != 8 || date[2] != '/' || date[5] != '/' || ms < 0)
        return NoTime;
    if (m_dayMs < 0 || std::memcmp(m_date, date.data(), 8) != 0) {
        const int yy = twoDigits(date.data()), mm = twoDigits(date.data() + 3),
                  dd = twoDigits(date.data() + 6);
        if (yy < 0 || mm < 1 || mm > 12 || dd < 1 || dd > daysInMonth(2000 + yy, mm))
            return NoTime;
        std::memcpy(m_date, date.data(), 8);
        m_dayMs = daysFromCivil(2000 + yy, mm, dd) * DayMs;
    }
    return m_dayMs + ms;
}

char* writeIsoTime(qint64 ms, std::optional<int> offsetSeconds, char* text) {
    static constexpr auto Pairs = [] {
        std::array<char, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[std::size_t(2 * i)] = char('0' + i / 10);
            pairs[std::size_t(2 * i + 1)] = char('0' + i % 10);
        }
        return pairs;
    }();
    const auto two = [](char* at, int value) { std::memcpy(at, &Pairs[std::size_t(2 * value)], 2); };
    const qint64 day = ms / DayMs - (ms % DayMs < 0);
    const int inDay = int(ms - day * DayMs);
    // Records come a day at a time: the date of the last one is kept, written.
    thread_local qint64 lastDay = std::numeric_limits<qint64>::min();
    thread_local char date[11];
    if (day != lastDay) {
        lastDay = day;
        int y, mo, d;
        civilFromDays(day, y, mo, d);
        two(date, y / 100 % 100);
        two(date + 2, y % 100);
        date[4] = '-';
        two(date + 5, mo);
        date[7] = '-';
        two(date + 8, d);
    }
    std::memcpy(text, date, 10);
    text[10] = 'T';
    const int seconds = inDay / 1000;
    two(text + 11, seconds / 3600);
    text[13] = ':';
    two(text + 14, seconds / 60 % 60);
    text[16] = ':';
    two(text + 17, seconds % 60);
    text[19] = '.';
    text[20] = char('0' + inDay % 1000 / 100);
    two(text + 21, inDay % 100);
    if (!offsetSeconds) {
        text[23] = 'Z';
        return text + 24;
    }
    const int minutes = *offsetSeconds / 60, size = std::abs(minutes);
    text[23] = minutes < 0 ? '-' : '+';
    two(text + 24, size / 60);
    text[26] = ':';
    two(text + 27, size % 60);
    return text + 29;
}

} // namespace tarnix::records
