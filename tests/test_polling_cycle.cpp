// The polling cycle against the simulated meter on the virtual clock: the
// speed search, frames into the panel texts, the recording query, the
// restart of the link, and how a tick shares the wire with other actions.
#include "core/MeterActions.h"
#include "core/PollingCycle.h"
#include "core/SharedState.h"
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

sim::ScriptedReading value(int code, const char* text, sim::Model model = sim::Model::Short,
                           bool mhz = false) {
    return sim::ScriptedReading::fromValue(model, code, QString::fromLatin1(text), mhz).value();
}

struct Bench : SimulatedLink {
    explicit Bench(sim::Model model = sim::Model::Short, int baud = 9600)
        : SimulatedLink(model, baud) {
        state.link.portLabel = QStringLiteral("COM1");
        QVERIFY(cycle.start());
    }

    core::SharedState state;
    core::PollingCycle cycle{state, link};
};

} // namespace

class TestPollingCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void speedSearch_data();
    void speedSearch();
    void malformedLongFramesAreAskedAgainUncounted();
    void unknownDisplayCharacterShowsInitial();
    void rangeChangeRestartsMaxMin();
    void recordingReply_data();
    void recordingReply();
    void meterOffAndOnRestartsTheLink_data();
    void meterOffAndOnRestartsTheLink();
    void tickIsNeverReentered_data();
    void tickIsNeverReentered();
    void actionWaitsForTheRunningTick_data();
    void actionWaitsForTheRunningTick();
    void actionsSayWhetherTheyStarted();
};

void TestPollingCycle::speedSearch_data() {
    QTest::addColumn<int>("meterBaud");
    QTest::addColumn<std::vector<int>>("requests");
    QTest::newRow("9600") << 9600 << repeated({{9600, 1}});
    QTest::newRow("1200") << 1200 << repeated({{9600, 4}, {4800, 4}, {2400, 4}, {1200, 1}});
}

void TestPollingCycle::speedSearch() {
    QFETCH(int, meterBaud);
    Bench b(sim::Model::Short, meterBaud);
    b.meter.setScript({value(2, "1.23")});
    b.cycle.tick();
    QTEST(b.tap.requestSpeeds(), "requests");
    QCOMPARE(b.state.texts.value, QStringLiteral("1.23"));
    // A connected meter is asked at its speed straight away.
    b.tap.clear();
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), repeated({{meterBaud, 1}}));
}

void TestPollingCycle::malformedLongFramesAreAskedAgainUncounted() {
    Bench b(sim::Model::Long);
    QByteArray bad("*\x02 12.34\0\0\0\n", 12); // LF where the CR belongs
    const auto raw = sim::ScriptedReading::raw(bad);
    b.meter.setScript({raw, raw, raw, raw, raw, value(2, "5.55", sim::Model::Long)}, true);
    b.cycle.tick();
    QCOMPARE(b.tap.requestSpeeds(), repeated({{9600, 6}})); // no change of speed after four
    QCOMPARE(b.state.texts.value, QStringLiteral("5.55"));
    QCOMPARE(b.state.texts.model, QStringLiteral("HBQ750"));
}

void TestPollingCycle::unknownDisplayCharacterShowsInitial() {
    Bench b(sim::Model::Long);
    b.meter.setScript({value(2, "1.00", sim::Model::Long),
                       sim::ScriptedReading::display(2, " 1?.00")}); // "?" is no digit
    b.cycle.tick();
    b.tap.clear();
    b.cycle.tick();
    QCOMPARE(b.state.texts.value, QStringLiteral("Initial"));
    QVERIFY(b.state.link.readingCurrent); // what the meter shows now, and is recorded
    QCOMPARE(b.state.texts.max, QStringLiteral("1.00")); // not compared in that tick
    QCOMPARE(b.tap.count("X"), 0);                       // the tick ends there
}

// A new range, or a new unit of FREQ, starts again from the last reading shown.
void TestPollingCycle::rangeChangeRestartsMaxMin() {
    Bench b;
    const auto mhz = [](const char* text) { return value(5, text, sim::Model::Short, true); };
    b.meter.setScript({value(2, "1.00"), value(2, "3.00"), value(3, "10.0"), mhz("1.000"),
                       mhz("1.500"), value(5, "123.4")});
    QStringList seen;
    for (int i = 0; i < 6; ++i) {
        b.cycle.tick();
        seen << b.state.texts.range + u' ' + b.state.texts.max + u'/' + b.state.texts.min;
    }
    QCOMPARE(seen, (QStringList{"20V 1.00/1.00", "20V 3.00/1.00", "200V 10.0/3.00",
                                "1MHz 10.0/1.000", "1MHz 10.0/1.000", "1KHz 123.4/1.500"}));
    // A long frame's frequency takes its unit after the alarm load; the measurement too.
    Bench l(sim::Model::Long);
    l.meter.setScript({value(5, "123.4", sim::Model::Long)});
    l.cycle.tick();
    QCOMPARE(l.state.measurement.baseText + l.state.measurement.unit, QStringLiteral("123400Hz"));
}

