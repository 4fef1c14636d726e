#pragma once

#include <QList>
#include <QMap>
#include <QStringList>

namespace tarnix::platform {

// On Linux the names COM1..COM8 stand for the serial devices found, in this
// order: USB-serial adapters (/dev/ttyUSB0, 1, ...), then USB modems and
// meters of the CDC kind (/dev/ttyACM0, ...), then every other device
// (built-in ports /dev/ttyS0, ...), each group by number. With one
// USB-serial cable plugged in, COM1 is that cable.
QStringList orderSerialDevices(QStringList paths);

// The serial devices on this computer, in the order above.
QStringList serialDevices();

// What the system knows of one serial device, for people and scripts.
struct SerialDevice {
    QString path = {};         // /dev/ttyUSB0
    QString description = {};  // the adapter's own name: "FT232R USB UART"
    QString manufacturer = {}; // "FTDI"
    QString serialNumber = {};
    QString byId = {}; // its /dev/serial/by-id/... link, stable across replugging; may be empty
};

// The serial devices with what the system says of each, in the order above.
QList<SerialDevice> describedSerialDevices();

// "/dev/ttyUSB0 — FT232R USB UART (FTDI)": the path, then the description
// and the maker where the system knows them.
QString deviceSummary(const SerialDevice& device);

// The by-id links of `byIdFolder`, keyed by the device each points to.
QMap<QString, QString> byIdLinks(const QString& byIdFolder);

// The device COM`number` stands for; empty when there is none.
QString deviceForComNumber(int number, const QStringList& orderedDevices);

// The COM names the programs take: COM1..COM8.
inline constexpr int ComNames = 8;
// The number of a COM name, "COM3" 3; 0 for any other name.
int comNumber(const QString& name);
// The device a port name given on a command line or in a configuration
// means: a COM name the device it stands for among `orderedDevices` (empty
// when none), any other name itself.
QString portDevice(const QString& name, const QStringList& orderedDevices);
// How messages name that port: "COM1 (/dev/ttyS0)", "COM5 (no serial
// device)", any other name as given.
QString portShownAs(const QString& name, const QStringList& orderedDevices);
// The same among this computer's serial devices (looked for only for a COM name).
QString portShownAs(const QString& name);

// The device a typed port name means: a bare name ("ttyUSB0") is a device in
// /dev, never a file of that name in the current folder; a name with a slash
// is a path, and a relative one is taken from the current folder.
QString devicePath(const QString& name);

// A short name for the port label ("ttyUSB0" for /dev/ttyUSB0, "pts/7").
QString shortDeviceName(const QString& path);

} // namespace tarnix::platform
