// The logger's header, the settings writes, the record clock and the set
// download from the memory dump.
#include "records/DataRecord.h"
#include "logger/LoggerHeader.h"
#include "logger/MemoryDump.h"
#include "logger/RecordTimes.h"
#include "logger/SettingsWrites.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

using namespace tarnix;
using namespace tarnix::logger;

namespace {

// A memory image (the 55 header bytes, or all 4096) built by address.
class Image {
public:
    explicit Image(int size) : m_bytes(size, '\0') {}
    Image& byte(int address, int value) {
        m_bytes[address] = char(value);
        return *this;
    }
    Image& word(int address, int value) {
        return byte(address, value & 0xFF).byte(address + 1, value >> 8);
    }
    // Ten clock digits as TIME SET writes them ("0" = 48), from address 8.
    Image& clock(const char* digits) {
        for (int i = 0; i < 10; ++i)
            byte(8 + i, digits[i]);
        return *this;
    }
    // Record sets: code and start address for set n at 22 + 3n.
    Image& set(int n, int code, int start) {
        return byte(22 + 3 * n, code).word(23 + 3 * n, start);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

std::span<const std::uint8_t> asSpan(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())};
}

// The dump as the meter sends it: two leading bytes, then each address's
// content followed by a byte the program must not use.
QByteArray dumpOf(const QByteArray& memory, int length = DumpLength) {
    QByteArray dump = QByteArrayLiteral("\xA5\x5A");
    for (char c : memory)
        dump.append(c).append(char(~c));
    return dump.left(length);
}

// The header as the Memory window shows it, field by field; "rows" are the set list's rows:
// number, function, range, count as shown, records a download lists.
const QStringList Fields{"writes", "id", "mode", "memory", "interval", "clock",
                         "end", "changes", "sets", "fails", "baud", "rows"};
QString shown(const LoggerHeader& h, const QString& field = {}) {
    QStringList rows;
    for (const RecordSet& s : h.sets)
        rows << QStringLiteral("%1|%2|%3|%4|%5").arg(QString::number(s.number), s.function,
                                                     s.range, s.countText(),
                                                     QString::number(s.recordCount()));
    const QStringList texts{QString::number(h.writeCount), QString::number(h.idCode),
                            QString::fromUtf16(RecordingModeNames[h.recordingMode]),
                            memorySizeText(h.memorySizeK), intervalText(h.intervalUnits),
                            clockText(h.clock, u"26"), QString::number(h.endAddress),
                            QString::number(h.rangeChanges), QString::number(h.sets.size()),
                            QString::number(h.failCount),
                            QString::number(baudRateOfCode(h.baudCode)), rows.join(u';')};
    return field.isEmpty() ? texts.mid(0, 11).join(u'|') : texts.value(Fields.indexOf(field));
}

// The header after a setting's writes; nothing when the setting is refused.
QByteArray written(const std::optional<ByteWrites>& writes) {
    Image header(HeaderLength);
    for (const ByteWrite& w : writes.value_or(ByteWrites{}))
        header.byte(w.address, w.value);
    return writes && !writes->empty() ? header.bytes() : QByteArray();
}
QByteArray written(std::optional<ByteWrite> write) {
    return written(write ? std::optional(ByteWrites{*write}) : std::nullopt);
}

} // namespace

class TestLoggerDecoding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dumpAddresses();
    void header_data();
    void header();
    void recordTime_data();
    void recordTime();
    void setDownload_data();
    void setDownload();
    void randomHeadersAndDumps();
};

