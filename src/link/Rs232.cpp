#include "link/Rs232.h"

#include "link/Commands.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/Dialogs.h"
#include "platform/SerialPort.h"

#include <algorithm>

namespace tarnix::link {

namespace {
constexpr double SecondsPerDay = 86400.0;
// After its last byte has left the computer, a line is left alone this much
// longer before it closes or changes speed: the byte's own time in the
// transmitter, and time for the meter to take it in.
constexpr double LineSettleTime = 0.1;

QByteArray addressBytes(int address) {
    QByteArray bytes;
    bytes.append(char(address & 0xFF));
    bytes.append(char((address >> 8) & 0xFF));
    return bytes;
}
} // namespace

Rs232::Rs232(platform::SerialPort& port, platform::Clock& clock, platform::Dialogs& dialogs)
    : m_port(port), m_clock(clock), m_dialogs(dialogs) {}

void Rs232::note(const char* what, const QByteArray& bytes) const {
    qCDebug(lcLink).noquote() << QStringLiteral("%1 s").arg(m_clock.monotonic(), 0, 'f', 3) << what
                              << bytes.size() << "bytes at" << m_port.settings().text() << ":"
                              << bytes.toHex(' ');
}

void Rs232::flush() {
    const QByteArray dropped = m_port.readAll();
    if (!dropped.isEmpty())
        note("dropped", dropped);
}

void Rs232::send(const QByteArray& bytes) {
    note("sent", bytes);
    m_port.write(bytes);
    // A closed port sends nothing, so nothing is on the wire.
    const double wireTime = m_port.isOpen() ? bytes.size() * 10.0 / m_port.settings().baud : 0.0;
    m_sendingUntil = std::max(m_sendingUntil, m_clock.monotonic()) + wireTime;
}

bool Rs232::reopen(const platform::PortSettings& settings) {
    if (m_port.isOpen()) {
        m_port.drain();
        const double left = m_sendingUntil + LineSettleTime - m_clock.monotonic();
        if (left > 0 && !m_clock.wait(left))
            return false;
    }
    return m_port.open(settings);
}

QByteArray Rs232::receive() {
    QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        note("received", bytes);
    return bytes;
}

bool Rs232::stopped() const {
    return m_clock.stopped() || m_port.isLost();
}

bool Rs232::delay(double seconds) {
    if (m_clock.secondsSinceMidnight() + seconds >= SecondsPerDay)
        return !stopped();
    // Counted on the monotonic clock, so a wait that a late wake-up carries
    // past midnight still ends.
    return m_clock.wait(seconds) && !stopped();
}

bool Rs232::readByte(int address) {
    m_gaveUp = false;
    for (int timeouts = 1;; ++timeouts) {
        flush();
        send(command::ReadMemory);
        if (!delay(CommandPause))
            return false;
        send(addressBytes(address));
        const double start = m_clock.monotonic();
        for (;;) {
            if (!m_clock.wait(ReplyPollInterval) || stopped())
                return false;
            if (m_clock.monotonic() - start > ReadTimeout)
                break;
            if (m_port.bytesWaiting() == ReadReplyLength) {
                const QByteArray reply = receive();
                if (reply.size() >= 2) {
                    m_lastByte = std::uint8_t(reply[1]);
                    return true;
                }
                break;
            }
        }
        if (m_onTimeout)
            m_onTimeout();
        if (m_timeoutLimit > 0 && timeouts >= m_timeoutLimit) {
            m_gaveUp = true;
            return false;
        }
        if (!m_askOnTimeout)
            continue;
        const bool again = m_dialogs.retry(WaitTimeOutMessage);
        if (stopped())
            return false;
        if (!again) {
            m_gaveUp = true;
            return false;
        }
    }
}

bool Rs232::writeByte(int address, int value) {
    flush();
    send(command::WriteMemory);
    if (!delay(CommandPause))
        return false;
    QByteArray bytes = addressBytes(address);
    bytes.append(char(value & 0xFF));
    send(bytes);
    return delay(CommandPause);
}

} // namespace tarnix::link
