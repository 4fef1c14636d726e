// Alarm limits: the verdict rules, the bytes the alarm dialog writes, the
// load and check in the polling cycle, and the dialog's typing rules.
#include "core/AlarmLimits.h"
#include "ui/alarm/AlarmSetUp.h"
#include "ui/alarm/CharBox.h"
#include "link/MemoryMap.h"
#include "core/AlarmVerdict.h"
#include "core/MeterSession.h"
#include "ui/panel/Panel.h"
#include "support/SimulatedLink.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;
using core::ByteWrite;
using core::LimitBoxes;
using core::AlarmVerdict;

Q_DECLARE_METATYPE(AlarmVerdict)
Q_DECLARE_METATYPE(LimitBoxes)
Q_DECLARE_METATYPE(std::vector<ByteWrite>)

namespace {

LimitBoxes boxes(const char* sign, const char* d1, const char* d2, const char* d3,
                 const char* d4) {
    return {QString::fromLatin1(sign),
            {QString::fromLatin1(d1), QString::fromLatin1(d2), QString::fromLatin1(d3),
             QString::fromLatin1(d4)}};
}

sim::ScriptedReading reading(int code, const char* value) {
    const auto r = sim::ScriptedReading::fromValue(sim::Model::Short, code,
                                                   QString::fromLatin1(value), code == 5);
    if (!r)
        qFatal("the meter cannot show %s", value);
    return *r;
}

struct Bench : SimulatedLink {
    Bench() { panel.state().link.portLabel = QStringLiteral("COM1"); }

    // The meter's alarm bytes 49..54 from a mode, a code and two limit texts.
    void storeAlarm(int mode, int code, const char* low, const char* high) {
        meter.setMemory(link::address::AlarmMode, std::uint8_t(mode));
        meter.setMemory(link::address::AlarmCode, std::uint8_t(code));
        const auto put = [&](int address, const char* text) {
            const auto packed = sim::packValueText(QString::fromLatin1(text), true);
            QVERIFY(packed);
            meter.setMemory(address, packed->low);
            meter.setMemory(address + 1, packed->high);
        };
        put(link::address::AlarmLow, low);
        put(link::address::AlarmHigh, high);
    }
    // The alarm characters sent while the cycle ran `ticks` times.
    QByteArray verdicts(int ticks) {
        QByteArray sent;
        for (int i = 0; i < ticks; ++i) {
            tap.clear();
            panel.cycle().tick();
            for (const auto& s : tap.sent())
                if (s.bytes == "N" || s.bytes == "G")
                    sent += s.bytes;
        }
        return sent;
    }
    QLabel* label(const char* name) { return panel.findChild<QLabel*>(QString::fromLatin1(name)); }
    alarm::AlarmSetUp* openDialog() {
        panel.findChild<QPushButton*>(QStringLiteral("CmdAlarm"))->click();
        return panel.findChild<alarm::AlarmSetUp*>(QStringLiteral("AlarmSetUp"));
    }

    tarnix::core::MeterSession session{link, dialogs};
    panel::Panel panel{session, dialogs, printer};
};

QList<alarm::CharBox*> digitBoxes(QWidget* dialog, const char* name) {
    return dialog->findChildren<alarm::CharBox*>(QString::fromLatin1(name));
}

} // namespace

class TestAlarm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void verdict_data();
    void verdict();
    void writes_data();
    void writes();
    void resolution_data();
    void resolution();
    void startUpReadsTheLimitsInOrder();
    void verdictsSentToTheMeter_data();
    void verdictsSentToTheMeter();
    void outsideFlashesInTheValueDisplay();
    void otherRangeOrFrequencySkipsTheCheck();
    void dialogWritesTheLimits();
    void dialogTyping();
    void frequencyKeepsTheDialogShut();
};

