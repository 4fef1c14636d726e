#include "logger/SettingsWrites.h"

#include "link/MemoryMap.h"
#include "meter/LeadingNumber.h"

#include <cmath>

namespace tarnix::logger {

namespace address = link::address;

namespace {

// A word written high byte first. The value is checked before rounding
// (-0.2 is refused) and after it (65535.5 rounds to 65536).
std::optional<ByteWrites> wordWrites(int lowAddress, double value) {
    if (!(value >= 0))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // halves to even
    if (!(rounded <= 65535))
        return std::nullopt;
    const int word = int(rounded);
    return ByteWrites{{lowAddress + 1, std::uint8_t(word / 256)},
                      {lowAddress, std::uint8_t(word % 256)}};
}

} // namespace

std::optional<ByteWrites> idCodeWrites(double code) {
    return wordWrites(address::IdCode, code);
}

std::optional<ByteWrites> idCodeWrites(QStringView text) {
    return idCodeWrites(meter::leadingNumber(text));
}

std::optional<ByteWrites> sampleRateWrites(double seconds) {
    // seconds / 0.4 taken as ×10 ÷ 4: a typed 0.6 is then exactly the 1.5
    // units it says, not 1.4999…, before the rounding.
    return wordWrites(address::SampleInterval, seconds * 10 / 4);
}

std::optional<ByteWrites> sampleRateWrites(QStringView text) {
    return sampleRateWrites(meter::leadingNumber(text));
}

std::optional<ByteWrite> recordingModeWrite(int entry) {
    if (entry < 0 || entry > 2)
        return std::nullopt;
    return ByteWrite{address::RecordingMode, std::uint8_t(entry)};
}

std::optional<ByteWrite> baudSettingWrite(int baudRate) {
    int code = 0;
    switch (baudRate) {
    case 9600:
        code = 0;
        break;
    case 4800:
        code = 4;
        break;
    case 2400:
        code = 2;
        break;
    case 1200:
        code = 1;
        break;
    default:
        return std::nullopt;
    }
    return ByteWrite{address::BaudSetting, std::uint8_t(code)};
}

ByteWrites clockWrites(const QDateTime& at) {
    if (!at.isValid())
        return {};
    const QDate date = at.date();
    const QTime time = at.time();
    const int fields[] = {date.month(), date.day(), time.hour(), time.minute(), time.second()};
    ByteWrites writes;
    int a = address::ClockStamp;
    for (int field : fields) {
        writes.push_back({a++, std::uint8_t('0' + field / 10)});
        writes.push_back({a++, std::uint8_t('0' + field % 10)});
    }
    return writes;
}

} // namespace tarnix::logger
