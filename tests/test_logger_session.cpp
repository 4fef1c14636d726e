// The logger's header read and "U" memory dump against the simulated meter on the virtual
// clock, with their progress, cancel and time-outs, and the tarnix-log logger commands on them.
#include "core/LoggerCommands.h"
#include "core/MeterActions.h"
#include "records/DataRecord.h"
#include "link/Commands.h"
#include "link/Speeds.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/MemoryDump.h"
#include "sim/DemoLogger.h"
#include "support/DataRow.h"
#include "support/FileBytes.h"
#include "support/SimulatedLink.h"

#include <QtTest>
#include <csignal>

using namespace tarnix;
using namespace tarnix::logger;
using End = DumpResult::End;

Q_DECLARE_METATYPE(tarnix::logger::DumpResult::End)

namespace {

std::uint8_t patternAt(int address) { return std::uint8_t(address * 7 + 3); }

// The link with its port open at the meter's speed, a pattern in the meter's memory.
struct Session : SimulatedLink {
    explicit Session(int baud = 9600) : SimulatedLink(sim::Model::Short, baud) {
        port.open(link::settingsForBaud(baud));
        for (int a = 0; a < sim::MemorySize; ++a)
            meter.setMemory(a, patternAt(a));
    }
};

// The dump content of every address the reply holds matches the memory.
bool holdsPattern(const QByteArray& bytes) {
    for (int a = 0; 2 * a + 2 < bytes.size(); ++a)
        if (std::uint8_t(bytes[2 * a + 2]) != patternAt(a))
            return false;
    return true;
}

// A tarnix-log logger command run against the simulated meter on the virtual
// clock: its exit status, what it wrote out and what it said.
struct CommandRun {
    int code = -1;
    QByteArray out;
    QStringList said;
};

CommandRun runCommand(const core::LoggerOptions& options, SimulatedLink& s) {
    QTemporaryFile out;
    CommandRun run;
    if (!out.open())
        return run;
    const auto say = [&](const QString& line) { run.said << line; };
    run.code = core::runLoggerCommand(options, {.progress = {}, .message = say,
                                                .outputFd = out.handle(), .clock = &s.clock,
                                                .makePort = platform::memoryWireTo(s.meter)});
    run.out = fileBytes(out.fileName());
    return run;
}

} // namespace

class TestLoggerSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerRead_data();
    void headerRead();
    void headerReadGivesUp_data();
    void headerReadGivesUp();
    void dump_data();
    void dump();
    void loggerCommands_data();
    void loggerCommands();
};

void TestLoggerSession::headerRead_data() {
    QTest::addColumn<int>("cancelAt"); // -1: never
    QTest::addColumn<int>("reads");
    QTest::newRow("whole header") << -1 << 55;
    QTest::newRow("cancel at address 10") << 10 << 11;
    QTest::newRow("cancel after the last byte") << 54 << 55;
}

void TestLoggerSession::headerRead() {
    QFETCH(int, cancelAt);
    QFETCH(int, reads);
    Session s;
    int calls = 0; // progress after each address, in order
    const auto header = readHeader(s.link, [&](int a) { return a == calls++ && a != cancelAt; });
    QCOMPARE(header.has_value(), cancelAt < 0);
    QCOMPARE(calls, reads);
    // One "R" per address in ascending order, the address sent apart; none after a cancel.
    std::deque<QByteArray> commands;
    for (int a = 0; a < reads; ++a)
        commands.push_back(link::command::ReadMemory + char(a) + '\0');
    QCOMPARE(s.meter.commands(), commands);
    QCOMPARE(s.tap.count(link::command::ReadMemory), reads);
    for (int a = 0; header && a < HeaderLength; ++a)
        QCOMPARE((*header)[std::size_t(a)], patternAt(a));
    QVERIFY(!header || headerReadProgress(calls - 1) == u"98.2% completed");
}

void TestLoggerSession::headerReadGivesUp_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("boxes"); // "Wait Time Out" boxes shown
    QTest::addColumn<int>("reads"); // -1: a few, then the link stopped
    // One answer a byte too long: once the box is closed the meter answers properly again.
    QTest::newRow("one time-out, then the whole header") << "retry" << 1 << HeaderLength + 1;
    QTest::newRow("the user cancels the box") << "cancel" << 1 << 1;
    // The program ends two seconds in: no box, as the read did not time out.
    QTest::newRow("program ends") << "stop" << 0 << -1;
}

