#include "core/LineGaps.h"

namespace tarnix::core {

// A long exchange with the meter or a late timer stretches one spacing by a
// second or two. Twice the interval and two seconds more is a gap.
double LineGaps::allowance() const {
    return 2.0 * m_interval + 2.0;
}

// Both ends in local time; a gap across midnight names the days too, or
// "01:19:41 to 02:20:12" could hide years.
QString LineGaps::gapText(const QDateTime& from, const QDateTime& to, bool toEnd) const {
    const qint64 seconds = (from.msecsTo(to) + 500) / 1000;
    const QDateTime start = from.toLocalTime(), end = to.toLocalTime();
    const QString format = start.date() == end.date() ? QStringLiteral("HH:mm:ss")
                                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QStringLiteral("no line written from %1 to %2%3 (%4 s)")
        .arg(start.toString(format), end.toString(format),
             toEnd ? QStringLiteral(", the end of the run") : QString())
        .arg(seconds);
}

QString LineGaps::lineWritten(const QDateTime& at) {
    QString text;
    if (m_last.isValid() && !m_segmentWhy.isEmpty())
        text = gapText(m_last, at, false) + QStringLiteral(": ") + m_segmentWhy;
    else if (m_last.isValid() && m_last.msecsTo(at) > qint64(allowance() * 1000))
        text = gapText(m_last, at, false);
    m_segmentWhy.clear();
    m_last = at;
    return text;
}

QString LineGaps::runEnded(const QDateTime& at) const {
    if (m_last.isValid() && m_last.msecsTo(at) > qint64(allowance() * 1000))
        return gapText(m_last, at, true);
    return {};
}

} // namespace tarnix::core
