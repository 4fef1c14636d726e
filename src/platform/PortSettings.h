#pragma once

#include <QString>

namespace tarnix::platform {

// The port's settings: speed, parity, data bits, stop bits. Shown and
// logged as one text, "9600,n,8,1".
struct PortSettings {
    int baud = 1200;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;

    QString text() const;
    friend bool operator==(const PortSettings&, const PortSettings&) = default;
};

} // namespace tarnix::platform
