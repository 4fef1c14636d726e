#include "logger/LoggerSession.h"

#include "link/Commands.h"
#include "link/Rs232.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace tarnix::logger {

std::optional<std::array<std::uint8_t, HeaderLength>>
readHeader(link::Rs232& link, const std::function<bool(int address)>& progress) {
    std::array<std::uint8_t, HeaderLength> bytes{};
    link.flush();
    for (int address = 0; address < HeaderLength; ++address) {
        if (!link.readByte(address))
            return std::nullopt;
        bytes[std::size_t(address)] = link.lastByte();
        if (progress && !progress(address))
            return std::nullopt;
    }
    return bytes;
}

DumpResult fetchDump(link::Rs232& link, const std::function<bool(qint64 received)>& progress,
                     double silenceTimeout) {
    DumpResult result;
    platform::Clock& clock = link.clock();
    link.flush();
    link.send(link::command::MemoryDump);
    double lastArrival = clock.monotonic();
    for (;;) {
        // The clock's own wait, not Rs232::delay: that one returns at once
        // near midnight, which would turn this loop into a spin.
        if (!clock.wait(DumpStep) || link.stopped()) {
            result.end = DumpResult::End::Stopped;
            return result;
        }
        const QByteArray arrived = link.port().readAll();
        if (!arrived.isEmpty()) {
            lastArrival = clock.monotonic();
            result.bytes.append(arrived.left(DumpLength - result.bytes.size()));
        }
        if (progress && !progress(result.bytes.size())) {
            result.end = DumpResult::End::Cancelled;
            return result;
        }
        if (result.bytes.size() >= DumpLength) {
            result.end = DumpResult::End::Complete;
            return result;
        }
        if (clock.monotonic() - lastArrival >= silenceTimeout) {
            result.end = DumpResult::End::TimedOut;
            return result;
        }
    }
}

} // namespace tarnix::logger
