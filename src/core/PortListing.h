#pragma once

#include "platform/SerialDevices.h"

#include <QString>

namespace tarnix::core {

// What `tarnix-log ports` prints: one line per serial device, in the order
// of the desktop program's COM names, with tab-separated fields
//   COM name, device, by-id link, description, maker, serial number
// (a field the system does not know is empty). Devices past COM8 are
// listed with an empty COM name: --port still takes them.
QString portListing(const QList<platform::SerialDevice>& devices);

} // namespace tarnix::core