void TestAlarm::verdict_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<AlarmVerdict>("verdict");
    const auto U = AlarmVerdict::Under, O = AlarmVerdict::Over, P = AlarmVerdict::Pass;
    QTest::newRow("negative overload") << "-OL" << "-1.000" << "1.000" << U;
    QTest::newRow("overload") << "OL" << "-1.000" << "1.000" << O;
    QTest::newRow("inside") << "0.500" << "-1.000" << "1.000" << P;
    QTest::newRow("at the high limit") << "1.000" << "-1.000" << "1.000" << O;
    QTest::newRow("at the low limit") << "-1.000" << "-1.000" << "1.000" << U;
    QTest::newRow("low -OL still catches 0") << "0.000" << "-OL" << "1.000" << U;
    QTest::newRow("low -OL, negative") << "-5.0" << "-OL" << "1.0" << U;
    QTest::newRow("low -OL passes before high") << "5.0" << "-OL" << "1.0" << P;
    QTest::newRow("low OL") << "5.0" << "OL" << "9.0" << U;
    QTest::newRow("high -OL") << "0.5" << "-1.0" << "-OL" << O;
    QTest::newRow("high OL") << "150.0" << "-1.0" << "OL" << P;
    QTest::newRow("above high") << "12.00" << "00.00" << "10.00" << O;
    QTest::newRow("number from a long frame") << "-0.123" << "-0.100" << "1" << U;
}

void TestAlarm::verdict() {
    QFETCH(QString, value);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(AlarmVerdict, verdict);
    QCOMPARE(core::alarmVerdict(value, low, high), verdict);
}

void TestAlarm::writes_data() {
    QTest::addColumn<bool>("arm");
    QTest::addColumn<int>("code");
    QTest::addColumn<LimitBoxes>("high");
    QTest::addColumn<LimitBoxes>("low");
    QTest::addColumn<int>("point");
    QTest::addColumn<std::vector<ByteWrite>>("writes");
    const LimitBoxes empty = boxes("", "", "", "", "");
    QTest::newRow("123.4 in 200mV") << true << 0 << boxes("+", "1", "2", "3", "4") << empty << 2
                                    << std::vector<ByteWrite>{{49, 150}, {50, 0}, {53, 19},
                                                              {54, 139}, {51, 1}, {52, 128}};
    QTest::newRow("-OL high, OL low") << true << 3 << boxes("-", "O", "L", "", "")
                                      << boxes("+", "O", "L", "", "") << 2
                                      << std::vector<ByteWrite>{{49, 150}, {50, 3}, {53, 14},
                                                                {51, 15}};
    QTest::newRow("disable") << false << 3 << boxes("-", "O", "L", "", "")
                             << boxes("+", "O", "L", "", "") << 2
                             << std::vector<ByteWrite>{{49, 0}, {50, 3}, {53, 14}, {51, 15}};
    QTest::newRow("empty dialog") << true << 0 << empty << empty << 2
                                  << std::vector<ByteWrite>{{49, 150}, {50, 0}, {53, 1},
                                                            {54, 128}, {51, 1}, {52, 128}};
    // Lowercase letters are digits 0, but box 1 holding anything but "0" is the leading 1.
    QTest::newRow("letters") << true << 1 << boxes("+", "l", "2", "o", "5") << empty << 3
                             << std::vector<ByteWrite>{{49, 150}, {50, 1}, {53, 19}, {54, 232},
                                                       {51, 1}, {52, 192}};
    QTest::newRow("negative low in 20V") << true << 2 << empty << boxes("-", "", "1", "0", "0")
                                         << 1
                                         << std::vector<ByteWrite>{{49, 150}, {50, 2}, {53, 1},
                                                                   {54, 64}, {51, 32}, {52, 64}};
}

void TestAlarm::writes() {
    QFETCH(bool, arm);
    QFETCH(int, code);
    QFETCH(LimitBoxes, high);
    QFETCH(LimitBoxes, low);
    QFETCH(int, point);
    QFETCH(std::vector<ByteWrite>, writes);
    QCOMPARE(core::alarmWrites(arm, code, high, low, point), writes);
}

void TestAlarm::resolution_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("times");
    QTest::addColumn<int>("point");
    QTest::newRow("200mV") << 0 << "X  0.1" << 2;
    QTest::newRow("2V") << 1 << "X  0.001" << 3;
    QTest::newRow("20V") << 2 << "X  0.01" << 1;
    QTest::newRow("1000V") << 4 << "X  1" << 0;
    QTest::newRow("FREQ") << 5 << "X  0.001" << 3;
    QTest::newRow("750V AC") << 132 << "X  1" << 0;
    QTest::newRow("200uA AC") << 176 << "X  0.1" << 2;
    QTest::newRow("unknown code keeps 0") << 7 << "X  0" << 0;
    QTest::newRow("HOLD keeps 0") << 255 << "X  0" << 0;
}

