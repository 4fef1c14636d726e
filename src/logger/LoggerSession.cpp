#include "logger/LoggerSession.h"

#include "link/Commands.h"
#include "link/Rs232.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/SerialPort.h"

namespace tarnix::logger {

std::optional<std::array<std::uint8_t, HeaderLength>>
readHeader(link::Rs232& link, const std::function<bool(int address)>& progress) {
    std::array<std::uint8_t, HeaderLength> bytes{};
    link.flush();
    for (int address = 0; address < HeaderLength; ++address) {
        if (!link.readByte(address)) {
            qCDebug(lcLogger) << "header read ended at address" << address;
            return std::nullopt;
        }
        bytes[std::size_t(address)] = link.lastByte();
        if (progress && !progress(address))
            return std::nullopt;
    }
    qCDebug(lcLogger)
        << "header read:"
        << QByteArray(reinterpret_cast<const char*>(bytes.data()), HeaderLength).toHex(' ');
    return bytes;
}

DumpResult fetchDump(link::Rs232& link, const std::function<bool(qint64 received)>& progress,
                     double silenceTimeout) {
    DumpResult result;
    const auto end = [&result](DumpResult::End how) {
        result.end = how;
        qCDebug(lcLogger) << "dump ended" << int(how) << "with" << result.bytes.size() << "bytes";
        return result;
    };
    platform::Clock& clock = link.clock();
    link.flush();
    link.send(link::command::MemoryDump);
    double lastArrival = clock.monotonic();
    for (;;) {
        // The clock's own wait, not Rs232::delay: that one returns at once
        // near midnight, which would turn this loop into a spin.
        if (!clock.wait(DumpStep) || link.stopped()) {
            return end(DumpResult::End::Stopped);
        }
        const QByteArray arrived = link.receive();
        if (!arrived.isEmpty()) {
            lastArrival = clock.monotonic();
            result.bytes.append(arrived.left(DumpLength - result.bytes.size()));
        }
        if (progress && !progress(result.bytes.size())) {
            return end(DumpResult::End::Cancelled);
        }
        if (result.bytes.size() >= DumpLength) {
            return end(DumpResult::End::Complete);
        }
        if (clock.monotonic() - lastArrival >= silenceTimeout) {
            return end(DumpResult::End::TimedOut);
        }
    }
}

} // namespace tarnix::logger
