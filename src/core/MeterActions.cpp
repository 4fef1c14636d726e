#include "core/MeterActions.h"

#include "core/PollingCycle.h"
#include "core/SharedState.h"
#include "link/Commands.h"
#include "link/Rs232.h"
#include "link/Speeds.h"
#include "logger/LoggerSession.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <memory>

namespace tarnix::core {

MeterActions::MeterActions(SharedState& state, PollingCycle& cycle, link::Rs232& link,
                           platform::Dialogs& dialogs)
    : m_state(state), m_cycle(cycle), m_link(link), m_dialogs(dialogs) {}

bool MeterActions::run(std::function<void()> action, std::function<void()> then) {
    if (m_cycle.runExclusive(std::move(action), std::move(then)))
        return true;
    // Never dropped without a word: the user tries again.
    m_dialogs.message(BusyMessage, platform::MessageIcon::Exclamation);
    return false;
}

bool MeterActions::refusedWhileRecording() {
    if (!m_state.link.recordingFlag)
        return false;
    m_dialogs.message(RecordingRefusal, platform::MessageIcon::Critical);
    return true;
}

bool MeterActions::refusesSettingsChange(const std::optional<logger::ByteWrites>& writes,
                                         QObject* window) {
    if (refusedWhileRecording())
        return true;
    if (writes)
        return false;
    m_dialogs.messageFor(window, QString::fromUtf16(logger::InvalidEntryMessage),
                         platform::MessageIcon::Critical);
    return true;
}

QString MeterActions::portText() const {
    return m_state.link.comPortNumber > 0 ? QStringLiteral("Com%1").arg(m_state.link.comPortNumber)
                                          : m_state.link.portLabel;
}

bool MeterActions::pressValueKey() {
    return run([this] {
        m_link.flush();
        m_link.send(link::command::ValueKey);
        (void)m_link.delay(link::CommandPause);
    });
}

bool MeterActions::pressRecMode() {
    return run([this] { m_link.send(link::command::RecordMode); });
}

bool MeterActions::pressModelButton() {
    return run([this] {
        m_link.send(link::command::RecordMode);
        (void)m_link.delay(link::AfterFramePause);
    });
}

bool MeterActions::changeBaudRate() {
    return run([this] {
        m_link.flush();
        const QString answer =
            m_dialogs.input(link::baudPrompt(), QStringLiteral("Input Baud Rate"),
                            QString::number(m_state.link.baudRateNumber));
        if (answer.isEmpty())
            return;
        const auto choice = link::parseBaudAnswer(answer);
        if (!choice) {
            m_dialogs.message(InvalidAnswer, platform::MessageIcon::Critical);
            return;
        }
        m_link.send(QByteArray(1, choice->code));
        m_state.link.baudRateNumber = choice->baud;
        // A port that fails to open again here is found by the next tick.
        (void)m_link.reopen(choice->settings);
    });
}

bool MeterActions::setLoggerClock() {
    if (refusedWhileRecording())
        return false;
    return run([this] {
        PanelTexts& t = m_state.texts;
        t.loggerBusy = true;
        m_link.flush();
        t.com = QStringLiteral("Wait");
        m_state.show();
        for (const logger::ByteWrite& w : logger::clockWrites(m_link.clock().now()))
            if (!m_link.writeByte(w.address, w.value))
                break;
        t.com = portText();
        t.loggerBusy = false;
        m_state.show();
    });
}

bool MeterActions::readLoggerHeader(
    std::function<void(const std::array<std::uint8_t, logger::HeaderLength>&)> done) {
    if (refusedWhileRecording())
        return false;
    auto header = std::make_shared<std::optional<std::array<std::uint8_t, logger::HeaderLength>>>();
    return run(
        [this, header] {
            PanelTexts& t = m_state.texts;
            t.loggerBusy = true;
            m_state.show();
            const QString shown = t.com;
            *header = logger::readHeader(m_link, [this](int address) {
                m_state.texts.com = logger::headerReadProgress(address);
                m_state.texts.comProgress = true;
                m_state.show();
                return true;
            });
            t.com = shown;
            t.comProgress = false;
            t.loggerBusy = false;
            m_state.show();
        },
        [header, done = std::move(done)] {
            if (*header && done)
                done(**header);
        });
}

bool MeterActions::writeAlarmLimits(const std::vector<ByteWrite>& writes,
                                    const std::function<void(bool)>& busy) {
    return run([this, writes, busy] {
        if (busy)
            busy(true);
        for (const ByteWrite& w : writes)
            if (!m_link.writeByte(w.address, w.value))
                break;
        // Read back either way: a write that stopped halfway may have left
        // the meter with half-written limits.
        m_state.link.alarmReloadRequest = true;
        if (busy)
            busy(false);
    });
}

bool MeterActions::writeLoggerSettings(const logger::ByteWrites& writes, bool flushFirst,
                                       const std::function<void(bool)>& busy) {
    return run([this, writes, flushFirst, busy] {
        if (busy)
            busy(true);
        if (flushFirst)
            m_link.flush();
        for (const logger::ByteWrite& w : writes)
            if (!m_link.writeByte(w.address, w.value))
                break;
        if (busy)
            busy(false);
    });
}

bool MeterActions::fetchLoggerDump(const std::function<bool(qint64)>& progress,
                                   std::function<void(const logger::DumpResult&)> done) {
    return run([this, progress, done = std::move(done)] {
        // It may have waited for a running tick: asked again before "U" goes out.
        if (progress && !progress(0))
            return;
        const logger::DumpResult result = logger::fetchDump(m_link, progress);
        if (done && !m_link.clock().stopped()) // not while the program ends
            done(result);
    });
}

} // namespace tarnix::core