void TestAlarm::resolution() {
    QFETCH(int, code);
    QFETCH(QString, times);
    QFETCH(int, point);
    Bench b;
    b.panel.state().reading.functionCode = code;
    b.panel.state().reading.functionText = QStringLiteral("DCV");
    alarm::AlarmSetUp* dialog = b.openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("LblTimes"))->text(), times);
    QCOMPARE(dialog->pointPosition(), point);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Alarm SetUp"));
}

void TestAlarm::startUpReadsTheLimitsInOrder() {
    Bench b;
    b.storeAlarm(0, 1, "-1.000", "1.500");
    QVERIFY(b.panel.load());
    b.panel.cycle().tick();
    QByteArrayList reads;
    for (const QByteArray& c : b.meter.commands())
        if (c.startsWith('R'))
            reads << c;
    QCOMPARE(reads, (QByteArrayList{QByteArray("R\x31\0", 3), QByteArray("R\x32\0", 3),
                                    QByteArray("R\x33\0", 3), QByteArray("R\x34\0", 3),
                                    QByteArray("R\x35\0", 3), QByteArray("R\x36\0", 3)}));
    QCOMPARE(b.label("LblLowAlarm")->text(), QStringLiteral("-1.000"));
    QCOMPARE(b.label("LblHighAlarm")->text(), QStringLiteral("1.500"));
    // Loaded once: later ticks read nothing.
    b.meter.clearCommands();
    b.panel.cycle().tick();
    for (const QByteArray& c : b.meter.commands())
        QVERIFY(!c.startsWith('R'));
}

void TestAlarm::verdictsSentToTheMeter_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("not armed") << 0 << QByteArray("GNNNN");
    QTest::newRow("armed") << 150 << QByteArray();
    QTest::newRow("other mode byte") << 149 << QByteArray("GNNNN");
}

void TestAlarm::verdictsSentToTheMeter() {
    QFETCH(int, mode);
    QFETCH(QByteArray, sent);
    Bench b;
    b.storeAlarm(mode, 1, "-1.000", "1.000");
    b.meter.setScript({reading(1, "0.500"), reading(1, "1.500"), reading(1, "-1.500"),
                       reading(1, "OL"), reading(1, "-OL")});
    QVERIFY(b.panel.load());
    QCOMPARE(b.verdicts(5), sent);
    const bool armed = mode == 150;
    QCOMPARE(b.panel.state().texts.alarmColour,
             armed ? core::AlarmColour::Armed : core::AlarmColour::NotArmed);
    for (const char* name : {"PlHigh", "PlLow"}) {
        const QString style = b.panel.findChild<QWidget*>(QString::fromLatin1(name))->styleSheet();
        QVERIFY2(style.contains(armed ? QStringLiteral("#ff0000")
                                      : b.panel.palette().color(QPalette::HighlightedText).name()),
                 qPrintable(style));
    }
}

void TestAlarm::outsideFlashesInTheValueDisplay() {
    Bench b;
    b.storeAlarm(0, 1, "-1.000", "1.000");
    b.meter.setScript({reading(1, "1.500")});
    QVERIFY(b.panel.load());
    QStringList shown;
    b.clock.afterEachWait([&] {
        const QString text = b.label("LblVal")->text();
        if (shown.isEmpty() || shown.back() != text)
            shown << text;
    });
    b.panel.cycle().tick();
    b.clock.afterEachWait({});
    QVERIFY2(shown.contains(QStringLiteral("OVER")), qPrintable(shown.join(u',')));
    QCOMPARE(b.label("LblVal")->text(), QStringLiteral("1.500"));
}

