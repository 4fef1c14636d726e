#include "platform/MemorySerialPort.h"

#include "platform/Clock.h"
#include "platform/PortSettings.h"
#include "platform/SerialPeer.h"

namespace tarnix::platform {

MemorySerialPort::MemorySerialPort(SerialPeer& peer, const Clock& clock)
    : m_peer(peer), m_clock(clock) {}

bool MemorySerialPort::open(const QString& settingsText) {
    m_settings = settingsText;
    const auto settings = parsePortSettings(settingsText);
    if (!settings) {
        m_errorText = QStringLiteral("\"%1\" is not a port setting").arg(settingsText);
        return false;
    }
    if (!m_failReason.isEmpty() || m_lost) {
        m_errorText = m_failReason.isEmpty() ? QStringLiteral("no such device") : m_failReason;
        return false;
    }
    m_errorText.clear();
    m_baud = settings->baud;
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
    return m_open && !m_lost ? m_peer.arrivedCount(m_clock.monotonic()) : 0;
}

QByteArray MemorySerialPort::readAll() {
    return m_open && !m_lost ? m_peer.takeArrived(m_clock.monotonic()) : QByteArray();
}

void MemorySerialPort::write(const QByteArray& bytes) {
    if (m_open && !m_lost)
        m_peer.receive(bytes, m_baud, m_clock.monotonic());
}

} // namespace tarnix::platform
