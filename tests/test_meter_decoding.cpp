// Decoding of the meter's frames, packed readings and display characters.
#include "meter/FunctionRange.h"
#include "meter/Frames.h"
#include "meter/LeadingNumber.h"
#include "meter/LongFrameValue.h"
#include "meter/PackedReading.h"

#include <QtTest>

using namespace tarnix::meter;

namespace {

Reading readingWith(const char* function, const char* range = "") {
    Reading r;
    r.functionText = QString::fromLatin1(function);
    r.rangeText = QString::fromLatin1(range);
    return r;
}

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
    void functionRange_data();
    void functionRange();
    void unknownCodeKeepsTexts_data();
    void unknownCodeKeepsTexts();

    void packedValue_data();
    void packedValue();
    void packedFieldsOf0x8006();
    void packedRoundTripsEveryValue();
    void alarmLimitPacking();

    void storedValue_data();
    void storedValue();

    void displayChar_data();
    void displayChar();
    void displayText_data();
    void displayText();

    void longFrame_data();
    void longFrame();
    void shortFrame();
    void frameKinds();
    void frequencyUnit_data();
    void frequencyUnit();

    void leadingNumber_data();
    void leadingNumber();
    void valueTextAndNumber_data();
    void valueTextAndNumber();
};

void TestMeterDecoding::functionRange_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    const struct {
        int code;
        const char* function;
        const char* range;
    } rows[] = {
        {0, "DCV", "200mV"},   {1, "DCV", "2V"},         {2, "DCV", "20V"},
        {3, "DCV", "200V"},    {4, "DCV", "1000V"},      {5, "FREQ", "KHz/MHz"},
        {6, "DIODE", "1V"},    {8, "RES", "200Ohm"},     {9, "RES", "2KOhm"},
        {10, "RES", "20KOhm"}, {12, "RES", "200KOhm"},   {16, "RES", "2MOhm"},
        {17, "RES", "20MOhm"}, {18, "CAP", "20uF"},      {20, "CAP", "2uF"},
        {24, "CAP", "200nF"},  {32, "CAP", "2000pF"},    {33, "DCA", "20A"},
        {34, "DCA", "200mA"},  {36, "DCA", "20mA"},      {40, "DCA", "2mA"},
        {48, "DCA", "200uA"},  {64, "TEMP", "200'F"},    {65, "TEMP", "2000'F"},
        {66, "TEMP", "200'C"}, {68, "TEMP", "1370'C"},   {128, "ACV", "200mV"},
        {129, "ACV", "2V"},    {130, "ACV", "20V"},      {131, "ACV", "200V"},
        {132, "ACV", "750V"},  {161, "ACA", "20A"},      {162, "ACA", "200mA"},
        {164, "ACA", "20mA"},  {168, "ACA", "2mA"},      {176, "ACA", "200uA"},
        {255, "HOLD", ""},
    };
    for (const auto& row : rows)
        QTest::addRow("%d", row.code) << row.code << QString::fromLatin1(row.function)
                                      << QString::fromLatin1(row.range);
}

void TestMeterDecoding::functionRange() {
    QFETCH(int, code);
    QFETCH(QString, function);
    QFETCH(QString, range);
    Reading r = readingWith("OLDF", "OLDR");
    decodeFunctionRange(code, r);
    QCOMPARE(r.functionText, function);
    QCOMPARE(r.rangeText, range);
    QCOMPARE(r.functionCode, code);
}

void TestMeterDecoding::unknownCodeKeepsTexts_data() {
    QTest::addColumn<int>("code");
    for (int code : {7, 11, 13, 19, 35, 67, 127, 133, 160, 200, 254})
        QTest::addRow("%d", code) << code;
}

void TestMeterDecoding::unknownCodeKeepsTexts() {
    QFETCH(int, code);
    Reading r = readingWith("DCV", "20V");
    decodeFunctionRange(code, r);
    QCOMPARE(r.functionText, QStringLiteral("DCV"));
    QCOMPARE(r.rangeText, QStringLiteral("20V"));
    QCOMPARE(r.functionCode, code);
}

