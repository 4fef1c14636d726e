#pragma once

namespace tarnix::link {

// The meter's memory as the program uses it: 4096 bytes, the logger header
// at 0..54, the records behind it. Two-byte numbers are unsigned, low byte at
// the lower address. Every window names its addresses from here.
namespace address {

inline constexpr int WriteCount = 0;       // word
inline constexpr int IdCode = 2;           // word; written high byte (3) first
inline constexpr int RecordingMode = 5;    // 0 Normal, 1 Max, 2 Min; others read as 0
inline constexpr int MemorySizeK = 6;      // kilobytes
inline constexpr int ClockStamp = 8;       // 10 digits 8..17: MM DD hh mm ss, one per byte
inline constexpr int ClockDigits = 10;
inline constexpr int SampleInterval = 18;  // word, in 0.4 s; written high byte (19) first
inline constexpr int EndAddress = 20;      // word: behind the last stored record
inline constexpr int RangeChanges = 22;    // number of record sets
inline constexpr int DescribedSets = 5;    // only the first five sets have descriptors
constexpr int setCode(int set) { return 22 + 3 * set; }  // set 1..5: 25, 28, 31, 34, 37
constexpr int setStart(int set) { return 23 + 3 * set; } // word: 26, 29, 32, 35, 38
inline constexpr int FailCount = 41;       // word
inline constexpr int BaudSetting = 48;     // 1 = 1200, 2 = 2400, 4 = 4800, 0 = 9600
inline constexpr int AlarmMode = 49;       // 150 armed, anything else not armed
inline constexpr int AlarmCode = 50;       // the function/range code the limits belong to
inline constexpr int AlarmLow = 51;        // packed reading: low byte 51, high byte 52
inline constexpr int AlarmHigh = 53;       // packed reading: low byte 53, high byte 54
inline constexpr int HeaderLast = 54;
inline constexpr int MemorySize = 4096;

} // namespace address

inline constexpr int AlarmArmed = 150;
inline constexpr int AlarmDisarmed = 0;

} // namespace tarnix::link
