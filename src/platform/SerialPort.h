#pragma once

#include "platform/PortSettings.h"

#include <QByteArray>
#include <QString>

namespace tarnix::platform {

// The one serial port through which every exchange with the meter goes.
// Bytes are handled raw in both directions.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The device the port stands for (a path such as /dev/ttyUSB0).
    virtual void setPortName(const QString& name) = 0;
    virtual QString portName() const = 0;

    // Opens at `settings`; an open port changes to them. False with
    // errorText() set when the port cannot be opened.
    virtual bool open(const PortSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The settings the port was last opened (or asked to open) with; before
    // the first open, the defaults the link starts at.
    virtual PortSettings settings() const = 0;

    virtual int bytesWaiting() = 0;
    // Every waiting byte; the receive buffer is empty afterwards.
    virtual QByteArray readAll() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Returns once every written byte has left the computer's driver. The last
    // one may still be in the line's own transmitter: closing or changing the
    // speed right now would cut it off.
    virtual void drain() = 0;

    // Why the last open failed, or why the port stopped working, in words a
    // user can act on.
    virtual QString errorText() const = 0;
    // True when the device went away while open (cable pulled, device closed).
    virtual bool isLost() const = 0;
};

} // namespace tarnix::platform
