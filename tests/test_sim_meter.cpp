// The simulated meter behind the in-memory port, driven through the real
// byte exchange on the virtual clock.
#include "link/Rs232.h"
#include "meter/Frames.h"
#include "platform/MemorySerialPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "sim/SimMeter.h"

#include <QtTest>

using namespace tarnix;

namespace {

struct Wire {
    explicit Wire(sim::Model model = sim::Model::Short, int baud = 9600) : meter(model, baud) {
        port.open(QStringLiteral("%1,n,8,1").arg(baud));
    }
    // Sends a reading request and returns what is waiting 0.2 s later.
    QByteArray request() {
        link.flush();
        link.send(" ");
        if (!link.delay(0.2))
            return {};
        return port.readAll();
    }

    platform::VirtualClock clock;
    sim::SimMeter meter;
    platform::MemorySerialPort port{meter, clock};
    platform::ScriptedDialogs dialogs;
    link::Rs232 link{port, clock, dialogs};
};

meter::Reading decode(const QByteArray& frame) {
    meter::Reading r;
    if (frame.size() == meter::ShortFrameLength)
        meter::decodeShortFrame(frame, r);
    else if (meter::decodeLongFrame(frame, r) == meter::LongFrameResult::Decoded)
        meter::applyFrequencyUnit(std::uint8_t(frame[2]), r);
    return r;
}

} // namespace

class TestSimMeter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valuesSurviveBothModels_data();
    void valuesSurviveBothModels();
    void scriptSteppingAndHold();
    void scriptFile_data();
    void scriptFile();
    void answersOnlyAtItsSpeed();
    void speedCommandsMoveTheMeter();
    void bytesTakeTheirWireTime();
    void memoryReadAndWrite();
    void recordingQueryAndRecModeKey();
    void dumpCarriesTheWholeMemory();
    void switchedOffMeterIsSilent();
    void halfHeardCommandIsForgotten();
};

void TestSimMeter::valuesSurviveBothModels_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("megahertz");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("range");
    const int s = int(sim::Model::Short), l = int(sim::Model::Long);
    QTest::newRow("short negative") << s << 0 << "-12.34" << false << "-12.34" << "200mV";
    QTest::newRow("long negative") << l << 0 << "-12.34" << false << "-12.34" << "200mV";
    QTest::newRow("short half digit") << s << 1 << "1.999" << false << "1.999" << "2V";
    QTest::newRow("long half digit") << l << 1 << "1.999" << false << "1.999" << "2V";
    QTest::newRow("short point first") << s << 129 << ".123" << false << ".123" << "2V";
    QTest::newRow("long point first") << l << 129 << ".123" << false << "0.123" << "2V";
    QTest::newRow("short overload") << s << 8 << "OL" << false << "OL" << "200Ohm";
    QTest::newRow("long overload") << l << 8 << "OL" << false << "OL" << "200Ohm";
    QTest::newRow("short negative overload") << s << 2 << "-OL" << false << "-OL" << "20V";
    QTest::newRow("long negative overload") << l << 2 << "-OL" << false << "-OL" << "20V";
    QTest::newRow("short MHz") << s << 5 << "1.234" << true << "1.234" << "1MHz";
    QTest::newRow("long MHz") << l << 5 << "1.234" << true << "1.234" << "1MHz";
    QTest::newRow("short kHz") << s << 5 << "123.4" << false << "123.4" << "1KHz";
    QTest::newRow("long kHz") << l << 5 << "123.4" << false << "123.4" << "1KHz";
    QTest::newRow("short whole") << s << 68 << "1370" << false << "1370" << "1370'C";
    QTest::newRow("long whole") << l << 68 << "1370" << false << "1370" << "1370'C";
}

void TestSimMeter::valuesSurviveBothModels() {
    QFETCH(int, model);
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(bool, megahertz);
    QFETCH(QString, shown);
    QFETCH(QString, range);
    Wire w{sim::Model(model)};
    const auto reading = sim::ScriptedReading::fromValue(sim::Model(model), code, value, megahertz);
    QVERIFY(reading);
    w.meter.setScript({*reading});
    const QByteArray frame = w.request();
    QCOMPARE(frame.size(), model == int(sim::Model::Short) ? 5 : 12);
    const meter::Reading r = decode(frame);
    QCOMPARE(r.value.text(), shown);
    QCOMPARE(r.rangeText, range);
    QCOMPARE(r.functionCode, code);
}

void TestSimMeter::scriptSteppingAndHold() {
    Wire w;
    const auto a = *sim::ScriptedReading::fromValue(sim::Model::Short, 2, "1.00");
    const auto b = *sim::ScriptedReading::fromValue(sim::Model::Short, 2, "2.00");
    w.meter.setScript({a, b});
    QStringList seen;
    for (int i = 0; i < 4; ++i)
        seen << decode(w.request()).value.text();
    QCOMPARE(seen, (QStringList{"1.00", "2.00", "1.00", "2.00"}));
    w.meter.setScript({a, b}, true);
    seen.clear();
    for (int i = 0; i < 4; ++i)
        seen << decode(w.request()).value.text();
    QCOMPARE(seen, (QStringList{"1.00", "2.00", "2.00", "2.00"}));
}

