#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace bench {

// A recording of one-second samples from 2026-12-01 on, in mV with overloads and in kOhm.
inline bool writeRecords(const QString& path, long records) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QDateTime start(QDate(2026, 12, 1), QTime(0, 0));
    QByteArray block;
    QDate day;
    QByteArray date;
    for (long i = 1; i <= records; ++i) {
        const QDateTime at = start.addSecs(i);
        if (at.date() != day) {
            day = at.date();
            date = day.toString(QStringLiteral("yy/MM/dd")).toLatin1();
        }
        block += QByteArray::number(qlonglong(i)) + ',' + date + ',' +
                 at.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + ".0," +
                 (i % 3 ? "DCV,200mV,-" + QByteArray::number(double(i % 2000) / 100.0, 'f', 2)
                        : QByteArray(i % 1000 ? "RES,20KOhm,12.345" : "RES,20KOhm,OL")) +
                 "\r\n";
        if (block.size() > (1 << 20)) {
            file.write(block);
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

} // namespace bench
