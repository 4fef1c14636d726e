#include "sim/DemoLogger.h"

#include "link/MemoryMap.h"
#include "sim/ScriptedReading.h"
#include "sim/SimMeter.h"

#include <cmath>

namespace tarnix::sim {

namespace address = link::address;

namespace {

struct DemoSet {
    int code;
    int records;
    QString (*value)(int k);
};

QString dcVolts(int k) { return QString::number(5.0 + 3.0 * std::sin(k / 9.0), 'f', 2); }
// The packed layout holds three digits behind the half digit: "021".
QString degrees(int k) {
    return QStringLiteral("%1").arg(int(21 + 180 * (1 - std::exp(-k / 15.0))), 3, 10, QChar(u'0'));
}
QString acVolts(int k) { return QString::number(119.0 + 2.5 * std::sin(k / 4.0), 'f', 1); }

void putWord(QByteArray& image, int at, int value) {
    image[at] = char(value & 0xFF);
    image[at + 1] = char((value >> 8) & 0xFF);
}

} // namespace

QByteArray demoLoggerMemory(const QDateTime& start) {
    QByteArray image(MemorySize, '\0');
    putWord(image, address::WriteCount, 12);
    putWord(image, address::IdCode, 1001);
    image[address::MemorySizeK] = 4;
    const QString stamp = start.toString(QStringLiteral("MMddHHmmss"));
    for (int i = 0; i < address::ClockDigits; ++i)
        image[address::ClockStamp + i] = char(stamp[i].unicode() - u'0');
    putWord(image, address::SampleInterval, 5); // 2 s

    const DemoSet sets[] = {{2, 120, dcVolts}, {68, 60, degrees}, {131, 80, acVolts}};
    int at = 56;
    int set = 1;
    for (const DemoSet& s : sets) {
        image[address::setCode(set)] = char(s.code);
        putWord(image, address::setStart(set), at);
        for (int k = 0; k < s.records; ++k, at += 2) {
            const auto packed = packValueText(s.value(k), true);
            image[at] = char(packed ? packed->low : 0);
            image[at + 1] = char(packed ? packed->high : 0);
        }
        ++set;
    }
    putWord(image, address::EndAddress, at);
    image[address::RangeChanges] = char(set - 1);
    return image;
}

} // namespace tarnix::sim
