#pragma once

#include "core/CommandOutput.h"
#include "records/ReadingJson.h"
#include "platform/Severity.h"

#include <QDateTime>
#include <QObject>
#include <QProcessEnvironment>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QProcess;

namespace tarnix::core {

// The command of `record --on-alarm`: run through /bin/sh -c whenever a
// sample's alarm state differs from the one before (the run starts at
// "none"), with the sample in its environment:
//   TARNIX_ALARM    none, ok, over or under
//   TARNIX_VALUE    the value in the base unit; empty for OL
//   TARNIX_UNIT     V, A, Ohm, F, Hz, degC or degF
//   TARNIX_DISPLAY  the display as the meter showed it
//   TARNIX_TIME     the sample's time, 2026-12-06T14:07:18.012+01:00
//   TARNIX_PORT     the meter's device, or SIM
//   TARNIX_FUNCTION and TARNIX_RANGE, as the reading names them
// Sampling never waits for it. One runs at a time: a change while it runs
// waits for its end, and a later change replaces the waiting one, so the
// latest state is always acted on. It runs in a process group of its own,
// stopped whole after `limitMs`; what it leaves running is ended with the
// shell. Its output and its end are said as lines, in CommandOutput's bounds.
class AlarmCommand : public QObject {
    Q_OBJECT

public:
    using Say = std::function<void(const QString&, platform::Severity)>;
    static constexpr int LimitMs = 30000;

    AlarmCommand(QString command, QString port, Say say, int limitMs = LimitMs,
                 QObject* parent = nullptr);
    // A command still running is stopped: the run is over.
    ~AlarmCommand() override;

    void measured(const QDateTime& at, const meter::Measurement& measurement,
                  const records::SampleAlarm& alarm);
    // The run has ended: the command running, and the change waiting, have
    // `graceMs` to end before they are stopped; then idle().
    void finish(int graceMs);

Q_SIGNALS:
    // A command started, for the state `alarm`.
    void started(const QByteArray& alarm);
    // It ended, and nothing waits.
    void idle();

private:
    struct Change {
        QByteArray alarm;
        QProcessEnvironment environment;
    };
    void start(Change change);
    void sayOutput();
    void sayLine(const QString& text);
    void ended(int exitCode, bool crashed);
    void signalGroup(int signal);
    void stop(const QString& why);
    void dropWaiting();

    QString m_command;
    QString m_port;
    Say m_say;
    std::optional<records::SampleAlarm::State> m_last;
    std::unique_ptr<QProcess> m_running;
    QByteArray m_runningAlarm;
    qint64 m_group = 0; // the running command's process group
    CommandOutput m_output;
    std::optional<Change> m_waiting;
    QTimer m_limit;
    QTimer m_kill; // after the limit's SIGTERM, SIGKILL for what ignores it
    QTimer m_grace; // after the run's end
    QTimer m_second; // the second of output that CommandOutput counts
    bool m_stopped = false;
    bool m_finishing = false;
};

} // namespace tarnix::core
