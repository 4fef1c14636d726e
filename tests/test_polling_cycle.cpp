// The polling cycle against the simulated meter on the virtual clock: the
// speed search, frames into the panel texts, the recording query, and the
// restart of the link.
#include "link/Rs232.h"
#include "core/PollingCycle.h"
#include "core/SharedState.h"
#include "platform/MemorySerialPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "sim/SimMeter.h"
#include "support/FakePort.h"
#include "support/SimulatedLink.h"

#include <QtTest>

using namespace tarnix;

namespace {

std::vector<int> repeated(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> v;
    for (const auto& [baud, n] : runs)
        v.insert(v.end(), std::size_t(n), baud);
    return v;
}

sim::ScriptedReading value(sim::Model model, int code, const char* text, bool mhz = false) {
    const auto reading = sim::ScriptedReading::fromValue(model, code, QString::fromLatin1(text), mhz);
    if (!reading)
        qFatal("the meter cannot show %s", text);
    return *reading;
}

struct Bench : SimulatedLink {
    explicit Bench(sim::Model model = sim::Model::Short, int baud = 9600)
        : SimulatedLink(model, baud) {
        state.link.portLabel = QStringLiteral("COM1");
        QVERIFY(cycle.start());
    }
    void script(std::vector<sim::ScriptedReading> readings, bool hold = false) {
        meter.setScript(std::move(readings), hold);
    }

    core::SharedState state;
    core::PollingCycle cycle{state, link};
};

} // namespace

class TestPollingCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startShowsPortAndSampling();
    void speedSearch_data();
    void speedSearch();
    void modelCaptions();
    void malformedLongFramesAreAskedAgainUncounted();
    void unknownDisplayCharacterShowsInitial();
    void rangeChangeRestartsMaxMin();
    void frequencyUnitChangeIsARangeChange();
    void recordingReply_data();
    void recordingReply();
    void meterOffAndOnRestartsTheLink();
    void lostDeviceComesBack();
    void tickIsNeverReentered();
    void actionWaitsForTheRunningTick();
};

void TestPollingCycle::startShowsPortAndSampling() {
    Bench b;
    QCOMPARE(b.port.settings(), QStringLiteral("1200,n,8,1"));
    QCOMPARE(b.state.texts.com, QStringLiteral("COM1"));
    QCOMPARE(b.state.texts.sampling, QStringLiteral("2 sec"));
    QVERIFY(b.state.link.alarmReloadRequest);
    QVERIFY(!b.state.link.meterConnected);
    QVERIFY(b.cycle.timer().isActive());
    QCOMPARE(b.cycle.timer().interval(), 300);
    QCOMPARE(b.cycle.timer().objectName(), QStringLiteral("Timer1"));
}

void TestPollingCycle::speedSearch_data() {
    QTest::addColumn<int>("meterBaud");
    QTest::addColumn<std::vector<int>>("requests");
    QTest::addColumn<int>("speedRounds");
    QTest::newRow("9600") << 9600 << repeated({{9600, 1}}) << 0;
    QTest::newRow("4800") << 4800 << repeated({{9600, 4}, {4800, 1}}) << 1;
    QTest::newRow("2400") << 2400 << repeated({{9600, 4}, {4800, 4}, {2400, 1}}) << 2;
    QTest::newRow("1200") << 1200 << repeated({{9600, 4}, {4800, 4}, {2400, 4}, {1200, 1}}) << 3;
}

void TestPollingCycle::speedSearch() {
    QFETCH(int, meterBaud);
    QFETCH(std::vector<int>, requests);
    QFETCH(int, speedRounds);
    Bench b(sim::Model::Short, meterBaud);
    b.script({value(sim::Model::Short, 2, "1.23")});
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), requests);
    QCOMPARE(b.state.link.speedRounds, speedRounds);
    QCOMPARE(b.state.link.baudRateNumber, meterBaud);
    QVERIFY(b.state.link.meterConnected);
    QCOMPARE(b.state.texts.value, QStringLiteral("1.23"));
    QCOMPARE(b.state.texts.function, QStringLiteral("DCV"));
    QCOMPARE(b.state.texts.range, QStringLiteral("20V"));

    // A connected meter is asked at its speed straight away.
    b.tap.clear();
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), repeated({{meterBaud, 1}}));
}

