#include "meter/MaxMin.h"

#include "meter/Measurement.h"
#include "meter/MeterValue.h"

namespace tarnix::meter {

MaxMin updateMaxMin(const QString& shown, const MaxMin& current) {
    const QString initial = QString::fromUtf16(InitialText);
    // A reset sets both texts, so "Initial" is in both or in neither.
    if (shown == initial || current.max == initial)
        return {QStringLiteral("0"), QStringLiteral("0")};
    const Shown value = shownOf(shown);
    MaxMin next = current;
    if (next.max.isEmpty() || below(shownOf(next.max), value))
        next.max = shown;
    if (next.min.isEmpty() || below(value, shownOf(next.min)))
        next.min = shown;
    return next;
}

} // namespace tarnix::meter
