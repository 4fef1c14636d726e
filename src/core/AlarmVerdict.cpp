#include "core/AlarmVerdict.h"

#include "core/SharedState.h"

namespace tarnix::core {

// A low limit of "-OL" means no lower bound and a high limit of "OL" no upper
// bound: each removes its own check and nothing else.
AlarmVerdict alarmVerdict(const meter::Shown& value, const meter::Shown& low,
                          const meter::Shown& high) {
    using meter::Overload;
    const bool noLower = low.overload == Overload::Under;
    const bool noUpper = high.overload == Overload::Over;
    if (value.overload == Overload::Under) { // below every number
        if (!noLower)
            return AlarmVerdict::Under;
        return high.overload == Overload::Under ? AlarmVerdict::Over : AlarmVerdict::Pass;
    }
    if (value.overload == Overload::Over) // above every number
        return noUpper ? AlarmVerdict::Pass : AlarmVerdict::Over;
    if (!noLower && (low.overload == Overload::Over || value.number <= low.number))
        return AlarmVerdict::Under;
    if (high.overload == Overload::Under)
        return AlarmVerdict::Over;
    if (!noUpper && value.number >= high.number)
        return AlarmVerdict::Over;
    return AlarmVerdict::Pass;
}

AlarmVerdict alarmVerdict(const meter::Shown& value, const AlarmState& alarm) {
    // The limits are displays the meter keeps in its memory.
    return alarmVerdict(value, alarm.lowShown, alarm.highShown);
}

records::SampleAlarm sampleAlarm(const AlarmState& alarm, const meter::Measurement& m) {
    // "Initial" holds no number to check: its leading 0 is none the meter showed.
    if (alarm.unread || alarm.low.isEmpty() || alarm.functionCode != m.functionCode ||
        m.isInitial())
        return {};
    using State = records::SampleAlarm::State;
    static constexpr State States[] = {State::Under, State::Over, State::Ok}; // by AlarmVerdict
    return {States[int(alarmVerdict(m.shown, alarm))], alarm.low, alarm.high};
}

} // namespace tarnix::core
