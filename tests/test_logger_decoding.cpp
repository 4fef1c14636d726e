// The logger's header, the settings writes, the record clock and the set
// download from the memory dump.
#include "files/DataRecord.h"
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

ClockStamp stampOf(const char* digits) {
    const QString d = QString::fromLatin1(digits);
    return {d.mid(0, 2), d.mid(2, 2), d.mid(4, 2), d.mid(6, 2), d.mid(8, 2)};
}

// A header field as the Memory window shows it.
QString shownField(const LoggerHeader& h, const QString& field) {
    if (field == u"writeCount")
        return QString::number(h.writeCount);
    if (field == u"idCode")
        return QString::number(h.idCode);
    if (field == u"recordingMode")
        return QString::fromUtf16(RecordingModeNames[h.recordingMode]);
    if (field == u"memorySize")
        return memorySizeText(h.memorySizeK);
    if (field == u"interval")
        return intervalText(h.intervalUnits);
    if (field == u"clock")
        return clockText(h.clock, u"26");
    if (field == u"endAddress")
        return QString::number(h.endAddress);
    if (field == u"rangeChanges")
        return QString::number(h.rangeChanges);
    if (field == u"listedSets")
        return QString::number(h.sets.size());
    if (field == u"failCount")
        return QString::number(h.failCount);
    if (field == u"baudRate")
        return QString::number(baudRateOfCode(h.baudCode));
    return QStringLiteral("unknown field");
}

QList<int> flattened(const ByteWrites& writes) {
    QList<int> out;
    for (const ByteWrite& w : writes)
        out << w.address << w.value;
    return out;
}

} // namespace

class TestLoggerDecoding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerField_data();
    void headerField();
    void setRows_data();
    void setRows();
    void yearDigitsOfClock_data();
    void yearDigitsOfClock();
    void progress_data();
    void progress();

    void typedSettingWrites_data();
    void typedSettingWrites();
    void listWrites_data();
    void listWrites();
    void clockWrites_data();
    void clockWrites();

    void recordTime_data();
    void recordTime();

    void setDownload_data();
    void setDownload();
    void downloadTakesClockFromTheDump();
    void title_data();
    void title();

    void randomHeadersAndDumps();
};

