#pragma once

#include <QString>
#include <optional>

namespace tarnix::platform {

// The port's settings text "9600,n,8,1": speed, parity, data bits, stop bits.
struct PortSettings {
    int baud = 1200;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;

    QString text() const;
    friend bool operator==(const PortSettings&, const PortSettings&) = default;
};

// nullopt for a text that is not of the form "rate,parity,data,stop" with a
// speed the meter knows (1200, 2400, 4800, 9600), parity n/e/o, 7 or 8 data
// bits and 1 or 2 stop bits.
std::optional<PortSettings> parsePortSettings(const QString& text);

} // namespace tarnix::platform
