#include "core/LoggerCommands.h"

#include "core/MeterActions.h"
#include "core/PollingCycle.h"
#include "core/SharedState.h"
#include "records/DataFile.h"
#include "records/DataRecord.h"
#include "records/RecordStore.h"
#include "link/Rs232.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/MemoryDump.h"
#include "logger/SettingsWrites.h"
#include "platform/AtomicFile.h"
#include "platform/ConsoleDialogs.h"
#include "platform/RealClock.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "platform/StopSignals.h"
#include "platform/WriteAll.h"

#include <QStringList>
#include <cstring>
#include <memory>

namespace tarnix::core {

namespace {

constexpr int ExitDone = 0;
constexpr int ExitTrouble = 1;
// Each tick searches every speed before it gives up; a few of them are
// enough for a meter that is there.
constexpr int SearchTicks = 3;
// A meter that answers readings but not memory reads is given up on.
constexpr int ReadTimeoutsBeforeGivingUp = 3;

// The meter over its port, found at its speed by the polling cycle's own
// search, with nothing polling behind the command's back.
class CommandLink {
public:
    CommandLink(const LoggerOptions& options, const LoggerConsole& console)
        : m_options(options), m_console(console),
          m_dialogs(QStringLiteral("tarnix-log"), console.message),
          m_clock(console.clock ? *console.clock : m_realClock) {
        m_port = console.makePort ? console.makePort(m_clock)
                                  : platform::devicePort(options.device)(m_clock);
        m_link = std::make_unique<link::Rs232>(*m_port, m_clock, m_dialogs);
        m_link->setTimeoutLimit(ReadTimeoutsBeforeGivingUp); // nobody is there to cancel
        m_cycle = std::make_unique<PollingCycle>(m_state, *m_link);
        m_cycle->setAlarmSteps(nullptr); // the alarm limits are not this command's business
        m_state.link.portLabel =
            options.simulate ? QStringLiteral("SIM") : platform::portShownAs(options.device);
        // A meter that answers at no speed makes the cycle restart the link
        // and wait for it for ever; a command gives up instead.
        QObject::connect(m_cycle.get(), &PollingCycle::linkLost, [this] {
            m_lost = true;
            m_clock.stop();
        });
        QObject::connect(&m_stops, &platform::StopSignals::stopAsked, [this] {
            m_interrupted = true;
            m_clock.stop();
        });
    }

    // Closed, the port puts the last write on the wire before the program ends.
    ~CommandLink() { m_port->close(); }
    CommandLink(const CommandLink&) = delete;
    CommandLink& operator=(const CommandLink&) = delete;

    link::Rs232& link() { return *m_link; }
    platform::Clock& clock() { return m_clock; }

    void fail(const QString& line) { m_console.message(QStringLiteral("tarnix-log: ") + line); }
    void progress(const QString& text) {
        if (m_console.progress)
            m_console.progress(text);
    }

    // Opens the port, finds the meter and refuses while its logger records.
    bool connect() {
        if (!m_stops.watch()) {
            fail(QStringLiteral("cannot watch for Ctrl-C"));
            return false;
        }
        QString why;
        if (!m_cycle->start(&why)) {
            fail(QStringLiteral("cannot open %1").arg(why.isEmpty() ? m_options.device : why));
            return false;
        }
        m_cycle->timer().stop(); // the command drives every exchange itself
        bool reading = false;
        const auto taken = QObject::connect(m_cycle.get(), &PollingCycle::readingTaken,
                                            [&reading] { reading = true; });
        for (int tick = 0; tick < SearchTicks && !reading && !stopped(); ++tick)
            m_cycle->tick();
        QObject::disconnect(taken);
        m_cycle->timer().stop();
        if (interrupted())
            return false;
        if (!reading || !m_state.link.meterConnected) {
            fail(QStringLiteral("no meter answers on %1").arg(m_state.link.portLabel));
            return false;
        }
        if (m_state.link.recordingFlag) {
            fail(RecordingRefusal);
            return false;
        }
        return true;
    }

    bool stopped() const { return m_lost || m_interrupted || m_clock.stopped(); }

    // After an exchange ended early: says why when the reason is known here.
    bool interrupted() {
        if (m_interrupted)
            fail(QStringLiteral("interrupted"));
        return m_interrupted;
    }

