#pragma once

#include "core/DeadlineSchedule.h"
#include "core/LineGaps.h"
#include "core/MeterSession.h"
#include "core/RecordGate.h"
#include "core/RecorderOptions.h"
#include "records/RecordingFiles.h"
#include "platform/Clock.h"
#include "platform/MeterPorts.h"
#include "platform/Severity.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

namespace tarnix::link {
class Rs232;
}
namespace tarnix::core {
class SummaryRecording;
}
namespace tarnix::platform {
class Dialogs;
class SerialPort;
} // namespace tarnix::platform

namespace tarnix::core {

// The headless recorder: the desktop program's polling cycle over one port,
// without a window. Samples fall on deadlines of a monotonic clock (the first
// reading's time plus whole intervals); each becomes one line, a data-file
// line or an analysis CSV line, appended to the file or written to standard
// output.
class Recorder : public QObject {
    Q_OBJECT

public:
    // Messages the panel would show in message boxes go to `dialogs`. The
    // meter is reached over the port `makePort` makes (the program's
    // simulated meter, say), or else over the serial device of the options.
    // The clock is the computer's own unless one is given (a benchmark's).
    Recorder(RecordOptions options, platform::Dialogs& dialogs,
             const platform::PortMaker& makePort = {}, QObject* parent = nullptr,
             std::unique_ptr<platform::Clock> clock = {});
    ~Recorder() override;

    // Opens the port and the file and starts polling; sampling starts with
    // the first reading. False, with the reason in `error`, when the port or
    // the file cannot be opened.
    bool start(QString* error);
    // Ends the run: every wait ends at once, both timers stop, the file is
    // closed. Lines written so far are complete. Emits finished(code, message).
    void finish(int exitCode, QString message = {});
    bool finished() const { return m_finished; }
    // Closes the file and opens it again by its name, between two samples
    // (logrotate's SIGHUP). A file that cannot be opened again ends the run.
    void reopenOutput();
    // Takes the sample whose deadline has come, if any: the sample timer's
    // work, for a caller that drives the clock itself.
    void deadlineReached();

    qint64 lines() const { return m_lines; }
    // One line for a terminal: port, reading, lines recorded.
    QString status() const;

    SharedState& state() { return m_state; }
    PollingCycle& cycle() { return m_cycle; }
    // --every's summaries; none without it.
    SummaryRecording* summaries() { return m_summaries.get(); }

Q_SIGNALS:
    void statusChanged();
    // 0: ended as asked. 1: a line could not be written, or the run ended
    // without a single line (`message` says why).
    void runFinished(int exitCode, const QString& message);
    // Something worth a line on standard error while the run goes on: a
    // stretch in which no line was written, a meter that does not answer.
    void notice(const QString& message, tarnix::platform::Severity severity);
    // One sample recorded (written, or counted when the run has no file):
    // what a publisher sends on.
    void sampleRecorded(const QDateTime& at, const meter::Measurement& measurement,
                        const records::SampleAlarm& alarm);

private:
    bool openOutput(QString* error);
    void firstReading();
    void takeSample(const QDateTime& at);
    // Writes one line; false when the run ended with it.
    bool writeLine(const QDateTime& at, const meter::Measurement& measurement,
                   const records::SampleAlarm& alarm);
    // After a line at `at`: a stop's --post may end with it.
    void lineDone(const QDateTime& at);
    // Starts or stops the lines when a condition holds for the reading just taken.
    void conditionCheck();
    // A sample at `now`, from which the deadlines start again.
    void sampleNow(const QDateTime& now);
    void durationCheck();
    void tellSilence();
    // Tells `message` on standard error once a run, when `told` is still false.
    void tellOnce(bool& told, const QString& message);

    RecordOptions m_options;
    std::unique_ptr<platform::Clock> m_clock;
    std::unique_ptr<platform::SerialPort> m_port;
    std::unique_ptr<link::Rs232> m_link;
    MeterSession m_session; // the desktop program's state, polling cycle and sampling clock
    SharedState& m_state;
    PollingCycle& m_cycle;
    DeadlineSchedule m_schedule;
    QDateTime m_startTime; // the wall-clock time of the first deadline
    QTimer m_sampleTimer;
    QTimer m_endTimer;
    QTimer m_silence; // runs out when the meter has not answered for a while
    bool m_silenceTold = false;
    // What the meter sent since its last reading, when it answered without one.
    std::optional<PollingCycle::NoReading> m_answeredWithout;
    bool m_limitsTold = false;
    bool m_unknownCodeTold = false;
    qint64 m_unknownCodeSamples = 0; // samples not written: no known function yet
    double m_endsAt = 0; // --duration's end, in the clock's monotonic seconds
    records::RecordingFiles m_files; // the file, the files that turn over, or standard output
    LineGaps m_gaps;
    std::unique_ptr<SummaryRecording> m_summaries; // --every
    RecordGate m_gate; // --start-when, --stop-when and their spans
    meter::Measurement m_lastSampled; // the last sample, written or kept, and its time
    QDateTime m_lastSampledAt;
    bool m_sampledSinceReading = false; // since the last reading was judged
    qint64 m_lines = 0;
    bool m_finished = false;
};

} // namespace tarnix::core
