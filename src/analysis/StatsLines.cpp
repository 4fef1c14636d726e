#include "analysis/StatsLines.h"

#include "analysis/RecordValue.h"
#include "records/AnalysisCsv.h"
#include "records/CsvSplit.h"

#include <QStringList>
#include <algorithm>

namespace tarnix::analysis {

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

void StatsLines::nextFile() {
    m_firstLine = true;
    m_csv = false;
    m_past = false;
    m_skipped = 0;
}

void StatsLines::take(QByteArrayView line, const records::LineFields* fields) {
    if (std::exchange(m_firstLine, false) && line == records::AnalysisHeader.toUtf8()) {
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
    const QStringList f = records::csvSplit(line);
    const bool plain = std::none_of(line.begin(), line.end(), records::isControl);
    const QDateTime at =
        f.size() == 6 && plain ? QDateTime::fromString(f[0], Qt::ISODateWithMs) : QDateTime();
    if (!at.isValid()) {
        ++m_skipped;
        return;
    }
    if (!inSlice(at.toMSecsSinceEpoch()))
        return;
    // Only what the meter shows is a number: no "inf", "nan" or exponent.
    const QString value = shownNumberText(f[1]);
    add(at.toMSecsSinceEpoch(), at.offsetFromUtc(), m_again ? 0 : m_stats.groupOf(f[3], f[4], f[2]),
        value.isEmpty() ? std::nullopt : std::optional(value.toDouble()), decimalPlaces(value),
        isOverload(f[5]));
}

std::size_t StatsLines::groupOf(std::size_t kind) {
    if (m_groups.size() <= kind)
        m_groups.resize(kind + 1);
    if (!m_groups[kind]) {
        const ReadingKind& k = m_readings.kind(kind);
        m_groups[kind] = m_stats.groupOf(k.function, k.range, k.unit);
    }
    return *m_groups[kind];
}

void StatsLines::takeRecord(const records::LineFields& fields) {
    if (const auto r = m_readings.read(fields))
        takeReading(*r);
    else
        ++m_skipped;
}

void StatsLines::takeReading(const RecordReading& r) {
    if (!inSlice(r.utcMs))
        return;
    if (m_again)
        add(r.utcMs, r.offsetSeconds, 0, std::nullopt, 0, false);
    else
        add(r.utcMs, r.offsetSeconds, groupOf(r.kind), r.value, r.decimals, r.overload != 0);
}

void StatsLines::takeChunk(const ReadingsChunk& chunk) {
    // The file's first line was no analysis CSV header: the reader of chunks
    // leaves those files to take().
    m_firstLine = m_firstLine && !chunk.anyLine;
    m_skipped += chunk.skipped;
    std::vector<std::size_t> kinds;
    for (const ReadingKind& kind : chunk.kinds)
        kinds.push_back(m_readings.kindOf(kind));
    for (RecordReading r : chunk.readings) {
        r.kind = kinds[r.kind];
        takeReading(r);
    }
}

} // namespace tarnix::analysis
