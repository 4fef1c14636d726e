#include "platform/QtSerialPort.h"

#include "platform/PortSettings.h"
#include "platform/SerialDevices.h"

#include <cerrno>
#include <termios.h>

namespace tarnix::platform {

QString describeSerialError(QSerialPort::SerialPortError error, const QString& device,
                            const QString& systemText) {
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("%1: no such device").arg(device);
    case QSerialPort::PermissionError:
        return QStringLiteral("%1: permission denied (the port is in use, or your user is not in "
                              "the dialout group: run \"sudo usermod -aG dialout $USER\" and log "
                              "in again)")
            .arg(device);
    case QSerialPort::OpenError:
        return QStringLiteral("%1: the port is already open").arg(device);
    case QSerialPort::ResourceError:
        return QStringLiteral("%1: the device went away").arg(device);
    default:
        return QStringLiteral("%1: %2").arg(device, systemText);
    }
}

QtSerialPort::QtSerialPort() {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

QtSerialPort::~QtSerialPort() {
    close();
}

void QtSerialPort::setPortName(const QString& name) {
    if (name != m_device)
        close(); // settings are never carried over to another device
    m_device = name;
    // COM1..COM8 stand for the devices found now, as in the port window.
    const QStringList found = comNumber(name) > 0 ? serialDevices() : QStringList();
    m_shownAs = portShownAs(name, found);
    // Spelled out, so that Qt's own guess (which puts /dev/ before a
    // relative path) never applies.
    m_port.setPortName(devicePath(portDevice(name, found)));
}

QString QtSerialPort::portName() const {
    return m_device;
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // A read with no data waiting reports a time-out: that is not a fault.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    m_errorText = describeSerialError(error, m_shownAs, m_port.errorString());
    if (error == QSerialPort::ResourceError && m_port.isOpen())
        m_lost = true;
}

bool QtSerialPort::apply(const PortSettings& settings) {
    const bool dataBits =
        m_port.setDataBits(settings.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    const bool parity = m_port.setParity(settings.parity == 'e'   ? QSerialPort::EvenParity
                                         : settings.parity == 'o' ? QSerialPort::OddParity
                                                                  : QSerialPort::NoParity);
    const bool stopBits =
        m_port.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    const bool flow = m_port.setFlowControl(QSerialPort::NoFlowControl);
    return m_port.setBaudRate(settings.baud) && dataBits && parity && stopBits && flow;
}

bool QtSerialPort::open(const PortSettings& settings) {
    m_settings = settings;
    // An open port takes the new settings as it is: closing would first put
    // back the settings it found, resetting the line under a byte that may
    // still be going out.
    if (m_port.isOpen() && !m_lost && apply(settings))
        return true;
    if (m_port.isOpen())
        m_port.close();
    m_lost = false;
    m_errorText.clear();
    if (m_device.isEmpty()) {
        m_errorText = QStringLiteral("there is no such serial device on this computer");
        return false;
    }
    if (m_port.portName().isEmpty()) { // a COM name that stands for no device
        m_errorText = describeSerialError(QSerialPort::DeviceNotFoundError, m_shownAs, {});
        return false;
    }
    apply(settings);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (m_errorText.isEmpty())
            m_errorText = describeSerialError(m_port.error(), m_shownAs, m_port.errorString());
        return false;
    }
    // errorString() can still say "Unknown error" after a good open.
    m_port.clearError();
    return true;
}

void QtSerialPort::close() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::isOpen() const {
    return m_port.isOpen();
}

void QtSerialPort::pullPending() {
    // Takes what the driver holds without waiting, so a count or flush right
    // after a wait sees every byte that has arrived.
    if (m_port.isOpen() && !m_lost) {
        m_port.waitForReadyRead(0);
        m_port.clearError();
    }
}

int QtSerialPort::bytesWaiting() {
    pullPending();
    return m_port.isOpen() ? int(m_port.bytesAvailable()) : 0;
}

QByteArray QtSerialPort::readAll() {
    pullPending();
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (!m_port.isOpen() || m_lost)
        return;
    m_port.write(bytes);
    m_port.flush();
}

void QtSerialPort::drain() {
    if (!m_port.isOpen() || m_lost)
        return;
    m_port.flush();
    // Waits for the driver's queue, not just for Qt's buffer.
    while (::tcdrain(int(m_port.handle())) != 0 && errno == EINTR) {
    }
}

} // namespace tarnix::platform
