#include "platform/PortSettings.h"

namespace tarnix::platform {

QString PortSettings::text() const {
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QChar(parity)).arg(dataBits).arg(stopBits);
}

} // namespace tarnix::platform
