#include "analysis/RecordingStats.h"

#include "records/AnalysisCsv.h"

#include <QStringList>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace tarnix::analysis {

namespace {

constexpr std::size_t MostStretches = 1 << 16;

QString number(double v) { return QString::number(v, 'g', 10); }

QString seconds(qint64 ms) {
    return QString::number(double(ms) / 1000.0, 'g', 10) + QStringLiteral(" s");
}

QString isoTimeOf(qint64 ms, int offsetSeconds) {
    return records::isoTime(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone(offsetSeconds)));
}

} // namespace

std::size_t RecordingStats::groupOf(const QString& function, const QString& range,
                                    const QString& unit) {
    const auto group = std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& g) {
        return g.function == function && g.range == range && g.unit == unit;
    });
    if (group != m_groups.end())
        return std::size_t(group - m_groups.begin());
    m_groups.push_back(Group{.function = function, .range = range, .unit = unit});
    return m_groups.size() - 1;
}

void RecordingStats::add(const QDateTime& at, const QString& function, const QString& range,
                         const QString& unit, std::optional<double> value, int decimals,
                         bool overload) {
    add(at.toMSecsSinceEpoch(), at.offsetFromUtc(), groupOf(function, range, unit), value,
        decimals, overload);
}

void RecordingStats::add(qint64 utcMs, int offsetSeconds, std::size_t index,
                         std::optional<double> value, int decimals, bool overload) {
    Group& group = m_groups[index];
    if (!std::exchange(group.seen, true)) {
        group.firstMs = utcMs;
        group.firstOffset = offsetSeconds;
    }
    group.lastMs = utcMs;
    group.lastOffset = offsetSeconds;
    if (overload)
        ++group.overloads;
    if (value) {
        // Welford's running mean and squared deviations: no sum that loses
        // its small digits over millions of readings.
        const double v = *value;
        ++group.count;
        group.decimals = std::max(group.decimals, decimals);
        group.min = group.count == 1 ? v : std::min(group.min, v);
        group.max = group.count == 1 ? v : std::max(group.max, v);
        const double delta = v - group.mean;
        group.mean += delta / double(group.count);
        group.m2 += delta * (v - group.mean);
    }
    ++m_readings;
    if (m_lastMs)
        spacing(*m_lastMs, utcMs);
    m_lastMs = utcMs;
    cover(utcMs);
}

void RecordingStats::spacing(qint64 fromMs, qint64 toMs) {
    const qint64 d = toMs - fromMs;
    if (d <= 0)
        return;
    m_spacings.add(d);
    if (m_shortest == 0 || d < m_shortest)
        m_shortest = d;
}

void RecordingStats::cover(qint64 utcMs) {
    if (m_tooManyStretches)
        return;
    m_cover.add(utcMs, 2 * m_shortest);
    if (m_cover.stretches() > MostStretches) {
        m_tooManyStretches = true;
        m_cover.clear();
    }
}

qint64 RecordingStats::interval() const {
    return m_spacings.median();
}

bool RecordingStats::gapsKnown() const {
    return m_spacings.count() == 0 ||
           (!m_tooManyStretches && m_cover.longestJoined() <= 2 * interval());
}

void RecordingStats::gapsAgain(qint64 utcMs) {
    m_coverAgain.add(utcMs, 2 * interval());
}

QString RecordingStats::report(bool precise) const {
    QStringList lines;
    for (const Group& g : m_groups) {
        const QString unit = g.unit.isEmpty() ? QString() : u' ' + g.unit;
        lines << QStringLiteral("%1 %2%3: readings %4, overloads %5")
                     .arg(g.function, g.range,
                          unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(g.unit))
                     .arg(g.count)
                     .arg(g.overloads);
        if (g.count > 0) {
            const double sd = g.count > 1 ? std::sqrt(g.m2 / double(g.count - 1)) : 0.0;
            // Figures for people: one place finer than the meter reads.
            const auto figure = [&](double v) {
                return precise ? number(v) : QString::number(v, 'f', g.decimals + 1);
            };
            lines << QStringLiteral("  min %1  max %2  mean %3  sd %4%5")
                         .arg(number(g.min), number(g.max), figure(g.mean), figure(sd), unit);
        }
        lines << QStringLiteral("  first %1  last %2")
                     .arg(isoTimeOf(g.firstMs, g.firstOffset), isoTimeOf(g.lastMs, g.lastOffset));
    }
    if (m_spacings.count() == 0)
        return lines.join(u'\n') + u'\n';
    const qint64 interval = this->interval();
    QStringList gaps;
    for (const TimeCover::Space& gap : (gapsKnown() ? m_cover : m_coverAgain).spacesLongerThan(2 * interval))
        gaps << QStringLiteral("  %1 to %2 (%3)")
                        .arg(records::isoTime(QDateTime::fromMSecsSinceEpoch(gap.fromMs)),
                             records::isoTime(QDateTime::fromMSecsSinceEpoch(gap.toMs)),
                             seconds(gap.toMs - gap.fromMs));
    lines << QStringLiteral("sampling interval %1; gaps longer than %2: %3")
                 .arg(seconds(interval), seconds(2 * interval))
                 .arg(gaps.size());
    lines += gaps;
    return lines.join(u'\n') + u'\n';
}

} // namespace tarnix::analysis
