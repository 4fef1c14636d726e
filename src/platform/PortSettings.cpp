#include "platform/PortSettings.h"

#include <QStringList>

namespace tarnix::platform {

QString PortSettings::text() const {
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QChar(parity)).arg(dataBits).arg(stopBits);
}

std::optional<PortSettings> parsePortSettings(const QString& text) {
    const QStringList parts = text.trimmed().split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    bool ok[3] = {};
    PortSettings s;
    s.baud = parts[0].trimmed().toInt(&ok[0]);
    s.dataBits = parts[2].trimmed().toInt(&ok[1]);
    s.stopBits = parts[3].trimmed().toInt(&ok[2]);
    const QString parity = parts[1].trimmed().toLower();
    if (!ok[0] || !ok[1] || !ok[2] || parity.size() != 1)
        return std::nullopt;
    s.parity = char(parity[0].unicode());
    const bool knownSpeed = s.baud == 1200 || s.baud == 2400 || s.baud == 4800 || s.baud == 9600;
    if (!knownSpeed || (s.parity != 'n' && s.parity != 'e' && s.parity != 'o') ||
        (s.dataBits != 7 && s.dataBits != 8) || (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}

} // namespace tarnix::platform
