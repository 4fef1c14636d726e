#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace tarnix::platform {
class Clock;
}

namespace tarnix::core {

class SharedState;

// The PC's sampling clock: Timer2 ticks every 950 ms and every N-th tick is a
// sample tick (N is the interval shown under SAMPLING). A sample tick shows
// its time, appends a line to a running PC recording, and tells the live
// views. It never talks to the meter.
class SamplingClock : public QObject {
    Q_OBJECT

public:
    SamplingClock(SharedState& state, platform::Clock& clock, QObject* parent = nullptr);

    QTimer& timer() { return m_timer; }
    double sampleTickCount() const { return m_count; }
    // The next tick is a sample tick (after a new interval, or a link restart).
    void restart() { m_count = 0; }

    // Sets the interval: `seconds` is shown as "N Sec".
    void setInterval(int seconds);

    // Starts appending to `path`; false with `error` when it cannot be opened.
    bool startRecording(const QString& path, QString* error = nullptr);
    void stopRecording();

    // The views' step of a sample tick; returning false ends the tick there
    // and leaves the count, so the next tick samples again.
    void setViewStep(std::function<bool()> step) { m_viewStep = std::move(step); }

    void tick();

Q_SIGNALS:
    // A sample was taken at `at`: the live list adds its row.
    void sampleTaken(const QDateTime& at);
    // A recording line could not be written: the recording has stopped.
    void recordingFailed(const QString& error);

private:
    SharedState& m_state;
    platform::Clock& m_clock;
    QTimer m_timer;
    double m_count = 0;
    std::function<bool()> m_viewStep;
};

// The answer to "Input Sampling Time" as a whole number of seconds: the first
// comma dropped, rounded half to even, clamped to 1..86400. nullopt (leave
// the interval as it is) for an empty answer or one that is not a number.
std::optional<int> parseSamplingAnswer(const QString& answer);
QString samplingPrompt();
QString samplingText(int seconds); // "5 Sec"

} // namespace tarnix::core
