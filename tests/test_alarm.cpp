// Alarm limits: the verdict rules, the check in the polling cycle, the alarm
// dialog, and the command a recording runs on a change of state.
#include "core/AlarmCommand.h"
#include "core/AlarmVerdict.h"
#include "core/CommandOutput.h"
#include "link/Commands.h"
#include "meter/FunctionRange.h"
#include "meter/Measurement.h"
#include "meter/LeadingNumber.h"
#include "meter/PackedReading.h"
#include "ui/alarm/AlarmSetUp.h"
#include "ui/alarm/CharBox.h"
#include "support/DataRow.h"
#include "support/FileBytes.h"
#include "support/PanelBench.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnix;
using core::AlarmColour;
using core::AlarmVerdict;

Q_DECLARE_METATYPE(AlarmVerdict)
Q_DECLARE_METATYPE(AlarmColour)

namespace {

sim::ScriptedReading reading(int code, const char* value) {
    const QString text = QString::fromLatin1(value);
    return sim::ScriptedReading::fromValue(sim::Model::Short, code, text, code == 5).value();
}

struct Bench : PanelBench {
    Bench() { QVERIFY(panel.load()); } // the port is open: every write is seen
    // Limits of -1.000 .. 1.000 in the meter, for the range with this code.
    void setLimits(int mode, int code) {
        meter.setMemory(49, std::uint8_t(mode));
        meter.setMemory(50, std::uint8_t(code));
        for (const auto& [address, text] : {std::pair{51, "-1.000"}, std::pair{53, "1.000"}}) {
            const auto packed = sim::packValueText(QString::fromLatin1(text), true);
            meter.setMemory(address, packed->low);
            meter.setMemory(address + 1, packed->high);
        }
    }
    ui::AlarmSetUp* openDialog() {
        panel.findChild<QPushButton*>(QStringLiteral("CmdAlarm"))->click();
        return panel.findChild<ui::AlarmSetUp*>(QStringLiteral("AlarmSetUp"));
    }
};

} // namespace

class TestAlarm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void verdict_data();
    void verdict();
    void verdictsSentToTheMeter_data();
    void verdictsSentToTheMeter();
    void flashCutShortByALostPort();
    void dialogWrites_data();
    void dialogWrites();
    void frequencyKeepsTheDialogShut();
    void limitsTheMeterWillNotGiveAreAskedOnce();
    void everyRangeHasItsLimitsResolution();
    void alarmCommandRunsForTheLatestState_data();
    void alarmCommandRunsForTheLatestState();
    void commandOutputLines_data();
    void commandOutputLines();
};

void TestAlarm::verdict_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<AlarmVerdict>("verdict");
    const auto U = AlarmVerdict::Under, O = AlarmVerdict::Over, P = AlarmVerdict::Pass;
    QTest::newRow("negative overload") << "-OL" << "-1.000" << "1.000" << U;
    QTest::newRow("overload") << "OL" << "-1.000" << "1.000" << O;
    QTest::newRow("at the high limit") << "1.000" << "-1.000" << "1.000" << O;
    // "-OL" low and "OL" high only remove their own bound.
    QTest::newRow("low -OL: 0 passes") << "0.000" << "-OL" << "1.000" << P;
    QTest::newRow("low -OL: -OL passes") << "-OL" << "-OL" << "1.000" << P;
    QTest::newRow("low -OL keeps the high check") << "5.0" << "-OL" << "1.0" << O;
    QTest::newRow("high OL: OL passes") << "OL" << "-1.0" << "OL" << P;
    QTest::newRow("low OL") << "5.0" << "OL" << "9.0" << U;
    QTest::newRow("high -OL") << "0.5" << "-1.0" << "-OL" << O;
    QTest::newRow("high OL") << "150.0" << "-1.0" << "OL" << P;
    QTest::newRow("number from a long frame") << "-0.123" << "-0.100" << "1" << U;
}

