#include "platform/MemorySerialPort.h"

#include "platform/Clock.h"
#include "platform/SerialPeer.h"

#include <algorithm>

namespace tarnix::platform {

MemorySerialPort::MemorySerialPort(SerialPeer& peer, const Clock& clock)
    : m_peer(peer), m_clock(clock) {}

namespace {
// Times on the virtual clock are sums of the same steps: equal up to rounding.
constexpr double SameMoment = 1e-9;
} // namespace

void MemorySerialPort::deliverSent() {
    const double now = m_clock.monotonic();
    while (!m_outgoing.empty()) {
        const Outgoing& o = m_outgoing.front();
        if (o.start + o.byteTime * o.bytes.size() > now + SameMoment)
            return;
        m_peer.receive(o.bytes, o.baud, o.start);
        m_outgoing.pop_front();
    }
}

void MemorySerialPort::cutLine() {
    deliverSent();
    if (!m_outgoing.empty()) {
        // The whole bytes of a write cut halfway still arrive.
        const Outgoing& o = m_outgoing.front();
        const auto whole = qsizetype((m_clock.monotonic() - o.start + SameMoment) / o.byteTime);
        if (whole > 0)
            m_peer.receive(o.bytes.left(whole), o.baud, o.start);
    }
    m_outgoing.clear();
    m_lineFreeAt = 0.0;
}

void MemorySerialPort::close() {
    cutLine();
    m_open = false;
}

bool MemorySerialPort::open(const PortSettings& settings) {
    cutLine();
    m_settings = settings;
    if (!m_failReason.isEmpty() || m_lost) {
        m_errorText = m_failReason.isEmpty() ? QStringLiteral("no such device") : m_failReason;
        return false;
    }
    m_errorText.clear();
    m_baud = settings.baud;
    m_open = true;
    return true;
}

void MemorySerialPort::setLost(bool lost) {
    m_lost = lost;
    if (lost) {
        m_errorText = QStringLiteral("%1: the device went away").arg(m_name);
    }
}

int MemorySerialPort::bytesWaiting() {
    deliverSent();
    return m_open && !m_lost ? m_peer.arrivedCount(m_clock.monotonic()) : 0;
}

QByteArray MemorySerialPort::readAll() {
    deliverSent();
    return m_open && !m_lost ? m_peer.takeArrived(m_clock.monotonic()) : QByteArray();
}

void MemorySerialPort::write(const QByteArray& bytes) {
    deliverSent();
    if (!m_open || m_lost || bytes.isEmpty() || m_baud <= 0)
        return;
    const double start = std::max(m_clock.monotonic(), m_lineFreeAt);
    const double byteTime = 10.0 / m_baud; // start bit, eight data bits, stop bit
    m_outgoing.push_back({bytes, m_baud, start, byteTime});
    m_peer.sending(bytes, m_baud, m_clock.monotonic());
    m_lineFreeAt = start + byteTime * bytes.size();
}

} // namespace tarnix::platform