void TestSimMeter::scriptFile_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("errorLine"); // 0: parses
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<QString>("firstValue"); // as a short-model meter shows it
    QTest::newRow("packed") << "# comment\npacked 0 128 6\n" << 0 << 1 << false << "-180.0";
    QTest::newRow("value and hold") << "0 -180.0\n2 OL # overload\nhold" << 0 << 2 << true
                                    << "-180.0";
    QTest::newRow("chars") << "chars 2 \" 12.34\"" << 0 << 1 << false << "12.34";
    QTest::newRow("frequency") << "5 1.234 MHz\n5 12.34 khz" << 0 << 2 << false << "1.234";
    QTest::newRow("raw") << "raw 0 1 0x03 0x40 13\n" << 0 << 1 << false << "10.00";
    QTest::newRow("unknown word") << "\n\nbogus 1" << 3 << 0 << false << "";
    QTest::newRow("byte too big") << "packed 0 256 1" << 1 << 0 << false << "";
    QTest::newRow("value too long") << "0 123456" << 1 << 0 << false << "";
    QTest::newRow("half digit not 1") << "0 2345" << 1 << 0 << false << "";
    QTest::newRow("bad unit") << "5 1.234 GHz" << 1 << 0 << false << "";
    QTest::newRow("negative frequency") << "5 -1.234 MHz" << 1 << 0 << false << "";
    QTest::newRow("chars too short") << "chars 2 12" << 1 << 0 << false << "";
}

void TestSimMeter::scriptFile() {
    QFETCH(QString, text);
    QFETCH(int, errorLine);
    QFETCH(int, count);
    QFETCH(bool, hold);
    QFETCH(QString, firstValue);
    sim::ScriptError error{};
    const auto script = sim::parseReadingScript(text, sim::Model::Short, &error);
    QCOMPARE(script.has_value(), errorLine == 0);
    if (!script) {
        QCOMPARE(error.line, errorLine);
        QVERIFY(!error.message.isEmpty());
        return;
    }
    QCOMPARE(int(script->readings.size()), count);
    QCOMPARE(script->hold, hold);
    QCOMPARE(decode(script->readings.front().frameFor(sim::Model::Short)).value.text(),
             firstValue);
}

void TestSimMeter::answersOnlyAtItsSpeed() {
    Wire w(sim::Model::Short, 2400);
    w.port.close();
    for (const int baud : {9600, 4800, 1200}) {
        QVERIFY(w.port.open(QStringLiteral("%1,n,8,1").arg(baud)));
        QVERIFY2(w.request().isEmpty(), qPrintable(QString::number(baud)));
    }
    QVERIFY(w.port.open(QStringLiteral("2400,n,8,1")));
    QCOMPARE(w.request().size(), 5);
}

void TestSimMeter::speedCommandsMoveTheMeter() {
    Wire w(sim::Model::Short, 9600);
    w.link.send("4");
    QVERIFY(w.link.delay(0.01));
    QCOMPARE(w.meter.baud(), 4800);
    QVERIFY(w.request().isEmpty());
    QVERIFY(w.port.open(QStringLiteral("4800,n,8,1")));
    QCOMPARE(w.request().size(), 5);
}

void TestSimMeter::bytesTakeTheirWireTime() {
    Wire w(sim::Model::Long, 1200);
    w.link.send(" ");
    QVERIFY(w.link.delay(0.05));
    const int early = w.port.bytesWaiting();
    QVERIFY2(early > 0 && early < 12, qPrintable(QString::number(early)));
    QVERIFY(w.link.delay(0.15));
    QCOMPARE(w.port.bytesWaiting(), 12);
}

void TestSimMeter::memoryReadAndWrite() {
    Wire w;
    w.meter.setMemory(300, 65);
    QVERIFY(w.link.readByte(300));
    QCOMPARE(w.link.lastByte(), 65);
    QVERIFY(w.link.writeByte(49, 150));
    QCOMPARE(w.meter.memory(49), 150);
    QVERIFY(w.link.readByte(49));
    QCOMPARE(w.link.lastByte(), 150);
    QVERIFY(w.dialogs.messages().empty());
    QCOMPARE(w.meter.commands().back(), QByteArray("R\x31\x00", 3));
}

void TestSimMeter::recordingQueryAndRecModeKey() {
    Wire w;
    const auto ask = [&] {
        w.link.flush();
        w.link.send("X");
        return w.link.delay(0.2) ? w.port.readAll() : QByteArray();
    };
    QCOMPARE(ask(), QByteArray("\x00\x0d", 2));
    w.link.send("A");
    QCOMPARE(ask(), QByteArray("\x01\x0d", 2));
    QVERIFY(w.meter.recording());
}

void TestSimMeter::dumpCarriesTheWholeMemory() {
    Wire w;
    for (int a = 0; a < sim::MemorySize; ++a)
        w.meter.setMemory(a, std::uint8_t(a * 7 + 3));
    w.link.flush();
    w.link.send("U");
    QVERIFY(w.link.delay(1.0));
    QVERIFY(w.port.bytesWaiting() < sim::DumpLength); // 8.5 s on the wire at 9600 baud
    QVERIFY(w.link.delay(8.0));
    const QByteArray dump = w.port.readAll();
    QCOMPARE(dump.size(), sim::DumpLength);
    for (int a = 0; a < sim::MemorySize; ++a)
        QCOMPARE(std::uint8_t(dump[2 * a + 2]), std::uint8_t(a * 7 + 3));
}

void TestSimMeter::switchedOffMeterIsSilent() {
    Wire w;
    w.meter.setPowered(false);
    QVERIFY(w.request().isEmpty());
    w.meter.setPowered(true);
    QCOMPARE(w.request().size(), 5);
}

void TestSimMeter::halfHeardCommandIsForgotten() {
    Wire w;
    w.link.send("R");
    QVERIFY(w.link.delay(2.0));
    QCOMPARE(w.request().size(), 5); // the blank is a request, not an address byte
}

QTEST_GUILESS_MAIN(TestSimMeter)
#include "test_sim_meter.moc"