void TestAlarm::otherRangeOrFrequencySkipsTheCheck() {
    Bench b;
    b.storeAlarm(0, 2, "-1.00", "1.00"); // set for 20V
    b.meter.setScript({reading(1, "1.500")});
    QVERIFY(b.panel.load());
    QCOMPARE(b.verdicts(2), QByteArray());
    QCOMPARE(b.panel.state().texts.alarmColour, core::AlarmColour::NotArmed);

    Bench f;
    f.storeAlarm(0, 5, "000", "000"); // set for FREQ: still skipped
    f.meter.setScript({reading(5, "1.500")});
    QVERIFY(f.panel.load());
    QCOMPARE(f.verdicts(2), QByteArray());
    QCOMPARE(f.panel.state().texts.alarmColour, core::AlarmColour::Unset);
}

void TestAlarm::dialogWritesTheLimits() {
    Bench b;
    b.meter.setScript({reading(0, "-12.3")}); // DCV 200mV
    QVERIFY(b.panel.load());
    b.panel.cycle().tick();
    QPointer<alarm::AlarmSetUp> dialog = b.openDialog();
    QVERIFY(dialog);
    QTest::keyClicks(dialog->findChild<alarm::CharBox*>(QStringLiteral("TxtHighSign")), "+");
    const auto high = digitBoxes(dialog, "TxtHighAlarm");
    QCOMPARE(high.size(), 4);
    for (int i = 0; i < 4; ++i)
        QTest::keyClicks(high[i], QString::number(i + 1));
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("High Alarm value completed!")});
    b.tap.clear();
    dialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QTRY_VERIFY(!dialog); // closed and deleted
    QByteArrayList sent;
    for (const auto& s : b.tap.sent())
        sent << s.bytes;
    const auto w = [](int a, int v) { return QByteArray(1, char(a)) + '\0' + char(v); };
    QCOMPARE(sent, (QByteArrayList{"W", w(49, 150), "W", w(50, 0), "W", w(53, 19), "W",
                                   w(54, 139), "W", w(51, 1), "W", w(52, 128)}));
    QVERIFY(b.panel.state().link.alarmReloadRequest);
    QVERIFY(b.panel.cycle().timer().isActive());
    b.panel.cycle().tick();
    QCOMPARE(b.label("LblHighAlarm")->text(), QStringLiteral("123.4"));
    QCOMPARE(b.label("LblLowAlarm")->text(), QStringLiteral("00.0"));
}

void TestAlarm::dialogTyping() {
    Bench b;
    b.panel.state().reading.functionCode = 0;
    alarm::AlarmSetUp* dialog = b.openDialog();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    auto* sign = dialog->findChild<alarm::CharBox*>(QStringLiteral("TxtLowSign"));
    const auto low = digitBoxes(dialog, "TxtLowAlarm");
    sign->setFocus();
    QTest::keyClicks(sign, "5x");
    QCOMPARE(sign->text(), QString());
    QTest::keyClicks(sign, "-");
    QCOMPARE(sign->text(), QStringLiteral("-"));
    QCOMPARE(QApplication::focusWidget(), low[0]);
    QTest::keyClicks(low[0], "x+");
    QCOMPARE(low[0]->text(), QString());
    QTest::keyClicks(low[0], "O");
    QCOMPARE(QApplication::focusWidget(), low[1]);
    QTest::keyClicks(low[1], "L");
    QTest::keyClicks(low[2], "l");
    QVERIFY(b.dialogs.messages().empty());
    QTest::keyClicks(low[3], "9");
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Low Alarm value completed!")});
    QTest::mouseClick(low[3], Qt::LeftButton); // empties it, says nothing
    QCOMPARE(low[3]->text(), QString());
    QCOMPARE(b.dialogs.messages().size(), 1u);
    QTest::mouseClick(sign, Qt::LeftButton);
    QCOMPARE(sign->text(), QString());
}

void TestAlarm::frequencyKeepsTheDialogShut() {
    Bench b;
    b.panel.state().reading.functionText = QStringLiteral("FREQ");
    QVERIFY(!b.openDialog());
    b.panel.state().reading.functionText = QStringLiteral("DCV");
    QPointer<alarm::AlarmSetUp> dialog = b.openDialog();
    QVERIFY(dialog);
    b.panel.state().reading.functionText = QStringLiteral("FREQ"); // the meter switched meanwhile
    b.tap.clear();
    dialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QTRY_VERIFY(!dialog); // closed and deleted
    QVERIFY(b.tap.sent().empty());
}

QTEST_MAIN(TestAlarm)
#include "test_alarm.moc"
