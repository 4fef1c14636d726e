#pragma once

#include "platform/SerialPort.h"

namespace tarnix::platform {

class Clock;
class SerialPeer;

// A serial port whose wire ends in the in-process simulated meter.
class MemorySerialPort final : public SerialPort {
public:
    MemorySerialPort(SerialPeer& peer, const Clock& clock);

    void setPortName(const QString& name) override { m_name = name; }
    QString portName() const override { return m_name; }
    bool open(const QString& settings) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString settings() const override { return m_settings; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    QString errorText() const override { return m_errorText; }
    bool isLost() const override { return m_lost; }

    // For tests: the next opens fail with this reason (empty: they succeed).
    void failOpens(const QString& reason) { m_failReason = reason; }
    // For tests: the device goes away (true) or comes back (false).
    void setLost(bool lost);

private:
    SerialPeer& m_peer;
    const Clock& m_clock;
    QString m_name = QStringLiteral("simulated meter");
    QString m_settings;
    QString m_errorText;
    QString m_failReason;
    int m_baud = 0;
    bool m_open = false;
    bool m_lost = false;
};

} // namespace tarnix::platform
