// Decoding of the meter's frames, packed readings and display characters.
#include "meter/FunctionRange.h"
#include "meter/Frames.h"
#include "meter/LeadingNumber.h"
#include "meter/LongFrameValue.h"
#include "meter/Measurement.h"
#include "meter/PackedReading.h"

#include <QtTest>

using namespace tarnix::meter;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

} // namespace

class TestMeterDecoding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void functionRangeCodes();
    void packedValue_data();
    void packedValue();
    void displayChars();
    void longFrame_data();
    void longFrame();
    void leadingNumber_data();
    void leadingNumber();
    void measurement_data();
    void measurement();
};

void TestMeterDecoding::functionRangeCodes() {
    // A few codes users see every day; one the meter never sends, or one out of a byte's
    // reach, leaves the last reading's texts on the panel.
    const std::pair<int, const char*> codes[] = {
        {0, "DCV 200mV"}, {5, "FREQ KHz/MHz"}, {68, "TEMP 1370'C"}, {132, "ACV 750V"},
        {176, "ACA 200uA"}, {255, "HOLD "}, {7, "OLDF OLDR"}, {254, "OLDF OLDR"},
        {-1, "OLDF OLDR"}, {256, "OLDF OLDR"}};
    for (const auto& [code, texts] : codes) {
        Reading r{"OLDF", "OLDR", {}, 99};
        decodeFunctionRange(code, r);
        QCOMPARE(r.functionText + u' ' + r.rangeText, QString::fromLatin1(texts));
        QCOMPARE(r.functionCode, code);
    }
    // No code is listed twice, with two meanings.
    QSet<int> listed;
    for (const FunctionRange& e : functionRangeTable())
        listed << e.code;
    QCOMPARE(std::size_t(listed.size()), functionRangeTable().size());
}

void TestMeterDecoding::packedValue_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("shown");  // value and range; the range starts as "R"
    QTest::addColumn<QString>("stored"); // the same bytes as an alarm limit
    QTest::newRow("negative, point 2") << "DCV" << 0x80 << 6 << "-180.0 R" << "-180.0";
    QTest::newRow("positive, point 1") << "ACV" << 0x40 << 0x0B << "14.00 R" << "14.00";
    QTest::newRow("point 3") << "DCV" << 0xF1 << 0x21 << ".123 R" << ".123";
    QTest::newRow("point 0 with half") << "RES" << 0x00 << 0x03 << "1000 R" << "1000";
    QTest::newRow("digits above 9") << "DCV" << 0x3F << 0xFF << "1151515 R" << "1151515";
    QTest::newRow("overload") << "DCV" << 0x12 << 15 << "OL R" << "OL";
    QTest::newRow("negative overload") << "DCV" << 0xFF << 14 << "-OL R" << "-OL";
    // For FREQ the flag is the unit, not the sign (MHz is left to the fuzz test).
    QTest::newRow("kHz") << "FREQ" << 0x80 << 6 << "180.0 1KHz" << "-180.0";
    QTest::newRow("freq overload keeps range") << "FREQ" << 0x00 << 14 << "-OL R" << "-OL";
}

void TestMeterDecoding::packedValue() {
    QFETCH(QString, function);
    QFETCH(int, high);
    QFETCH(int, low);
    const auto p = decodePackedValue(std::uint8_t(high), std::uint8_t(low), function == u"FREQ");
    const QString range = p.frequencyRange.isEmpty() ? QStringLiteral("R") : p.frequencyRange;
    QTEST(p.value.text() + u' ' + range, "shown");
    QTEST(decodeStoredValue(std::uint8_t(high), std::uint8_t(low)).text(), "stored");
}

void TestMeterDecoding::displayChars() {
    const QByteArray known(" +-.0123456789OL");
    for (int b = 0; b < 256; ++b) {
        const auto text = decodeDisplayChar(std::uint8_t(b));
        QCOMPARE(text.has_value(), known.contains(char(b)));
        if (text)
            QCOMPARE(*text, b == ' ' || b == '+' ? QString() : QString(QChar(b)));
    }
}