void TestLoggerSession::headerReadGivesUp() {
    QFETCH(QString, event);
    QFETCH(int, boxes);
    QFETCH(int, reads);
    Session s;
    const bool gaveUp = event == u"cancel";
    s.meter.setReadReplyLength(event == u"retry" ? 4 : gaveUp ? 0 : 3);
    if (event == u"retry")
        s.dialogs.onMessage([&](const auto&) { s.meter.setReadReplyLength(3); });
    s.dialogs.answerRetries(event != u"cancel");
    if (event == u"stop")
        s.clock.at(2.0, [&] { s.clock.stop(); });
    const auto header = readHeader(s.link);
    QCOMPARE(header.has_value(), event == u"retry");
    for (int a = 0; header && a < HeaderLength; ++a) // nothing shifted by the retry
        QCOMPARE((*header)[std::size_t(a)], patternAt(a));
    QCOMPARE(s.link.gaveUp(), gaveUp);
    QCOMPARE(s.dialogs.messageTexts(), QStringList(boxes, link::WaitTimeOutMessage));
    const int sent = s.tap.count(link::command::ReadMemory);
    QVERIFY2(reads > 0 ? sent == reads : sent > 1 && sent < 20, qPrintable(QString::number(sent)));
    QVERIFY(s.clock.monotonic() < 4.0 * sent);
}

void TestLoggerSession::dump_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("event");
    QTest::addColumn<double>("at");      // seconds into the dump; bytes for a cancel
    QTest::addColumn<double>("silence"); // the silence time-out
    QTest::addColumn<End>("end");
    QTest::addColumn<double>("endsAt"); // seconds into the dump, to one step
    QTest::addColumn<int>("received");  // to 60 bytes
    const auto wire = [](int baud) { return DumpLength * 10.0 / baud; };
    for (int baud : {9600, 2400, 1200})
        QTest::addRow("%d", baud) << baud << "" << 0.0 << 5.0 << End::Complete << wire(baud)
                                  << DumpLength;
    // A second "U" heard meanwhile queues another dump right behind the
    // first, so the last pass takes bytes of both.
    row("second dump behind", 9600, "U", 1.0, 5.0, End::Complete, wire(9600), DumpLength);
    // At 9600 baud a byte takes 1/960 s; the first one lands about 4 ms after "U".
    row("off, 1 s quiet", 9600, "off", 4.0, 1.0, End::TimedOut, 5.0, 3836);
    row("off at the start", 9600, "off", 0.0, 5.0, End::TimedOut, 5.0, 0);
    row("cancel at 3000 bytes", 9600, "cancel", 3000.0, 5.0, End::Cancelled, 3.13, 3024);
    row("program ends", 9600, "stop", 3.0, 5.0, End::Stopped, 3.0, 2876);
    row("device gone", 9600, "lost", 3.0, 5.0, End::Stopped, 3.0, 2876);
}

void TestLoggerSession::dump() {
    QFETCH(int, baud);
    QFETCH(QString, event);
    QFETCH(double, at);
    QFETCH(double, silence);
    QFETCH(End, end);
    QFETCH(double, endsAt);
    QFETCH(int, received);
    Session s(baud);
    // A reading frame left waiting: the dump must not start with it.
    s.link.send(link::command::ReadingRequest);
    QVERIFY(s.link.delay(0.2 * 9600 / baud) && s.port.bytesWaiting() > 0);
    s.meter.clearCommands();
    const double start = s.clock.monotonic();
    s.clock.at(start + at, [&] {
        if (event == u"U")
            s.meter.receive(link::command::MemoryDump, baud, start + at);
        else if (event == u"off")
            s.meter.setPowered(false);
        else if (event == u"stop")
            s.clock.stop();
        else if (event == u"lost")
            s.port.setLost(true);
    });
    qint64 told = -1; // the progress last shown
    const auto more = [&](qint64 n) {
        told = n;
        return event != u"cancel" || n < qint64(at);
    };
    const DumpResult result = fetchDump(s.link, more, silence);
    const double took = s.clock.monotonic() - start;
    QCOMPARE(result.end, end);
    QVERIFY2(took >= endsAt - 0.02 && took <= endsAt + 2 * DumpStep + 0.01 &&
                 qAbs(result.bytes.size() - received) <= 60,
             qPrintable(QStringLiteral("%1 s, %2 bytes").arg(took).arg(result.bytes.size())));
    QVERIFY(holdsPattern(result.bytes));
    // Switched off at once, the meter never hears the "U".
    QVERIFY(event == u"off" && at == 0.0 ? s.meter.commands().empty()
                      : s.meter.commands().front() == link::command::MemoryDump);
    QVERIFY(end == End::Stopped || told == result.bytes.size());
    QVERIFY(!result.complete() || dumpProgress(told) == u"100.0% completed");
    // Bytes beyond the dump are left for whoever reads next.
    QVERIFY(event != u"U" || s.port.bytesWaiting() > 0 || s.meter.nextArrival().has_value());
}

