// Random input may neither crash the decoders nor break their promises (ASan runs this too).
#include "meter/FunctionRange.h"
#include "meter/Frames.h"
#include "meter/LeadingNumber.h"
#include "meter/PackedReading.h"
#include "sim/SimMeter.h"

#include <QtTest>
#include <random>

using namespace tarnix;

// No texts yet, a pair of the code table, or a frequency with its unit.
static bool textsFromTheTable(const meter::Reading& r) {
    static const QSet<QString> shown = [] {
        QSet<QString> s{"|", "FREQ|1KHz", "FREQ|1MHz"};
        for (const meter::FunctionRange& e : meter::functionRangeTable())
            s << QString::fromLatin1(e.function) + u'|' + QString::fromLatin1(e.range);
        return s;
    }();
    return shown.contains(r.functionText + u'|' + r.rangeText);
}

class TestFuzz : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPackedValue();
    void randomFrames();
    void randomBytesIntoTheSimulatedMeter();
};

void TestFuzz::everyPackedValue() {
    // What a short frame shows packs back into its bytes, unless a digit field holds 10..15.
    for (int value = 0; value < 65536; ++value) {
        const auto high = std::uint8_t(value >> 8), low = std::uint8_t(value);
        const auto f = meter::splitPacked(high, low);
        const bool overload = low == 14 || low == 15;
        const int wide = (f.digit1 > 9) + (f.digit2 > 9) + (f.digit3 > 9); // "10".."15": two places
        QCOMPARE(meter::packedDigitsText(f).size(), 3 + wide + f.halfDigit + (f.point > 0));
        for (const int code : {int(high), meter::FrequencyCode}) { // every code, every low byte
            const auto d = meter::decodeShortFrame(
                QByteArray(1, '\0') + char(code) + char(low) + char(high), {});
            const meter::Reading& r = d.reading;
            const bool unit = code == meter::FrequencyCode && !overload; // the flag, not a sign
            QVERIFY(textsFromTheTable(r) && (!unit || r.rangeText == (f.flag ? u"1MHz" : u"1KHz")));
            const bool freq = r.functionText == QStringView(meter::FrequencyFunction);
            QCOMPARE(d.frequencyRange, freq ? (low & 1 ? "1MHz" : "1KHz") : ""); // overloads too
            const auto back = sim::packValueText(r.value.text(), !unit || f.flag);
            QVERIFY(wide || (back && back->low == low && (overload || back->high == high)));
        }
    }
}

void TestFuzz::randomFrames() {
    std::mt19937 random(20261206);
    meter::Reading r;
    for (int i = 0; i < 300000; ++i) {
        // Most frames are long ones with '*', CR and display characters, as meters send them.
        QByteArray frame(i % 5 < 3 ? 12 : random() % 25, '\0');
        for (int k = 0; k < frame.size(); ++k)
            frame[k] = k < 2 || k > 7 ? char(random()) : " +-.0123456789OL?\x80"[random() % 18];
        if (i % 5 < 3)
            frame.replace(0, 1, "*").replace(11, 1, "\r");
        const auto [result, viaLong, longUnit] = meter::decodeLongFrame(frame, r);
        const meter::Reading viaShort = meter::decodeShortFrame(frame, r).reading;
        // Only 12 bytes can make a long frame; a malformed one changes nothing.
        QVERIFY(result == meter::FrameResult::Malformed ? viaLong == r : frame.size() == 12);
        QVERIFY(frame.size() >= 4 || viaShort == r);
        r = frame.size() == 12 ? viaLong : viaShort;
        QVERIFY2(textsFromTheTable(r), qPrintable(r.functionText + u' ' + r.rangeText));
        // A number's text reads back as the number, for max/min and the alarm.
        QVERIFY(!r.value.isNumber() || meter::leadingNumber(r.value.text()) == r.value.number());
    }
}

void TestFuzz::randomBytesIntoTheSimulatedMeter() {
    std::mt19937 random(99);
    sim::SimMeter meter;
    for (double t = 0; t < 40000; t += 0.05 * (random() % 40)) {
        QByteArray bytes; // commands the meter knows, mixed with any bytes
        for (int n = random() % 8; n >= 0; --n)
            bytes += random() % 2 ? char(random()) : " RWXUA1249ENG"[random() % 13];
        meter.setModel(sim::Model(random() % 2));
        (void)meter.takeArrived(t);
        meter.receive(bytes, 1200 << (random() % 4), t);
        QVERIFY(QList<int>({1200, 2400, 4800, 9600}).contains(meter.baud()));
        meter.loadMemory(bytes.repeated(random() % 1000)); // an image of any length: ASan
    }
}

QTEST_GUILESS_MAIN(TestFuzz)
#include "test_fuzz.moc"
