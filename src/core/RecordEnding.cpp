#include "core/RecordEnding.h"

namespace tarnix::core {

namespace {
constexpr int ExitTrouble = 1;
}

void RecordEnding::recorderFinished(int code, int parts) {
    m_exitCode = code;
    m_stillEnding = parts + 1;
}

QString RecordEnding::brokerClosed(qint64 undelivered) {
    if (undelivered <= 0)
        return {};
    if (!m_writesFile)
        m_exitCode = ExitTrouble;
    return QStringLiteral("mqtt: %1 readings never reached the broker").arg(undelivered);
}

} // namespace tarnix::core