void TestLoggerDecoding::headerField_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    const auto h = [] { return Image(HeaderLength); };

    QTest::newRow("write count, low byte first") << h().word(0, 4660).bytes() << "writeCount"
                                                 << "4660";
    QTest::newRow("id code 300") << h().byte(2, 44).byte(3, 1).bytes() << "idCode"
                                 << "300";
    QTest::newRow("id code 65535") << h().word(2, 65535).bytes() << "idCode"
                                   << "65535";
    QTest::newRow("mode 0") << h().byte(5, 0).bytes() << "recordingMode"
                            << "Normal";
    QTest::newRow("mode 1") << h().byte(5, 1).bytes() << "recordingMode"
                            << "Max";
    QTest::newRow("mode 2") << h().byte(5, 2).bytes() << "recordingMode"
                            << "Min";
    QTest::newRow("mode 3") << h().byte(5, 3).bytes() << "recordingMode"
                            << "Normal";
    QTest::newRow("mode 9") << h().byte(5, 9).bytes() << "recordingMode"
                            << "Normal";
    QTest::newRow("mode 255") << h().byte(5, 255).bytes() << "recordingMode"
                              << "Normal";
    QTest::newRow("memory 4") << h().byte(6, 4).bytes() << "memorySize"
                              << "4 K";
    QTest::newRow("interval 5 units") << h().byte(18, 5).byte(19, 0).bytes() << "interval"
                                      << "2 sec";
    QTest::newRow("interval 1 unit") << h().byte(18, 1).bytes() << "interval"
                                     << "0.4 sec";
    QTest::newRow("interval 3 units") << h().byte(18, 3).bytes() << "interval"
                                      << "1.2 sec";
    QTest::newRow("interval high byte") << h().byte(18, 0).byte(19, 1).bytes() << "interval"
                                        << "102.4 sec";
    QTest::newRow("interval largest") << h().word(18, 65535).bytes() << "interval"
                                      << "26214 sec";
    QTest::newRow("interval 0") << h().bytes() << "interval"
                                << "0 sec";
    QTest::newRow("clock from codes") << h().clock("0314090500").bytes() << "clock"
                                      << "26/03/14---09:05:00";
    // Only the low four bits count, read as a hexadecimal digit.
    QTest::newRow("clock low nibbles")
        << h().byte(8, 0x31).byte(9, 0xF2).byte(16, 0x0A).byte(17, 0xFF).bytes() << "clock"
        << "26/12/00---00:00:AF";
    QTest::newRow("end address") << h().word(20, 0x0F00).bytes() << "endAddress"
                                 << "3840";
    QTest::newRow("7 range changes shown") << h().byte(22, 7).bytes() << "rangeChanges"
                                           << "7";
    QTest::newRow("7 range changes list 5") << h().byte(22, 7).bytes() << "listedSets"
                                            << "5";
    QTest::newRow("255 range changes list 5") << h().byte(22, 255).bytes() << "listedSets"
                                              << "5";
    QTest::newRow("3 range changes list 3") << h().byte(22, 3).bytes() << "listedSets"
                                            << "3";
    QTest::newRow("no range change") << h().byte(22, 0).bytes() << "listedSets"
                                     << "0";
    QTest::newRow("fail count") << h().word(41, 513).bytes() << "failCount"
                                << "513";
    QTest::newRow("baud 1") << h().byte(48, 1).bytes() << "baudRate"
                            << "1200";
    QTest::newRow("baud 2") << h().byte(48, 2).bytes() << "baudRate"
                            << "2400";
    QTest::newRow("baud 4") << h().byte(48, 4).bytes() << "baudRate"
                            << "4800";
    QTest::newRow("baud 0") << h().byte(48, 0).bytes() << "baudRate"
                            << "9600";
    QTest::newRow("baud 3") << h().byte(48, 3).bytes() << "baudRate"
                            << "9600";
    QTest::newRow("baud 255") << h().byte(48, 255).bytes() << "baudRate"
                              << "9600";
    // A read cut short decodes what it has.
    QTest::newRow("short header") << Image(3).word(0, 7).byte(2, 9).bytes() << "idCode"
                                  << "9";
}

void TestLoggerDecoding::headerField() {
    QFETCH(QByteArray, header);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QCOMPARE(shownField(decodeHeader(asSpan(header)), field), shown);
}

void TestLoggerDecoding::setRows_data() {
    QTest::addColumn<QByteArray>("header");
    // Per row: number, function, range, count as shown, records a download lists.
    QTest::addColumn<QStringList>("rows");
    const auto h = [] { return Image(HeaderLength); };

    QTest::newRow("three sets, the last to the end address")
        << h().byte(22, 3).set(1, 0, 56).set(2, 5, 296).set(3, 128, 302).word(20, 402).bytes()
        << QStringList{"1|DCV|200mV|120|120", "2|FREQ|KHz/MHz|3|3", "3|ACV|200mV|50|50"};
    QTest::newRow("seven range changes: set 5 runs to the end address")
        << h().byte(22, 7)
               .set(1, 1, 100)
               .set(2, 2, 110)
               .set(3, 3, 120)
               .set(4, 4, 130)
               .set(5, 8, 140)
               .word(20, 1000)
               .bytes()
        << QStringList{"1|DCV|2V|5|5", "2|DCV|20V|5|5", "3|DCV|200V|5|5", "4|DCV|1000V|5|5",
                       "5|RES|200Ohm|430|430"};
    QTest::newRow("one set") << h().byte(22, 1).set(1, 66, 56).set(2, 0, 60).word(20, 4096).bytes()
                             << QStringList{"1|TEMP|200'C|2020|2020"};
    QTest::newRow("odd length shows a half record")
        << h().byte(22, 2).set(1, 0, 56).set(2, 0, 61).word(20, 61).bytes()
        << QStringList{"1|DCV|200mV|2.5|2", "2|DCV|200mV|0|0"};
    QTest::newRow("next start below lists nothing")
        << h().byte(22, 2).set(1, 0, 300).set(2, 0, 290).word(20, 400).bytes()
        << QStringList{"1|DCV|200mV|-5|0", "2|DCV|200mV|55|55"};
    QTest::newRow("end address below the last start")
        << h().byte(22, 1).set(1, 0, 300).word(20, 0).bytes() << QStringList{"1|DCV|200mV|-150|0"};
    QTest::newRow("unknown code has no texts")
        << h().byte(22, 2).set(1, 0, 56).set(2, 7, 58).word(20, 60).bytes()
        << QStringList{"1|DCV|200mV|1|1", "2|||1|1"};
    QTest::newRow("no range change lists nothing")
        << h().byte(22, 0).set(1, 0, 56).word(20, 100).bytes() << QStringList{};
}

