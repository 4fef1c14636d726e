#pragma once

#include "logger/LoggerHeader.h"
#include "logger/MemoryDump.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace tarnix::link {
class Rs232;
} // namespace tarnix::link

namespace tarnix::logger {

// The two logger exchanges with the meter, without any window: the header
// read of "LOGGER" and the memory dump of a set download. The Memory window
// and `tarnix-log logger` drive them alike and show the progress their own
// way. Neither stops the polling timer nor guards against a second action;
// that is the caller's part.

// Seconds between two looks at the port while the dump comes in.
inline constexpr double DumpStep = 0.05;
// Seconds without a byte after which the dump wait gives up.
inline constexpr double DumpSilenceTimeout = 5.0;

// Reads addresses 0..54, one ReadByte each in ascending order, after a flush.
// After each byte `progress(address)` is called (headerReadProgress(address)
// is its text); returning false cancels. Nothing when cancelled or when the
// link stopped (program ending, device gone).
std::optional<std::array<std::uint8_t, HeaderLength>>
readHeader(link::Rs232& link, const std::function<bool(int address)>& progress = {});

struct DumpResult {
    enum class End {
        Complete,  // all 8194 bytes arrived
        Cancelled, // the progress callback said no
        TimedOut,  // the meter fell silent before the end
        Stopped,   // the program is ending or the device went away
    };

    // What arrived, at most DumpLength bytes (more are not used).
    QByteArray bytes;
    End end = End::Stopped;

    bool complete() const { return end == End::Complete; }
    MemoryDump dump() const { return MemoryDump(bytes); }
};

// Flushes, sends "U" and collects the reply: every DumpStep seconds the
// waiting bytes are taken and `progress(received)` is called (dumpProgress()
// gives its text; returning false cancels, even on the last pass), until
// DumpLength bytes are in. Gives up with TimedOut when no byte has come for
// `silenceTimeout` seconds, counted on the monotonic clock.
DumpResult fetchDump(link::Rs232& link, const std::function<bool(qint64 received)>& progress = {},
                     double silenceTimeout = DumpSilenceTimeout);

} // namespace tarnix::logger
