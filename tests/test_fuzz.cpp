// No bytes from the port, reading script or memory image may crash the
// decoders or the simulated meter, or make them read out of bounds. The
// sanitizer build runs this too.
#include "meter/FunctionRange.h"
#include "meter/Frames.h"
#include "meter/PackedReading.h"
#include "sim/ScriptedReading.h"
#include "sim/SimMeter.h"

#include <QtTest>
#include <random>

using namespace tarnix;

class TestFuzz : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPackedValueUnderEveryCode();
    void randomFrames();
    void randomScriptsAndMemoryImages();
    void randomBytesIntoTheSimulatedMeter();
};

void TestFuzz::everyPackedValueUnderEveryCode() {
    QByteArray frame(5, '\0');
    for (int value = 0; value < 65536; ++value) {
        const int low = value & 0xFF;
        const bool overload = low == 14 || low == 15;
        frame[2] = char(low);
        frame[3] = char(value >> 8);
        // The shown value is the stored rendering, without the sign for FREQ.
        const QString stored =
            meter::decodeStoredValue(std::uint8_t(value >> 8), std::uint8_t(low)).text();
        const QString unsignedStored =
            !overload && stored.startsWith(u'-') ? stored.mid(1) : stored;
        for (int code = 0; code < 256; ++code) {
            frame[1] = char(code);
            const bool frequency = code == meter::FrequencyCode;
            meter::Reading r;
            r.rangeText = QStringLiteral("before");
            meter::decodeShortFrame(frame, r);
            if (r.value.text() != (frequency ? unsignedStored : stored))
                QFAIL(qPrintable(QStringLiteral("code %1 value %2: %3 vs %4")
                                     .arg(code)
                                     .arg(value)
                                     .arg(r.value.text(), stored)));
            if (!meter::lookupFunctionRange(code) && r.rangeText != u"before")
                QFAIL("an unknown code changed the range");
            if (frequency && !overload && r.rangeText != u"1KHz" && r.rangeText != u"1MHz")
                QFAIL("a frequency reading without its unit");
        }
    }
}

void TestFuzz::randomFrames() {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 24), pick(0, 9);
    const QByteArray displayBytes(" +-.0123456789OL?\x80", 19);
    meter::Reading r;
    for (int i = 0; i < 300000; ++i) {
        QByteArray frame(length(random), '\0');
        for (auto& c : frame)
            c = char(byte(random));
        // Many well-formed long frames, so the display decoding is reached.
        if (pick(random) < 6) {
            frame.resize(12);
            frame[0] = '*';
            frame[11] = 13;
            for (int k = 2; k < 8; ++k)
                frame[k] = displayBytes[byte(random) % displayBytes.size()];
        }
        switch (meter::frameKindForLength(frame.size())) {
        case meter::FrameKind::Short:
            meter::decodeShortFrame(frame, r);
            break;
        case meter::FrameKind::Long:
            meter::decodeLongFrame(frame, r);
            break;
        case meter::FrameKind::None:
            meter::decodeShortFrame(frame, r); // must shrug off any length
            meter::decodeLongFrame(frame, r);
            break;
        }
        if (frame.size() > 2)
            meter::applyFrequencyUnit(std::uint8_t(frame[2]), r);
        (void)r.value.text();
        (void)r.value.number();
    }
    QVERIFY(true);
}

void TestFuzz::randomScriptsAndMemoryImages() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 300);
    const QStringList words = {"hold", "packed", "chars", "raw", "0", "5", "255", "256", "-1",
                               "0x1F", "OL", "-OL", "1.999", ".123", "MHz", "KHz", "\"",
                               "#", "\n", " ", "12345", "1..2", "-", "chars 2 \"  OL  \""};
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int n = length(random) % 40;
        for (int k = 0; k < n; ++k)
            text += words[byte(random) % words.size()] + QChar(byte(random) % 3 ? u' ' : u'\n');
        for (const auto model : {sim::Model::Short, sim::Model::Long}) {
            sim::ScriptError error{};
            const auto script = sim::parseReadingScript(text, model, &error);
            if (!script)
                QVERIFY(error.line >= 1);
            else
                for (const auto& reading : script->readings)
                    (void)reading.frameFor(model == sim::Model::Short ? sim::Model::Long
                                                                      : sim::Model::Short);
        }
    }
    for (int i = 0; i < 200; ++i) {
        QByteArray image(length(random) * 20, '\0');
        for (auto& c : image)
            c = char(byte(random));
        sim::SimMeter meter;
        meter.loadMemory(image);
        QCOMPARE(meter.memoryImage().size(), sim::MemorySize);
    }
}

void TestFuzz::randomBytesIntoTheSimulatedMeter() {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> byte(0, 255), length(1, 8), speed(0, 3);
    const int speeds[] = {1200, 2400, 4800, 9600};
    const char commands[] = " RWXUA1249ENG";
    for (const auto model : {sim::Model::Short, sim::Model::Long}) {
        sim::SimMeter meter(model, 9600);
        double t = 0;
        for (int i = 0; i < 20000; ++i) {
            QByteArray bytes(length(random), '\0');
            for (auto& c : bytes)
                c = byte(random) % 2 ? char(byte(random)) : commands[byte(random) % 13];
            meter.receive(bytes, speeds[speed(random)], t);
            t += 0.05 * (byte(random) % 40);
            (void)meter.takeArrived(t);
        }
        QVERIFY(meter.baud() == 1200 || meter.baud() == 2400 || meter.baud() == 4800 ||
                meter.baud() == 9600);
    }
}

QTEST_GUILESS_MAIN(TestFuzz)
#include "test_fuzz.moc"
