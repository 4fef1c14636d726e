#pragma once

#include <QDateTime>
#include <QString>

namespace tarnix::core {

// Watches when a recording's lines are written and tells of the stretches in
// which none was for much longer than the interval: a meter that went away,
// a link that was restarting. A gap is reported once it has ended, or when the
// run ends inside it.
class LineGaps {
public:
    explicit LineGaps(double intervalSeconds) : m_interval(intervalSeconds) {}

    // A line was written at `at`: the gap it ends, or empty.
    QString lineWritten(const QDateTime& at);
    // The next line starts a new segment of the run: its gap is told however
    // short, with `why` after it.
    void segmentEnded(const QString& why) { m_segmentWhy = why; }
    // The run ends at `at`: the gap it ends in, or empty.
    QString runEnded(const QDateTime& at) const;

    // Seconds without a line that still count as the interval's own.
    double allowance() const;

private:
    QString gapText(const QDateTime& from, const QDateTime& to, bool toEnd) const;

    double m_interval;
    QDateTime m_last;
    QString m_segmentWhy; // since the last line, the run waited for this
};

} // namespace tarnix::core