void TestMeterDecoding::longFrame_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("shown"); // code|function|range|value; before: 99|OLD|OLD|old
    const auto frame = [](const char* six, int code = 2, int first = '*', int last = 13) {
        return bytes({first, code}) + QByteArray(six, 6) + bytes({0, 0, 0, last});
    };
    const int ok = int(FrameResult::Decoded), bad = int(FrameResult::Malformed);
    const int unknown = int(FrameResult::UnknownCharacter);
    QTest::newRow("leading zero dropped") << frame(" 012.5") << ok << "2|DCV|20V|12.5";
    QTest::newRow("decimals kept") << frame("+1.200") << ok << "2|DCV|20V|1.200";
    QTest::newRow("small negative") << frame("- .050") << ok << "2|DCV|20V|-0.05";
    QTest::newRow("negative zero") << frame("- .000") << ok << "2|DCV|20V|0";
    QTest::newRow("point first, its zeros kept") << frame("  .120") << ok << "2|DCV|20V|0.120";
    QTest::newRow("point last") << frame(" 0012.") << ok << "2|DCV|20V|12";
    QTest::newRow("all blank") << frame("      ") << ok << "2|DCV|20V|0";
    QTest::newRow("negative overload") << frame("- OL  ") << ok << "2|DCV|20V|-OL";
    QTest::newRow("L without O") << frame("  1L  ") << ok << "2|DCV|20V|OL";
    // The unit follows byte 2, the first display character: '1' is odd, ' ' even.
    QTest::newRow("MHz") << frame("12.345", 5) << ok << "5|FREQ|1MHz|12.345";
    QTest::newRow("kHz") << frame(" 12.34", 5) << ok << "5|FREQ|1KHz|12.34";
    QTest::newRow("unknown character") << frame(" 1?.34", 129) << unknown << "129|ACV|2V|Initial";
    // A malformed frame's code byte is no more trusted than the rest.
    QTest::newRow("bad start") << frame(" 12.34", 2, '#') << bad << "99|OLD|OLD|old";
    QTest::newRow("bad end") << frame(" 12.34", 2, '*', 10) << bad << "99|OLD|OLD|old";
    QTest::newRow("too short") << frame(" 12.34").left(11) << bad << "99|OLD|OLD|old";
    QTest::newRow("too long") << frame(" 12.34") + '\r' << bad << "99|OLD|OLD|old";
}

void TestMeterDecoding::longFrame() {
    QFETCH(QByteArray, frame);
    QFETCH(int, result);
    QFETCH(QString, shown);
    const FrameReading d = decodeLongFrame(frame, {"OLD", "OLD", MeterValue::fromText("old"), 99});
    QCOMPARE(int(d.result), result);
    Reading r = d.reading;
    if (!d.frequencyRange.isEmpty()) // as the polling cycle does
        r.rangeText = d.frequencyRange;
    QCOMPARE(QStringLiteral("%1|%2|%3|%4")
                 .arg(r.functionCode).arg(r.functionText, r.rangeText, r.value.text()),
             shown);
}

void TestMeterDecoding::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    const std::pair<const char*, double> rows[] = {
        {"200mV", 200}, {"1370'C", 1370}, {"0.4 sec", 0.4}, {"-OL", 0}, {" +17", 17},
        {"-.5", -0.5}, {"7.", 7}, {"", 0}, {"-", 0}, {".", 0}, {"1.2.3", 1.2}, {"1e5", 1},
        {"inf", 0}, {"0.3", 0.3}, {"-12.34", -12.34}, {"9876543.21012345", 9876543.21012345},
        {"98765432.101234567", 98765432.101234567}};
    for (const auto& [text, number] : rows)
        QTest::addRow("'%s'", text) << QString::fromLatin1(text) << number;
    QTest::newRow("not finite") << QString(400, u'9') << 0.0;
}

void TestMeterDecoding::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, number);
    // Exactly as the text reads, to the last bit: a plot's value is the file's.
    QVERIFY(tarnix::meter::leadingNumber(text) == number);
    // List cells are single-byte text.
    QVERIFY(tarnix::meter::leadingNumber(QByteArrayView(text.toLatin1())) == number);
}

void TestMeterDecoding::measurement_data() {
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("base"); // the value in the base unit, as files write it
    QTest::addColumn<double>("shown");
    QTest::addColumn<int>("overload"); // Overload
    const auto row = [](const char* name, const char* range, const char* display, const char* unit,
                        int scale, const char* base, double shown, Overload overload = Overload::None) {
        QTest::newRow(name) << range << display << unit << scale << base << shown << int(overload);
    };
    row("millivolts", "200mV", "-12.34", "V", -3, "-0.01234", -12.34);
    row("kilo-ohms", "20KOhm", "1.234", "Ohm", 3, "1234", 1.234);
    row("zeros in front", "1370'C", "0025", "degC", 0, "25", 25);
    row("picofarads", "2000pF", "1500", "F", -12, "0.000000001500", 1500);
    row("OL", "200mV", "OL", "V", -3, "", 0, Overload::Over);
    row("-OL", "2MOhm", " -OL", "Ohm", 6, "", 0, Overload::Under);
    row("Initial", "2V", "Initial", "V", 0, "", 0);
    row("HOLD: no unit", "", "1.234", "", 0, "", 1.234);
    row("frequency before its unit", "KHz/MHz", "1.000", "", 0, "", 1);
}

void TestMeterDecoding::measurement() {
    QFETCH(QString, range);
    QFETCH(QString, display);
    QFETCH(QString, base);
    const Measurement m = measurementFromTexts(QStringLiteral("F"), range, display);
    QTEST(m.unit, "unit");
    QTEST(m.scale, "scale");
    QCOMPARE(m.baseText, base);
    QCOMPARE(m.value.has_value(), !base.isEmpty()); // an overload or no number has none
    if (m.value)
        QCOMPARE(*m.value, base.toDouble());
    QTEST(m.shown.number, "shown");
    QTEST(int(m.shown.overload), "overload");
}

QTEST_GUILESS_MAIN(TestMeterDecoding)
#include "test_meter_decoding.moc"
