#include "core/MaxMin.h"

#include "meter/LeadingNumber.h"
#include "meter/MeterValue.h"

namespace tarnix::core {

namespace {

// The order of the texts: -OL below every number, OL above every number.
// Returns <0, 0 or >0 like a comparison.
int rank(const QString& text) {
    if (text.contains(u'L'))
        return text.contains(u'-') ? -1 : 1;
    return 0;
}

bool below(const QString& a, const QString& b) {
    const int ra = rank(a), rb = rank(b);
    if (ra != rb)
        return ra < rb;
    if (ra != 0)
        return false; // two overloads of one kind are equal
    return meter::leadingNumber(a) < meter::leadingNumber(b);
}

} // namespace

MaxMin updateMaxMin(const QString& shown, const MaxMin& current) {
    const QString initial = QString::fromUtf16(meter::InitialText);
    // A reset sets both texts, so "Initial" is in both or in neither.
    if (shown == initial || current.max == initial)
        return {QStringLiteral("0"), QStringLiteral("0")};
    MaxMin next = current;
    if (next.max.isEmpty() || below(next.max, shown))
        next.max = shown;
    if (next.min.isEmpty() || below(shown, next.min))
        next.min = shown;
    return next;
}

} // namespace tarnix::core
