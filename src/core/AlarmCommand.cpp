#include "core/AlarmCommand.h"

#include "records/AnalysisCsv.h"
#include "meter/MeterValue.h"
#include "platform/ProcessGroup.h"

#include <QProcess>
#include <csignal>

namespace tarnix::core {

namespace {
// What ignores SIGTERM this long gets SIGKILL.
constexpr int KillGraceMs = 2000;
} // namespace

AlarmCommand::AlarmCommand(QString command, QString port, Say say, int limitMs, QObject* parent)
    : QObject(parent), m_command(std::move(command)), m_port(std::move(port)),
      m_say(std::move(say)), m_limit(this), m_kill(this), m_grace(this), m_second(this) {
    m_limit.setSingleShot(true);
    m_limit.setInterval(limitMs);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        stop(QStringLiteral("still running after %1 s").arg(m_limit.interval() / 1000.0));
    });
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this,
            [this] { stop(QStringLiteral("still running at the run's end")); });
    m_kill.setSingleShot(true);
    m_kill.setInterval(KillGraceMs);
    connect(&m_kill, &QTimer::timeout, this, [this] { signalGroup(SIGKILL); });
    m_second.setSingleShot(true);
    m_second.setInterval(1000);
    connect(&m_second, &QTimer::timeout, this, [this] {
        if (const QString dropped = m_output.nextSecond(); !dropped.isEmpty())
            sayLine(dropped);
    });
}

AlarmCommand::~AlarmCommand() {
    dropWaiting();
    if (!m_running)
        return;
    m_running->disconnect(this);
    // Nothing reads its output any more: a writer gets EPIPE rather than being buffered.
    m_running->closeReadChannel(QProcess::StandardOutput);
    m_say(QStringLiteral("on-alarm (%1): stopped, the run has ended")
              .arg(QString::fromLatin1(m_runningAlarm)),
          platform::Severity::Warning);
    signalGroup(SIGTERM);
    if (!m_running->waitForFinished(KillGraceMs)) {
        signalGroup(SIGKILL);
        m_running->waitForFinished(KillGraceMs);
    }
}

void AlarmCommand::finish(int graceMs) {
    m_finishing = true;
    if (!m_running) {
        Q_EMIT idle();
        return;
    }
    m_grace.start(graceMs);
}

void AlarmCommand::stop(const QString& why) {
    m_stopped = true;
    m_say(QStringLiteral("on-alarm (%1): %2: stopped").arg(QString::fromLatin1(m_runningAlarm), why),
          platform::Severity::Warning);
    signalGroup(SIGTERM);
    m_kill.start();
}

void AlarmCommand::dropWaiting() {
    if (m_waiting)
        m_say(QStringLiteral("on-alarm (%1): not run, the run has ended")
                  .arg(QString::fromLatin1(std::exchange(m_waiting, std::nullopt)->alarm)),
              platform::Severity::Warning);
}

void AlarmCommand::measured(const QDateTime& at, const meter::Measurement& m,
                            const records::SampleAlarm& alarm) {
    // "Initial" shows no number: the meter's state before it stands.
    if (m_finishing || m_last == alarm.state ||
        (!m_last && alarm.state == records::SampleAlarm::State::None) || m.isInitial())
        return;
    m_last = alarm.state;
    Change change{records::alarmWord(alarm.state), QProcessEnvironment::systemEnvironment()};
    QProcessEnvironment& environment = change.environment;
    environment.insert(QStringLiteral("TARNIX_ALARM"), QString::fromLatin1(change.alarm));
    environment.insert(QStringLiteral("TARNIX_VALUE"), m.baseText);
    environment.insert(QStringLiteral("TARNIX_UNIT"), m.unit);
    environment.insert(QStringLiteral("TARNIX_DISPLAY"), m.display);
    environment.insert(QStringLiteral("TARNIX_TIME"), records::isoTime(at));
    environment.insert(QStringLiteral("TARNIX_PORT"), m_port);
    environment.insert(QStringLiteral("TARNIX_FUNCTION"), m.function);
    environment.insert(QStringLiteral("TARNIX_RANGE"), m.range);
    if (m_running)
        m_waiting = std::move(change); // the latest change wins
    else
        start(std::move(change));
}

void AlarmCommand::start(Change change) {
    m_running = std::make_unique<QProcess>();
    m_runningAlarm = change.alarm;
    m_stopped = false;
    m_output = {};
    m_second.stop();
    m_running->setProcessEnvironment(change.environment);
    // Its output goes to our standard error as lines; standard output may
    // carry the recording itself.
    m_running->setProcessChannelMode(QProcess::MergedChannels);
    m_running->setStandardInputFile(QProcess::nullDevice());
    // A group of its own: a limit stops the shell and whatever it started.
    platform::startInOwnGroup(*m_running);
    connect(m_running.get(), &QProcess::readyRead, this, &AlarmCommand::sayOutput);
    connect(m_running.get(), &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                ended(exitCode, status == QProcess::CrashExit);
            });
    connect(m_running.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(-1, false);
    });
    m_running->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), m_command});
    m_group = m_running->processId();
    m_limit.start();
    Q_EMIT started(m_runningAlarm);
}

// QProcess holds at most what the pipe held when it was ready: taken in
// chunks, and passed over cheaply past the bounds, so a flood costs neither
// memory nor a stall of sampling.
void AlarmCommand::sayOutput() {
    char chunk[16384];
    qint64 size;
    while ((size = m_running->read(chunk, sizeof chunk)) > 0)
        m_output.take(QByteArrayView(chunk, size), [this](const QString& text) { sayLine(text); });
    if (m_output.secondRunning() && !m_second.isActive())
        m_second.start();
}

void AlarmCommand::sayLine(const QString& text) {
    m_say(QStringLiteral("on-alarm (%1): %2").arg(QString::fromLatin1(m_runningAlarm), text),
          platform::Severity::Warning);
}

void AlarmCommand::ended(int exitCode, bool crashed) {
    if (!m_running)
        return;
    m_limit.stop();
    m_kill.stop();
    // What the shell left running ends with it.
    signalGroup(SIGTERM);
    m_group = 0;
    sayOutput();
    m_output.end([this](const QString& text) { sayLine(text); });
    m_second.stop();
    if (const QString dropped = m_output.nextSecond(); !dropped.isEmpty())
        sayLine(dropped);
    const QString label = QStringLiteral("on-alarm (%1): ").arg(QString::fromLatin1(m_runningAlarm));
    if (exitCode < 0)
        m_say(label + QStringLiteral("cannot run /bin/sh: ") + m_running->errorString(),
              platform::Severity::Error);
    else if (crashed && !m_stopped)
        m_say(label + QStringLiteral("ended by a signal"), platform::Severity::Warning);
    else if (!crashed)
        m_say(label + QStringLiteral("exit status %1").arg(exitCode),
              exitCode == 0 ? platform::Severity::Notice : platform::Severity::Warning);
    m_running.release()->deleteLater(); // its signal is being handled
    // At the run's end the waiting change still runs, within the grace.
    if (m_finishing && !m_grace.isActive())
        dropWaiting();
    if (m_waiting) {
        start(*std::exchange(m_waiting, std::nullopt));
        return;
    }
    m_grace.stop();
    Q_EMIT idle();
}

void AlarmCommand::signalGroup(int signal) {
    if (m_running)
        platform::signalGroup(m_group, signal);
}

} // namespace tarnix::core
