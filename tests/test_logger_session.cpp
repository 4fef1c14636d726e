// The logger's two exchanges against the simulated meter on the virtual
// clock: the 55-byte header read and the "U" memory dump, with their
// progress, cancel, silence time-out and the set download built on them.
#include "files/DataRecord.h"
#include "link/Commands.h"
#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/MemoryDump.h"
#include "support/SimulatedLink.h"

#include <QtTest>

using namespace tarnix;
using namespace tarnix::logger;
using End = DumpResult::End;

Q_DECLARE_METATYPE(tarnix::logger::DumpResult::End)

namespace {

// The link with its port open at the meter's speed.
struct Session : SimulatedLink {
    explicit Session(int baud = 9600) : SimulatedLink(sim::Model::Short, baud) {
        port.open(QStringLiteral("%1,n,8,1").arg(baud));
    }
};

std::uint8_t patternAt(int address) { return std::uint8_t(address * 7 + 3); }

void fillPattern(sim::SimMeter& meter) {
    for (int a = 0; a < sim::MemorySize; ++a)
        meter.setMemory(a, patternAt(a));
}

QByteArray readCommand(int address) {
    QByteArray c = link::command::ReadMemory;
    c.append(char(address & 0xFF)).append(char(address >> 8));
    return c;
}

// The dump content of every address the reply holds matches the memory.
bool holdsPattern(const QByteArray& bytes) {
    for (int a = 0; 2 * a + 2 < bytes.size(); ++a)
        if (std::uint8_t(bytes[2 * a + 2]) != patternAt(a))
            return false;
    return true;
}

} // namespace

class TestLoggerSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerRead_data();
    void headerRead();
    void headerReadRetriesAfterATimeOut();
    void headerReadGivesUp_data();
    void headerReadGivesUp();
    void headerReadEndsWhenTheLinkStops_data();
    void headerReadEndsWhenTheLinkStops();
    void dumpAtWireSpeed_data();
    void dumpAtWireSpeed();
    void bytesBeyondTheDumpAreNotUsed();
    void dumpEnds_data();
    void dumpEnds();
    void setDownloadOverTheLink();
};

void TestLoggerSession::headerRead_data() {
    QTest::addColumn<int>("cancelAt"); // -1: never
    QTest::addColumn<int>("reads");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("whole header") << -1 << 55 << true;
    QTest::newRow("cancel after the first byte") << 0 << 1 << false;
    QTest::newRow("cancel at address 10") << 10 << 11 << false;
    QTest::newRow("cancel after the last byte") << 54 << 55 << false;
}

void TestLoggerSession::headerRead() {
    QFETCH(int, cancelAt);
    QFETCH(int, reads);
    QFETCH(bool, delivered);

    Session s;
    fillPattern(s.meter);
    s.meter.setMemory(0, 0x34);
    s.meter.setMemory(22, 7);
    s.meter.setMemory(54, 0xFF);

    std::vector<int> addresses;
    const auto header = readHeader(s.link, [&](int address) {
        addresses.push_back(address);
        return address != cancelAt;
    });

    QCOMPARE(header.has_value(), delivered);
    std::vector<int> expected(std::size_t(reads), 0);
    for (int a = 0; a < reads; ++a)
        expected[std::size_t(a)] = a;
    QCOMPARE(addresses, expected);

    // One "R" exchange per address, ascending, the address bytes sent apart
    // from the letter; nothing after a cancel.
    std::deque<QByteArray> commands;
    for (int a = 0; a < reads; ++a)
        commands.push_back(readCommand(a));
    QCOMPARE(s.meter.commands(), commands);
    QCOMPARE(s.tap.count(link::command::ReadMemory), reads);

    if (header) {
        QCOMPARE((*header)[0], std::uint8_t(0x34));
        QCOMPARE((*header)[22], std::uint8_t(7));
        QCOMPARE((*header)[54], std::uint8_t(0xFF));
        for (int a = 1; a < HeaderLength; ++a)
            QCOMPARE((*header)[std::size_t(a)], s.meter.memory(a));
        QCOMPARE(headerReadProgress(addresses.front()), QStringLiteral("0.0% completed"));
        QCOMPARE(headerReadProgress(addresses.back()), QStringLiteral("98.2% completed"));
    }
}

