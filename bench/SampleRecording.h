#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

// The zone the sample recordings are written in, and the benchmarks read
// them in: a year of it holds both changes of daylight saving time.
inline void useBerlinTime() {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
}

// The first moment of the sample recordings: 2026-01-01 00:00 in Berlin.
inline QDateTime recordingStart() {
    return QDateTime(QDate(2026, 1, 1), QTime(0, 0), QTimeZone("Europe/Berlin"));
}

namespace detail {

// yy/MM/dd (8 bytes) of a day counted from 1970-01-01 (the proleptic Gregorian calendar).
inline void writeDate(qint64 days, char* out) {
    const qint64 z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1), month = int(mp < 10 ? mp + 3 : mp - 9);
    const int year = int(yoe + era * 400 + (month <= 2));
    const int fields[] = {year % 100, month, day};
    for (int k = 0; k < 3; ++k) {
        out[3 * k] = char('0' + fields[k] / 10);
        out[3 * k + 1] = char('0' + fields[k] % 10);
        if (k < 2)
            out[3 * k + 2] = '/';
    }
}

// What the meter shows for record `i` at second `s` of the recording: six
// hours of DC millivolts, six of resistance, then of volts, in turns.
inline int writeReading(long i, qint64 s, char* out) {
    switch ((s / (6 * 3600)) % 3) {
    case 0:
        return std::snprintf(out, 32, "DCV,200mV,-%.2f", double(i % 2000) / 100.0);
    case 1:
        return std::snprintf(out, 32, "RES,20KOhm,%s", i % 1000 ? "12.345" : "OL");
    default:
        if (i % 5000 == 0)
            return std::snprintf(out, 32, "DCV,20V,-OL");
        return std::snprintf(out, 32, "DCV,20V,%.3f", 5.0 + double(i % 997) / 1000.0);
    }
}

} // namespace detail

// A recording as a lab's recorder writes it, one reading a second from
// 2026-01-01 in Berlin's local time (so with the hour skipped in March and
// the hour shown twice in October), `records` of them: the function changes
// every six hours, some readings are overloads, and the readings stop for
// ten minutes every week and for a day in the middle of the year.
inline bool writeRecords(const QString& path, long records) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QTimeZone zone("Europe/Berlin");
    const qint64 start = recordingStart().toSecsSinceEpoch();
    constexpr qint64 Week = 7 * 86400;
    QByteArray block;
    block.reserve((1 << 20) + 256);
    qint64 offsetHour = -1;
    int offset = 0;
    qint64 s = 0; // seconds since the start
    char line[128];
    for (long i = 1; i <= records; ++i, ++s) {
        if (s % Week == 3 * 86400)
            s += 600; // the weekly pause
        if (s == 180 * 86400)
            s += 86400; // the day the meter was away
        const qint64 utc = start + s;
        if (utc / 3600 != offsetHour) {
            offsetHour = utc / 3600;
            offset = zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utc, QTimeZone::utc()));
        }
        const qint64 wall = utc + offset;
        int n = std::snprintf(line, sizeof line, "%ld,", i);
        detail::writeDate(wall / 86400, line + n);
        n += 8;
        const qint64 t = wall % 86400;
        n += std::snprintf(line + n, sizeof line - std::size_t(n), ",%02d:%02d:%02d.0,",
                           int(t / 3600), int(t / 60 % 60), int(t % 60));
        n += detail::writeReading(i, s, line + n);
        line[n++] = '\r';
        line[n++] = '\n';
        block.append(line, n);
        if (block.size() > (1 << 20)) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

// The record counts a benchmark is given, or 1 and 10 million.
inline std::vector<long> recordCounts(int argc, char* argv[]) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1L, std::atol(argv[i])));
    if (sizes.empty())
        sizes = {1000000L, 10000000L};
    return sizes;
}

// A year at one reading a second.
inline constexpr long YearRecords = 31536000L;

// pandas holds a whole file in memory, some 8 GB for a year: beside
// recordings up to this size only.
inline constexpr long PandasRecordsAtMost = 10000000L;

} // namespace bench