void TestMeterDecoding::packedValue_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("range"); // the range after decoding; starts as "R"

    // flag 0, half digit, digit 8, point 2
    QTest::newRow("negative dc") << "DCV" << 0x80 << 6 << "-180.0" << "R";
    QTest::newRow("freq kHz") << "FREQ" << 0x80 << 6 << "180.0" << "1KHz";
    QTest::newRow("freq MHz") << "FREQ" << 0x80 << 7 << "180.0" << "1MHz";
    // flag 1, half digit, digit 4 from bit 3, point 1
    QTest::newRow("positive ac") << "ACV" << 0x40 << 0x0B << "14.00" << "R";
    // point 3, no half digit: digits 1, 2, 3 = bits 5 | 8,9 | 12,13
    QTest::newRow("point 3") << "DCV" << 0xF1 << 0x21 << ".123" << "R";
    QTest::newRow("point 0 leading zeros") << "RES" << 0x00 << 0x01 << "000" << "R";
    QTest::newRow("point 0 with half") << "RES" << 0x00 << 0x03 << "1000" << "R";
    QTest::newRow("point 1") << "DCV" << 0x40 << 0x01 << "0.00" << "R";
    QTest::newRow("point 2") << "DCV" << 0x80 << 0x01 << "00.0" << "R";
    QTest::newRow("negative zero") << "DCV" << 0x00 << 0x00 << "-000" << "R";
    // digit fields 10..15 are rendered as numbers, unchecked
    QTest::newRow("digit 15s") << "DCV" << 0x3F << 0xFF << "1151515" << "R";
    QTest::newRow("digit 10") << "DCV" << 0x00 << 0x15 << "1000" << "R";
    QTest::newRow("overload") << "DCV" << 0x12 << 15 << "OL" << "R";
    QTest::newRow("negative overload") << "DCV" << 0xFF << 14 << "-OL" << "R";
    QTest::newRow("freq overload keeps range") << "FREQ" << 0x00 << 14 << "-OL" << "R";
    QTest::newRow("freq overload positive") << "FREQ" << 0x80 << 15 << "OL" << "R";
    QTest::newRow("hold") << "HOLD" << 0x40 << 0x0B << "14.00" << "R";
}

void TestMeterDecoding::packedValue() {
    QFETCH(QString, function);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, value);
    QFETCH(QString, range);
    Reading r;
    r.functionText = function;
    r.rangeText = QStringLiteral("R");
    decodePackedValue(std::uint8_t(high), std::uint8_t(low), r);
    QCOMPARE(r.value.text(), value);
    QVERIFY(!r.value.isNumber());
    QCOMPARE(r.rangeText, range);
    QCOMPARE(r.functionText, function);
}

void TestMeterDecoding::packedFieldsOf0x8006() {
    const PackedFields f = splitPacked(0x80, 0x06);
    QCOMPARE(f.flag, false);
    QCOMPARE(f.halfDigit, true);
    QCOMPARE(f.digit1, 8);
    QCOMPARE(f.digit2, 0);
    QCOMPARE(f.digit3, 0);
    QCOMPARE(f.point, 2);
}

void TestMeterDecoding::packedRoundTripsEveryValue() {
    for (int value = 0; value < 65536; ++value) {
        const auto high = std::uint8_t(value >> 8), low = std::uint8_t(value & 0xFF);
        const PackedBytes back = composePacked(splitPacked(high, low));
        if (back.high != high || back.low != low)
            QFAIL(qPrintable(QStringLiteral("0x%1 does not survive").arg(value, 4, 16)));
    }
}

void TestMeterDecoding::alarmLimitPacking() {
    // +1234 at point position 2 (123.4 in a 200 range): low 19, high 139.
    PackedFields f;
    f.flag = true;
    f.halfDigit = true;
    f.digit1 = 2;
    f.digit2 = 3;
    f.digit3 = 4;
    f.point = 2;
    QCOMPARE(composePacked(f), (PackedBytes{139, 19}));
    // An empty limit: positive zero at point position 2.
    QCOMPARE(composePacked(PackedFields{true, false, 0, 0, 0, 2}), (PackedBytes{128, 1}));
}

void TestMeterDecoding::storedValue_data() {
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("value");
    QTest::newRow("negative") << 0x80 << 6 << "-180.0";
    QTest::newRow("positive") << 0x8B << 0x13 << "123.4";
    QTest::newRow("overload") << 0x00 << 15 << "OL";
    QTest::newRow("negative overload") << 0x77 << 14 << "-OL";
    QTest::newRow("positive zero") << 128 << 1 << "00.0";
}