void TestPollingCycle::modelCaptions() {
    Bench shortMeter(sim::Model::Short);
    shortMeter.cycle.tick();
    QCOMPARE(shortMeter.state.texts.model, QStringLiteral("MQZ5081"));
    QVERIFY(shortMeter.state.link.shortFrameSeen);
    Bench longMeter(sim::Model::Long);
    longMeter.cycle.tick();
    QCOMPARE(longMeter.state.texts.model, QStringLiteral("HBQ750"));
    QVERIFY(longMeter.state.link.longFrameSeen);
}

void TestPollingCycle::malformedLongFramesAreAskedAgainUncounted() {
    Bench b(sim::Model::Long);
    QByteArray bad("*\x02 12.34\0\0\0\n", 12); // LF where the CR belongs
    b.script({sim::ScriptedReading::raw(bad), sim::ScriptedReading::raw(bad),
              sim::ScriptedReading::raw(bad), sim::ScriptedReading::raw(bad),
              sim::ScriptedReading::raw(bad), value(sim::Model::Long, 2, "5.55")},
             true);
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), repeated({{9600, 6}})); // no change of speed after four
    QCOMPARE(b.state.texts.value, QStringLiteral("5.55"));
}

void TestPollingCycle::unknownDisplayCharacterShowsInitial() {
    Bench b(sim::Model::Long);
    b.script({value(sim::Model::Long, 2, "1.00"), sim::ScriptedReading::display(2, " 1?.00")});
    b.cycle.tick();
    QCOMPARE(b.state.texts.max, QStringLiteral("1.00"));
    b.tap.clear();
    b.cycle.tick();
    QCOMPARE(b.state.texts.value, QStringLiteral("Initial"));
    QCOMPARE(b.state.texts.max, QStringLiteral("1.00")); // not compared in that tick
    QCOMPARE(b.tap.count("X"), 0);                       // the tick ends there
    // RESET while "Initial" shows: both bounds become "0" at the next reading.
    b.state.texts.max = b.state.texts.min = b.state.texts.value;
    b.cycle.tick();
    QCOMPARE(b.state.texts.value, QStringLiteral("1.00"));
    QCOMPARE(b.state.texts.max, QStringLiteral("0"));
    QCOMPARE(b.state.texts.min, QStringLiteral("0"));
}

void TestPollingCycle::rangeChangeRestartsMaxMin() {
    Bench b;
    b.script({value(sim::Model::Short, 2, "1.00"), value(sim::Model::Short, 2, "3.00"),
              value(sim::Model::Short, 3, "10.0"), value(sim::Model::Short, 3, "12.0")});
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        b.cycle.tick();
        seen << b.state.texts.max + u'/' + b.state.texts.min;
    }
    // The switch to 200V starts again from the last 20V reading shown.
    QCOMPARE(seen, (QStringList{"1.00/1.00", "3.00/1.00", "10.0/3.00", "12.0/3.00"}));
}

void TestPollingCycle::frequencyUnitChangeIsARangeChange() {
    Bench b;
    b.script({value(sim::Model::Short, 5, "1.000", true), value(sim::Model::Short, 5, "1.500", true),
              value(sim::Model::Short, 5, "123.4", false)});
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        b.cycle.tick();
        seen << b.state.texts.range + u' ' + b.state.texts.max + u'/' + b.state.texts.min;
    }
    QCOMPARE(seen, (QStringList{"1MHz 1.000/1.000", "1MHz 1.500/1.000", "1KHz 123.4/1.500"}));
}

void TestPollingCycle::recordingReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("recording");
    QTest::newRow("1, CR") << QByteArray("\x01\x0d", 2) << true;
    QTest::newRow("0, CR") << QByteArray("\x00\x0d", 2) << false;
    QTest::newRow("one byte") << QByteArray("\x01", 1) << false;
    QTest::newRow("longer, ends in 1") << QByteArray("\x00\x07\x01\x0d", 4) << true;
}

void TestPollingCycle::recordingReply() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, recording);
    platform::VirtualClock clock;
    FakePort port(clock);
    platform::ScriptedDialogs dialogs;
    link::Rs232 link(port, clock, dialogs);
    core::SharedState state;
    core::PollingCycle cycle(state, link);
    cycle.setAlarmSteps(nullptr); // this meter answers nothing but readings and "X"
    bool answered = false;
    port.setResponder([&](FakePort& p, const QByteArray& sent) {
        if (sent == " ") {
            p.reply(QByteArray("\x00\x02\x0b\x40\x0d", 5));
            answered = false;
        } else if (sent == "X" && !answered) {
            p.reply(reply, 0.25); // only after the second "X"
            answered = true;
        }
    });
    QVERIFY(cycle.start());
    state.texts.recordingShown = !recording;
    cycle.tick();
    QCOMPARE(state.link.recordingFlag, recording);
    QCOMPARE(state.texts.recordingShown, recording);
    int queries = 0;
    for (const auto& w : port.writes())
        queries += w.bytes == "X";
    QCOMPARE(queries, 2);
}