void TestLoggerDecoding::setRows() {
    QFETCH(QByteArray, header);
    QFETCH(QStringList, rows);
    QStringList shown;
    for (const RecordSet& s : decodeHeader(asSpan(header)).sets)
        shown << QStringList{QString::number(s.number), s.function, s.range, s.countText(),
                             QString::number(s.recordCount())}
                     .join(u'|');
    QCOMPARE(shown, rows);
}

void TestLoggerDecoding::yearDigitsOfClock_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("digits");
    QTest::newRow("2026") << 2026 << "26";
    QTest::newRow("2007") << 2007 << "07";
    QTest::newRow("2100") << 2100 << "00";
    QTest::newRow("1999") << 1999 << "99";
}

void TestLoggerDecoding::yearDigitsOfClock() {
    QFETCH(int, year);
    QFETCH(QString, digits);
    QCOMPARE(yearDigits(year), digits);
}

void TestLoggerDecoding::progress_data() {
    QTest::addColumn<bool>("dump"); // else the header read
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("header after 0") << false << 0 << "0.0% completed";
    QTest::newRow("header after 1") << false << 1 << "1.8% completed";
    QTest::newRow("header after 27") << false << 27 << "49.1% completed";
    QTest::newRow("header after 54") << false << 54 << "98.2% completed";
    QTest::newRow("dump nothing") << true << 0 << "0.0% completed";
    QTest::newRow("dump 1 byte") << true << 1 << "0.0% completed";
    QTest::newRow("dump 82 bytes") << true << 82 << "1.0% completed";
    QTest::newRow("dump half") << true << 4097 << "50.0% completed";
    QTest::newRow("dump one short") << true << 8193 << "100.0% completed";
    QTest::newRow("dump whole") << true << 8194 << "100.0% completed";
    QTest::newRow("dump with extra bytes") << true << 9000 << "100.0% completed";
}

void TestLoggerDecoding::progress() {
    QFETCH(bool, dump);
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(dump ? dumpProgress(count) : headerReadProgress(count), text);
}

void TestLoggerDecoding::typedSettingWrites_data() {
    QTest::addColumn<bool>("interval"); // else the identification code
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("writes"); // address, value, in order

    QTest::newRow("id 300") << false << "300" << true << QList<int>{3, 1, 2, 44};
    QTest::newRow("id 1000") << false << "1000" << true << QList<int>{3, 3, 2, 232};
    QTest::newRow("id abc") << false << "abc" << true << QList<int>{3, 0, 2, 0};
    QTest::newRow("id 65535") << false << "65535" << true << QList<int>{3, 255, 2, 255};
    QTest::newRow("id 2.5 rounds to even") << false << "2.5" << true << QList<int>{3, 0, 2, 2};
    QTest::newRow("id 3.5 rounds to even") << false << "3.5" << true << QList<int>{3, 0, 2, 4};
    QTest::newRow("id 65536") << false << "65536" << false << QList<int>{};
    QTest::newRow("id 65535.5 rounds out") << false << "65535.5" << false << QList<int>{};
    QTest::newRow("id -1") << false << "-1" << false << QList<int>{};
    QTest::newRow("id -0.2") << false << "-0.2" << false << QList<int>{};
    QTest::newRow("id huge") << false << QString(300, u'9') << false << QList<int>{};

    QTest::newRow("2 sec") << true << "2 sec" << true << QList<int>{19, 0, 18, 5};
    QTest::newRow("2") << true << "2" << true << QList<int>{19, 0, 18, 5};
    QTest::newRow("1 second is 2 units") << true << "1" << true << QList<int>{19, 0, 18, 2};
    QTest::newRow("3 seconds are 8 units") << true << "3" << true << QList<int>{19, 0, 18, 8};
    QTest::newRow("0.6 is 1.5 units, to even") << true << "0.6" << true << QList<int>{19, 0, 18, 2};
    QTest::newRow("0.4 sec") << true << "0.4 sec" << true << QList<int>{19, 0, 18, 1};
    QTest::newRow("102.4 sec") << true << "102.4 sec" << true << QList<int>{19, 1, 18, 0};
    QTest::newRow("26214 sec") << true << "26214 sec" << true << QList<int>{19, 255, 18, 255};
    QTest::newRow("26214.4 sec") << true << "26214.4" << false << QList<int>{};
    QTest::newRow("sec alone") << true << "sec" << true << QList<int>{19, 0, 18, 0};
    QTest::newRow("-2") << true << "-2" << false << QList<int>{};
}

