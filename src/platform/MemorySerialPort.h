#pragma once

#include "platform/SerialPort.h"

#include <deque>

namespace tarnix::platform {

class Clock;
class SerialPeer;

// A serial port whose wire ends in the in-process simulated meter. Like a
// real line it carries one byte after the other at the port's speed, and a
// byte still going out when the port closes or changes speed never arrives.
class MemorySerialPort final : public SerialPort {
public:
    MemorySerialPort(SerialPeer& peer, const Clock& clock);

    void setPortName(const QString& name) override { m_name = name; }
    QString portName() const override { return m_name; }
    bool open(const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    PortSettings settings() const override { return m_settings; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    // Nothing waits in a driver here: a written byte is on the wire at once.
    void drain() override {}
    QString errorText() const override { return m_errorText; }
    bool isLost() const override { return m_lost; }

    // For tests: the next opens fail with this reason (empty: they succeed).
    void failOpens(const QString& reason) { m_failReason = reason; }
    // For tests: the device goes away (true) or comes back (false).
    void setLost(bool lost);

private:
    // Bytes on the wire: written at `start`, the meter has each one whole
    // `byteTime` after the one before.
    struct Outgoing {
        QByteArray bytes;
        int baud;
        double start;
        double byteTime;
    };
    // Hands the meter every byte that has left the wire by now.
    void deliverSent();
    // A close or a new speed resets the line: bytes still going out are lost.
    void cutLine();

    SerialPeer& m_peer;
    const Clock& m_clock;
    QString m_name = QStringLiteral("simulated meter");
    PortSettings m_settings;
    QString m_errorText;
    QString m_failReason;
    int m_baud = 0;
    std::deque<Outgoing> m_outgoing;
    double m_lineFreeAt = 0.0;
    bool m_open = false;
    bool m_lost = false;
};

} // namespace tarnix::platform