void TestPollingCycle::meterOffAndOnRestartsTheLink() {
    Bench b(sim::Model::Short, 2400);
    b.cycle.tick();
    QVERIFY(b.state.link.meterConnected);
    b.meter.setPowered(false);
    b.tap.clear();
    // Inside the wake-up loop the panel shows "No COM" with the six buttons
    // off; the meter comes back 30 s later.
    QString comMeanwhile;
    bool buttonsMeanwhile = true;
    bool timerMeanwhile = true;
    const double back = b.clock.monotonic() + 30;
    b.clock.at(back, [&] {
        comMeanwhile = b.state.texts.com;
        buttonsMeanwhile = b.state.texts.linkButtonsEnabled;
        timerMeanwhile = b.cycle.timer().isActive();
        b.meter.setPowered(true, back);
    });
    b.state.texts.highAlarm = QStringLiteral("1.000");
    b.cycle.tick();
    QCOMPARE(comMeanwhile, QStringLiteral("No COM"));
    QVERIFY(!buttonsMeanwhile);
    QVERIFY(!timerMeanwhile);
    // Two changes of speed were used up finding the meter at 2400: 4 requests
    // there, 4 at 1200, then the wake-up probes, still at 1200.
    const auto speeds = b.tap.requestSpeeds();
    QCOMPARE(std::vector<int>(speeds.begin(), speeds.begin() + 8),
             repeated({{2400, 4}, {1200, 4}}));
    QCOMPARE(speeds.back(), 1200);
    QVERIFY(speeds.size() > 100);
    QCOMPARE(b.state.texts.com, QStringLiteral("COM1"));
    QVERIFY(b.state.texts.linkButtonsEnabled);
    QVERIFY(b.cycle.timer().isActive());
    QVERIFY(b.state.texts.highAlarm.isEmpty());
    QCOMPARE(b.port.settings(), QStringLiteral("1200,n,8,1"));
    // The next tick searches from 9600 again and finds the meter at 2400.
    b.tap.clear();
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), repeated({{9600, 4}, {4800, 4}, {2400, 1}}));
}

void TestPollingCycle::lostDeviceComesBack() {
    Bench b;
    b.cycle.tick();
    b.port.setLost(true);
    QString comMeanwhile;
    b.clock.at(b.clock.monotonic() + 10, [&] {
        comMeanwhile = b.state.texts.com;
        b.port.setLost(false);
    });
    b.cycle.tick();
    QCOMPARE(comMeanwhile, QStringLiteral("No COM"));
    QCOMPARE(b.state.texts.com, QStringLiteral("COM1"));
    QVERIFY(b.cycle.timer().isActive());
    b.cycle.tick();
    QVERIFY(b.state.link.meterConnected);
}

void TestPollingCycle::tickIsNeverReentered() {
    Bench b;
    b.cycle.tick();
    b.tap.clear();
    // A timer tick arriving during each wait of the cycle.
    b.clock.afterEachWait([&] { b.cycle.tick(); });
    b.cycle.tick();
    b.clock.afterEachWait({});
    QCOMPARE(b.tap.count(" "), 1);
    QCOMPARE(b.tap.count("X"), 2);
}

void TestPollingCycle::actionWaitsForTheRunningTick() {
    Bench b;
    b.cycle.tick();
    b.tap.clear();
    int actions = 0;
    bool refused = false;
    // A click during the tick's first wait.
    b.clock.afterEachWait([&] {
        b.clock.afterEachWait({});
        QVERIFY(b.cycle.runExclusive([&] {
            ++actions;
            b.link.send("A");
        }));
        refused = !b.cycle.runExclusive([] {});
    });
    b.cycle.tick();
    QCOMPARE(actions, 1);
    QVERIFY(refused); // one action at a time
    // The tick ended at its wait: the request, then the action, no "X".
    QCOMPARE(b.tap.sent().size(), 2u);
    QCOMPARE(b.tap.sent()[1].bytes, QByteArray("A"));
    QVERIFY(b.cycle.timer().isActive());
}

QTEST_GUILESS_MAIN(TestPollingCycle)
#include "test_polling_cycle.moc"