void TestLoggerDecoding::typedSettingWrites() {
    QFETCH(bool, interval);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, writes);
    const auto result =
        interval ? sampleRateWrites(QStringView(typed)) : idCodeWrites(QStringView(typed));
    QCOMPARE(result.has_value(), accepted);
    if (result)
        QCOMPARE(flattened(*result), writes);
}

void TestLoggerDecoding::listWrites_data() {
    QTest::addColumn<bool>("baud"); // else the recording mode
    QTest::addColumn<int>("entry"); // list entry number, or the rate
    QTest::addColumn<QList<int>>("write");

    QTest::newRow("Normal") << false << 0 << QList<int>{5, 0};
    QTest::newRow("Max") << false << 1 << QList<int>{5, 1};
    QTest::newRow("Min") << false << 2 << QList<int>{5, 2};
    QTest::newRow("no mode selected") << false << -1 << QList<int>{};
    QTest::newRow("mode 3") << false << 3 << QList<int>{};
    QTest::newRow("9600") << true << 9600 << QList<int>{48, 0};
    QTest::newRow("4800") << true << 4800 << QList<int>{48, 4};
    QTest::newRow("2400") << true << 2400 << QList<int>{48, 2};
    QTest::newRow("1200") << true << 1200 << QList<int>{48, 1};
    QTest::newRow("19200") << true << 19200 << QList<int>{};
    QTest::newRow("no rate selected") << true << 0 << QList<int>{};
}

void TestLoggerDecoding::listWrites() {
    QFETCH(bool, baud);
    QFETCH(int, entry);
    QFETCH(QList<int>, write);
    const auto w = baud ? baudSettingWrite(entry) : recordingModeWrite(entry);
    QCOMPARE(w ? flattened({*w}) : QList<int>{}, write);
}

void TestLoggerDecoding::clockWrites_data() {
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("digits"); // written to 8..17 as their codes

    QTest::newRow("31 December 23:59:07")
        << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 7)) << "1231235907";
    QTest::newRow("14 March 09:05:00")
        << QDateTime(QDate(2026, 3, 14), QTime(9, 5, 0)) << "0314090500";
    QTest::newRow("1 January midnight")
        << QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)) << "0101000000";
    QTest::newRow("invalid") << QDateTime() << "";
}

void TestLoggerDecoding::clockWrites() {
    QFETCH(QDateTime, at);
    QFETCH(QString, digits);
    QList<int> expected;
    for (int i = 0; i < digits.size(); ++i)
        expected << 8 + i << digits[i].unicode();
    QCOMPARE(flattened(logger::clockWrites(at)), expected);
}

