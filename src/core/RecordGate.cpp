#include "core/RecordGate.h"

#include <cmath>

namespace tarnix::core {

RecordGate::RecordGate(const RecordOptions& options)
    : m_start(options.startWhen), m_stop(options.stopWhen), m_pre(options.pre),
      m_post(options.post), m_state(options.startWhen ? State::Waiting : State::Recording) {}

RecordGate::Turn RecordGate::reading(const QDateTime& at, const meter::Measurement& measurement,
                                     records::SampleAlarm::State alarm) {
    const bool starts = m_start && m_start->holds(measurement, alarm);
    Turn turn = Turn::None;
    if (m_state == State::Waiting && starts && m_armed) {
        m_state = State::Recording;
        turn = Turn::Started;
    }
    // The reading that starts a segment may stop it too.
    if (m_state == State::Recording && m_stop && m_stop->holds(measurement, alarm)) {
        m_state = State::After;
        m_stoppedAt = at;
        m_armed = false;
        if (turn == Turn::None)
            turn = Turn::Stopped;
    }
    // A start that still holds after a stop is not a new one.
    if (!starts)
        m_armed = true;
    return turn;
}

bool RecordGate::admit(const Sample& sample) {
    if (m_state != State::Waiting)
        return true;
    if (m_pre > 0) {
        m_kept.push_back(sample);
        const QDateTime oldest = sample.at.addMSecs(-std::llround(m_pre * 1000.0));
        while (m_kept.front().at < oldest)
            m_kept.pop_front();
    }
    return false;
}

std::vector<RecordGate::Sample> RecordGate::takeKept(const QDateTime& start) {
    const QDateTime oldest = start.addMSecs(-std::llround(m_pre * 1000.0));
    std::vector<Sample> kept;
    for (Sample& sample : m_kept)
        if (sample.at >= oldest && sample.at < start) // the start's own sample comes after
            kept.push_back(std::move(sample));
    m_kept.clear();
    return kept;
}

bool RecordGate::segmentEnds(const QDateTime& at, double interval) {
    if (m_state != State::After)
        return false;
    const qint64 postMs = std::llround(m_post * 1000.0);
    if (m_stoppedAt.msecsTo(at) + std::llround(interval * 1000.0) <= postMs)
        return false; // the next sample still falls in --post
    m_state = State::Waiting;
    return true;
}

QString RecordGate::statusText() const {
    switch (m_state) {
    case State::Waiting:
        return m_start ? QStringLiteral("waiting for ") + m_start->text() : QString();
    case State::Recording:
        return m_stop ? QStringLiteral("until ") + m_stop->text() : QString();
    case State::After:
        return QStringLiteral("%1 s after ").arg(m_post) + m_stop->text();
    }
    return {};
}

QString RecordGate::neverStarted() const {
    return m_start->text() + QStringLiteral(" never held; nothing was recorded");
}

QString RecordGate::stoppedText() const {
    return QStringLiteral("%1 held at %2; the recording ends")
        .arg(m_stop->text(), m_stoppedAt.toLocalTime().toString(QStringLiteral("HH:mm:ss")));
}

} // namespace tarnix::core