void TestLoggerSession::headerReadRetriesAfterATimeOut() {
    Session s;
    fillPattern(s.meter);
    // The first answer is a byte too long; once the message is closed the
    // meter answers properly again.
    s.meter.setReadReplyLength(4);
    s.dialogs.onMessage([&](const platform::ScriptedDialogs::Message&) {
        s.meter.setReadReplyLength(3);
    });
    int calls = 0;
    const auto header = readHeader(s.link, [&](int) { return ++calls > 0; });
    QVERIFY(header);
    QCOMPARE(calls, HeaderLength);
    for (int a = 0; a < HeaderLength; ++a)
        QCOMPARE((*header)[std::size_t(a)], patternAt(a));
    QCOMPARE(s.tap.count(link::command::ReadMemory), HeaderLength + 1);
    QCOMPARE(s.dialogs.messages().size(), std::size_t(1));
    QCOMPARE(s.dialogs.messages().front().text, link::WaitTimeOutMessage);
}

void TestLoggerSession::headerReadGivesUp_data() {
    QTest::addColumn<int>("timeoutLimit");
    QTest::addColumn<bool>("userCancels");
    QTest::addColumn<int>("boxes"); // "Wait Time Out" boxes shown
    QTest::addColumn<int>("reads");
    QTest::newRow("nobody to answer: three time-outs") << 3 << false << 2 << 3;
    QTest::newRow("the user cancels the box") << 0 << true << 1 << 1;
}

// A meter that answers readings but never a memory read.
void TestLoggerSession::headerReadGivesUp() {
    QFETCH(int, timeoutLimit);
    QFETCH(bool, userCancels);
    QFETCH(int, boxes);
    QFETCH(int, reads);
    Session s;
    s.meter.setReadReplyLength(0);
    s.link.setTimeoutLimit(timeoutLimit);
    s.dialogs.answerRetries(!userCancels);
    const double start = s.clock.monotonic();
    QVERIFY(!readHeader(s.link));
    QVERIFY(s.link.gaveUp());
    QCOMPARE(s.dialogs.messageTexts(), QStringList(boxes, link::WaitTimeOutMessage));
    QCOMPARE(s.tap.count(link::command::ReadMemory), reads);
    QVERIFY(s.clock.monotonic() - start < 4.0 * reads);
}

void TestLoggerSession::headerReadEndsWhenTheLinkStops_data() {
    QTest::addColumn<bool>("programEnds"); // else the device goes away
    QTest::newRow("program ends") << true;
    QTest::newRow("device gone") << false;
}

void TestLoggerSession::headerReadEndsWhenTheLinkStops() {
    QFETCH(bool, programEnds);
    Session s;
    s.clock.at(2.0, [&] {
        if (programEnds)
            s.clock.stop();
        else
            s.port.setLost(true);
    });
    int calls = 0;
    const auto header = readHeader(s.link, [&](int) { return ++calls > 0; });
    QVERIFY(!header);
    QVERIFY(!s.link.gaveUp());
    QVERIFY(calls > 0);
    QVERIFY(calls < 20);
    // The dialog of a time-out never shows: the read gave up instead.
    QVERIFY(s.dialogs.messages().empty());
}

void TestLoggerSession::dumpAtWireSpeed_data() {
    QTest::addColumn<int>("baud");
    QTest::newRow("9600") << 9600;
    QTest::newRow("2400") << 2400;
    QTest::newRow("1200") << 1200;
}