void TestLoggerDecoding::recordTime_data() {
    QTest::addColumn<QString>("stamp"); // MMDDhhmmss as the logger holds it
    QTest::addColumn<int>("units");     // of 0.4 s
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");

    const char* newYear = "1231235959";
    QTest::newRow("record 1 carries the stamp") << newYear << 1 << 2026 << 1 << "26/12/31"
                                                << "23:59:59.0";
    QTest::newRow("record 2") << newYear << 1 << 2026 << 2 << "26/12/31"
                              << "23:59:59.4";
    QTest::newRow("record 3") << newYear << 1 << 2026 << 3 << "26/12/31"
                              << "23:59:59.8";
    QTest::newRow("record 4 in the new year") << newYear << 1 << 2026 << 4 << "27/01/01"
                                              << "00:00:00.2";
    QTest::newRow("later records keep the year") << newYear << 1 << 2026 << 1000 << "27/01/01"
                                                 << "00:06:38.6";
    QTest::newRow("2099 rolls to 00") << newYear << 5 << 2099 << 2 << "00/01/01"
                                      << "00:00:01.0";

    const char* february = "0228235959";
    QTest::newRow("leap 2024") << february << 5 << 2024 << 2 << "24/02/29"
                               << "00:00:01.0";
    QTest::newRow("common 2026") << february << 5 << 2026 << 2 << "26/03/01"
                                 << "00:00:01.0";
    QTest::newRow("leap 2000") << february << 5 << 2000 << 2 << "00/02/29"
                               << "00:00:01.0";
    QTest::newRow("common 1900") << february << 5 << 1900 << 2 << "00/03/01"
                                 << "00:00:01.0";
    QTest::newRow("29 February 2024 ends") << "0229235959" << 5 << 2024 << 2 << "24/03/01"
                                           << "00:00:01.0";

    QTest::newRow("30 April") << "0430235959" << 5 << 2026 << 2 << "26/05/01"
                              << "00:00:01.0";
    QTest::newRow("30 June stays") << "0630120000" << 5 << 2026 << 2 << "26/06/30"
                                   << "12:00:02.0";
    QTest::newRow("31 January") << "0131235959" << 5 << 2026 << 2 << "26/02/01"
                                << "00:00:01.0";
    QTest::newRow("31 October") << "1031235959" << 5 << 2026 << 2 << "26/11/01"
                                << "00:00:01.0";
    QTest::newRow("30 November") << "1130235959" << 5 << 2026 << 2 << "26/12/01"
                                 << "00:00:01.0";
    // One month-end step per record; only December's starts a new year.
    QTest::newRow("October day 99") << "1099000000" << 5 << 2026 << 2 << "26/13/06"
                                    << "00:00:02.0";
    QTest::newRow("December day 99") << "1299000000" << 5 << 2026 << 2 << "27/03/06"
                                     << "00:00:02.0";
    QTest::newRow("month 13 has no month end") << "1331235959" << 5 << 2026 << 2 << "26/13/32"
                                               << "00:00:01.0";
    QTest::newRow("month 0 has no month end") << "0031235959" << 5 << 2026 << 2 << "26/00/32"
                                              << "00:00:01.0";
    // Hours beyond the day in the stamp carry on the next record.
    QTest::newRow("stamp hour 99") << "0131995959" << 5 << 2026 << 2 << "26/02/04"
                                   << "04:00:01.0";
    QTest::newRow("longest interval") << "0101000000" << 65535 << 2026 << 2 << "26/01/01"
                                      << "07:16:54.0";
    QTest::newRow("no interval") << "0101000000" << 0 << 2026 << 500 << "26/01/01"
                                 << "00:00:00.0";
    QTest::newRow("1.2 s steps do not drift") << "0101000000" << 3 << 2026 << 10001 << "26/01/01"
                                              << "03:20:00.0";
    QTest::newRow("0.4 s steps do not drift") << "0101000000" << 1 << 2026 << 90001 << "26/01/01"
                                              << "10:00:00.0";
    QTest::newRow("a digit above 9 reads as its leading number")
        << "0A01000000" << 1 << 2026 << 1 << "26/00/01"
        << "00:00:00.0";
}

void TestLoggerDecoding::recordTime() {
    QFETCH(QString, stamp);
    QFETCH(int, units);
    QFETCH(int, year);
    QFETCH(int, record);
    QFETCH(QString, date);
    QFETCH(QString, time);
    RecordClock clock(stampOf(qPrintable(stamp)), units, year);
    for (int k = 2; k <= record; ++k)
        clock.advance();
    QCOMPARE(clock.dateText(), date);
    QCOMPARE(clock.timeText(), time);
}

