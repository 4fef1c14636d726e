#include "core/AlarmVerdict.h"

#include "meter/LeadingNumber.h"

namespace tarnix::core {

namespace {
bool negativeOverload(const QString& t) { return t.contains(u'-') && t.contains(u'L'); }
bool overload(const QString& t) { return t.contains(u'L'); }
} // namespace

AlarmVerdict alarmVerdict(const QString& value, const QString& low, const QString& high) {
    using meter::leadingNumber;
    if (negativeOverload(value))
        return AlarmVerdict::Under;
    if (overload(value))
        return AlarmVerdict::Over;
    if (leadingNumber(value) <= leadingNumber(low))
        return AlarmVerdict::Under;
    if (negativeOverload(low))
        return AlarmVerdict::Pass;
    if (overload(low))
        return AlarmVerdict::Under;
    if (negativeOverload(high))
        return AlarmVerdict::Over;
    if (overload(high))
        return AlarmVerdict::Pass;
    if (leadingNumber(value) >= leadingNumber(high))
        return AlarmVerdict::Over;
    return AlarmVerdict::Pass;
}

} // namespace tarnix::core
