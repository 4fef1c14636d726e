#include "analysis/RecordReadings.h"

#include "analysis/AnalysisConverter.h"
#include "records/AnalysisCsv.h"
#include "analysis/RecordValue.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tarnix::analysis {

namespace {

// A plain number of up to 15 digits moved `exponent` places: its digits as
// one whole number divided or multiplied by an exact power of ten, which
// rounds as reading the moved text would. False for one longer or further
// moved, which goes the long way. Inline: it runs for every record read.
[[gnu::always_inline]] inline bool exactValue(const PlainNumber& n, int exponent, RecordReading& r) {
    static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const qsizetype count = n.whole.size() + n.fraction.size();
    const qint64 scale = exponent - n.fraction.size();
    if (count > 15 || scale < -22 || scale > 22)
        return false;
    qint64 digits = 0;
    for (const char c : n.whole)
        digits = digits * 10 + (c - '0');
    for (const char c : n.fraction)
        digits = digits * 10 + (c - '0');
    const double magnitude = scale < 0 ? double(digits) / Powers[-scale] : double(digits) * Powers[scale];
    r.value = n.negative ? -magnitude : magnitude;
    r.decimals = int(std::max<qint64>(0, -scale));
    return true;
}

} // namespace

std::size_t RecordReadings::kindOf(const QString& function, const QString& range,
                                   const QString& unit) {
    return seriesIndex(m_kinds, function, range, unit);
}

const RecordReadings::Cached& RecordReadings::cachedKind(QByteArrayView function,
                                                         QByteArrayView range) {
    for (std::size_t i = 0; i < m_cache.size(); ++i)
        if (m_cache[i].holds(function, range))
            return m_cache[m_lastCached = i];
    m_lastCached = m_nextCached;
    Cached& entry = m_cache[m_nextCached];
    m_nextCached = (m_nextCached + 1) % m_cache.size();
    const RangeUnitBytes& unit = m_units.of(range);
    entry = {true, function.toByteArray(), range.toByteArray(),
             kindOf(QString::fromLatin1(function), QString::fromLatin1(range),
                    QString::fromLatin1(unit.unit)),
             unit.hasUnit, unit.exponent};
    return entry;
}

void RecordReadings::valueTheLongWay(QByteArrayView display, int exponent, RecordReading& r) {
    m_value.resize(std::size_t(display.size() + std::abs(exponent) + 4));
    char* const begin = m_value.data();
    const char* const end = writeBaseUnitValue(display, exponent, begin);
    double v = 0;
    if (end != begin && std::from_chars(begin, end, v).ec == std::errc()) {
        r.value = v;
        const char* const point = std::find(static_cast<const char*>(begin), end, '.');
        r.decimals = point == end ? 0 : int(end - point - 1);
    }
}

bool RecordReadings::readInto(const records::LineFields& fields, RecordReading& r) {
    const qint64 wall = m_clock.wallMsOr(fields[1], fields[2]);
    if (wall == records::RecordClock::NoTime)
        return false;
    r.offsetSeconds = m_offsets.offsetAt(wall);
    r.utcMs = wall - r.offsetSeconds * 1000LL;
    const QByteArrayView function = fields[3], range = fields[4], display = fields[5];
    // Most records are of the kind of the record before; a kind kept is of ASCII.
    const Cached& last = m_cache[m_lastCached];
    const bool sameKind = last.holds(function, range);
    // A display that is a plain number is of ASCII and no overload.
    PlainNumber number;
    const bool plain = plainNumber(display, number);
    if (!(sameKind || (records::isAscii(function) && records::isAscii(range))) ||
        !(plain || records::isAscii(display))) {
        const QString rangeText = QString::fromUtf8(range), displayText = QString::fromUtf8(display);
        const RecordValue v = recordValue(rangeText, displayText);
        r.kind = kindOf(QString::fromUtf8(function), rangeText, v.unit);
        r.value = v.value;
        r.decimals = v.decimals;
        r.overload = v.overload ? (isNegativeOverload(displayText) ? -1 : 1) : 0;
        return true;
    }
    const Cached& kind = sameKind ? last : cachedKind(function, range);
    r.kind = kind.kind;
    if (plain) {
        if (kind.hasUnit && !exactValue(number, kind.exponent, r))
            valueTheLongWay(display, kind.exponent, r);
        return true;
    }
    // As isOverload(): the trimmed display ends in "OL", and -OL starts with "-".
    // (Its two bytes looked at here: endsWith() would call memcmp.)
    if (const QByteArrayView shown = records::trimmedAscii(display);
        shown.size() >= 2 && shown[shown.size() - 2] == 'O' && shown.back() == 'L')
        r.overload = shown.startsWith('-') ? -1 : 1;
    return true;
}

} // namespace tarnix::analysis