void TestLoggerDecoding::setDownload_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("byteLength");
    QTest::addColumn<QList<int>>("stored"); // low, high of each record from the start
    QTest::addColumn<int>("dumpLength");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("leftOut");

    const QString d = QStringLiteral("26/03/14\t");
    QTest::newRow("dc readings") << "DCV"
                                 << "200mV" << 100 << 8
                                 << QList<int>{6, 0x80, 0x0B, 0x40, 15, 0, 14, 0} << DumpLength
                                 << QStringList{"1\t" + d + "09:05:00.0\tDCV\t200mV\t-180.0",
                                                "2\t" + d + "09:05:01.2\tDCV\t200mV\t14.00",
                                                "3\t" + d + "09:05:02.4\tDCV\t200mV\tOL",
                                                "4\t" + d + "09:05:03.6\tDCV\t200mV\t-OL"}
                                 << 0;
    QTest::newRow("frequency alternates MHz and kHz")
        << "FREQ"
        << "KHz/MHz" << 200 << 8 << QList<int>{7, 0x80, 6, 0x80, 7, 0x80, 6, 0x80} << DumpLength
        << QStringList{"1\t" + d + "09:05:00.0\tFREQ\t1MHz\t180.0",
                       "2\t" + d + "09:05:01.2\tFREQ\t1KHz\t180.0",
                       "3\t" + d + "09:05:02.4\tFREQ\t1MHz\t180.0",
                       "4\t" + d + "09:05:03.6\tFREQ\t1KHz\t180.0"}
        << 0;
    QTest::newRow("frequency overloads take the unit from bit 0")
        << "FREQ"
        << "KHz/MHz" << 200 << 4 << QList<int>{15, 0, 14, 0} << DumpLength
        << QStringList{"1\t" + d + "09:05:00.0\tFREQ\t1MHz\tOL",
                       "2\t" + d + "09:05:01.2\tFREQ\t1KHz\t-OL"}
        << 0;
    QTest::newRow("no records") << "DCV"
                                << "2V" << 100 << 0 << QList<int>{} << DumpLength << QStringList{}
                                << 0;
    QTest::newRow("negative count")
        << "DCV"
        << "2V" << 100 << -10 << QList<int>{} << DumpLength << QStringList{} << 0;
    QTest::newRow("half a record is not listed")
        << "ACV"
        << "2V" << 100 << 3 << QList<int>{0x0B, 0x40, 0x0B, 0x40} << DumpLength
        << QStringList{"1\t" + d + "09:05:00.0\tACV\t2V\t14.00"} << 0;
    QTest::newRow("set past address 4095 stops at the end")
        << "DCV"
        << "20V" << 4090 << 20 << QList<int>{1, 0x80, 1, 0x40, 1, 0} << DumpLength
        << QStringList{"1\t" + d + "09:05:00.0\tDCV\t20V\t00.0",
                       "2\t" + d + "09:05:01.2\tDCV\t20V\t0.00",
                       "3\t" + d + "09:05:02.4\tDCV\t20V\t000"}
        << 7;
    QTest::newRow("record across the end")
        << "DCV"
        << "20V" << 4095 << 4 << QList<int>{1} << DumpLength << QStringList{} << 2;
    QTest::newRow("start beyond the memory")
        << "DCV"
        << "20V" << 5000 << 4 << QList<int>{} << DumpLength << QStringList{} << 2;
    // Address 101's content is byte 204: a reply of 204 bytes lacks it.
    QTest::newRow("dump cut short")
        << "DCV"
        << "20V" << 98 << 8 << QList<int>{1, 0x80, 1, 0x40, 1, 0, 1, 0} << 204
        << QStringList{"1\t" + d + "09:05:00.0\tDCV\t20V\t00.0"} << 3;
    QTest::newRow("empty dump") << "DCV"
                                << "20V" << 98 << 8 << QList<int>{} << 0 << QStringList{} << 4;
}

