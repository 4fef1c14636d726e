#include "trend/TrendReadout.h"

#include "trend/TrendData.h"
#include "trend/TrendTicks.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace tarnix::trend {

qsizetype nearestReading(const TrendSeries& series, qint64 ms) {
    if (series.size() == 0)
        return -1;
    const qsizetype after = std::min(series.firstAtOrAfter(ms), series.size() - 1);
    if (after > 0 && ms - series.time(after - 1) <= series.time(after) - ms)
        return after - 1;
    return after;
}

TrendMeasure measureBetween(const TrendSeries& series, qsizetype first, qsizetype second) {
    TrendMeasure m;
    m.spanMs = series.time(second) - series.time(first);
    if (const float a = series.value(first), b = series.value(second); a == a && b == b)
        m.change = double(b) - double(a);
    double sum = 0;
    for (qsizetype i = std::min(first, second); i <= std::max(first, second); ++i) {
        const float v = series.value(i);
        if (v != v)
            continue;
        m.min = m.numbers == 0 ? v : std::min(m.min, double(v));
        m.max = m.numbers == 0 ? v : std::max(m.max, double(v));
        sum += v;
        ++m.numbers;
    }
    m.mean = m.numbers > 0 ? sum / double(m.numbers) : 0;
    return m;
}

namespace {

// "2 d 3 h", "1 h 5 min", "5 min 3 s", "12.3 s": the two largest units.
QString spanText(qint64 ms) {
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    ms = std::abs(ms);
    const qint64 s = ms / 1000;
    if (s < 60)
        return sign + QString::number(double(ms) / 1000, 'f', ms % 1000 ? 1 : 0) +
               QStringLiteral(" s");
    if (s < 3600)
        return sign + QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    if (s < 86400)
        return sign + QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60);
    return sign + QStringLiteral("%1 d %2 h").arg(s / 86400).arg(s / 3600 % 24);
}

} // namespace

QString readoutText(const TrendSeries& series, qsizetype i, const QString& display,
                    const QString& record) {
    const QString at = QDateTime::fromMSecsSinceEpoch(series.time(i))
                           .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.z"));
    const float v = series.value(i);
    const QString value = v == v ? siValue(v, series.unit()) : display;
    return QStringLiteral("%1  %2  %3 %4 \"%5\"  record %6")
        .arg(at, value, series.function(), series.range(), display, record);
}

QString measureText(const TrendMeasure& measure, const QString& unit) {
    QString text = QStringLiteral("\u0394t %1").arg(spanText(measure.spanMs));
    if (measure.change)
        text += QStringLiteral("  \u0394 %1").arg(siValue(*measure.change, unit));
    if (measure.numbers > 0)
        text += QStringLiteral("  mean %1  min %2  max %3  (%4 readings)")
                    .arg(siValue(measure.mean, unit), siValue(measure.min, unit),
                         siValue(measure.max, unit))
                    .arg(measure.numbers);
    return text;
}

QString statusText(const TrendData& data) {
    QString text =
        QStringLiteral("%1 records, %2 series").arg(data.timedRecords()).arg(data.series().size());
    if (const qint64 skipped = data.skippedLines(); skipped > 0)
        text += QStringLiteral("; %1 %2 skipped").arg(skipped).arg(skipped == 1 ? "line" : "lines");
    return text;
}

} // namespace tarnix::trend