void TestAlarm::verdict() {
    QFETCH(QString, value);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(AlarmVerdict, verdict);
    QCOMPARE(core::alarmVerdict(meter::shownOf(value), meter::shownOf(low), meter::shownOf(high)),
             verdict);
    // A recorded sample carries it, under the limits of its own function and range only.
    core::AlarmState alarm{.low = low, .high = high, .lowShown = meter::shownOf(low),
                           .highShown = meter::shownOf(high), .functionCode = 7};
    const char* const said[] = {"\"alarm\":\"under\"", "\"alarm\":\"over\"", "\"alarm\":\"ok\""};
    const auto json = [&](int code) {
        meter::Measurement m = meter::measurementFromTexts("DCV", "2V", value);
        m.functionCode = code;
        return records::readingJson(1, {}, m, core::sampleAlarm(alarm, m));
    };
    QVERIFY(json(7).contains(said[int(verdict)]) && json(8).contains("\"alarm\":null"));
    alarm.unread = true; // limits that could not be read check nothing
    QVERIFY(json(7).contains("\"alarm\":null"));
}

void TestAlarm::verdictsSentToTheMeter_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("limitCode"); // the range the limits were set for
    QTest::addColumn<int>("code");      // the range of the readings
    QTest::addColumn<QString>("seen");
    QTest::addColumn<AlarmColour>("colour");
    QTest::newRow("not armed") << 0 << 1 << 1 << "G N N OVER UNDER" << AlarmColour::NotArmed;
    QTest::newRow("armed") << 150 << 1 << 1 << "OVER UNDER" << AlarmColour::Armed;
    QTest::newRow("other mode") << 149 << 1 << 1 << "G N N OVER UNDER" << AlarmColour::NotArmed;
    QTest::newRow("other range") << 0 << 2 << 1 << "" << AlarmColour::NotArmed;
    QTest::newRow("FREQ") << 0 << 5 << 5 << "" << AlarmColour::Unset;
}

void TestAlarm::verdictsSentToTheMeter() {
    QFETCH(int, mode);
    QFETCH(int, limitCode);
    QFETCH(int, code);
    QFETCH(AlarmColour, colour);
    Bench b;
    b.setLimits(mode, limitCode);
    const char* last = code == 5 ? "1.000" : "-1.500"; // FREQ has no sign
    b.meter.setScript({reading(code, "0.500"), reading(code, "1.500"), reading(code, last)});
    QStringList shown; // the value display after each wait
    b.clock.afterEachWait([&] { shown << b.find("LblVal")->text(); });
    for (int i = 0; i < 3; ++i)
        b.panel.cycle().tick();
    b.clock.afterEachWait({});
    QStringList told; // "G" inside, "N" outside, then the flashes
    for (const auto& s : b.tap.sent())
        if (s.bytes == "G" || s.bytes == "N")
            told << QString::fromLatin1(s.bytes);
    shown.removeDuplicates();
    told << shown.filter(QRegularExpression(QStringLiteral("^(OVER|UNDER)$")));
    QTEST(told.join(u' '), "seen");
    QCOMPARE(b.find("LblVal")->text(), QString::fromLatin1(last)); // the flash ends
    QCOMPARE(b.panel.state().texts.alarmColour, colour);
    // Red under HIGHER and LOWER only while the meter's own alarm is armed.
    for (const char* name : {"PlHigh", "PlLow"}) { // as painted, not as asked for
        const QImage image = b.panel.findChild<QWidget*>(name)->grab().toImage();
        const int red = image.pixelColor(image.width() - 3, image.height() / 2) == QColor(Qt::red);
        QCOMPARE(bool(red), colour == AlarmColour::Armed);
    }
    // The high limit under HIGHER, the low one under LOWER.
    QCOMPARE(b.find("LblHighAlarm")->text() + u' ' + b.find("LblLowAlarm")->text(),
             QStringLiteral("1.000 -1.000"));
}