void TestLoggerDecoding::setDownload() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(int, start);
    QFETCH(int, byteLength);
    QFETCH(QList<int>, stored);
    QFETCH(int, dumpLength);
    QFETCH(QStringList, rows);
    QFETCH(int, leftOut);

    Image memory(4096);
    memory.clock("0314090500").word(18, 3);
    for (int i = 0; i < stored.size(); ++i)
        memory.byte(start + i, stored[i]);
    const RecordSet set{1, 0, function, range, start, byteLength};

    const SetDownload got = downloadSet(MemoryDump(dumpOf(memory.bytes(), dumpLength)), set, 2026);
    QStringList shown;
    for (const files::RecordFields& r : got.records)
        shown << files::recordRow(r);
    QCOMPARE(shown, rows);
    QCOMPARE(got.leftOut, leftOut);
    QCOMPARE(got.dumpComplete, dumpLength == DumpLength);
}

void TestLoggerDecoding::downloadTakesClockFromTheDump() {
    // The header read saw another clock; the records follow the dump's.
    Image memory(4096);
    memory.clock("1231235959").word(18, 1).byte(300, 1).byte(301, 0x80);
    const RecordSet set{2, 0, QStringLiteral("DCV"), QStringLiteral("200mV"), 300, 8};
    const SetDownload got = downloadSet(MemoryDump(dumpOf(memory.bytes())), set, 2026);
    QCOMPARE(got.records.size(), std::size_t(4));
    QCOMPARE(got.records[0][1], QStringLiteral("26/12/31"));
    QCOMPARE(got.records[0][2], QStringLiteral("23:59:59.0"));
    QCOMPARE(got.records[3][1], QStringLiteral("27/01/01"));
    QCOMPARE(got.records[3][2], QStringLiteral("00:00:00.2"));
}

void TestLoggerDecoding::title_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("title");
    QTest::newRow("120 in set 2") << "120" << 2 << "120  Records In No. 2  Set";
    QTest::newRow("none in set 5") << "0" << 5 << "0  Records In No. 5  Set";
}

void TestLoggerDecoding::title() {
    QFETCH(QString, count);
    QFETCH(int, set);
    QFETCH(QString, title);
    QCOMPARE(downloadTitle(count, set), title);
}

void TestLoggerDecoding::randomHeadersAndDumps() {
    // Whatever the bytes, decoding stays in bounds (the sanitizer build
    // checks that) and keeps its promises about counts and clock fields.
    QRandomGenerator random(20260314);
    const QRegularExpression advancedTime(
        QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d\\.\\d$"));
    for (int round = 0; round < 300; ++round) {
        QByteArray header(random.bounded(0, 70), '\0');
        for (char& c : header)
            c = char(random.bounded(256));
        // Often a plausible set table, so that records are actually taken.
        if (header.size() >= HeaderLength && round % 2 == 0) {
            header[20] = char(random.bounded(256));
            header[21] = char(random.bounded(17));
            for (int n = 1; n <= 5; ++n)
                header[24 + 3 * n] = char(random.bounded(17));
        }
        const LoggerHeader h = decodeHeader(asSpan(header));
        QVERIFY(h.sets.size() <= 5);
        QVERIFY(h.recordingMode >= 0 && h.recordingMode <= 2);
        clockText(h.clock, yearDigits(2026));

        QByteArray reply(round % 3 == 0 ? random.bounded(0, 9000) : DumpLength, '\0');
        for (char& c : reply)
            c = char(random.bounded(256));
        const MemoryDump dump(reply);
        std::vector<RecordSet> sets = h.sets;
        sets.push_back({0, 0, QString(), QString(), int(random.bounded(-70000, 70000)),
                        int(random.bounded(-70000, 70000))});
        for (const RecordSet& set : sets) {
            const SetDownload got = downloadSet(dump, set, 2000 + round);
            QCOMPARE(int(got.records.size()) + got.leftOut, set.recordCount());
            for (std::size_t i = 1; i < got.records.size(); ++i)
                QVERIFY2(advancedTime.match(got.records[i][2]).hasMatch(),
                         qPrintable(got.records[i][2]));
        }
    }
}

QTEST_GUILESS_MAIN(TestLoggerDecoding)
#include "test_logger_decoding.moc"
