// The simulated meter behind the in-memory port, driven by the real link on the virtual clock.
#include "link/Speeds.h"
#include "meter/Frames.h"
#include "support/SimulatedLink.h"

#include <QtTest>

using namespace tarnix;

namespace {

struct Wire : SimulatedLink {
    explicit Wire(sim::Model model = sim::Model::Short, int baud = 9600)
        : SimulatedLink(model, baud) {
        port.open(link::settingsForBaud(baud));
    }
    // Sends a command and returns what is waiting 0.2 s later.
    QByteArray ask(const QByteArray& command = " ") {
        link.flush();
        link.send(command);
        return link.delay(0.2) ? port.readAll() : QByteArray();
    }
};

// A reading frame as the panel shows it: "value range".
QString shown(const QByteArray& frame) {
    const bool isShort = frame.size() == meter::ShortFrameLength;
    const auto d = isShort ? meter::decodeShortFrame(frame, {}) : meter::decodeLongFrame(frame, {});
    return d.reading.value.text() + u' ' +
           (d.frequencyRange.isEmpty() ? d.reading.rangeText : d.frequencyRange);
}

} // namespace

class TestSimMeter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scripts_data();
    void scripts();
    void refusedScriptLines();
    void answersOnlyAtItsSpeed();
    void recordingAndHalfHeardCommands();
};

void TestSimMeter::scripts_data() {
    QTest::addColumn<QString>("text");
    // One more request than readings: the script starts over, or holds its last reading.
    QTest::addColumn<QString>("shortModel");
    QTest::addColumn<QString>("longModel"); // empty: as the short model
    QTest::newRow("signs") << "0 -12.34\n1 1.999" << "-12.34 200mV|1.999 2V|-12.34 200mV" << "";
    QTest::newRow("hold") << "129 .123\n8 OL # overload\nhold" << ".123 2V|OL 200Ohm|OL 200Ohm"
                          << "0.123 2V|OL 200Ohm|OL 200Ohm";
    QTest::newRow("overloads, whole") << "2 -OL\n68 1370" << "-OL 20V|1370 1370'C|-OL 20V" << "";
    QTest::newRow("unit") << "5 1.234 MHz\n5 123.4 khz" << "1.234 1MHz|123.4 1KHz|1.234 1MHz" << "";
    QTest::newRow("packed") << "# comment\npacked 0 128 6" << "-180.0 200mV|-180.0 200mV" << "";
    QTest::newRow("chars") << "chars 2 \" 12.34\"" << "12.34 20V|12.34 20V" << "";
    QTest::newRow("raw, as given") << "raw 0 1 0x03 0x40 13" << "10.00 2V|10.00 2V" << "";
    QTest::newRow("unknown word") << "\n\nbogus 1" << "error 3" << "";
    QTest::newRow("half digit not 1") << "0 2345" << "error 1" << "2345 200mV|2345 200mV";
    QTest::newRow("points and zeros") << "0 05.00\n1 +1.20\n1 99.9"
                                      << "5.00 200mV|1.20 2V|99.9 2V|5.00 200mV" << "";
    QTest::newRow("chars unquoted") << "CHARS 2  12.34\nchars 2 -01.50"
                                    << "12.34 20V|-1.50 20V|12.34 20V" << "";
}

// Each line on its own is refused, as line 1 and with a reason.
void TestSimMeter::refusedScriptLines() {
    for (const char* line : {"packed 0 1", "chars", "chars 2 1.5", "5 1 MHz x", "raw 1 256",
                             "5 -1", "1 1.2.3", "1 .", "1 123.", "1 12345", "0 0x1G", "x 1",
                             "packed 0 256 1", "5 1.234 GHz"}) {
        sim::ScriptError error{};
        QVERIFY2(!sim::parseReadingScript(QString::fromLatin1(line), sim::Model::Short, &error),
                 line);
        QVERIFY2(error.line == 1 && !error.message.isEmpty(), line);
    }
}

void TestSimMeter::scripts() {
    QFETCH(QString, text);
    QFETCH(QString, shortModel);
    QFETCH(QString, longModel);
    for (const auto model : {sim::Model::Short, sim::Model::Long}) {
        Wire w(model);
        sim::ScriptError error{};
        const auto script = sim::parseReadingScript(text, model, &error);
        QStringList served;
        if (script)
            w.meter.setScript(*script);
        else // a refused script names its line and says why
            served << QStringLiteral("error %1").arg(error.message.isEmpty() ? -1 : error.line);
        for (std::size_t i = 0; script && i <= script->readings.size(); ++i)
            served << shown(w.ask());
        QCOMPARE(served.join(u'|'),
                 model == sim::Model::Long && !longModel.isEmpty() ? longModel : shortModel);
    }
}

void TestSimMeter::answersOnlyAtItsSpeed() {
    Wire w(sim::Model::Short, 2400);
    for (const int baud : {9600, 4800, 1200, 2400}) {
        QVERIFY(w.port.open(link::settingsForBaud(baud)));
        QCOMPARE(w.ask().size(), baud == 2400 ? 5 : 0);
    }
    // A speed byte still on the wire when the port changes speed is cut off;
    // let through, it is heard at the old speed and answered at the new one.
    w.link.send("4");
    QVERIFY(w.port.open(link::settingsForBaud(4800)));
    QCOMPARE(w.ask().size(), 0);
    QVERIFY(w.port.open(link::settingsForBaud(2400)));
    w.link.send("4");
    QVERIFY(w.link.reopen(link::settingsForBaud(4800)));
    QCOMPARE(w.ask().size(), 5);
}

// The recording query and REC MODE; a command heard only in part is forgotten.
void TestSimMeter::recordingAndHalfHeardCommands() {
    Wire w; // memory reads and writes: test_pty_end_to_end, over a real terminal
    QCOMPARE(w.ask("X"), QByteArray("\x00\x0d", 2));
    w.link.send("A"); // the REC MODE key
    QCOMPARE(w.ask("X"), QByteArray("\x01\x0d", 2));
    w.link.send("R");
    QVERIFY(w.link.delay(2.0));
    QCOMPARE(w.ask().size(), 5); // the blank is a request, not an address byte
}

QTEST_GUILESS_MAIN(TestSimMeter)
#include "test_sim_meter.moc"