void TestLoggerSession::loggerCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("meter");
    QTest::addColumn<int>("lines");   // written out
    QTest::addColumn<QString>("said"); // each line after "tarnix-log: "; none: it worked
    row("status", "status", 0, "", 12, "");
    row("download", "download", 2, "", 60, "");
    row("download to a file", "download", 2, "to a file", 60, "");
    row("a set not there", "download", 4, "", 0, "the logger holds no set 4 (it lists 3)");
    row("past the memory's end", "download", 3, "end beyond", 1840,
        "1 records of set 3 lie beyond the memory and were left out");
    row("set the clock", "set-clock", 0, "", 0, "");
    row("Ctrl-C while setting the clock", "set-clock", 0, "Ctrl-C", 0, "interrupted");
    row("while recording", "download", 1, "recording", 0, core::RecordingRefusal);
    row("Ctrl-C", "download", 1, "Ctrl-C", 0, "interrupted");
    row("switched off", "download", 1, "off", 0, "no meter answers on sim");
    row("reads unanswered", "status", 0, "short reads", 0,
        "Wait Time Out ! Try again !|Wait Time Out ! Try again !|the meter does not answer memory "
        "reads; gave up after 3 time-outs in a row");
}

void TestLoggerSession::loggerCommands() {
    QFETCH(QString, command);
    QFETCH(int, set);
    QFETCH(QString, meter);
    QFETCH(int, lines);
    QFETCH(QString, said);
    SimulatedLink s;
    s.clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 5, 7)));
    s.meter.loadMemory(sim::demoLoggerMemory(QDateTime(QDate(2026, 3, 14), QTime(8, 0))));
    if (meter == u"end beyond") { // the last set ends 1 record past the 4096-byte memory
        s.meter.setMemory(link::address::EndAddress, (sim::MemorySize + 2) % 256);
        s.meter.setMemory(link::address::EndAddress + 1, (sim::MemorySize + 2) / 256);
    }
    if (meter == u"Ctrl-C") // during the header read
        s.clock.at(1.0, [] { std::raise(SIGINT), QCoreApplication::processEvents(); });
    s.meter.setRecording(meter == u"recording");
    s.meter.setPowered(meter != u"off");
    s.meter.setReadReplyLength(meter == u"short reads" ? 2 : 3);
    core::LoggerOptions options;
    options.device = QStringLiteral("sim");
    options.action = command == u"status"     ? core::LoggerOptions::Action::Status
                     : command == u"download" ? core::LoggerOptions::Action::Download
                                              : core::LoggerOptions::Action::SetClock;
    options.set = set;
    options.output = command == u"download" ? QStringLiteral("-") : QString(); // as parsed
    QTemporaryDir dir;
    if (meter == u"to a file")
        options.output = dir.filePath(QStringLiteral("set.dat"));
    CommandRun run = runCommand(options, s);
    if (meter == u"to a file")
        run.out = fileBytes(options.output);
    QCOMPARE(run.said.join(u'|').remove(QStringLiteral("tarnix-log: ")), said);
    QCOMPARE(run.code, said.isEmpty() ? 0 : 1);
    QCOMPARE(run.out.count('\n'), lines);
    for (const QByteArray& c : s.meter.commands()) // refused: neither a memory read nor a dump
        QVERIFY(meter != u"recording" || !(c.startsWith('R') || c.startsWith('U')));
    if (command == u"status" && said.isEmpty()) // the three sets README promises of --simulate
        QCOMPARE(run.out, "Write count: 12\nId code: 1001\nRecording mode: Normal\nMemory size: 4 K\n"
                          "Clock: 26/03/14---08:00:00\nSampling interval: 2 sec\nRange changes: 3\n"
                          "Fail count: 0\nBaud rate: 9600\nSet 1: DCV, 20V, 120 records\n"
                          "Set 2: TEMP, 1370'C, 60 records\nSet 3: ACV, 200V, 80 records\n");
    if (command == u"download" && said.isEmpty())
        QVERIFY(run.out.startsWith("1,26/03/14,08:00:00.0,TEMP,1370'C,021"));
    if (command == u"set-clock" && said.isEmpty()) // month, day, hours, minutes, seconds
        QCOMPARE(s.heard().memoryImage().mid(link::address::ClockStamp, 10), "0314090507");
}

QTEST_GUILESS_MAIN(TestLoggerSession)
#include "test_logger_session.moc"
