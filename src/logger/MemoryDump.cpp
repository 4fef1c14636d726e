#include "logger/MemoryDump.h"

#include "logger/RecordTimes.h"
#include "meter/FunctionRange.h"
#include "meter/PackedReading.h"

#include <algorithm>

namespace tarnix::logger {

namespace address = link::address;

QString dumpProgress(qint64 received) {
    const qint64 counted = std::clamp<qint64>(received, 0, DumpLength);
    return QString::number(counted / double(DumpLength) * 100, 'f', 1) +
           QStringLiteral("% completed");
}

MemoryDump::MemoryDump(QByteArray reply) : m_reply(std::move(reply)) {
    m_reply.truncate(DumpLength); // bytes past the dump are not its
}

int MemoryDump::addressesHeld() const {
    return int(std::max<qsizetype>(0, (m_reply.size() - 1) / 2));
}

std::optional<std::uint8_t> MemoryDump::contentAt(int address) const {
    if (address < 0 || address >= addressesHeld())
        return std::nullopt;
    return std::uint8_t(m_reply[2 * qsizetype(address) + 2]);
}

std::array<std::uint8_t, HeaderLength> MemoryDump::headerBytes() const {
    std::array<std::uint8_t, HeaderLength> bytes{};
    for (int a = 0; a < HeaderLength; ++a)
        bytes[std::size_t(a)] = contentAt(a).value_or(0);
    return bytes;
}

SetDownload downloadSet(const MemoryDump& dump, const RecordSet& set, int year) {
    // The dump repeats the header: its clock stamp and interval are the
    // ones the records were taken with.
    const auto header = dump.headerBytes();
    const auto interval = std::size_t(address::SampleInterval);
    RecordClock clock(readClockStamp(header, address::ClockStamp),
                      header[interval + 1] * 256 + header[interval], year);

    const bool frequency = set.function == QStringView(meter::FrequencyFunction);
    const int count = set.recordCount();
    SetDownload result;
    result.dumpComplete = dump.isComplete();
    result.records.reserve(std::size_t(std::clamp(count, 0, address::MemorySize / 2)));
    for (int k = 1; k <= count; ++k) {
        const qint64 lowAddress = qint64(set.startAddress) + 2 * qint64(k - 1);
        const bool inMemory = lowAddress >= 0 && lowAddress + 1 < address::MemorySize;
        const auto low = inMemory ? dump.contentAt(int(lowAddress)) : std::nullopt;
        const auto high = inMemory ? dump.contentAt(int(lowAddress) + 1) : std::nullopt;
        if (!low || !high) {
            result.leftOut = count - (k - 1);
            break;
        }
        if (k > 1)
            clock.advance();
        const meter::MeterValue value = meter::decodePackedValue(*high, *low, frequency).value;
        // The frequency unit is the flag bit, overloads included.
        const QString range =
            frequency ? ((*low & 1) ? QStringLiteral("1MHz") : QStringLiteral("1KHz")) : set.range;
        result.records.push_back({QString::number(k), clock.dateText(), clock.timeText(),
                                  set.function, range, value.text()});
    }
    return result;
}

QString downloadTitle(const QString& countText, int set) {
    return countText + QStringLiteral("  Records In No. ") + QString::number(set) +
           QStringLiteral("  Set");
}

} // namespace tarnix::logger