void TestMeterDecoding::storedValue() {
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, value);
    QCOMPARE(decodeStoredValue(std::uint8_t(high), std::uint8_t(low)).text(), value);
}

void TestMeterDecoding::displayChar_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("text");
    QTest::newRow("blank") << 32 << true << "";
    QTest::newRow("plus") << 43 << true << "";
    QTest::newRow("minus") << 45 << true << "-";
    QTest::newRow("point") << 46 << true << ".";
    for (int d = 0; d <= 9; ++d)
        QTest::addRow("digit %d", d) << 48 + d << true << QString::number(d);
    QTest::newRow("O") << 79 << true << "O";
    QTest::newRow("L") << 76 << true << "L";
    for (int b : {0, 13, 42, 44, 47, 58, 63, 75, 77, 108, 111, 128, 255})
        QTest::addRow("unknown %d", b) << b << false << "";
}

void TestMeterDecoding::displayChar() {
    QFETCH(int, byte);
    QFETCH(bool, known);
    QFETCH(QString, text);
    const auto result = decodeDisplayChar(std::uint8_t(byte));
    QCOMPARE(result.has_value(), known);
    if (known)
        QCOMPARE(*result, text);
}

void TestMeterDecoding::displayText_data() {
    QTest::addColumn<QByteArray>("chars");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("number");

    QTest::newRow("leading zero dropped") << QByteArray(" 012.5") << "12.5" << false << 12.5;
    QTest::newRow("small negative") << QByteArray("-0.123") << "-0.123" << true << -0.123;
    QTest::newRow("no point") << QByteArray(" 00123") << "123" << true << 123.0;
    QTest::newRow("overload") << QByteArray("  OL  ") << "OL" << false << 0.0;
    QTest::newRow("negative overload") << QByteArray("- OL  ") << "-OL" << false << 0.0;
    QTest::newRow("decimals kept") << QByteArray(" 1.200") << "1.200" << false << 1.2;
    QTest::newRow("negative value") << QByteArray("-12.34") << "-12.34" << false << -12.34;
    QTest::newRow("point first") << QByteArray("  .123") << "0.123" << false << 0.123;
    QTest::newRow("minus point") << QByteArray("- .050") << "-0.05" << true << -0.05;
    QTest::newRow("point last") << QByteArray(" 0012.") << "12" << true << 12.0;
    QTest::newRow("all blank") << QByteArray("      ") << "0" << true << 0.0;
    QTest::newRow("only minus") << QByteArray("-     ") << "0" << true << 0.0;
    QTest::newRow("plus sign") << QByteArray("+01.00") << "1.00" << false << 1.0;
    QTest::newRow("negative zero") << QByteArray("-0.000") << "0" << true << 0.0;
    QTest::newRow("L without O") << QByteArray("  1L  ") << "OL" << false << 0.0;
    QTest::newRow("O without L") << QByteArray("  O.12") << "0.12" << false << 0.12;
    QTest::newRow("two points") << QByteArray(" 1.2.3") << "1.2.3" << false << 1.2;
}

void TestMeterDecoding::displayText() {
    QFETCH(QByteArray, chars);
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, number);
    const auto value = renderDisplayChars(chars);
    QVERIFY(value.has_value());
    QCOMPARE(value->text(), text);
    QCOMPARE(value->isNumber(), isNumber);
    QCOMPARE(value->number(), number);
}

void TestMeterDecoding::longFrame_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("value");
    const auto frame = [](int code, const char* six, int first = '*', int last = 13) {
        return bytes({first, code}) + QByteArray(six, 6) + bytes({0, 0, 0, last});
    };
    const int decoded = int(LongFrameResult::Decoded);
    const int malformed = int(LongFrameResult::Malformed);
    const int unknown = int(LongFrameResult::UnknownCharacter);
    QTest::newRow("20V reading") << frame(2, " 12.34") << decoded << "DCV" << "20V" << "12.34";
    QTest::newRow("bad start") << frame(2, " 12.34", '#') << malformed << "OLD" << "OLD" << "old";
    QTest::newRow("bad end") << frame(2, " 12.34", '*', 10) << malformed << "OLD" << "OLD"
                             << "old";
    QTest::newRow("question mark") << frame(129, " 1?.34") << unknown << "ACV" << "2V"
                                   << "Initial";
    QTest::newRow("unknown code") << frame(77, "  OL  ") << decoded << "OLD" << "OLD" << "OL";
    QTest::newRow("too short") << frame(2, " 12.34").left(11) << malformed << "OLD" << "OLD"
                               << "old";
}