void TestPollingCycle::recordingReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("clickAtWait"); // a click during this wait of the tick; 0: none
    QTest::addColumn<int>("writes");      // what the PC sent: the request, "X", the click's byte
    QTest::newRow("1, CR") << QByteArray("\x01\x0d", 2) << true << 0 << 3;
    QTest::newRow("0, CR") << QByteArray("\x00\x0d", 2) << false << 0 << 3;
    QTest::newRow("one byte") << QByteArray("\x01", 1) << false << 0 << 3;
    QTest::newRow("longer, ends in 1") << QByteArray("\x00\x07\x01\x0d", 4) << true << 0 << 3;
    QTest::newRow("none: asked 15 times") << QByteArray() << false << 0 << 16;
    QTest::newRow("none, a click at the first X") << QByteArray() << false << 4 << 3;
    QTest::newRow("none, a click at the second X") << QByteArray() << false << 5 << 4;
}

void TestPollingCycle::recordingReply() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, recording);
    QFETCH(int, clickAtWait);
    QFETCH(int, writes);
    platform::VirtualClock clock;
    FakePort port(clock);
    platform::ScriptedDialogs dialogs;
    link::Rs232 link(port, clock, dialogs);
    core::SharedState state;
    core::PollingCycle cycle(state, link);
    cycle.setAlarmSteps(nullptr); // this meter answers nothing but readings and "X"
    bool answered = false;
    port.setResponder([&](FakePort& p, const QByteArray& sent) {
        if (sent == " ")
            p.reply(QByteArray("\x00\x02\x0b\x40\x0d", 5));
        else if (sent == "X" && !std::exchange(answered, true))
            p.reply(reply, 0.25); // late: it comes in after the second "X"
    });
    QVERIFY(cycle.start());
    state.texts.recordingShown = !recording;
    // A meter that goes quiet after its frame leaves no reading current: no
    // recording line claims one while "X" is asked again.
    bool currentMeanwhile = true;
    clock.at(clock.monotonic() + 1.0, [&] { currentMeanwhile = state.link.readingCurrent; });
    // A click gets the wire at the end of the wait it came in.
    double clickedAt = 0, actionAt = 0;
    clock.afterEachWait([&] {
        if (clock.waitCount() != clickAtWait)
            return;
        clickedAt = clock.monotonic();
        QVERIFY(cycle.runExclusive([&] {
            actionAt = clock.monotonic();
            link.send("A");
        }));
    });
    cycle.tick();
    if (!clickAtWait) // otherwise the question is left open
        QCOMPARE(state.texts.recordingShown && state.link.recordingFlag, recording);
    QCOMPARE(port.writes().size(), std::size_t(writes));
    QCOMPARE(actionAt, clickedAt);
    QCOMPARE(currentMeanwhile, !reply.isEmpty() || clickAtWait);
    QCOMPARE(state.link.readingCurrent, !reply.isEmpty() || clickAtWait);
}

void TestPollingCycle::meterOffAndOnRestartsTheLink_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<bool>("portLost"); // else the meter is switched off
    for (const int baud : {9600, 4800, 2400, 1200})
        QTest::addRow("meter at %d", baud) << baud << false;
    QTest::newRow("device gone") << 9600 << true;
}

// A meter switched off at any speed, or its device gone: "No COM" with the
// link's buttons off, then polled again within about two seconds of coming
// back, its limits read again.
void TestPollingCycle::meterOffAndOnRestartsTheLink() {
    QFETCH(int, baud);
    QFETCH(bool, portLost);
    Bench b(sim::Model::Short, baud);
    b.cycle.tick();
    portLost ? b.port.setLost(true) : b.meter.setPowered(false);
    QString comMeanwhile;
    bool buttonsMeanwhile = true, actionMeanwhile = true;
    const double on = b.clock.monotonic() + 15;
    b.clock.at(on, [&] {
        comMeanwhile = b.state.texts.com;
        buttonsMeanwhile = b.state.texts.linkButtonsEnabled;
        actionMeanwhile = b.cycle.runExclusive([] {}); // a click does not end the wait
        portLost ? b.port.setLost(false) : b.meter.setPowered(true, on);
    });
    b.clock.at(on + 10, [&] { b.clock.stop(); }); // a meter never found fails, not hangs
    b.state.texts.highAlarm = QStringLiteral("1.000");
    b.cycle.tick();
    QCOMPARE(comMeanwhile, QStringLiteral("No COM"));
    QVERIFY(!buttonsMeanwhile && !actionMeanwhile);
    QVERIFY2(b.clock.monotonic() - on < 2.5, qPrintable(QString::number(b.clock.monotonic() - on)));
    QCOMPARE(b.state.texts.com, QStringLiteral("COM1"));
    QVERIFY(b.state.texts.linkButtonsEnabled && b.cycle.timer().isActive());
    QVERIFY(b.state.texts.highAlarm.isEmpty());
    QVERIFY(b.state.link.alarmReloadRequest);
    b.cycle.tick();
    QVERIFY(b.state.link.meterConnected);
}

