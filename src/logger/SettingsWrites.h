#pragma once

#include <QDateTime>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnix::logger {

// One WriteByte of a setting, in the order it goes to the meter.
struct ByteWrite {
    int address = 0;
    std::uint8_t value = 0;

    friend bool operator==(const ByteWrite&, const ByteWrite&) = default;
};
using ByteWrites = std::vector<ByteWrite>;

// Shown when a typed setting is refused.
inline constexpr char16_t InvalidEntryMessage[] = u"Invalid, try again!";

// The identification code, high byte first. A negative value, or one that
// does not fit 16 bits once rounded (halves to even), is refused.
std::optional<ByteWrites> idCodeWrites(double code);
// From the typed text: its leading number, 0 when it has none ("abc").
std::optional<ByteWrites> idCodeWrites(QStringView text);

// The sampling interval in units of 0.4 s, high byte first; refused like
// the identification code. 1 second becomes 2 units, 3 seconds 8.
std::optional<ByteWrites> sampleRateWrites(double seconds);
// From the typed text, "2 sec" included.
std::optional<ByteWrites> sampleRateWrites(QStringView text);

// The recording-mode list's entry 0..2; no write for any other entry (no selection).
std::optional<ByteWrite> recordingModeWrite(int entry);

// The baud-rate list's entry (9600, 4800, 2400, 1200); no write for another rate.
std::optional<ByteWrite> baudSettingWrite(int baudRate);

// TIME SET: the digit codes ("0" = 48) of month, day, hour, minute and
// second to addresses 8..17. Nothing for an invalid date or time.
ByteWrites clockWrites(const QDateTime& at);

} // namespace tarnix::logger
