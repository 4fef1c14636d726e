#include "core/Recorder.h"

#include "files/DataRecord.h"
#include "link/Rs232.h"
#include "platform/MemorySerialPort.h"
#include "platform/QtSerialPort.h"
#include "platform/RealClock.h"
#include "sim/SimMeter.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace tarnix::core {

namespace {

constexpr int SimulatedBaud = 9600;
const QString SimulatedLabel = QStringLiteral("SIM");
// A QTimer counts in int milliseconds: a long --duration is waited out in
// steps of a day.
constexpr qint64 LongestTimerStep = 24LL * 3600 * 1000;

std::unique_ptr<sim::SimMeter> makeMeter(const RecordOptions& options) {
    if (!options.simulate)
        return nullptr;
    return std::make_unique<sim::SimMeter>(
        options.longFrames ? sim::Model::Long : sim::Model::Short, SimulatedBaud);
}

std::unique_ptr<platform::SerialPort> makePort(const RecordOptions& options, sim::SimMeter* meter,
                                               const platform::Clock& clock) {
    if (meter)
        return std::make_unique<platform::MemorySerialPort>(*meter, clock);
    auto port = std::make_unique<platform::QtSerialPort>();
    port->setPortName(options.device);
    return port;
}

} // namespace

Recorder::Recorder(RecordOptions options, platform::Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_options(std::move(options)),
      m_clock(std::make_unique<platform::RealClock>()), m_meter(makeMeter(m_options)),
      m_port(makePort(m_options, m_meter.get(), *m_clock)),
      m_link(std::make_unique<link::Rs232>(*m_port, *m_clock, dialogs)),
      m_session(*m_link, dialogs), m_state(m_session.state), m_cycle(m_session.cycle),
      m_sampling(m_session.sampling), m_gaps(m_options.interval) {
    m_state.link.portLabel = m_options.simulate ? SimulatedLabel : m_options.device;

    connect(&m_cycle, &PollingCycle::readingTaken, this, &Recorder::firstReading);
    // The desktop program's link restart shows "2 sec" again and samples
    // every 2 s from then on. A recorder left alone for days keeps the
    // interval it was given instead: it sets it again whenever the link is
    // back, which also makes the next tick a sample tick.
    connect(&m_cycle, &PollingCycle::linkBack, this,
            [this] { m_sampling.setInterval(m_options.interval); });
    connect(&m_sampling, &SamplingClock::sampleTaken, this, &Recorder::sampleTaken);
    connect(&m_sampling, &SamplingClock::recordingFailed, this, [this](const QString& error) {
        finish(1, QStringLiteral("cannot append to %1").arg(error));
    });
    connect(&m_state, &SharedState::changed, this, &Recorder::statusChanged);

    // Nobody answering is told once the meter has been silent a while, and
    // again whenever the link is lost after that, so a run left alone never
    // waits without a word.
    m_silence.setSingleShot(true);
    m_silence.setInterval(m_options.silenceNoticeMs);
    connect(&m_silence, &QTimer::timeout, this, &Recorder::tellSilence);
    connect(&m_cycle, &PollingCycle::readingTaken, this, [this] {
        m_silenceTold = false;
        m_silence.start();
    });
    connect(&m_cycle, &PollingCycle::linkLost, this, [this] {
        if (m_silenceTold)
            tellSilence();
    });

    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &Recorder::durationCheck);
}

Recorder::~Recorder() = default;

bool Recorder::start(QString* error) {
    QString why;
    if (!m_cycle.start(&why)) {
        if (error)
            *error = QStringLiteral("cannot open %1").arg(why.isEmpty() ? m_options.device : why);
        return false;
    }
    m_sampling.setInterval(m_options.interval); // the cycle's start shows "2 sec"
    m_silence.start();
    if (m_options.toStandardOutput())
        m_standardOutput.adopt(STDOUT_FILENO, QStringLiteral("standard output"));
    if (!m_options.toStandardOutput() && !m_options.output.isEmpty() &&
        !m_sampling.startRecording(m_options.output, &why)) {
        m_cycle.timer().stop();
        if (error)
            *error = QStringLiteral("cannot append to %1").arg(why);
        return false;
    }
    if (m_options.duration) {
        const double ms = std::ceil(std::min(*m_options.duration * 1000.0, 9.0e18));
        m_deadline = QDeadlineTimer(qint64(ms), Qt::PreciseTimer);
        durationCheck();
    }
    Q_EMIT statusChanged();
    return true;
}

