#include "core/AlarmVerdict.h"

#include "core/SharedState.h"
#include "meter/LeadingNumber.h"
#include "meter/MeterValue.h"

namespace tarnix::core {

namespace {
bool negativeOverload(const QString& t) {
    return t.contains(u'-') && t.contains(u'L');
}
bool overload(const QString& t) {
    return t.contains(u'L');
}
} // namespace

// A low limit of "-OL" means no lower bound and a high limit of "OL" no upper
// bound: each removes its own check and nothing else.
AlarmVerdict alarmVerdict(const QString& value, const QString& low, const QString& high) {
    using meter::leadingNumber;
    const bool noLower = negativeOverload(low);
    const bool noUpper = overload(high) && !negativeOverload(high);
    if (negativeOverload(value)) { // below every number
        if (!noLower)
            return AlarmVerdict::Under;
        return negativeOverload(high) ? AlarmVerdict::Over : AlarmVerdict::Pass;
    }
    if (overload(value)) // above every number
        return noUpper ? AlarmVerdict::Pass : AlarmVerdict::Over;
    if (!noLower && (overload(low) || leadingNumber(value) <= leadingNumber(low)))
        return AlarmVerdict::Under;
    if (negativeOverload(high))
        return AlarmVerdict::Over;
    if (!noUpper && leadingNumber(value) >= leadingNumber(high))
        return AlarmVerdict::Over;
    return AlarmVerdict::Pass;
}

records::SampleAlarm sampleAlarm(const AlarmState& alarm, int functionCode, const QString& value) {
    // "Initial" holds no number to check: its leading 0 is none the meter showed.
    if (alarm.unread || alarm.low.isEmpty() || alarm.functionCode != functionCode ||
        value == QStringView(meter::InitialText))
        return {};
    using State = records::SampleAlarm::State;
    static constexpr State States[] = {State::Under, State::Over, State::Ok}; // by AlarmVerdict
    return {States[int(alarmVerdict(value, alarm.low, alarm.high))], alarm.low, alarm.high};
}

} // namespace tarnix::core