void TestLoggerSession::dumpAtWireSpeed() {
    QFETCH(int, baud);
    Session s(baud);
    fillPattern(s.meter);
    // A reading frame left waiting: the dump must not start with it.
    s.link.send(link::command::ReadingRequest);
    QVERIFY(s.link.delay(0.2 * 9600 / baud));
    QVERIFY(s.port.bytesWaiting() > 0);
    s.meter.clearCommands();

    std::vector<qint64> progress;
    const double start = s.clock.monotonic();
    const DumpResult result = fetchDump(s.link, [&](qint64 received) {
        progress.push_back(received);
        return true;
    });
    const double took = s.clock.monotonic() - start;

    QCOMPARE(result.end, End::Complete);
    QVERIFY(result.complete());
    QCOMPARE(result.bytes.size(), DumpLength);
    QVERIFY(holdsPattern(result.bytes));
    QVERIFY(result.dump().isComplete());
    QCOMPARE(s.meter.commands(), std::deque<QByteArray>{link::command::MemoryDump});

    QVERIFY(!progress.empty());
    QCOMPARE(progress.back(), qint64(DumpLength));
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(dumpProgress(progress.back()), QStringLiteral("100.0% completed"));

    // Within 5% of the wire time of 8194 bytes.
    const double wire = DumpLength * 10.0 / baud;
    QVERIFY2(took >= wire && took <= wire * 1.05, qPrintable(QString::number(took)));
}

void TestLoggerSession::bytesBeyondTheDumpAreNotUsed() {
    Session s;
    fillPattern(s.meter);
    // A second "U" heard meanwhile queues another dump right behind the
    // first, so the last pass takes bytes of both.
    s.clock.at(1.0, [&] { s.meter.receive(link::command::MemoryDump, 9600, 1.0); });
    std::vector<qint64> progress;
    const DumpResult result = fetchDump(s.link, [&](qint64 received) {
        progress.push_back(received);
        return true;
    });
    QCOMPARE(result.end, End::Complete);
    QCOMPARE(result.bytes.size(), DumpLength);
    QVERIFY(holdsPattern(result.bytes));
    QCOMPARE(progress.back(), qint64(DumpLength));
    QVERIFY(s.port.bytesWaiting() > 0 || s.meter.nextArrival().has_value());
}

void TestLoggerSession::dumpEnds_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<double>("at");       // seconds after the start of the dump
    QTest::addColumn<double>("silence");  // the silence time-out
    QTest::addColumn<End>("end");
    QTest::addColumn<double>("endsAt");   // seconds after the start, to one step
    QTest::addColumn<int>("received");    // to 60 bytes

    // At 9600 baud a byte takes 1/960 s; the first one lands about 4 ms after "U".
    QTest::newRow("meter switched off") << "off" << 4.0 << 5.0 << End::TimedOut << 9.0 << 3836;
    QTest::newRow("shorter silence") << "off" << 4.0 << 1.0 << End::TimedOut << 5.0 << 3836;
    QTest::newRow("meter off from the start") << "off" << -1.0 << 5.0 << End::TimedOut << 5.0 << 0;
    QTest::newRow("cancel at 3000 bytes") << "cancel" << 3000.0 << 5.0 << End::Cancelled << 3.13
                                          << 3024;
    QTest::newRow("program ends") << "stop" << 3.0 << 5.0 << End::Stopped << 3.0 << 2876;
    QTest::newRow("device gone") << "lost" << 3.0 << 5.0 << End::Stopped << 3.0 << 2876;
}

