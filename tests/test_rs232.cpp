// The byte exchange on the virtual clock: the wire, its timing, and what a read takes.
#include "link/Rs232.h"
#include "platform/RealClock.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "support/FakePort.h"

#include <QtTest>

using namespace tarnix;

namespace {

// The link to a fake port, on the virtual clock unless told.
template <class Clock = platform::VirtualClock> struct Bench {
    Clock clock;
    FakePort port{clock};
    platform::ScriptedDialogs dialogs;
    link::Rs232 link{port, clock, dialogs};
};

} // namespace

class TestRs232 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readAndWriteOnTheWire();
    void readTakesOnlyThreeBytes();
    void delayNearMidnight_data();
    void delayNearMidnight();
    void retriesAcrossMidnightEndWhenStopped();
    void lostDeviceEndsARead();
    void realClockStopsAtOnce();
};

void TestRs232::readAndWriteOnTheWire() {
    Bench b;
    b.dialogs.answerRetries(false); // a time-out ends the test rather than retrying
    b.port.reply("\x01\x02", 0); // left over from an earlier exchange
    b.port.setResponder([](FakePort& port, const QByteArray& written) {
        if (written.size() > 1) // the address of a read, or of a write and its value
            port.reply(written.size() == 2 ? QByteArray::fromHex("074100") : "junk");
    });
    QVERIFY(b.link.writeByte(49, 150));
    QCOMPARE(b.port.bytesWaiting(), 4); // the meter's answer waits for the next flush
    QVERIFY(b.link.readByte(300));
    QCOMPARE(b.link.lastByte(), 0x41);
    QByteArrayList sent;
    for (const auto& w : b.port.writes())
        sent << w.bytes.toHex();
    QCOMPARE(sent, (QByteArrayList{"57", "310096", "52", "2c01"})); // W 49 150, R 300
    for (int i = 1; i < 4; ++i) // the meter needs 0.2 s after each part
        QCOMPARE(b.port.writes()[i].time - b.port.writes()[i - 1].time, 0.2);
}

void TestRs232::readTakesOnlyThreeBytes() {
    Bench b;
    b.dialogs.onMessage([&](const auto&) { // one retry, not for ever
        b.dialogs.answerRetries(b.dialogs.messages().size() < 2);
    });
    int reads = 0;
    b.port.setResponder([&](FakePort& port, const QByteArray& written) {
        if (written.size() == 2)
            port.reply(QByteArray::fromHex(++reads == 1 ? "07410009" : "074200"));
    });
    QVERIFY(b.link.readByte(49));
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Wait Time Out ! Try again !")});
    QCOMPARE(b.link.lastByte(), 0x42); // the four bytes were flushed, never used
}

void TestRs232::delayNearMidnight_data() {
    QTest::addColumn<QTime>("start");
    QTest::addColumn<double>("waited"); // of 0.2 s
    QTest::newRow("0.1 s before midnight") << QTime(23, 59, 59, 900) << 0.0;
    QTest::newRow("exactly reaching midnight") << QTime(23, 59, 59, 800) << 0.0;
    QTest::newRow("0.3 s before midnight") << QTime(23, 59, 59, 700) << 0.2;
}

void TestRs232::delayNearMidnight() {
    QFETCH(QTime, start);
    Bench b;
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), start));
    QVERIFY(b.link.delay(0.2));
    QTEST(b.clock.monotonic(), "waited"); // the virtual clock starts at 0
}

// A silent meter: the time-out box after 3.2 s, midnight or not, until the program stops.
void TestRs232::retriesAcrossMidnightEndWhenStopped() {
    Bench b;
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    const double start = b.clock.monotonic();
    double firstAt = -1;
    b.dialogs.onMessage([&](const auto&) {
        if (firstAt < 0)
            firstAt = b.clock.monotonic() - start;
        if (b.dialogs.messages().size() == 3)
            b.clock.stop(); // the user closes the program
    });
    QVERIFY(!b.link.readByte(0));
    QVERIFY2(firstAt > 3.2 && firstAt < 3.3, qPrintable(QString::number(firstAt)));
    QCOMPARE(b.port.writes().size(), 6u); // three attempts, no fourth
}

void TestRs232::lostDeviceEndsARead() {
    Bench b;
    b.port.setResponder([](FakePort& port, const QByteArray&) { port.setLost(true); });
    QVERIFY(!b.link.readByte(0));
    QVERIFY(b.dialogs.messages().empty()); // no time-out box for a port that is gone
    QVERIFY(!b.link.delay(0.2));
}

// The real clock: stop() or the application quitting ends every wait at once.
void TestRs232::realClockStopsAtOnce() {
    Bench<platform::RealClock> b;
    QTimer::singleShot(0, [&] { b.clock.stop(); });
    QVERIFY(!b.link.readByte(0)); // a read that would retry for ever
    QVERIFY(!b.clock.wait(5.0));
    platform::RealClock quitting;
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QVERIFY(!quitting.wait(5.0));
    QVERIFY(quitting.stopped());
    QVERIFY(b.clock.monotonic() < 4.0);
}

QTEST_GUILESS_MAIN(TestRs232)
#include "test_rs232.moc"
