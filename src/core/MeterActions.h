#pragma once

#include "core/AlarmLimits.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/SettingsWrites.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QObject;

namespace tarnix::link {
class Rs232;
}
namespace tarnix::platform {
class Dialogs;
}

namespace tarnix::core {

class PollingCycle;
class SharedState;

// The logger refuses changes and reads while it records.
inline const QString RecordingRefusal = QStringLiteral("Invalid, Recording Mode !");
inline const QString InvalidAnswer = QStringLiteral("Invalid, try again!");
// An exchange asked for while another holds the wire, or while "No COM" shows.
inline const QString BusyMessage =
    QStringLiteral("The meter is busy with another exchange, or not answering. Try again.");

// The exchanges with the meter that the user starts from the panel and the
// Memory window, besides the polling cycle's own. Each runs with the wire to
// itself: the polling timer stops before and starts again after. Each returns
// false when it did not start: another exchange holds the wire, the link is
// down, or the meter's logger records; every refusal is said through the
// dialogs.
class MeterActions {
public:
    MeterActions(SharedState& state, PollingCycle& cycle, link::Rs232& link,
                 platform::Dialogs& dialogs);

    // The value display clicked: the meter's value key.
    bool pressValueKey();
    // REC MODE and the model button: the meter's own REC MODE key.
    bool pressRecMode();
    bool pressModelButton();
    // BAUD RATE: asks for the speed; the meter hears the speed's code at the
    // old speed, then the port moves to the new one.
    bool changeBaudRate();
    // TIME SET: the logger's clock from the PC's, one digit a byte.
    bool setLoggerClock();
    // LOGGER: the 55 header bytes, the progress shown on the port label.
    // `done` gets the header once the wire is free; it is not called when the
    // read ended early.
    bool readLoggerHeader(
        std::function<void(const std::array<std::uint8_t, logger::HeaderLength>&)> done);
    // ENABLE or DISABLE of the alarm set-up: the limit writes, then the limits
    // are read again with the next reading. `busy` as below.
    bool writeAlarmLimits(const std::vector<ByteWrite>& writes,
                          const std::function<void(bool)>& busy);
    // Settings of the Memory window. `busy(true)` before the first write and
    // `busy(false)` after the last.
    bool writeLoggerSettings(const logger::ByteWrites& writes, bool flushFirst,
                             const std::function<void(bool)>& busy);
    // The memory dump of a set download. `progress` as for fetchDump, and
    // once with 0 before anything is sent (false: nothing is). `done` gets
    // the result, unless the program is ending.
    bool fetchLoggerDump(const std::function<bool(qint64)>& progress,
                         std::function<void(const logger::DumpResult&)> done);

    // True, after showing "Invalid, Recording Mode !", while the logger records.
    bool refusedWhileRecording();
    // A change of the logger's settings in the Memory window (`window`) is
    // refused while the logger records, then when its entry makes no writes
    // (nullopt, "Invalid, try again!"). True after saying why.
    bool refusesSettingsChange(const std::optional<logger::ByteWrites>& writes, QObject* window);

private:
    bool run(std::function<void()> action, std::function<void()> then = {});
    QString portText() const;

    SharedState& m_state;
    PollingCycle& m_cycle;
    link::Rs232& m_link;
    platform::Dialogs& m_dialogs;
};

} // namespace tarnix::core
