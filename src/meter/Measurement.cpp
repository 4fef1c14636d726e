#include "meter/Measurement.h"

#include "meter/LeadingNumber.h"
#include "meter/Units.h"

namespace tarnix::meter {

Shown shownOf(QStringView display) {
    if (display.contains(u'L'))
        return {0, display.contains(u'-') ? Overload::Under : Overload::Over};
    return {leadingNumber(display), Overload::None};
}

bool below(const Shown& a, const Shown& b) {
    const auto rank = [](Overload o) { return o == Overload::Under ? -1 : o == Overload::Over; };
    const int ra = rank(a.overload), rb = rank(b.overload);
    if (ra != rb)
        return ra < rb;
    return ra == 0 && a.number < b.number;
}

Measurement measurementFromTexts(const QString& function, const QString& range,
                                 const QString& display) {
    Measurement m{function, range, display};
    m.shown = shownOf(display);
    m.fullScale = leadingNumber(range);
    if (const auto unit = rangeUnit(range)) {
        m.unit = unit->unit;
        m.scale = unit->exponent;
        m.baseText = baseUnitValue(display, unit->exponent);
        if (!m.baseText.isEmpty())
            m.value = m.baseText.toDouble();
    }
    return m;
}

QString Measurement::baseTextOf(QStringView otherDisplay) const {
    return unit.isEmpty() ? QString() : baseUnitValue(otherDisplay, scale);
}

Shown shownOfValue(const MeterValue& value) {
    return shownOf(value.text());
}

Measurement measurementOf(const Reading& reading) {
    Measurement m = measurementFromTexts(reading.functionText, reading.rangeText, reading.value.text());
    m.functionCode = reading.functionCode;
    return m;
}

} // namespace tarnix::meter