    int year() const { return m_clock.now().date().year(); }
    int outputFd() const { return m_console.outputFd; }

private:
    const LoggerOptions& m_options;
    const LoggerConsole& m_console;
    platform::ConsoleDialogs m_dialogs;
    platform::RealClock m_realClock;
    platform::Clock& m_clock;
    std::unique_ptr<platform::SerialPort> m_port;
    std::unique_ptr<link::Rs232> m_link;
    SharedState m_state;
    std::unique_ptr<PollingCycle> m_cycle;
    platform::StopSignals m_stops;
    bool m_lost = false;
    bool m_interrupted = false;
};

// The 55 header bytes with their progress, decoded; nothing after a failure
// already reported.
std::optional<logger::LoggerHeader> readLoggerHeader(CommandLink& session) {
    const auto bytes = logger::readHeader(session.link(), [&](int address) {
        session.progress(logger::headerReadProgress(address));
        return true;
    });
    if (!bytes) {
        if (session.link().gaveUp())
            session.fail(QStringLiteral("the meter does not answer memory reads; gave up after "
                                        "%1 time-outs in a row")
                             .arg(ReadTimeoutsBeforeGivingUp));
        else if (!session.interrupted())
            session.fail(QStringLiteral("the meter stopped answering during the header read"));
        return std::nullopt;
    }
    return logger::decodeHeader(*bytes);
}

bool writeOut(const QString& text, CommandLink& session) {
    int code = 0;
    if (platform::writeAll(session.outputFd(), text.toLatin1(), &code))
        return true;
    session.fail(QStringLiteral("cannot write to standard output: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(code))));
    return false;
}

QString statusText(const logger::LoggerHeader& h, int year) {
    const auto mode = std::size_t(h.recordingMode);
    const QString modeName = mode < std::size(logger::RecordingModeNames)
                                 ? QString::fromUtf16(logger::RecordingModeNames[mode])
                                 : QString::number(h.recordingMode);
    QStringList lines = {
        QStringLiteral("Write count: %1").arg(h.writeCount),
        QStringLiteral("Id code: %1").arg(h.idCode),
        QStringLiteral("Recording mode: ") + modeName,
        QStringLiteral("Memory size: ") + logger::memorySizeText(h.memorySizeK),
        QStringLiteral("Clock: ") + logger::clockText(h.clock, logger::yearDigits(year)),
        QStringLiteral("Sampling interval: ") + logger::intervalText(h.intervalUnits),
        QStringLiteral("Range changes: %1").arg(h.rangeChanges),
        QStringLiteral("Fail count: %1").arg(h.failCount),
        QStringLiteral("Baud rate: %1").arg(logger::baudRateOfCode(h.baudCode)),
    };
    for (const logger::RecordSet& set : h.sets)
        lines.append(QStringLiteral("Set %1: %2, %3, %4 records")
                         .arg(set.number)
                         .arg(set.function, set.range, set.countText()));
    return lines.join(u'\n') + u'\n';
}

int status(CommandLink& session) {
    const auto header = readLoggerHeader(session);
    if (!header)
        return ExitTrouble;
    session.progress({});
    return writeOut(statusText(*header, session.year()), session) ? ExitDone : ExitTrouble;
}

int download(const LoggerOptions& options, CommandLink& session) {
    const auto header = readLoggerHeader(session);
    if (!header)
        return ExitTrouble;
    const logger::RecordSet* listed = header->set(options.set);
    if (!listed) {
        session.fail(QStringLiteral("the logger holds no set %1 (it lists %2)")
                         .arg(options.set)
                         .arg(header->sets.size()));
        return ExitTrouble;
    }
    const logger::RecordSet& set = *listed;

    const logger::DumpResult result = logger::fetchDump(session.link(), [&](qint64 received) {
        session.progress(logger::dumpProgress(received));
        return true;
    });
    switch (result.end) {
    case logger::DumpResult::End::Complete:
        break;
    case logger::DumpResult::End::TimedOut:
        session.fail(QStringLiteral("the memory dump timed out: %1 of %2 bytes arrived")
                         .arg(result.bytes.size())
                         .arg(logger::DumpLength));
        return ExitTrouble;
    case logger::DumpResult::End::Cancelled:
    case logger::DumpResult::End::Stopped:
        if (!session.interrupted())
            session.fail(QStringLiteral("the memory dump ended after %1 of %2 bytes")
                             .arg(result.bytes.size())
                             .arg(logger::DumpLength));
        return ExitTrouble;
    }
    session.progress({});
    const logger::SetDownload got = logger::downloadSet(result.dump(), set, session.year());

    if (options.toStandardOutput()) {
        QString text;
        for (const records::RecordFields& record : got.records)
            text += records::recordLine(record) + QString::fromLatin1(records::LineEnd);
        if (!writeOut(text, session))
            return ExitTrouble;
    } else {
        records::RecordStore store;
        for (const records::RecordFields& record : got.records) {
            if (!store.append(record)) {
                session.fail(QStringLiteral("too many records to keep"));
                return ExitTrouble;
            }
        }
        QString why;
        if (!records::saveDataFile(options.output, store, &why)) {
            session.fail(QStringLiteral("cannot write ") + why);
            return ExitTrouble;
        }
    }
    if (got.leftOut > 0) {
        session.fail(QStringLiteral("%1 records of set %2 lie beyond the memory and were left out")
                         .arg(got.leftOut)
                         .arg(set.number));
        return ExitTrouble;
    }
    return ExitDone;
}

int setClock(CommandLink& session) {
    for (const logger::ByteWrite& write : logger::clockWrites(session.clock().now())) {
        if (!session.link().writeByte(write.address, write.value)) {
            if (!session.interrupted())
                session.fail(QStringLiteral("the meter did not take the clock"));
            return ExitTrouble;
        }
    }
    return ExitDone;
}

} // namespace

int runLoggerCommand(const LoggerOptions& options, const LoggerConsole& console) {
    // A target that cannot be replaced is refused before the meter is asked.
    QString refusal;
    if (options.action == LoggerOptions::Action::Download && !options.toStandardOutput() &&
        !platform::AtomicFile::targetAllowed(options.output, &refusal)) {
        console.message(QStringLiteral("tarnix-log: cannot write ") + refusal);
        return ExitTrouble;
    }
    CommandLink session(options, console);
    if (!session.connect())
        return ExitTrouble;
    switch (options.action) {
    case LoggerOptions::Action::Status:
        return status(session);
    case LoggerOptions::Action::Download:
        return download(options, session);
    case LoggerOptions::Action::SetClock:
        return setClock(session);
    }
    return ExitTrouble;
}

} // namespace tarnix::core
