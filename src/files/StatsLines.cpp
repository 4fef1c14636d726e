#include "files/StatsLines.h"

#include "files/AnalysisConverter.h"
#include "files/AnalysisCsv.h"
#include "files/CsvSplit.h"

#include <QStringList>
#include <algorithm>
#include <charconv>

namespace tarnix::files {

namespace {

// As isOverload(): the trimmed display ends in "OL".
bool endsInOverload(QByteArrayView display) {
    return trimmedAscii(display).endsWith("OL");
}

} // namespace

void StatsLines::add(qint64 utcMs, int offset, std::size_t group, std::optional<double> value,
                     int decimals, bool overload) {
    if (m_again)
        m_stats.gapsAgain(utcMs);
    else
        m_stats.add(utcMs, offset, group, value, decimals, overload);
}

bool StatsLines::inSlice(qint64 utcMs) {
    m_past = m_slice.isPast(utcMs);
    return m_slice.holds(utcMs);
}

void StatsLines::take(QByteArrayView line, const LineFields* fields) {
    if (std::exchange(m_firstLine, false) && line == AnalysisHeader.toUtf8()) {
        m_csv = true;
        return;
    }
    if (m_csv)
        takeCsv(line);
    else if (fields)
        takeRecord(*fields);
    else
        ++m_skipped;
}

void StatsLines::takeCsv(QByteArrayView line) {
    const QStringList f = csvSplit(line);
    const bool plain = std::none_of(line.begin(), line.end(), isControl);
    const QDateTime at =
        f.size() == 6 && plain ? QDateTime::fromString(f[0], Qt::ISODateWithMs) : QDateTime();
    if (!at.isValid()) {
        ++m_skipped;
        return;
    }
    if (!inSlice(at.toMSecsSinceEpoch()))
        return;
    // Only what the meter shows is a number: no "inf", "nan" or exponent.
    const QString value = baseUnitValue(f[1], 0);
    add(at.toMSecsSinceEpoch(), at.offsetFromUtc(), m_again ? 0 : m_stats.groupOf(f[3], f[4], f[2]),
        value.isEmpty() ? std::nullopt : std::optional(value.toDouble()), decimalPlaces(value),
        isOverload(f[5]));
}

const StatsLines::Key& StatsLines::keyOf(QByteArrayView function, QByteArrayView range) {
    for (const Key& key : m_keys)
        if (key.known && key.function == function && key.range == range)
            return key;
    Key& key = m_keys[m_nextKey];
    m_nextKey = (m_nextKey + 1) % m_keys.size();
    const QString rangeText = QString::fromLatin1(range);
    const auto unit = rangeUnit(rangeText);
    key = {true, function.toByteArray(), range.toByteArray(),
           m_again ? 0
                   : m_stats.groupOf(QString::fromLatin1(function), rangeText,
                                     unit ? unit->unit : QString()),
           bool(unit), unit ? unit->exponent : 0};
    return key;
}

void StatsLines::takeRecord(const LineFields& fields) {
    const auto wall = m_clock.wallMs(fields[1], fields[2]);
    if (!wall) {
        ++m_skipped;
        return;
    }
    const int offset = m_offsets.offsetAt(*wall);
    const qint64 utcMs = *wall - offset * 1000LL;
    if (!inSlice(utcMs))
        return;
    const QByteArrayView function = fields[3], range = fields[4], display = fields[5];
    if (m_again) {
        add(utcMs, offset, 0, std::nullopt, 0, false);
        return;
    }
    if (!isAscii(function) || !isAscii(range) || !isAscii(display)) {
        const QString rangeText = QString::fromUtf8(range);
        const RecordValue r = recordValue(rangeText, QString::fromUtf8(display));
        add(utcMs, offset, m_stats.groupOf(QString::fromUtf8(function), rangeText, r.unit), r.value,
            r.decimals, r.overload);
        return;
    }
    const Key& key = keyOf(function, range);
    std::optional<double> value;
    int decimals = 0;
    if (key.hasUnit) {
        m_value.resize(std::size_t(display.size() + std::abs(key.exponent) + 4));
        char* const begin = m_value.data();
        const char* const end = writeBaseUnitValue(display, key.exponent, begin);
        double v = 0;
        if (end != begin && std::from_chars(begin, end, v).ec == std::errc()) {
            value = v;
            const char* point = std::find(static_cast<const char*>(begin), end, '.');
            decimals = point == end ? 0 : int(end - point - 1);
        }
    }
    add(utcMs, offset, key.group, value, decimals, endsInOverload(display));
}

} // namespace tarnix::files