void TestLoggerDecoding::header_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("field"); // empty: all but the rows
    QTest::addColumn<QString>("shown"); // empty: a refused setting writes nothing
    const auto h = [] { return Image(HeaderLength); };
    const QString all, refused;
    // Words are stored low byte first.
    QTest::newRow("every field")
        << h().word(0, 4660).word(2, 300).byte(5, 2).byte(6, 4).clock("0314090500").word(18, 5)
               .word(20, 3840).byte(22, 7).word(41, 513).byte(48, 4).bytes()
        << all << "4660|300|Min|4 K|2 sec|26/03/14---09:05:00|3840|7|5|513|4800";
    QTest::newRow("unlisted mode and baud codes, longest interval")
        << h().byte(5, 3).word(18, 65535).byte(48, 3).bytes() << all
        << "0|0|Normal|0 K|26214 sec|26/00/00---00:00:00|0|0|0|0|9600";
    QTest::newRow("a read cut short decodes what it has")
        << Image(3).word(0, 7).byte(2, 9).bytes() << all
        << "7|9|Normal|0 K|0 sec|26/00/00---00:00:00|0|0|0|0|9600";

    QTest::newRow("the last set runs to the end address")
        << h().byte(22, 3).set(1, 0, 56).set(2, 5, 296).set(3, 128, 302).word(20, 402).bytes()
        << "rows" << "1|DCV|200mV|120|120;2|FREQ|KHz/MHz|3|3;3|ACV|200mV|50|50";
    QTest::newRow("seven range changes list five sets")
        << h().byte(22, 7).set(1, 1, 100).set(4, 4, 130).set(5, 8, 140).word(20, 1000).bytes()
        << "rows"
        << "1|DCV|2V|-50|0;2|DCV|200mV|0|0;3|DCV|200mV|65|65;4|DCV|1000V|5|5;5|RES|200Ohm|430|430";
    QTest::newRow("odd length shows a half record, unknown code no texts")
        << h().byte(22, 2).set(1, 0, 56).set(2, 7, 61).word(20, 61).bytes() << "rows"
        << "1|DCV|200mV|2.5|2;2|||0|0";
    QTest::newRow("no range change") << h().set(1, 0, 56).word(20, 100).bytes() << "rows" << "";

    // Settings written as the Memory window does, then read back.
    QTest::newRow("id 300.5, to even") << written(idCodeWrites(u"300.5")) << "id" << "300";
    QTest::newRow("id abc") << written(idCodeWrites(u"abc")) << "id" << "0";
    QTest::newRow("id 65535.4") << written(idCodeWrites(u"65535.4")) << "id" << "65535";
    QTest::newRow("id 65535.5 rounds out") << written(idCodeWrites(u"65535.5")) << "id" << refused;
    QTest::newRow("0.6 s, 1.5 units to even") << written(sampleRateWrites(u"0.6")) << "interval"
                                              << "0.8 sec";
    QTest::newRow("no mode") << written(recordingModeWrite(-1)) << "mode" << refused;
    for (const int baud : {1200, 2400, 4800, 9600})
        QTest::addRow("%d", baud) << written(baudSettingWrite(baud)) << "baud"
                                  << QString::number(baud);
    QTest::newRow("time") << written(clockWrites(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 7))))
                          << "clock" << "26/12/31---23:59:07";
}

void TestLoggerDecoding::header() {
    QFETCH(QByteArray, header);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QCOMPARE(header.isNull() ? QString() : ::shown(decodeHeader(asSpan(header)), field), shown);
}

void TestLoggerDecoding::recordTime_data() {
    QTest::addColumn<QString>("stamp"); // MMDDhhmmss as the logger holds it
    QTest::addColumn<int>("units");     // of 0.4 s
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("shown");
    const QString newYear = "1231235959", feb = "0228235959", apr = "0430235959";
    QTest::newRow("record 4 in the new year") << newYear << 1 << 2026 << 4 << "27/01/01 00:00:00.2";
    QTest::newRow("2099 rolls to 00") << newYear << 5 << 2099 << 2 << "00/01/01 00:00:01.0";
    QTest::newRow("leap 2024") << feb << 5 << 2024 << 2 << "24/02/29 00:00:01.0";
    QTest::newRow("leap 2000") << feb << 5 << 2000 << 2 << "00/02/29 00:00:01.0";
    QTest::newRow("common 1900") << feb << 5 << 1900 << 2 << "00/03/01 00:00:01.0";
    // One month-end step per record; only December's starts a new year.
    QTest::newRow("December day 99") << "1299000000" << 5 << 2026 << 2 << "27/03/06 00:00:02.0";
    QTest::newRow("longest step, April") << apr << 65535 << 2026 << 2 << "26/05/01 07:16:53.0";
    QTest::newRow("month 13: no calendar") << "1331235959" << 5 << 2026 << 2 << "26/13/32 00:00:01.0";
    QTest::newRow("no drift") << "0101000000" << 1 << 2026 << 90001 << "26/01/01 10:00:00.0";
    for (int month = 1; month <= 11; ++month) { // each month's last day carries into the next
        const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); };
        QTest::addRow("end of month %d", month)
            << two(month) + two(QDate(2026, month, 1).daysInMonth()) + "235959" << 5 << 2026 << 2
            << "26/" + two(month + 1) + "/01 00:00:01.0";
    }
}

void TestLoggerDecoding::recordTime() {
    QFETCH(QString, stamp);
    QFETCH(int, units);
    QFETCH(int, year);
    QFETCH(int, record);
    QFETCH(QString, shown);
    RecordClock clock({stamp.mid(0, 2), stamp.mid(2, 2), stamp.mid(4, 2), stamp.mid(6, 2),
                       stamp.mid(8, 2)},
                      units, year);
    for (int k = 2; k <= record; ++k)
        clock.advance();
    QCOMPARE(clock.dateText() + u' ' + clock.timeText(), shown);
}