// The port goes away while "OVER" is shown: the display goes back to the
// reading before it, not left on the flash.
void TestAlarm::flashCutShortByALostPort() {
    Bench b;
    b.setLimits(0, 1);
    b.meter.setScript({reading(1, "0.500"), reading(1, "1.500")});
    b.clock.afterEachWait([&] {
        if (b.find("LblVal")->text() == u"OVER")
            b.port.setLost(true);
    });
    b.panel.cycle().tick();
    const QString before = b.find("LblVal")->text();
    b.panel.cycle().tick();
    b.clock.afterEachWait({});
    QVERIFY(b.port.isLost());
    QCOMPARE(b.find("LblVal")->text(), before);
}

void TestAlarm::dialogWrites_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("high"); // sign and four boxes; a blank is an empty box
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("writes"); // mode 0 to 49: DISABLE, else ENABLE
    row("123.4 in 200mV", 0, "+1234", "", "X  0.1", "49=150 50=0 53=19 54=139 51=1 52=128");
    row("OL limits, disarmed", 3, "-OL", "+OL", "X  0.1", "49=0 50=3 53=14 51=15");
    // Lowercase letters are digits 0, but box 1 holding anything but "0" is the leading 1.
    row("letters in 2V", 1, "+l2o5", "", "X  0.001", "49=150 50=1 53=19 54=232 51=1 52=192");
    row("negative low in 20V", 2, "", "-0100", "X  0.01", "49=150 50=2 53=1 54=64 51=32 52=64");
    row("1000V", 4, "", "", "X  1", "49=150 50=4 53=1 54=0 51=1 52=0");
}

void TestAlarm::dialogWrites() {
    QFETCH(int, code);
    QFETCH(QString, high);
    QFETCH(QString, low);
    QFETCH(QString, writes);
    Bench b;
    b.panel.cycle().tick(); // the limits are loaded
    b.panel.state().reading.functionCode = code;
    QPointer<ui::AlarmSetUp> dialog = b.openDialog();
    QTEST(dialog->findChild<QLabel*>(QStringLiteral("LblTimes"))->text(), "times");
    // Each box is first typed a key it refuses.
    for (const auto& [row, limit] : {std::pair{"High", high}, std::pair{"Low", low}}) {
        auto boxes = dialog->findChildren<ui::CharBox*>(QStringLiteral("Txt%1Alarm").arg(row));
        for (int i = 0; i < 4; ++i) // four boxes of one name, told apart by their index
            QCOMPARE(boxes[i]->property("index"), QVariant(i + 1));
        boxes.prepend(dialog->findChild<ui::CharBox*>(QStringLiteral("Txt%1Sign").arg(row)));
        for (int i = 0; i < limit.size(); ++i)
            if (limit[i] != u' ')
                QTest::keyClicks(boxes[i], (i == 0 ? "5x" : "x+") + limit.mid(i, 1));
        QTest::keyClick(boxes[0], Qt::Key_Backspace); // the sign is only ever replaced
    }
    // "... value completed!" over the dialog, for each limit whose last box was typed.
    QCOMPARE(b.dialogs.messages().size(), std::size_t((high.size() == 5) + (low.size() == 5)));
    for (const auto& told : b.dialogs.messages())
        QVERIFY2(told.window == dialog, qPrintable(told.text));
    const char* button = writes.startsWith(u"49=0 ") ? "CmdDisable" : "CmdOK";
    dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    QStringList sent;
    for (const auto& s : b.tap.sent())
        if (s.bytes.size() == 3) // after each "W": address, 0, value
            sent << QStringLiteral("%1=%2").arg(int(s.bytes[0])).arg(std::uint8_t(s.bytes[2]));
    QCOMPARE(sent.join(u' '), writes);
    QVERIFY(b.panel.state().link.alarmReloadRequest); // the panel shows the new limits next
    QVERIFY(!dialog->isVisible());
}

