#include "logger/LoggerHeader.h"

#include "meter/FunctionRange.h"
#include "meter/MeterValue.h"

#include <algorithm>

namespace tarnix::logger {

namespace address = link::address;

namespace {

int byteAt(std::span<const std::uint8_t> bytes, int a) {
    return a >= 0 && std::size_t(a) < bytes.size() ? bytes[std::size_t(a)] : 0;
}

int wordAt(std::span<const std::uint8_t> bytes, int a) {
    return byteAt(bytes, a + 1) * 256 + byteAt(bytes, a);
}

QString clockField(std::span<const std::uint8_t> bytes, int a) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const char digits[2] = {Hex[byteAt(bytes, a) & 0xF], Hex[byteAt(bytes, a + 1) & 0xF]};
    return QString::fromLatin1(digits, 2);
}

} // namespace

QString RecordSet::countText() const {
    return meter::formatNumber(byteLength / 2.0);
}

int RecordSet::recordCount() const {
    return byteLength > 0 ? byteLength / 2 : 0;
}

ClockStamp readClockStamp(std::span<const std::uint8_t> bytes, int first) {
    return {clockField(bytes, first), clockField(bytes, first + 2), clockField(bytes, first + 4),
            clockField(bytes, first + 6), clockField(bytes, first + 8)};
}

LoggerHeader decodeHeader(std::span<const std::uint8_t> bytes) {
    LoggerHeader h;
    h.writeCount = wordAt(bytes, address::WriteCount);
    h.idCode = wordAt(bytes, address::IdCode);
    h.recordingMode = byteAt(bytes, address::RecordingMode);
    if (h.recordingMode > 2)
        h.recordingMode = 0;
    h.memorySizeK = byteAt(bytes, address::MemorySizeK);
    h.clock = readClockStamp(bytes, address::ClockStamp);
    h.intervalUnits = wordAt(bytes, address::SampleInterval);
    h.endAddress = wordAt(bytes, address::EndAddress);
    h.rangeChanges = byteAt(bytes, address::RangeChanges);
    h.failCount = wordAt(bytes, address::FailCount);
    h.baudCode = byteAt(bytes, address::BaudSetting);

    const int listed = std::min(h.rangeChanges, address::DescribedSets);
    for (int n = 1; n <= listed; ++n) {
        RecordSet set;
        set.number = n;
        set.code = byteAt(bytes, address::setCode(n));
        // A code outside the table leaves the texts empty rather than
        // repeating another set's.
        meter::Reading texts;
        meter::decodeFunctionRange(set.code, texts);
        set.function = texts.functionText;
        set.range = texts.rangeText;
        set.startAddress = wordAt(bytes, address::setStart(n));
        const int next = n < listed ? wordAt(bytes, address::setStart(n + 1)) : h.endAddress;
        set.byteLength = next - set.startAddress;
        h.sets.push_back(set);
    }
    return h;
}

int baudRateOfCode(int code) {
    switch (code) {
    case 1:
        return 1200;
    case 2:
        return 2400;
    case 4:
        return 4800;
    default:
        return 9600;
    }
}

QString memorySizeText(int kilobytes) {
    return QString::number(kilobytes) + QStringLiteral(" K");
}

double intervalSeconds(int units) {
    return units * 0.4;
}

QString intervalText(int units) {
    // From tenths, so that 0.4-second units print without rounding noise.
    return meter::formatNumber(qint64(units) * 4 / 10.0) + QStringLiteral(" sec");
}

QString yearDigits(int year) {
    return QStringLiteral("%1").arg((year % 100 + 100) % 100, 2, 10, QChar(u'0'));
}

QString clockText(const ClockStamp& clock, QStringView yearDigits) {
    return yearDigits.toString() + u'/' + clock.month + u'/' + clock.day + QStringLiteral("---") +
           clock.hour + u':' + clock.minute + u':' + clock.second;
}

QString headerReadProgress(int address) {
    return QString::number(address / double(HeaderLength) * 100, 'f', 1) +
           QStringLiteral("% completed");
}

} // namespace tarnix::logger
