#pragma once

#include "core/RecorderOptions.h"
#include "records/ReadingJson.h"

#include <QDateTime>
#include <deque>

namespace tarnix::core {

// Which samples of a run become lines, by --start-when and --stop-when: a
// run waits until the start holds, keeping the last --pre seconds of samples
// to write first; after a stop it records --post seconds more, then ends,
// or with --repeat waits for the start to fail and hold again. Every
// reading is judged as it comes, not only the samples.
class RecordGate {
public:
    enum class State { Waiting, Recording, After }; // After: a stop's --post
    enum class Turn { None, Started, Stopped };
    struct Sample {
        QDateTime at;
        meter::Measurement measurement;
        records::SampleAlarm alarm;
    };

    explicit RecordGate(const RecordOptions& options);

    bool gated() const { return m_start || m_stop; }
    State state() const { return m_state; }

    // A reading came at `at`. Started: a segment starts with it (and, when
    // the stop holds as well, is already After). Stopped: the stop held.
    Turn reading(const QDateTime& at, const meter::Measurement& measurement,
                 records::SampleAlarm::State alarm);
    // A sample due at `at`: true when it is written; false while waiting,
    // when it is kept for --pre.
    bool admit(const Sample& sample);
    // The kept samples of the --pre span before `start`, oldest first; the
    // store is emptied.
    std::vector<Sample> takeKept(const QDateTime& start);
    // A line was written at `at`, the next one due `interval` seconds later:
    // true when the segment ends with it (its --post has run out). The gate
    // then waits for the next start: with --repeat; without, the run ends.
    bool segmentEnds(const QDateTime& at, double interval);

    // For the status line: "waiting for value > 5V", "until value < 3V".
    QString statusText() const;
    // Why nothing was written, when a run ends before any start.
    QString neverStarted() const;
    // What the run's end says, when it ended at its stop.
    QString stoppedText() const;

private:
    std::optional<records::RecordCondition> m_start, m_stop;
    double m_pre, m_post;
    State m_state;
    bool m_armed = true; // the start failed since the last stop: it may start again
    QDateTime m_stoppedAt;
    std::deque<Sample> m_kept;
};

} // namespace tarnix::core
