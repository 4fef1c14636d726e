#pragma once

#include "meter/Frames.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace tarnix::link {
class Rs232;
}
namespace tarnix::platform {
struct PortSettings;
}

namespace tarnix::core {

class AlarmSteps;
class SharedState;

// The polling cycle: every tick of Timer1 (300 ms) searches the meter's speed
// when needed, asks for a reading, decodes it into the shared state, and asks
// whether the meter's logger records. When the meter stops answering at every
// speed, it restarts the link and waits for the meter to come back.
//
// A plain object over the shared state, so that the desktop program and the
// headless recorder run the same code.
class PollingCycle : public QObject {
    Q_OBJECT

public:
    PollingCycle(SharedState& state, link::Rs232& link, QObject* parent = nullptr);
    ~PollingCycle() override;

    QTimer& timer() { return m_timer; }
    // The alarm load and check; the cycle has its own unless replaced (0: none).
    void setAlarmSteps(AlarmSteps* steps) { m_alarm = steps; }

    // Opens the port at 1200 baud and starts polling. False, with the reason
    // in `why`, when the port cannot be opened.
    bool start(QString* why = nullptr);

    // One tick; a tick that is running is never entered again.
    void tick();
    bool ticking() const { return m_inTick; }

    // Runs an action that talks to the meter with the wire to itself:
    // Timer1 stops before and starts again after. When a tick is running, the
    // tick is asked to end at its next wait and the action runs as soon as it
    // has. False (nothing done) while another action holds the wire, and
    // while "No COM" shows: only the meter or its device ends that wait.
    // `then` runs once the wire is free again (it may start actions of its own).
    bool runExclusive(std::function<void()> action, std::function<void()> then = {});
    bool actionRunning() const { return m_actionRunning; }

    // The six buttons, the port label and the wake-up loop: used when the meter
    // has not answered at any speed, or the device went away.
    void restartLink();

    // What the meter sent when it answered without a reading.
    enum class NoReading {
        Initial,  // a frame whose display holds no reading ("Initial")
        Unframed, // bytes that make no reading frame: a wrong count, or broken
    };

Q_SIGNALS:
    // A reading was decoded and shown.
    void readingTaken();
    // The meter answered, but with no reading in its answer.
    void answeredWithoutReading(tarnix::core::PollingCycle::NoReading what);
    // The alarm limits could not be read: the meter leaves memory reads
    // unanswered. Readings go on unchecked until a later load succeeds.
    void alarmLimitsUnread();
    // The link was lost ("No COM") or found again.
    void linkLost();
    void linkBack();

private:
    enum class Step { Next, Ended };
    enum class Wake { Answered, Yielded, Ended };
    void runTick();
    void runAction(std::function<void()> action, std::function<void()> then);
    bool requestFrame(meter::FrameKind& kind);
    Step takeFrame(QByteArray& frame, meter::FrameKind& kind);
    Step showReading(const QByteArray& frame, meter::FrameKind kind);
    void queryRecording();
    bool changeSpeed();
    bool reopenAt(const platform::PortSettings& settings);
    bool shouldEnd() const;
    // The meter left a request unanswered: the reading shown is no longer current.
    void forgetReading();
    Wake wakeUp();

    SharedState& m_state;
    link::Rs232& m_link;
    std::unique_ptr<AlarmSteps> m_ownAlarm;
    AlarmSteps* m_alarm = nullptr;
    QTimer m_timer;
    bool m_inTick = false;
    bool m_yield = false; // an action waits for the running tick to end
    bool m_actionRunning = false;
    bool m_linkDown = false; // "No COM": waiting for the meter to answer again
    std::function<void()> m_pending;
    std::function<void()> m_pendingThen;
};

} // namespace tarnix::core