void TestAlarm::frequencyKeepsTheDialogShut() {
    Bench b;
    b.panel.state().reading.functionText = QStringLiteral("FREQ");
    QVERIFY(!b.openDialog());
    b.panel.state().reading.functionText = QStringLiteral("DCV");
    ui::AlarmSetUp* dialog = b.openDialog();
    b.panel.state().reading.functionText = QStringLiteral("FREQ"); // the meter switched meanwhile
    dialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(b.tap.sent().empty());
    // OK while another action holds the wire: told so, and the dialog stays to try again.
    b.panel.state().reading.functionText = QStringLiteral("DCV");
    QVERIFY(b.panel.cycle().runExclusive([&] { dialog->findChild<QPushButton*>("CmdOK")->click(); }));
    QVERIFY(dialog->isEnabled() && b.dialogs.messageTexts() == QStringList{core::BusyMessage});
}

// A meter that answers readings but not memory reads: the load gives up after three
// time-outs in a row without a box, once, and the readings go on unchecked until a
// later load succeeds.
void TestAlarm::limitsTheMeterWillNotGiveAreAskedOnce() {
    Bench b;
    b.meter.setReadReplyLength(0);
    QSignalSpy unread(&b.panel.cycle(), &core::PollingCycle::alarmLimitsUnread);
    for (int i = 0; i < 3; ++i)
        b.panel.cycle().tick();
    QVERIFY(b.dialogs.messageTexts().isEmpty());
    QCOMPARE(b.tap.count("R"), 3);
    QCOMPARE(unread.count(), 1);
    QVERIFY(b.panel.state().link.readingCurrent && b.panel.state().alarm.unread);
    b.meter.setReadReplyLength(3); // answering, once the link was lost and found again
    b.panel.state().link.alarmReloadRequest = true;
    b.panel.cycle().tick();
    const int reads = b.tap.count("R");
    b.panel.cycle().tick(); // read once, not again at every tick
    QVERIFY(!b.panel.state().alarm.unread && b.tap.count("R") == reads);
}

// A limit's last digit steps by the range's resolution: 1999 counts fill the range.
void TestAlarm::everyRangeHasItsLimitsResolution() {
    for (const auto& e : meter::functionRangeTable()) {
        const auto r = core::resolutionForCode(e.code);
        QVERIFY2(r.has_value() == (e.function != QLatin1String("HOLD")), e.range);
        const double full = meter::leadingNumber(QString::fromLatin1(e.range));
        if (!r || !(full > 0)) // frequencies have no alarm
            continue;
        QVERIFY2(r->step * 2000 >= full && r->step * 200 < full, e.range);
        const meter::PackedFields most{true, true, 9, 9, 9, r->point};
        QVERIFY2(qFuzzyCompare(meter::packedDigitsText(most).toDouble(), 1999 * r->step), e.range);
    }
}

