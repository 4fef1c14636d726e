#include "core/AlarmVerdict.h"

#include "meter/LeadingNumber.h"

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

} // namespace tarnix::core