// Sampling starts with the first reading, which is the first sample: a
// recording that began with lines of empty texts, taken while the speed
// search runs, would tell nothing. From then on every sample tick writes the
// reading, except while the meter is silent.
void Recorder::firstReading() {
    if (m_samplingStarted || m_finished)
        return;
    m_samplingStarted = true;
    m_sampling.timer().start();
    m_sampling.tick();
}

void Recorder::sampleTaken(const QDateTime& at) {
    if (m_finished || !m_state.link.readingCurrent)
        return; // no line while the meter is silent: the gap tells of it later
    if (m_options.toStandardOutput()) {
        QString why;
        if (!writeStandardOutput(at, &why)) {
            finish(1, QStringLiteral("cannot write to %1").arg(why));
            return;
        }
    } else if (m_options.output.isEmpty()) {
        ++m_lines; // no file: the samples go to the broker alone
    } else {
        if (!m_state.data.pcRecording)
            return; // the write failed; recordingFailed has ended the run
        m_lines = m_state.data.recordCount;
    }
    Q_EMIT sampleRecorded(at, m_state.reading.functionText, m_state.reading.rangeText,
                          m_state.reading.value.text());
    if (const QString gap = m_gaps.lineWritten(at); !gap.isEmpty())
        Q_EMIT notice(gap);
    Q_EMIT statusChanged();
    if (m_options.samples && m_lines >= *m_options.samples)
        finish(0);
}

// The line the recording would have appended, from the same record builder.
bool Recorder::writeStandardOutput(const QDateTime& at, QString* error) {
    const meter::Reading& reading = m_state.reading;
    const auto fields = files::sampleRecord(m_lines + 1, at, reading.functionText,
                                            reading.rangeText, reading.value.text());
    if (!m_standardOutput.append(files::recordLine(fields).toLatin1() + files::LineEnd, error))
        return false;
    ++m_lines;
    return true;
}

void Recorder::tellSilence() {
    m_silenceTold = true;
    Q_EMIT notice(QStringLiteral("no meter answering on %1 (tried 9600, 4800, 2400 and 1200 "
                                 "baud); still trying")
                      .arg(m_state.link.portLabel));
}

void Recorder::durationCheck() {
    if (m_finished)
        return;
    const qint64 left = m_deadline.remainingTime();
    if (left == 0) {
        finish(0);
        return;
    }
    m_endTimer.start(int(std::clamp<qint64>(left, 1, LongestTimerStep)));
}

void Recorder::finish(int exitCode, QString message) {
    if (m_finished)
        return;
    m_finished = true;
    m_cycle.timer().stop();
    m_sampling.timer().stop();
    m_endTimer.stop();
    m_silence.stop();
    m_clock->stop(); // a tick waiting on the meter gives up at once
    if (m_state.data.pcRecording)
        m_sampling.stopRecording(); // closes the file; every line is already in it
    if (const QString gap = m_gaps.runEnded(m_clock->now()); !gap.isEmpty())
        Q_EMIT notice(gap);
    if (exitCode == 0 && m_lines == 0) {
        exitCode = 1; // a run that recorded nothing did not do its work
        message = QStringLiteral("no reading came from the meter on %1; nothing was recorded")
                      .arg(m_state.link.portLabel);
    }
    Q_EMIT runFinished(exitCode, message);
}

QString Recorder::status() const {
    const PanelTexts& t = m_state.texts;
    // The port label reads "No COM" while the link waits for the meter.
    QString text = t.com == m_state.link.portLabel ? QStringLiteral("COM ") + t.com : t.com;
    QStringList reading;
    for (const QString& part : {t.function, t.range, t.value})
        if (!part.isEmpty())
            reading.append(part);
    text += QStringLiteral("  ") +
            (reading.isEmpty() ? QStringLiteral("waiting for the meter") : reading.join(u' '));
    if (t.recordingShown)
        text += QStringLiteral("  REC"); // the meter's own logger records
    text += QStringLiteral("  lines %1").arg(m_lines);
    return text;
}

} // namespace tarnix::core