void TestLoggerDecoding::setDownload_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("byteLength");
    QTest::addColumn<QList<int>>("stored"); // low, high of each record from the start
    QTest::addColumn<int>("dumpLength");
    QTest::addColumn<QStringList>("rows"); // number, time, range, value; the others left out
    // The dump's own clock 03/14 09:05:00 and interval 3 × 0.4 s time the records.
    // The unit is the flag bit, overloads included.
    QTest::newRow("frequency")
        << "FREQ" << 200 << 8 << QList<int>{7, 0x80, 6, 0x80, 15, 0, 14, 0} << DumpLength
        << QStringList{"1 09:05:00.0 1MHz 180.0", "2 09:05:01.2 1KHz 180.0",
                       "3 09:05:02.4 1MHz OL", "4 09:05:03.6 1KHz -OL"};
    QTest::newRow("set past address 4095 stops at the end")
        << "DCV" << 4090 << 20 << QList<int>{1, 0x80, 1, 0x40, 1, 0} << DumpLength
        << QStringList{"1 09:05:00.0 R 00.0", "2 09:05:01.2 R 0.00", "3 09:05:02.4 R 000"};
    // Address 101's content is byte 204: a reply of 204 bytes lacks it.
    QTest::newRow("dump cut short") << "DCV" << 98 << 8 << QList<int>{1, 0x80, 1, 0x40} << 204
                                    << QStringList{"1 09:05:00.0 R 00.0"};
}

void TestLoggerDecoding::setDownload() {
    QFETCH(QString, function);
    QFETCH(int, start);
    QFETCH(int, byteLength);
    QFETCH(QList<int>, stored);
    QFETCH(int, dumpLength);
    QFETCH(QStringList, rows);
    Image memory(4096);
    memory.clock("0314090500").word(18, 3);
    for (int i = 0; i < stored.size(); ++i)
        memory.byte(start + i, stored[i]);
    const RecordSet set{1, 0, function, QStringLiteral("R"), start, byteLength};
    const SetDownload got = downloadSet(MemoryDump(dumpOf(memory.bytes(), dumpLength)), set, 2026);
    QStringList shown;
    for (const records::RecordFields& r : got.records) {
        QVERIFY(r[1] == u"26/03/14" && r[3] == function);
        shown << QStringList{r[0], r[2], r[4], r[5]}.join(u' ');
    }
    QCOMPARE(shown, rows);
    QCOMPARE(got.leftOut, set.recordCount() - rows.size());
    QCOMPARE(got.dumpComplete, dumpLength == DumpLength);
}

// A dump holds each address whose byte came, from the first to the last.
void TestLoggerDecoding::dumpAddresses() {
    Image memory(4096);
    memory.byte(0, 0x12).byte(9, 0x56).byte(4095, 0x34);
    const MemoryDump whole(dumpOf(memory.bytes()) + "past the dump");
    QCOMPARE(whole.addressesHeld(), 4096);
    QCOMPARE(whole.contentAt(0), std::optional<std::uint8_t>(0x12));
    QCOMPARE(whole.contentAt(4095), std::optional<std::uint8_t>(0x34));
    QCOMPARE(whole.headerBytes()[0], 0x12);
    const MemoryDump cut(dumpOf(memory.bytes(), 2 + 2 * 10)); // ten addresses came
    QCOMPARE(cut.addressesHeld(), 10);
    QCOMPARE(cut.contentAt(9), std::optional<std::uint8_t>(0x56));
    for (const int outside : {-1, 10, 4096})
        QCOMPARE(cut.contentAt(outside), std::nullopt);
}

void TestLoggerDecoding::randomHeadersAndDumps() {
    // Whatever the bytes, decoding stays in bounds (the sanitizer build checks that), lists
    // or leaves out every record of a set, and carries every field of the clock.
    QRandomGenerator random(20260314);
    const QRegularExpression time(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d\\.\\d$"));
    const auto randomBytes = [&](qsizetype n) {
        QByteArray b(n, '\0');
        for (char& c : b)
            c = char(random.bounded(256));
        return b;
    };
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = randomBytes(70);
        const qsizetype cut = random.bounded(0, 70); // a read cut short: nothing past it counts
        const LoggerHeader h = decodeHeader(asSpan(bytes).first(std::size_t(cut)));
        QCOMPARE(::shown(h), ::shown(decodeHeader(asSpan(bytes.left(cut)))));
        QVERIFY(h.sets.size() <= 5 && h.recordingMode >= 0 && h.recordingMode <= 2);
        const MemoryDump dump(randomBytes(round % 3 ? DumpLength : random.bounded(0, 9000)));
        // A set from anywhere: below, across or beyond the memory.
        const RecordSet set{1, 0, {}, {}, random.bounded(-300, 4400), random.bounded(-300, 9000)};
        const SetDownload got = downloadSet(dump, set, 2000 + round);
        QCOMPARE(int(got.records.size()) + got.leftOut, set.recordCount());
        for (std::size_t i = 1; i < got.records.size(); ++i)
            QVERIFY2(time.match(got.records[i][2]).hasMatch(), qPrintable(got.records[i][2]));
    }
}

QTEST_GUILESS_MAIN(TestLoggerDecoding)
#include "test_logger_decoding.moc"
