#include "files/RecordingStats.h"

#include "files/AnalysisCsv.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tarnix::files {

void RecordingStats::add(const QDateTime& at, const QString& function, const QString& range,
                         const QString& unit, std::optional<double> value, int decimals,
                         bool overload) {
    auto group = std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& g) {
        return g.function == function && g.range == range && g.unit == unit;
    });
    if (group == m_groups.end()) {
        m_groups.push_back(Group{.function = function, .range = range, .unit = unit, .first = at, .last = at});
        group = m_groups.end() - 1;
    }
    group->last = at;
    if (overload)
        ++group->overloads;
    if (value) {
        // Welford's running mean and squared deviations: no sum that loses
        // its small digits over millions of readings.
        const double v = *value;
        ++group->count;
        group->decimals = std::max(group->decimals, decimals);
        group->min = group->count == 1 ? v : std::min(group->min, v);
        group->max = group->count == 1 ? v : std::max(group->max, v);
        const double delta = v - group->mean;
        group->mean += delta / double(group->count);
        group->m2 += delta * (v - group->mean);
    }
    m_times.push_back(at.toMSecsSinceEpoch());
}

namespace {

QString number(double v) { return QString::number(v, 'g', 10); }

QString seconds(qint64 ms) {
    return QString::number(double(ms) / 1000.0, 'g', 10) + QStringLiteral(" s");
}

} // namespace

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
        lines << QStringLiteral("  first %1  last %2").arg(isoTime(g.first), isoTime(g.last));
    }
    std::vector<qint64> spacings;
    for (std::size_t i = 1; i < m_times.size(); ++i)
        if (const qint64 d = m_times[i] - m_times[i - 1]; d > 0)
            spacings.push_back(d);
    if (spacings.empty())
        return lines.join(u'\n') + u'\n';
    std::vector<qint64> sorted = spacings;
    std::nth_element(sorted.begin(), sorted.begin() + qsizetype(sorted.size() / 2), sorted.end());
    const qint64 interval = sorted[sorted.size() / 2];
    QStringList gaps;
    for (std::size_t i = 1; i < m_times.size(); ++i)
        if (m_times[i] - m_times[i - 1] > 2 * interval)
            gaps << QStringLiteral("  %1 to %2 (%3)")
                        .arg(isoTime(QDateTime::fromMSecsSinceEpoch(m_times[i - 1])),
                             isoTime(QDateTime::fromMSecsSinceEpoch(m_times[i])),
                             seconds(m_times[i] - m_times[i - 1]));
    lines << QStringLiteral("sampling interval %1; gaps longer than %2: %3")
                 .arg(seconds(interval), seconds(2 * interval))
                 .arg(gaps.size());
    lines += gaps;
    return lines.join(u'\n') + u'\n';
}

int decimalPlaces(QStringView number) {
    const qsizetype point = number.indexOf(u'.');
    return point < 0 ? 0 : int(number.size() - point - 1);
}

bool isOverload(QStringView display) { return display.trimmed().endsWith(u"OL"); }

bool isNegativeOverload(QStringView display) {
    return isOverload(display) && display.trimmed().startsWith(u'-');
}

RecordValue recordValue(const QString& range, const QString& display) {
    RecordValue r;
    r.overload = isOverload(display);
    if (const auto unit = rangeUnit(range)) {
        r.unit = unit->unit;
        bool ok; // set by toDouble
        const QString text = baseUnitValue(display, unit->exponent);
        const double v = text.toDouble(&ok);
        if (ok) {
            r.value = v;
            r.decimals = decimalPlaces(text);
        }
    }
    return r;
}

} // namespace tarnix::files