void TestLoggerSession::dumpEnds() {
    QFETCH(QString, event);
    QFETCH(double, at);
    QFETCH(double, silence);
    QFETCH(End, end);
    QFETCH(double, endsAt);
    QFETCH(int, received);

    Session s;
    fillPattern(s.meter);
    const double start = s.clock.monotonic();
    if (event == u"off" && at < 0)
        s.meter.setPowered(false);
    else if (event == u"off")
        s.clock.at(start + at, [&] { s.meter.setPowered(false); });
    else if (event == u"stop")
        s.clock.at(start + at, [&] { s.clock.stop(); });
    else if (event == u"lost")
        s.clock.at(start + at, [&] { s.port.setLost(true); });

    std::vector<qint64> progress;
    const DumpResult result = fetchDump(
        s.link,
        [&](qint64 n) {
            progress.push_back(n);
            return !(event == u"cancel" && n >= qint64(at));
        },
        silence);
    const double took = s.clock.monotonic() - start;

    QCOMPARE(result.end, end);
    QVERIFY(!result.complete());
    QVERIFY2(took >= endsAt - 0.02 && took <= endsAt + 2 * DumpStep + 0.01,
             qPrintable(QString::number(took)));
    QVERIFY2(qAbs(result.bytes.size() - received) <= 60,
             qPrintable(QString::number(result.bytes.size())));
    QVERIFY(holdsPattern(result.bytes));
    if (end != End::Stopped) {
        QVERIFY(!progress.empty());
        QCOMPARE(progress.back(), qint64(result.bytes.size()));
    }
    // What arrived still serves the addresses it holds.
    const MemoryDump dump = result.dump();
    const int lastHeld = (int(result.bytes.size()) - 3) / 2;
    if (lastHeld >= 0)
        QCOMPARE(dump.contentAt(lastHeld), std::optional<std::uint8_t>(patternAt(lastHeld)));
    QVERIFY(!dump.contentAt(lastHeld + 1));
}

void TestLoggerSession::setDownloadOverTheLink() {
    Session s;
    // One set, DCV 200mV (code 0), from address 100 to the end address 110;
    // clock stamp 03/14 09:05:00, interval 3 × 0.4 s.
    const char* digits = "0314090500";
    for (int i = 0; i < 10; ++i)
        s.meter.setMemory(link::address::ClockStamp + i, std::uint8_t(digits[i]));
    s.meter.setMemory(link::address::SampleInterval, 3);
    s.meter.setMemory(link::address::EndAddress, 110);
    s.meter.setMemory(link::address::RangeChanges, 1);
    s.meter.setMemory(link::address::setCode(1), 0);
    s.meter.setMemory(link::address::setStart(1), 100);
    const int records[] = {6, 0x80, 0x0B, 0x40, 15, 0, 14, 0, 0x0B, 0x40};
    for (int i = 0; i < 10; ++i)
        s.meter.setMemory(100 + i, std::uint8_t(records[i]));
    // A record of another set right behind: not part of set 1.
    s.meter.setMemory(110, 6);
    s.meter.setMemory(111, 0x80);

    const auto bytes = readHeader(s.link, [](int) { return true; });
    QVERIFY(bytes);
    const LoggerHeader header = decodeHeader(*bytes);
    QCOMPARE(header.sets.size(), std::size_t(1));
    const RecordSet& set = header.sets.front();
    QCOMPARE(set.startAddress, 100);
    QCOMPARE(set.recordCount(), 5);
    QCOMPARE(set.function, QStringLiteral("DCV"));

    const DumpResult result = fetchDump(s.link, [](qint64) { return true; });
    QCOMPARE(result.end, End::Complete);
    const SetDownload got = downloadSet(result.dump(), set, s.clock.now().date().year());

    QStringList rows;
    for (const files::RecordFields& r : got.records)
        rows << files::recordRow(r);
    const QString d = QStringLiteral("\t26/03/14\t");
    QCOMPARE(rows, (QStringList{"1" + d + "09:05:00.0\tDCV\t200mV\t-180.0",
                                "2" + d + "09:05:01.2\tDCV\t200mV\t14.00",
                                "3" + d + "09:05:02.4\tDCV\t200mV\tOL",
                                "4" + d + "09:05:03.6\tDCV\t200mV\t-OL",
                                "5" + d + "09:05:04.8\tDCV\t200mV\t14.00"}));
    QCOMPARE(got.leftOut, 0);
    QVERIFY(got.dumpComplete);
    QCOMPARE(downloadTitle(set.countText(), set.number),
             QStringLiteral("5  Records In No. 1  Set"));
}

QTEST_GUILESS_MAIN(TestLoggerSession)
#include "test_logger_session.moc"
