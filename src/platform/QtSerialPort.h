#pragma once

#include "platform/SerialPort.h"

#include <QSerialPort>

namespace tarnix::platform {

// A serial device (a path such as /dev/ttyUSB0 or /dev/pts/7) through QSerialPort.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    void setPortName(const QString& name) override;
    QString portName() const override;
    bool open(const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    PortSettings settings() const override { return m_settings; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    void drain() override;
    QString errorText() const override { return m_errorText; }
    bool isLost() const override { return m_lost; }

private:
    void onError(QSerialPort::SerialPortError error);
    void pullPending();
    // Sets every setting; on an open port they take effect at once.
    bool apply(const PortSettings& settings);

    QSerialPort m_port;
    QString m_device; // as given: QSerialPort shortens /dev/pts/0 to pts/0
    QString m_shownAs; // in messages: "COM1 (/dev/ttyS0)" for a COM name
    PortSettings m_settings;
    QString m_errorText;
    bool m_lost = false;
};

// Words a user can act on for a port that would not open or stopped working.
QString describeSerialError(QSerialPort::SerialPortError error, const QString& device,
                            const QString& systemText);

} // namespace tarnix::platform
