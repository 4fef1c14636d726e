#include "core/Recorder.h"

#include "core/AlarmVerdict.h"
#include "core/SummaryRecording.h"
#include "records/RecordingFormat.h"
#include "records/RecordingOutput.h"
#include "link/Rs232.h"
#include "platform/Diagnostics.h"
#include "platform/RealClock.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "platform/StandardStreams.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tarnix::core {

namespace {

const QString SimulatedLabel = QStringLiteral("SIM");
// A QTimer counts in int milliseconds: a long --duration is waited out in
// steps of a day.
constexpr qint64 LongestTimerStep = 24LL * 3600 * 1000;
// A sample stamped this far from the wall clock means the clock was set:
// the deadlines start again from there.
constexpr qint64 ClockSetMs = 2000;

} // namespace

Recorder::Recorder(RecordOptions options, platform::Dialogs& dialogs,
                   const platform::PortMaker& makePort, QObject* parent,
                   std::unique_ptr<platform::Clock> clock)
    : QObject(parent), m_options(std::move(options)),
      m_clock(clock ? std::move(clock) : std::make_unique<platform::RealClock>()),
      m_port(makePort ? makePort(*m_clock) : platform::devicePort(m_options.device)(*m_clock)),
      m_link(std::make_unique<link::Rs232>(*m_port, *m_clock, dialogs)),
      m_session(*m_link, dialogs), m_state(m_session.state), m_cycle(m_session.cycle),
      m_schedule(m_options.interval),
      m_files(m_options.output, m_options.format, m_options.utc,
              [this](const QString& text, platform::Severity severity) {
                  Q_EMIT notice(text, severity);
              }),
      m_gaps(m_options.interval), m_gate(m_options) {
    m_state.link.portLabel =
        m_options.simulate ? SimulatedLabel : platform::portShownAs(m_options.device);
    if (m_options.every)
        m_summaries = std::make_unique<SummaryRecording>(m_options);

    connect(&m_cycle, &PollingCycle::readingTaken, this, &Recorder::firstReading);
    connect(&m_cycle, &PollingCycle::readingTaken, this, &Recorder::conditionCheck);
    m_sampleTimer.setSingleShot(true);
    m_sampleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sampleTimer, &QTimer::timeout, this, &Recorder::deadlineReached);
    connect(&m_state, &SharedState::changed, this, &Recorder::statusChanged);

    // Nobody answering is told once the meter has been silent a while, and
    // again whenever the link is lost after that, so a run left alone never
    // waits without a word.
    m_silence.setSingleShot(true);
    m_silence.setInterval(m_options.silenceNoticeMs);
    connect(&m_silence, &QTimer::timeout, this, &Recorder::tellSilence);
    connect(&m_cycle, &PollingCycle::readingTaken, this, [this] {
        m_silenceTold = false;
        m_answeredWithout.reset();
        m_silence.start();
    });
    // "Initial" is written as the meter shows it, and may be the first sample.
    connect(&m_cycle, &PollingCycle::answeredWithoutReading, this,
            [this](PollingCycle::NoReading what) {
                m_answeredWithout = what;
                if (what == PollingCycle::NoReading::Initial) {
                    firstReading();
                    conditionCheck();
                }
            });
    connect(&m_cycle, &PollingCycle::alarmLimitsUnread, this, [this] {
        tellOnce(m_limitsTold,
                 QStringLiteral("the alarm limits could not be read from the meter on %1 (it "
                                "leaves memory reads unanswered); recording without the alarm "
                                "check, and trying again after the link is lost")
                     .arg(m_state.link.portLabel));
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
    m_silence.start();
    if (!openOutput(&why)) {
        m_cycle.timer().stop();
        if (error)
            *error = why;
        return false;
    }
    if (m_options.duration) {
        m_endsAt = m_clock->monotonic() + *m_options.duration;
        durationCheck();
    }
    Q_EMIT statusChanged();
    return true;
}

// A CSV file or stream gets its header when it is new or empty, and a file
// that holds lines is appended to only under the same format. A run that
// starts again after a crash or a power cut tells the gap since the file's
// last line with its first line.
bool Recorder::openOutput(QString* error) {
    if (m_summaries) // --every: summary lines, in files of their own
        return m_summaries->open(m_clock->now(), error);
    if (m_options.output.isEmpty())
        return true; // the samples go to the broker alone
    if (!m_files.open(m_clock->now(), error))
        return false;
    if (const auto last = m_files.resumedAfter())
        m_gaps.lineWritten(*last);
    return true;
}

void Recorder::reopenOutput() {
    QString why;
    if (!m_finished && !m_options.output.isEmpty() &&
        !(m_summaries ? m_summaries->reopen(&why) : m_files.reopen(&why)))
        finish(1, why);
}

// Sampling starts with the first reading, which is the first sample: a
// recording that began with lines of empty texts, taken while the speed
// search runs, would tell nothing. From then on every deadline writes the
// reading, except while the meter is silent.
void Recorder::firstReading() {
    if (m_schedule.started() || m_finished)
        return;
    sampleNow(m_clock->now());
}

void Recorder::sampleNow(const QDateTime& now) {
    m_schedule.start(m_clock->monotonic());
    m_startTime = now;
    takeSample(m_startTime);
    deadlineReached();
}

// Every reading is judged, not only the samples: a start writes its line
// at once, and a spike between two deadlines is not missed. A start or a
// stop takes its own sample, and the deadlines go on from it.
void Recorder::conditionCheck() {
    const meter::Measurement& measurement = m_state.measurement;
    if (m_finished || !m_gate.gated() || !m_schedule.started() || measurement.function.isEmpty())
        return;
    const QDateTime now = m_clock->now();
    // A deadline that came while the cycle still waited on the meter after
    // showing this reading has sampled it already: that sample is its line.
    const bool sampled = std::exchange(m_sampledSinceReading, false) &&
                         m_lastSampled.function == measurement.function &&
                         m_lastSampled.range == measurement.range &&
                         m_lastSampled.display == measurement.display;
    const records::SampleAlarm alarm = sampleAlarm(m_state.alarm, measurement);
    switch (m_gate.reading(now, measurement, alarm.state)) {
    case RecordGate::Turn::None:
        return;
    case RecordGate::Turn::Started: {
        const QDateTime startAt = sampled ? m_lastSampledAt : now;
        for (const RecordGate::Sample& kept : m_gate.takeKept(startAt))
            if (!writeLine(kept.at, kept.measurement, kept.alarm))
                return;
        if (!sampled)
            sampleNow(now);
        else if (writeLine(startAt, measurement, alarm))
            lineDone(startAt);
        break;
    }
    case RecordGate::Turn::Stopped:
        if (sampled)
            lineDone(m_lastSampledAt);
        else
            sampleNow(now);
        break;
    }
    Q_EMIT statusChanged();
}

void Recorder::deadlineReached() {
    if (m_finished || !m_schedule.started())
        return;
    if (const auto k = m_schedule.take(m_clock->monotonic())) {
        // The line is stamped with its deadline, so lines are exactly one
        // interval apart and no second is written twice.
        QDateTime at = m_startTime.addMSecs(std::llround(m_schedule.offset(*k) * 1000.0));
        if (const QDateTime now = m_clock->now(); std::abs(at.msecsTo(now)) > ClockSetMs) {
            m_schedule.start(m_clock->monotonic());
            m_startTime = at = now;
        }
        takeSample(at);
        // A silent meter's intervals are written when they are over.
        if (QString why; m_summaries && !m_finished && !m_summaries->reach(at, &why))
            finish(1, why);
    }
    if (!m_finished)
        m_sampleTimer.start(int(std::min(m_schedule.msUntilNext(m_clock->monotonic()),
                                         LongestTimerStep)));
}

void Recorder::takeSample(const QDateTime& at) {
    if (m_finished)
        return;
    if (!m_state.link.readingCurrent) {
        qCDebug(lcRecorder) << "no sample at" << at << ": no current reading";
        return; // no line while the meter is silent: the gap tells of it later
    }
    const meter::Measurement& measurement = m_state.measurement;
    if (measurement.function.isEmpty()) {
        // A code the meter's table lacks keeps the function and range shown
        // before it; with none shown yet there is nothing to write.
        ++m_unknownCodeSamples;
        qCDebug(lcRecorder) << "no sample at" << at << ": no known function yet";
        tellOnce(m_unknownCodeTold,
                 QStringLiteral("the meter on %1 shows a function code Tarnix does not know; no "
                                "line is written until it shows a known function")
                     .arg(m_state.link.portLabel));
        return;
    }
    const records::SampleAlarm alarm = sampleAlarm(m_state.alarm, measurement);
    m_sampledSinceReading = true;
    m_lastSampled = measurement;
    m_lastSampledAt = at;
    if (!m_gate.admit({at, measurement, alarm}))
        return; // kept for --pre while the start is waited for
    if (writeLine(at, measurement, alarm))
        lineDone(at);
}

bool Recorder::writeLine(const QDateTime& at, const meter::Measurement& measurement,
                         const records::SampleAlarm& alarm) {
    QString why;
    // Without a file (publishing only) the sample is counted, not written.
    if (m_summaries ? !m_summaries->add(at, measurement, &why)
                    : !m_options.output.isEmpty() &&
                          !m_files.write(at, measurement, &why, m_lines + 1, alarm)) {
        finish(1, why);
        return false;
    }
    ++m_lines;
    qCDebug(lcRecorder) << "sample" << m_lines << "at" << at << measurement.function
                        << measurement.range << measurement.display;
    Q_EMIT sampleRecorded(at, measurement, alarm);
    if (const QString gap = m_gaps.lineWritten(at); !gap.isEmpty()) {
        qCDebug(lcRecorder).noquote() << "gap:" << gap;
        Q_EMIT notice(gap, platform::Severity::Warning);
    }
    Q_EMIT statusChanged();
    if (m_options.samples && m_lines >= *m_options.samples) {
        finish(0);
        return false;
    }
    return true;
}

void Recorder::lineDone(const QDateTime& at) {
    if (!m_gate.segmentEnds(at, m_options.interval))
        return;
    if (!m_options.repeat) {
        finish(0, m_gate.stoppedText());
        return;
    }
    // The next segment's first line tells the gap, and what it waited for.
    m_gaps.segmentEnded(m_gate.statusText());
    Q_EMIT statusChanged();
}

void Recorder::tellSilence() {
    m_silenceTold = true;
    const QString& port = m_state.link.portLabel;
    // A meter that answers without a reading is not silent, and is told so.
    const auto what = std::exchange(m_answeredWithout, std::nullopt);
    const QString text =
        what == PollingCycle::NoReading::Initial
            ? QStringLiteral("the meter on %1 answers, but its display holds no reading; still "
                             "waiting")
        : what == PollingCycle::NoReading::Unframed
            ? QStringLiteral("the meter on %1 answers, but with bytes that make no reading; "
                             "still trying")
            : QStringLiteral("no meter answering on %1 (tried 9600, 4800, 2400 and 1200 baud); "
                             "still trying");
    Q_EMIT notice(text.arg(port), platform::Severity::Warning);
}

void Recorder::tellOnce(bool& told, const QString& message) {
    if (told)
        return;
    told = true;
    Q_EMIT notice(message, platform::Severity::Warning);
}

void Recorder::durationCheck() {
    if (m_finished)
        return;
    const double left = m_endsAt - m_clock->monotonic();
    if (left <= 0) {
        finish(0);
        return;
    }
    m_endTimer.start(int(std::clamp(std::ceil(left * 1000), 1.0, double(LongestTimerStep))));
}

void Recorder::finish(int exitCode, QString message) {
    if (m_finished)
        return;
    m_finished = true;
    m_cycle.timer().stop();
    m_sampleTimer.stop();
    m_endTimer.stop();
    m_silence.stop();
    m_clock->stop(); // a tick waiting on the meter gives up at once
    m_files.close(); // every line is already in the file
    if (QString why; m_summaries && !m_summaries->finish(&why) && exitCode == 0) {
        exitCode = 1;
        message = why;
    }
    if (const QString gap = m_gaps.runEnded(m_clock->now()); !gap.isEmpty())
        Q_EMIT notice(gap, platform::Severity::Warning);
    if (exitCode == 0 && m_lines == 0 && m_schedule.started() && m_options.startWhen &&
        m_unknownCodeSamples == 0) {
        message = m_gate.neverStarted(); // the meter answered; what was waited for never came
    } else if (exitCode == 0 && m_lines == 0) {
        exitCode = 1; // a run that recorded nothing did not do its work
        message = m_unknownCodeSamples > 0
                      ? QStringLiteral("the meter on %1 showed no function Tarnix knows; %2 "
                                       "samples were not written")
                            .arg(m_state.link.portLabel)
                            .arg(m_unknownCodeSamples)
                      : QStringLiteral("no reading came from the meter on %1; nothing was recorded")
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
    if (const QString gate = m_gate.statusText(); !gate.isEmpty())
        text += QStringLiteral("  ") + gate;
    text += QStringLiteral("  lines %1").arg(m_lines);
    return text;
}

} // namespace tarnix::core