void TestMeterDecoding::longFrame() {
    QFETCH(QByteArray, frame);
    QFETCH(int, result);
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(QString, value);
    Reading r = readingWith("OLD", "OLD");
    r.value = MeterValue::fromText(QStringLiteral("old"));
    QCOMPARE(int(decodeLongFrame(frame, r)), result);
    QCOMPARE(r.functionText, function);
    QCOMPARE(r.rangeText, range);
    QCOMPARE(r.value.text(), value);
}

void TestMeterDecoding::shortFrame() {
    Reading r;
    decodeShortFrame(bytes({0x99, 131, 0x0B, 0x40, 0x77}), r);
    QCOMPARE(r.functionText, QStringLiteral("ACV"));
    QCOMPARE(r.rangeText, QStringLiteral("200V"));
    QCOMPARE(r.functionCode, 131);
    QCOMPARE(r.value.text(), QStringLiteral("14.00"));
    // A frequency frame decides its unit from the packed flag.
    decodeShortFrame(bytes({0, 5, 0x07, 0x80, 0}), r);
    QCOMPARE(r.rangeText, QStringLiteral("1MHz"));
    QCOMPARE(r.value.text(), QStringLiteral("180.0"));
}

void TestMeterDecoding::frameKinds() {
    for (int n = 0; n < 20; ++n) {
        const FrameKind expected = n == 5    ? FrameKind::Short
                                   : n == 12 ? FrameKind::Long
                                             : FrameKind::None;
        QCOMPARE(frameKindForLength(n), expected);
    }
}

void TestMeterDecoding::frequencyUnit_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("byte2");
    QTest::addColumn<QString>("range");
    QTest::newRow("odd") << "FREQ" << 43 << "1MHz";
    QTest::newRow("even") << "FREQ" << 32 << "1KHz";
    QTest::newRow("not freq") << "DCV" << 43 << "20V";
}

void TestMeterDecoding::frequencyUnit() {
    QFETCH(QString, function);
    QFETCH(int, byte2);
    QFETCH(QString, range);
    Reading r;
    r.functionText = function;
    r.rangeText = QStringLiteral("20V");
    applyFrequencyUnit(std::uint8_t(byte2), r);
    QCOMPARE(r.rangeText, range);
}

void TestMeterDecoding::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("range") << "200mV" << 200.0;
    QTest::newRow("overload") << "OL" << 0.0;
    QTest::newRow("negative overload") << "-OL" << 0.0;
    QTest::newRow("seconds") << "2 sec" << 2.0;
    QTest::newRow("fraction") << "0.4 sec" << 0.4;
    QTest::newRow("negative") << "-12.34" << -12.34;
    QTest::newRow("leading blank") << " 17" << 17.0;
    QTest::newRow("plus") << "+5" << 5.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("negative point first") << "-.5" << -0.5;
    QTest::newRow("point last") << "7." << 7.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("word") << "Initial" << 0.0;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("comma stops") << "9,600" << 9.0;
    QTest::newRow("degrees") << "1370'C" << 1370.0;
    QTest::newRow("long digits") << QString(400, u'9') << 0.0; // not finite: 0
    QTest::newRow("no exponent") << "1e5" << 1.0;
    QTest::newRow("no infinity") << "inf" << 0.0;
}

void TestMeterDecoding::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(tarnix::meter::leadingNumber(text), number);
    const QByteArray bytes = text.toLatin1(); // list cells are single-byte text
    QCOMPARE(tarnix::meter::leadingNumber(QByteArrayView(bytes)), number);
}

void TestMeterDecoding::valueTextAndNumber_data() {
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << 123.0 << "123";
    QTest::newRow("negative fraction") << -0.123 << "-0.123";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("trailing zeros trimmed") << 12.5 << "12.5";
    QTest::newRow("six digits") << 999999.0 << "999999";
}

void TestMeterDecoding::valueTextAndNumber() {
    QFETCH(double, number);
    QFETCH(QString, text);
    const MeterValue v = MeterValue::fromNumber(number);
    QVERIFY(v.isNumber());
    QCOMPARE(v.text(), text);
}

QTEST_GUILESS_MAIN(TestMeterDecoding)
#include "test_meter_decoding.moc"
