#include "core/PollingCycle.h"

#include "core/AlarmCheck.h"
#include "core/SharedState.h"
#include "link/Commands.h"
#include "link/Rs232.h"
#include "link/Speeds.h"
#include "meter/Frames.h"
#include "meter/FunctionRange.h"
#include "meter/MaxMin.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/SerialPort.h"

#include <iterator>

namespace tarnix::core {

namespace {

constexpr int PollingInterval = 300; // ms
constexpr int RequestsPerSpeed = 4;
constexpr int SpeedChangesBeforeRestart = 4;
// A meter that keeps sending broken long frames is treated as silent after
// this many, so that the tick ends and other actions get the wire.
constexpr int MalformedFramesPerAttempt = 10;
// The recording query repeats "X" until the meter answers; a meter that has
// gone quiet is taken as not recording after this many.
constexpr int RecordingQueries = 15;
// While the device is gone, the wake-up loop tries to open it this often.
constexpr double ReopenInterval = 1.0;
// The wake-up probes: one every half second, each at the next speed, so a
// meter left at any speed is found within about two seconds of coming back.
constexpr double ProbeInterval = 0.5;
constexpr int WakeUpSpeeds[] = {1200, 9600, 4800, 2400};

const QString ModelShort = QStringLiteral("MQZ5081");
const QString ModelLong = QStringLiteral("HBQ750");
const QString NoCom = QStringLiteral("No COM");
const QString InitialSampling = QStringLiteral("2 sec");
constexpr int InitialSamplingSeconds = 2;

} // namespace

PollingCycle::PollingCycle(SharedState& state, link::Rs232& link, QObject* parent)
    : QObject(parent), m_state(state), m_link(link) {
    m_timer.setParent(this); // found by name from the window
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(PollingInterval);
    connect(&m_timer, &QTimer::timeout, this, &PollingCycle::tick);
    m_ownAlarm = std::make_unique<AlarmCheck>(state, link);
    m_alarm = m_ownAlarm.get();
    m_link.setTimeoutListener([this] { forgetReading(); });
}

PollingCycle::~PollingCycle() {
    m_link.setTimeoutListener({});
}

void PollingCycle::forgetReading() {
    if (!m_state.link.readingCurrent)
        return;
    m_state.link.readingCurrent = false;
    m_state.show();
}

bool PollingCycle::start(QString* why) {
    if (!m_link.reopen(link::StartSettings)) {
        if (why)
            *why = m_link.port().errorText();
        return false;
    }
    m_state.texts.com = m_state.link.portLabel;
    m_state.texts.sampling = InitialSampling;
    m_state.texts.samplingSeconds = InitialSamplingSeconds;
    m_state.link.meterConnected = false;
    m_state.link.alarmReloadRequest = true;
    m_state.show();
    m_timer.start();
    return true;
}

bool PollingCycle::shouldEnd() const {
    return m_yield || m_link.clock().stopped();
}

bool PollingCycle::runExclusive(std::function<void()> action, std::function<void()> then) {
    if (m_actionRunning || m_pending || m_linkDown || m_link.clock().stopped())
        return false;
    if (m_inTick) {
        m_timer.stop();
        m_yield = true;
        m_pending = std::move(action);
        m_pendingThen = std::move(then);
        return true;
    }
    runAction(std::move(action), std::move(then));
    return true;
}

void PollingCycle::runAction(std::function<void()> action, std::function<void()> then) {
    m_timer.stop();
    m_actionRunning = true;
    action();
    m_actionRunning = false;
    if (m_link.clock().stopped())
        return;
    m_timer.start();
    if (then)
        then();
}

bool PollingCycle::reopenAt(const platform::PortSettings& settings) {
    const bool opened = m_link.reopen(settings);
    if (opened)
        qCDebug(lcPolling).noquote() << "port open at" << settings.text();
    else
        qCDebug(lcPolling).noquote() << "port not open at" << settings.text() << ":"
                                     << m_link.port().errorText();
    return opened;
}

bool PollingCycle::changeSpeed() {
    const auto next = link::nextSearchSettings(m_link.port().settings());
    return reopenAt(next.value_or(m_link.port().settings()));
}

// The request: flush, a blank, 0.2 s; then the count of waiting bytes picks the frame kind.
bool PollingCycle::requestFrame(meter::FrameKind& kind) {
    m_link.flush();
    m_link.send(link::command::ReadingRequest);
    if (!m_link.delay(link::ReplyPause))
        return false;
    kind = meter::frameKindForLength(m_link.port().bytesWaiting());
    return true;
}

void PollingCycle::tick() {
    if (m_inTick || m_actionRunning || m_link.clock().stopped())
        return;
    m_inTick = true;
    runTick();
    m_inTick = false;
    m_yield = false;
    if (m_pending)
        runAction(std::exchange(m_pending, {}), std::exchange(m_pendingThen, {}));
}

void PollingCycle::runTick() {
    if (m_link.port().isLost() || !m_link.port().isOpen()) {
        restartLink();
        return;
    }
    QByteArray frame;
    meter::FrameKind kind = meter::FrameKind::None;
    switch (takeFrame(frame, kind)) {
    case Step::Next:
        break;
    case Step::Ended:
        return;
    }
    if (showReading(frame, kind) == Step::Ended)
        return;
    queryRecording();
}

// The speed search and the request, until a frame is in.
PollingCycle::Step PollingCycle::takeFrame(QByteArray& frame, meter::FrameKind& kind) {
    LinkState& ls = m_state.link;
    int attempts = 0;
    int malformed = 0;
    bool selectSpeed = !ls.meterConnected;
    for (;;) {
        if (selectSpeed)
            changeSpeed();
        selectSpeed = false;

        if (!requestFrame(kind) || shouldEnd())
            return Step::Ended;
        if (kind != meter::FrameKind::None) {
            ls.shortFrameSeen = kind == meter::FrameKind::Short;
            ls.longFrameSeen = kind == meter::FrameKind::Long;
            ls.baudRateNumber = m_link.port().settings().baud;
            frame = m_link.receive();
            ls.meterConnected = true;
            if (!m_link.delay(link::AfterFramePause) || shouldEnd())
                return Step::Ended;
            if (meter::wellFormed(frame, kind))
                return Step::Next;
            qCDebug(lcPolling) << "malformed frame" << frame.toHex(' ');
            // A broken long frame is asked for again without counting, up to a point.
            if (++malformed < MalformedFramesPerAttempt)
                continue;
            malformed = 0;
            Q_EMIT answeredWithoutReading(NoReading::Unframed);
        } else if (m_link.port().bytesWaiting() > 0) {
            Q_EMIT answeredWithoutReading(NoReading::Unframed);
        }
        if (m_link.port().isLost()) {
            restartLink();
            return Step::Ended;
        }
        // No frame: four requests per speed, then the next speed; after the
        // fourth change of speed the link is restarted.
        ls.meterConnected = false;
        forgetReading();
        if (++attempts < RequestsPerSpeed)
            continue;
        attempts = 0;
        if (++ls.speedRounds < SpeedChangesBeforeRestart) {
            selectSpeed = true;
            continue;
        }
        ls.speedRounds = 0;
        restartLink();
        return Step::Ended;
    }
}

// The decoded value, the alarm load and check, and what the panel shows.
PollingCycle::Step PollingCycle::showReading(const QByteArray& frame, meter::FrameKind kind) {
    meter::Reading& reading = m_state.reading;
    PanelTexts& texts = m_state.texts;
    const meter::FrameReading decoded = kind == meter::FrameKind::Short
                                            ? meter::decodeShortFrame(frame, reading)
                                            : meter::decodeLongFrame(frame, reading);
    reading = decoded.reading;
    m_state.measurement = meter::measurementOf(reading);
    if (kind == meter::FrameKind::Short) {
        texts.model = ModelShort;
    } else {
        if (decoded.result != meter::FrameResult::Decoded) {
            // "Initial": nothing to check or keep, but it is what the meter
            // shows now, with the frame's function and range, and is recorded so.
            texts.value = reading.value.text();
            m_state.link.readingCurrent = true;
            m_state.show();
            Q_EMIT answeredWithoutReading(NoReading::Initial);
            return Step::Ended;
        }
        texts.model = ModelLong;
    }
    if (m_alarm && m_state.link.alarmReloadRequest) {
        if (!m_alarm->loadIfRequested()) {
            if (m_state.alarm.unread)
                Q_EMIT alarmLimitsUnread();
            return Step::Ended;
        }
        if (shouldEnd())
            return Step::Ended;
    }
    if (!decoded.frequencyRange.isEmpty()) { // the unit comes only now
        reading.rangeText = decoded.frequencyRange;
        m_state.measurement = meter::measurementOf(reading);
    }
    if (reading.rangeText != texts.range) { // a new range starts maximum and minimum again
        const meter::MaxMin reset = meter::resetMaxMin(texts.value);
        texts.max = reset.max;
        texts.min = reset.min;
    }
    const bool frequency = reading.functionText == QStringView(meter::FrequencyFunction);
    if (m_alarm && !frequency && (!m_alarm->check() || shouldEnd()))
        return Step::Ended;
    texts.range = reading.rangeText;
    texts.function = reading.functionText;
    texts.value = reading.value.text();
    const meter::MaxMin next = meter::updateMaxMin(texts.value, {texts.max, texts.min});
    texts.max = next.max;
    texts.min = next.min;
    m_state.link.readingCurrent = true;
    m_state.show();
    qCDebug(lcPolling) << "reading" << texts.function << texts.range << texts.value;
    Q_EMIT readingTaken();
    return Step::Next;
}

// Is the meter's logger recording? "X" goes out at least twice.
void PollingCycle::queryRecording() {
    auto& port = m_link.port();
    m_link.flush();
    m_link.send(link::command::RecordingQuery);
    if (!m_link.delay(link::ReplyPause) || shouldEnd())
        return;
    int queries = 1;
    do {
        m_link.send(link::command::RecordingQuery);
        if (!m_link.delay(link::ReplyPause) || shouldEnd())
            return;
        if (port.bytesWaiting() == 0)
            forgetReading(); // the meter went quiet after its frame
    } while (port.bytesWaiting() == 0 && ++queries < RecordingQueries);
    const QByteArray reply = m_link.receive();
    const bool recording = reply.size() >= 2 && std::uint8_t(reply[reply.size() - 2]) == 1;
    m_state.link.recordingFlag = recording;
    m_state.texts.recordingShown = recording;
    m_state.show();
}

void PollingCycle::restartLink() {
    m_timer.stop();
    PanelTexts& texts = m_state.texts;
    texts.com = NoCom;
    texts.linkButtonsEnabled = false;
    m_linkDown = true;
    m_state.link.readingCurrent = false;
    m_state.show();
    qCDebug(lcPolling) << "no answer at any speed, or the device went away: No COM";
    Q_EMIT linkLost();

    const Wake wake = wakeUp();
    m_linkDown = false;
    if (wake == Wake::Ended)
        return; // the program is ending
    m_link.flush();
    if (wake == Wake::Answered) {
        // Polling goes on at the speed the meter answered, without a search.
        m_state.link.meterConnected = true;
        m_state.link.baudRateNumber = m_link.port().settings().baud;
    } else {
        while (!reopenAt(link::StartSettings))
            if (!m_link.clock().wait(ReopenInterval))
                return;
        m_state.link.meterConnected = false;
    }
    texts.linkButtonsEnabled = true;
    texts.com = m_state.link.portLabel;
    texts.sampling = InitialSampling;
    texts.samplingSeconds = InitialSamplingSeconds;
    texts.highAlarm.clear();
    texts.lowAlarm.clear();
    // The meter may have been reset meanwhile: its limits are read again
    // before the next reading is checked against them.
    m_state.link.alarmReloadRequest = true;
    m_state.show();
    qCDebug(lcPolling) << "the meter answers again";
    Q_EMIT linkBack();
    if (!m_yield) // otherwise the waiting action starts it when done
        m_timer.start();
}

// Probes with a blank until any byte comes back, turning through the four
// speeds. While the device is gone it is opened again every second.
PollingCycle::Wake PollingCycle::wakeUp() {
    auto& port = m_link.port();
    for (int probe = 0;; ++probe) {
        if (m_link.clock().stopped())
            return Wake::Ended;
        if (m_yield)
            return Wake::Yielded; // an action wants the wire: give the link back as it is
        if (port.isLost() || !port.isOpen()) {
            if (!reopenAt(port.settings())) { // the start settings, before the first open
                if (!m_link.clock().wait(ReopenInterval))
                    return Wake::Ended;
                continue;
            }
        }
        const int baud = WakeUpSpeeds[probe % int(std::size(WakeUpSpeeds))];
        if (!reopenAt(link::settingsForBaud(baud)))
            continue; // gone meanwhile: seen at the top of the loop
        m_link.flush();
        m_link.send(link::command::ReadingRequest);
        // An answer is looked for as soon as a frame could be in, and the
        // next probe goes out half a second after this one.
        if (!m_link.delay(link::ReplyPause))
            continue; // ending or gone: seen at the top of the loop
        if (port.bytesWaiting() > 0)
            return Wake::Answered;
        (void)m_link.delay(ProbeInterval - link::ReplyPause);
    }
}

} // namespace tarnix::core
