#include "core/AlarmCheck.h"

#include "core/AlarmVerdict.h"
#include "core/SharedState.h"
#include "link/Commands.h"
#include "link/MemoryMap.h"
#include "link/Rs232.h"
#include "meter/PackedReading.h"

#include <array>
#include <utility>

namespace tarnix::core {

namespace {
// How long "UNDER" or "OVER" stays in the value display.
constexpr double FlashTime = 0.2;
// The load is the polling cycle's own and asks nobody: after this many
// time-outs in a row it gives up, so a meter that answers readings but not
// memory reads still has its readings shown and recorded.
constexpr int LoadTimeouts = 3;
} // namespace

bool AlarmCheck::loadIfRequested() {
    if (!m_state.link.alarmReloadRequest)
        return true;
    // 49 mode, 50 code, 51/52 low limit, 53/54 high limit, read in that order.
    std::array<std::uint8_t, 6> bytes{};
    const link::QuietReads quiet(m_link, LoadTimeouts);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!m_link.readByte(link::address::AlarmMode + int(i))) {
            // Limits the meter will not give are not asked for on every tick.
            if (m_link.gaveUp()) {
                m_state.link.alarmReloadRequest = false;
                m_state.alarm.unread = true;
            }
            return false;
        }
        bytes[i] = m_link.lastByte();
    }
    AlarmState& alarm = m_state.alarm;
    alarm.functionCode = bytes[1];
    const meter::MeterValue low = meter::decodeStoredValue(bytes[3], bytes[2]);
    const meter::MeterValue high = meter::decodeStoredValue(bytes[5], bytes[4]);
    alarm.low = low.text();
    alarm.high = high.text();
    alarm.lowShown = meter::shownOfValue(low);
    alarm.highShown = meter::shownOfValue(high);
    m_state.texts.highAlarm = alarm.high;
    m_state.texts.lowAlarm = alarm.low;
    alarm.meterArmed = bytes[0] == link::AlarmArmed;
    alarm.unread = false;
    m_state.link.alarmReloadRequest = false;
    m_state.show();
    return true;
}

bool AlarmCheck::check() {
    const AlarmState& alarm = m_state.alarm;
    if (alarm.unread)
        return true;
    if (alarm.functionCode == m_state.measurement.functionCode) {
        const AlarmVerdict verdict = alarmVerdict(m_state.measurement.shown, alarm);
        if (verdict == AlarmVerdict::Pass) {
            if (!alarm.meterArmed)
                m_link.send(link::command::AlarmInside);
        } else {
            const QString before = std::exchange(
                m_state.texts.value,
                verdict == AlarmVerdict::Under ? QStringLiteral("UNDER") : QStringLiteral("OVER"));
            m_state.show();
            if (!m_link.delay(FlashTime)) {
                // The port went away meanwhile: no flash is left standing.
                m_state.texts.value = before;
                m_state.show();
                return false;
            }
            if (!alarm.meterArmed)
                m_link.send(link::command::AlarmOutside);
        }
    }
    m_state.texts.alarmColour = alarm.meterArmed ? AlarmColour::Armed : AlarmColour::NotArmed;
    m_state.show();
    return true;
}

} // namespace tarnix::core