void TestPollingCycle::tickIsNeverReentered_data() {
    QTest::addColumn<bool>("inAction");
    QTest::newRow("during a tick") << false;
    QTest::newRow("during an action") << true;
}

void TestPollingCycle::tickIsNeverReentered() {
    QFETCH(bool, inAction);
    Bench b;
    b.cycle.tick();
    b.tap.clear();
    bool refused = false;
    // A timer tick arriving during the first wait; during an action, a click too.
    b.clock.afterEachWait([&] {
        b.clock.afterEachWait({});
        b.cycle.tick();
        refused = inAction && !b.cycle.runExclusive([] {});
    });
    if (inAction)
        QVERIFY(b.cycle.runExclusive([&] { QVERIFY(b.clock.wait(0.5)); }));
    else
        b.cycle.tick();
    QCOMPARE(refused, inAction);
    QCOMPARE(b.tap.count(" "), inAction ? 0 : 1);
    QCOMPARE(b.tap.count("X"), inAction ? 0 : 2);
}

void TestPollingCycle::actionWaitsForTheRunningTick_data() {
    QTest::addColumn<int>("wait"); // the wait of the tick the click comes in
    QTest::newRow("the request's pause") << 1;
    QTest::newRow("the pause after the frame") << 2;
}

void TestPollingCycle::actionWaitsForTheRunningTick() {
    QFETCH(int, wait);
    Bench b;
    b.meter.setScript({value(5, "1.000")}, true); // FREQ: no alarm check ends the tick
    b.cycle.tick();
    b.tap.clear();
    bool accepted = false, refused = false;
    // A click during a wait of the tick: the tick ends there, then the action runs.
    int waits = 0;
    b.clock.afterEachWait([&] {
        if (++waits < wait)
            return;
        b.clock.afterEachWait({});
        accepted = b.cycle.runExclusive([&] { b.link.send("A"); });
        refused = !b.cycle.runExclusive([] {}); // one action at a time
    });
    b.cycle.tick();
    QVERIFY(accepted && refused);
    QCOMPARE(b.tap.sent().size(), 2u); // the request, then the action, no "X"
    QCOMPARE(b.tap.sent()[1].bytes, QByteArray("A"));
    QVERIFY(b.cycle.timer().isActive());
}

// Each action says whether it started, and a refused one says why: while the
// logger records (its clock and header only), or while another holds the wire.
void TestPollingCycle::actionsSayWhetherTheyStarted() {
    using Act = std::function<bool(core::MeterActions&)>;
    const std::pair<Act, bool> actions[] = {{[](auto& a) { return a.pressValueKey(); }, false},
                                            {[](auto& a) { return a.pressRecMode(); }, false},
                                            {[](auto& a) { return a.pressModelButton(); }, false},
                                            {[](auto& a) { return a.setLoggerClock(); }, true},
                                            {[](auto& a) { return a.readLoggerHeader({}); }, true}};
    for (const auto& [act, logger] : actions)
        for (const QString state : {"idle", "recording", "busy"}) {
            Bench b;
            b.cycle.tick(); // the meter found at its speed
            core::MeterActions meterActions(b.state, b.cycle, b.link, b.dialogs);
            b.state.link.recordingFlag = state == u"recording";
            bool started = false;
            if (state == u"busy")
                QVERIFY(b.cycle.runExclusive([&] { started = act(meterActions); }));
            else
                started = act(meterActions);
            const bool refused = state == u"busy" || (logger && state == u"recording");
            QCOMPARE(started, !refused);
            const QString why = state == u"busy" ? core::BusyMessage : core::RecordingRefusal;
            QCOMPARE(b.dialogs.messageTexts(), refused ? QStringList{why} : QStringList{});
        }
}

QTEST_GUILESS_MAIN(TestPollingCycle)
#include "test_polling_cycle.moc"
