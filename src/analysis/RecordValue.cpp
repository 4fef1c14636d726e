#include "analysis/RecordValue.h"

#include "meter/Units.h"
#include "records/RecordLine.h"

namespace tarnix::analysis {

RecordValue recordValue(const QString& range, const QString& display) {
    RecordValue r;
    r.overload = isOverload(display);
    if (const auto unit = meter::rangeUnit(range)) {
        r.unit = unit->unit;
        bool ok; // set by toDouble
        const QString text = meter::baseUnitValue(display, unit->exponent);
        const double v = text.toDouble(&ok);
        if (ok) {
            r.value = v;
            r.decimals = decimalPlaces(text);
        }
    }
    return r;
}

QString shownNumberText(QStringView text) {
    return meter::baseUnitValue(text, 0);
}

int decimalPlaces(QStringView number) {
    const qsizetype point = number.indexOf(u'.');
    return point < 0 ? 0 : int(number.size() - point - 1);
}

bool isOverload(QStringView display) {
    return display.trimmed().endsWith(u"OL");
}

bool isNegativeOverload(QStringView display) {
    return isOverload(display) && display.trimmed().startsWith(u'-');
}

const RangeUnitBytes& RangeUnits::of(QByteArrayView range) {
    for (const Entry& entry : m_entries)
        if (entry.known && records::sameText(entry.range, range))
            return entry.unit;
    Entry& entry = m_entries[m_next];
    m_next = (m_next + 1) % m_entries.size();
    const auto unit = meter::rangeUnit(QString::fromLatin1(range));
    entry = {range.toByteArray(),
             true,
             {bool(unit), unit ? unit->unit.toLatin1() : QByteArray(), unit ? unit->exponent : 0}};
    return entry.unit;
}

} // namespace tarnix::analysis