// One command at a time: changes while it runs leave only the latest waiting;
// a command past its limit, or a shell that ends, is stopped with everything
// it started; its output is said in bounds.
void TestAlarm::alarmCommandRunsForTheLatestState_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("states"); // each sample's alarm state, fed at once
    QTest::addColumn<QString>("ran");    // what the commands wrote
    QTest::addColumn<QString>("said");
    row("latest wins",
        "echo $TARNIX_ALARM $TARNIX_VALUE $TARNIX_UNIT $TARNIX_DISPLAY $TARNIX_PORT >> ran",
        "0 2 2 3 1 2", "over 1234000 Ohm 1.234 SIM\nover 1234000 Ohm 1.234 SIM\n",
        "on-alarm (over): exit status 0|on-alarm (over): exit status 0");
    // "Initial" holds no number: the state before it stands.
    row("Initial between two overs", "echo $TARNIX_ALARM >> ran", "2 I 2", "over\n",
        "on-alarm (over): exit status 0");
    row("output and status said", "echo x >> ran; echo oops >&2; exit 3", "3", "x\n",
        "on-alarm (under): oops|on-alarm (under): exit status 3");
    row("stopped with its children", "sleep 30 & echo $! > ran; wait", "1", "",
        "on-alarm (ok): still running after 0.3 s: stopped");
    row("what it leaves running ends with it", "sleep 30 & echo $! > ran", "1", "",
        "on-alarm (ok): exit status 0");
    // A line is cut at 4096 bytes, and past 100 lines in a second the rest is counted.
    const QString said = "on-alarm (under): ", ended = said + "exit status 0";
    row("a long line cut between characters",
        "head -c 4095 /dev/zero | tr '\\0' x; echo éé; echo after", "3", "",
        said + QString(4095, u'x') + " [cut at 4096 bytes]|" + said + "after|" + ended);
    row("a character whole at the cut stays", "head -c 4094 /dev/zero | tr '\\0' x; echo éé", "3",
        "", said + QString(4094, u'x') + "é [cut at 4096 bytes]|" + ended);
    row("a four-byte character cut", "head -c 4093 /dev/zero | tr '\\0' x; echo 😀", "3", "",
        said + QString(4093, u'x') + " [cut at 4096 bytes]|" + ended);
    row("a last line without its end is whole", "printf last", "3", "", said + "last|" + ended);
    row("a flood of lines dropped", "yes | head -n 1000", "3", "",
        QStringList(100, said + "y").join(u'|') + u'|' + said +
            "1800 bytes of output dropped, past 100 lines or 64 KiB a second|" + ended);
}

void TestAlarm::alarmCommandRunsForTheLatestState() {
    QFETCH(QString, command);
    QFETCH(QString, states);
    QFETCH(QString, ran);
    QTemporaryDir dir;
    QStringList lines;
    core::AlarmCommand alarm("cd " + dir.path() + " || exit; " + command, "SIM",
                             [&lines](const QString& line, platform::Severity) { lines << line; },
                             command.endsWith("wait") ? 300 : 10000); // only that row meets the limit
    QSignalSpy idle(&alarm, &core::AlarmCommand::idle);
    using State = records::SampleAlarm::State;
    for (const QString& state : states.split(u' '))
        alarm.measured(QDateTime::currentDateTime(),
                       meter::measurementFromTexts("RES", "2MOhm", state == u'I' ? "Initial" : "1.234"),
                       {State(state.toInt()), "-OL", "1.000"});
    QVERIFY(idle.wait(5000));
    const QByteArray written = fileBytes(dir.filePath("ran"));
    QTEST(lines.join(u'|'), "said");
    if (command.startsWith("sleep")) { // the group's sleep is gone too
        const auto gone = [&written] {
            QFile stat("/proc/" + QString::fromLatin1(written.trimmed()) + "/stat");
            return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
        };
        QTRY_VERIFY(gone());
        return;
    }
    QCOMPARE(QString::fromUtf8(written), ran);
}

QTEST_MAIN(TestAlarm)
// A command's output, in the pieces it came in, as the lines it is said as.
void TestAlarm::commandOutputLines_data() {
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QStringList>("said");
    row("an empty line among them", QByteArrayList{"one\n\ntwo\n"}, QStringList{"one", "", "two"});
    row("a line in two pieces, the last unended", QByteArrayList{"on", "e\ntw", "o"},
        QStringList{"one", "two"});
}

void TestAlarm::commandOutputLines() {
    QFETCH(QByteArrayList, pieces);
    core::CommandOutput output;
    QStringList lines;
    const core::CommandOutput::Line take = [&](const QString& line) { lines << line; };
    for (const QByteArray& piece : pieces)
        output.take(piece, take);
    output.end(take);
    QTEST(lines, "said");
    QCOMPARE(output.nextSecond(), QString());
}

#include "test_alarm.moc"
