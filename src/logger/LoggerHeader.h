#pragma once

#include "link/MemoryMap.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnix::logger {

// The "LOGGER" read fetches addresses 0..54 one byte at a time.
inline constexpr int HeaderLength = link::address::HeaderLast + 1;

// The logger's clock as stored: one digit per byte, each field a
// two-character text ("03", "59"). The logger stores no year.
struct ClockStamp {
    QString month;
    QString day;
    QString hour;
    QString minute;
    QString second;

    friend bool operator==(const ClockStamp&, const ClockStamp&) = default;
};

// One row of the set list. Only the first five sets have descriptors.
struct RecordSet {
    int number = 0; // 1..5
    int code = 0;
    QString function;
    QString range;
    int startAddress = 0;
    // Next set's start (or the end address) minus this start. The logger's
    // table can make it odd or negative.
    int byteLength = 0;

    // Half the byte length as the list shows it: "120", "2.5", "-3".
    QString countText() const;
    // The records a download lists: whole ones only, none for a negative length.
    int recordCount() const;

    friend bool operator==(const RecordSet&, const RecordSet&) = default;
};

struct LoggerHeader {
    int writeCount = 0;
    int idCode = 0;
    int recordingMode = 0; // 0 "Normal", 1 "Max", 2 "Min"
    int memorySizeK = 0;
    ClockStamp clock;
    int intervalUnits = 0; // of 0.4 s
    int endAddress = 0;
    int rangeChanges = 0; // as read; may exceed the sets listed
    int failCount = 0;
    int baudCode = 0; // as read
    std::vector<RecordSet> sets;

    // Set `number` as the user counts them, from 1; null when it is not listed.
    const RecordSet* set(int number) const {
        return number >= 1 && std::size_t(number) <= sets.size() ? &sets[std::size_t(number - 1)]
                                                                 : nullptr;
    }
};

// Decodes the header bytes of addresses 0 onwards; bytes not given read as 0.
LoggerHeader decodeHeader(std::span<const std::uint8_t> bytes);

// The ten clock digit bytes from `first` on, each byte's low four bits as one
// hexadecimal digit; bytes not given read as 0.
ClockStamp readClockStamp(std::span<const std::uint8_t> bytes, int first);

// Entries of the recording-mode list, in list order.
inline constexpr const char16_t* RecordingModeNames[] = {u"Normal", u"Max", u"Min"};
// Entries of the baud-rate list, in list order.
inline constexpr int BaudRateEntries[] = {9600, 4800, 2400, 1200};

// The list entry of a stored baud-rate code: 1 1200, 2 2400, 4 4800, else 9600.
int baudRateOfCode(int code);

// "4 K"
QString memorySizeText(int kilobytes);

double intervalSeconds(int units);
// "2 sec", "0.4 sec", "102.4 sec"
QString intervalText(int units);

// The last two digits of a year: 2026 gives "26", 2007 "07".
QString yearDigits(int year);

// The clock for the Memory window: "26/03/14---09:05:00".
QString clockText(const ClockStamp& clock, QStringView yearDigits);

// Progress of the header read after `address`: "0.0% completed" after 0,
// "98.2% completed" after 54.
QString headerReadProgress(int address);

} // namespace tarnix::logger
