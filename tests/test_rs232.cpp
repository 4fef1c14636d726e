// The byte exchange on the virtual clock: what goes on the wire, when, and
// what a read makes of the answer.
#include "link/Commands.h"
#include "link/Rs232.h"
#include "platform/RealClock.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "support/FakePort.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace tarnix;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// A meter that answers the address bytes of a read with `reply`.
FakePort::Responder answerReadsWith(QByteArray reply) {
    return [reply](FakePort& port, const QByteArray& written) {
        if (written.size() == 2)
            port.reply(reply);
    };
}

struct Bench {
    platform::VirtualClock clock{QDateTime(QDate(2026, 3, 14), QTime(10, 0))};
    FakePort port{clock};
    platform::ScriptedDialogs dialogs;
    link::Rs232 link{port, clock, dialogs};
};

} // namespace

class TestRs232 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readSendsLetterThenAddress();
    void readTakesOnlyThreeBytes();
    void readDiscardsStaleBytes();
    void writeSendsLetterThenAddressAndValue();
    void delayNearMidnight_data();
    void delayNearMidnight();
    void readTimeOutAcrossMidnightStillEnds();
    void stoppingEndsARetryingRead();
    void lostDeviceEndsARead();
    void realClockStopEndsARetryingRead();
    void applicationQuitEndsAWait();
};

void TestRs232::readSendsLetterThenAddress() {
    Bench b;
    b.port.setResponder(answerReadsWith(bytes({7, 65, 0})));
    const double start = b.clock.monotonic();
    QVERIFY(b.link.readByte(300));
    QCOMPARE(b.link.lastByte(), 65);
    QCOMPARE(b.port.writes().size(), 2u);
    QCOMPARE(b.port.writes()[0].bytes, QByteArray("R"));
    QCOMPARE(b.port.writes()[0].time, start);
    QCOMPARE(b.port.writes()[1].bytes, bytes({44, 1}));
    QVERIFY(qAbs(b.port.writes()[1].time - start - 0.2) < 1e-9);
    QVERIFY(b.dialogs.messages().empty());
}

void TestRs232::readTakesOnlyThreeBytes() {
    Bench b;
    int reads = 0;
    b.port.setResponder([&](FakePort& port, const QByteArray& written) {
        if (written.size() == 2)
            port.reply(++reads == 1 ? bytes({7, 65, 0, 9}) : bytes({7, 66, 0}));
    });
    const double start = b.clock.monotonic();
    QVERIFY(b.link.readByte(49));
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Wait Time Out ! Try again !")});
    QCOMPARE(b.dialogs.messages()[0].icon, platform::MessageIcon::None);
    QCOMPARE(b.link.lastByte(), 66); // the four bytes were flushed, never used
    QCOMPARE(reads, 2);
    QCOMPARE(b.port.writes()[2].bytes, QByteArray("R"));
    const double retry = b.port.writes()[2].time - start;
    QVERIFY2(retry > 3.2 && retry < 3.3, qPrintable(QString::number(retry)));
}

void TestRs232::readDiscardsStaleBytes() {
    Bench b;
    b.port.reply(bytes({1, 2}), 0); // left over from an earlier exchange
    b.port.setResponder(answerReadsWith(bytes({0, 200, 0})));
    QVERIFY(b.link.readByte(5));
    QCOMPARE(b.link.lastByte(), 200);
}

void TestRs232::writeSendsLetterThenAddressAndValue() {
    Bench b;
    b.port.setResponder([](FakePort& port, const QByteArray&) { port.reply("junk"); });
    const double start = b.clock.monotonic();
    QVERIFY(b.link.writeByte(49, 150));
    QCOMPARE(b.port.writes().size(), 2u);
    QCOMPARE(b.port.writes()[0].bytes, QByteArray("W"));
    QCOMPARE(b.port.writes()[1].bytes, bytes({49, 0, 150}));
    QVERIFY(qAbs(b.port.writes()[1].time - start - 0.2) < 1e-9);
    QVERIFY(qAbs(b.clock.monotonic() - start - 0.4) < 1e-9);
    // Whatever the meter answered waits for the next flush.
    QCOMPARE(b.port.bytesWaiting(), 8);
}

void TestRs232::delayNearMidnight_data() {
    QTest::addColumn<QTime>("start");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("waited");
    QTest::newRow("0.1 s before midnight") << QTime(23, 59, 59, 900) << 0.2 << 0.0;
    QTest::newRow("exactly reaching midnight") << QTime(23, 59, 59, 800) << 0.2 << 0.0;
    QTest::newRow("0.3 s before midnight") << QTime(23, 59, 59, 700) << 0.2 << 0.2;
    QTest::newRow("midday") << QTime(12, 0) << 0.01 << 0.01;
}

void TestRs232::delayNearMidnight() {
    QFETCH(QTime, start);
    QFETCH(double, seconds);
    QFETCH(double, waited);
    Bench b;
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), start));
    const double before = b.clock.monotonic();
    QVERIFY(b.link.delay(seconds));
    QVERIFY(qAbs(b.clock.monotonic() - before - waited) < 1e-9);
}

void TestRs232::readTimeOutAcrossMidnightStillEnds() {
    Bench b;
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    const double start = b.clock.monotonic();
    double messageAt = -1;
    b.dialogs.onMessage([&](const auto&) {
        messageAt = b.clock.monotonic() - start;
        b.clock.stop(); // the user closes the program
    });
    QVERIFY(!b.link.readByte(0));
    QVERIFY2(messageAt > 3.2 && messageAt < 3.3, qPrintable(QString::number(messageAt)));
}

void TestRs232::stoppingEndsARetryingRead() {
    Bench b;
    b.dialogs.onMessage([&](const auto&) {
        if (b.dialogs.messages().size() == 3)
            b.clock.stop();
    });
    QVERIFY(!b.link.readByte(0));
    QCOMPARE(b.dialogs.messages().size(), 3u);
    QCOMPARE(b.port.writes().size(), 6u); // three attempts, no fourth
}

void TestRs232::lostDeviceEndsARead() {
    Bench b;
    b.port.setResponder([](FakePort& port, const QByteArray& written) {
        if (written.size() == 2)
            port.setLost(true);
    });
    QVERIFY(!b.link.readByte(0));
    QVERIFY(b.dialogs.messages().empty());
    QVERIFY(!b.link.delay(0.2));
}

void TestRs232::realClockStopEndsARetryingRead() {
    platform::RealClock clock;
    FakePort port(clock);
    platform::ScriptedDialogs dialogs;
    link::Rs232 link(port, clock, dialogs);
    QTimer::singleShot(400, [&] { clock.stop(); });
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(!link.readByte(0));
    QVERIFY(elapsed.elapsed() < 2000);
    QVERIFY(!clock.wait(1.0)); // and every later wait returns at once
}

void TestRs232::applicationQuitEndsAWait() {
    platform::RealClock clock;
    QTimer::singleShot(100, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QElapsedTimer elapsed;
    elapsed.start();
    const bool completed = clock.wait(5.0);
    QVERIFY(elapsed.elapsed() < 4000);
    QVERIFY(!completed);
    QVERIFY(clock.stopped());
}

QTEST_GUILESS_MAIN(TestRs232)
#include "test_rs232.moc"
