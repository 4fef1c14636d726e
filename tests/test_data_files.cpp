// The data file both ways: the line format, the field-counting reader, safe
// saving, and a loader that no file can crash or hang.
#include "files/DataFile.h"
#include "files/DataRecord.h"
#include "files/FieldReader.h"
#include "files/RecordStore.h"

#include <QTemporaryDir>
#include <QtTest>
#include <random>

using namespace tarnix::files;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every record as its fields joined by "|".
QStringList parse(const QByteArray& text, int chunk = 7) {
    QStringList records;
    FieldReader reader([&](const FieldReader::Fields& fields) {
        QStringList parts;
        for (const auto& f : fields)
            parts << QString::fromLatin1(f);
        records << parts.join(u'|');
    });
    for (qsizetype i = 0; i < text.size(); i += chunk)
        reader.feed(QByteArrayView(text).sliced(i, std::min<qsizetype>(chunk, text.size() - i))); // lines split across chunks
    reader.finish();
    return records;
}

} // namespace

class TestDataFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sampleLine();
    void fieldCounting_data();
    void fieldCounting();
    void saveAndOpenAgain();
    void emptyListGivesEmptyFile();
    void saveReplacesAndFailedSaveKeepsTheOldFile();
    void recordingAppendsFlushedLines();
    void hostileFiles_data();
    void hostileFiles();
    void randomAndMutatedFiles();
};

void TestDataFiles::sampleLine() {
    const QDateTime at(QDate(2026, 12, 5), QTime(14, 3, 7, 800));
    const RecordFields r = sampleRecord(1, at, "DCV", "200mV", "-12.34");
    QCOMPARE(recordLine(r), QStringLiteral("1,26/12/05,14:03:07.0,DCV,200mV,-12.34"));
    QCOMPARE(recordRow(r), QStringLiteral("1\t26/12/05\t14:03:07.0\tDCV\t200mV\t-12.34"));
    QCOMPARE(sampleTime(QDateTime(QDate(2026, 1, 2), QTime(9, 5, 3))), QStringLiteral("09:05:03.0"));
}

void TestDataFiles::fieldCounting_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("records");
    const QString a = "1|26/12/05|14:03:07.0|DCV|200mV|-12.34";
    const QString b = "2|26/12/05|14:03:09.0|DCV|200mV|OL";
    const QByteArray la = "1,26/12/05,14:03:07.0,DCV,200mV,-12.34";
    const QByteArray lb = "2,26/12/05,14:03:09.0,DCV,200mV,OL";
    QTest::newRow("CR LF") << la + "\r\n" + lb + "\r\n" << QStringList{a, b};
    QTest::newRow("LF only") << la + "\n" + lb + "\n" << QStringList{a, b};
    QTest::newRow("CR only") << la + "\r" + lb + "\r" << QStringList{a, b};
    QTest::newRow("no final line end") << la + "\r\n" + lb << QStringList{a, b};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("blank lines carry no field") << "\r\n" + la + "\r\n\r\n  \r\n" + lb + "\r\n"
                                                << QStringList{a, b};
    QTest::newRow("last line of four fields dropped") << la + "\r\n1,2,3,4\r\n" << QStringList{a};
    QTest::newRow("records by fields, not lines")
        << QByteArray("1,2,3\r\n4,5,6,7,8,9\r\n10,11,12\r\n")
        << QStringList{"1|2|3|4|5|6", "7|8|9|10|11|12"};
    QTest::newRow("blanks around fields") << QByteArray(" 1 , a b ,c,d,e,  f  \r\n")
                                          << QStringList{"1|a b|c|d|e|f"};
    QTest::newRow("quoted field keeps commas") << QByteArray("\"1,5\",b,\"c\"x,d,e,f\n")
                                               << QStringList{"1,5|b|c|d|e|f"};
    QTest::newRow("unclosed quote ends with the text") << QByteArray("1,2,3,4,5,\"6\r\n7")
                                                       << QStringList{"1|2|3|4|5|6\r\n7"};
    QTest::newRow("empty fields") << QByteArray(",,,,,\r\n") << QStringList{"|||||"};
}

void TestDataFiles::fieldCounting() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, records);
    QCOMPARE(parse(text), records);
    QCOMPARE(parse(text, 1), records);
    QCOMPARE(parse(text, 1 << 20), records);
}

void TestDataFiles::saveAndOpenAgain() {
    QTemporaryDir dir;
    RecordStore store;
    const QDateTime start(QDate(2026, 12, 31), QTime(23, 59, 58));
    const char* values[] = {"-12.34", "OL", "-OL", "0.123", "1999", "Initial"};
    for (int i = 0; i < 6; ++i)
        QVERIFY(store.append(sampleRecord(i + 1, start.addSecs(i), "ACV", "750V", values[i])));
    const QString path = dir.filePath("list.dat");
    QString error;
    QVERIFY2(saveDataFile(path, store, &error), qPrintable(error));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("1,26/12/31,23:59:58.0,ACV,750V,-12.34\r\n2,26/12/31,23:59:59.0,"));
    QCOMPARE(bytes.count('\n'), 6);
    QCOMPARE(bytes.count(','), 30);
    RecordStore again;
    const LoadResult result = loadDataFile(path, again);
    QVERIFY(result.ok);
    QCOMPARE(result.records, 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(again.record(i), store.record(i));
}

void TestDataFiles::emptyListGivesEmptyFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.dat");
    QVERIFY(saveDataFile(path, RecordStore{}));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(readAll(path), QByteArray());
}

void TestDataFiles::saveReplacesAndFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.dat");
    write(path, "old content that must go\r\n");
    RecordStore store;
    store.append(sampleRecord(1, QDateTime(QDate(2026, 1, 1), QTime(0, 0)), "DCV", "2V", "1.000"));
    QVERIFY(saveDataFile(path, store));
    QCOMPARE(readAll(path), QByteArray("1,26/01/01,00:00:00.0,DCV,2V,1.000\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.dat"});
    // A save that cannot be written says why and leaves everything as it was.
    QString error;
    QVERIFY(!saveDataFile(dir.filePath("no/such/folder/x.dat"), store, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), QByteArray("1,26/01/01,00:00:00.0,DCV,2V,1.000\r\n"));
}

void TestDataFiles::recordingAppendsFlushedLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.dat");
    write(path, "9,26/01/01,00:00:00.0,DCV,2V,1.000\r\n");
    RecordingFile file;
    QVERIFY(file.open(path));
    const QDateTime at(QDate(2026, 12, 5), QTime(14, 3, 7));
    QVERIFY(file.appendLine(sampleRecord(1, at, "DCV", "200mV", "-12.34")));
    // On disk before the file is closed: a crash now loses nothing.
    QCOMPARE(readAll(path), QByteArray("9,26/01/01,00:00:00.0,DCV,2V,1.000\r\n"
                                       "1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n"));
    file.close();
    // A device that refuses the bytes is reported, not ignored.
    RecordingFile full;
    QVERIFY(full.open(QStringLiteral("/dev/full")));
    QString error;
    QVERIFY(!full.appendLine(sampleRecord(1, at, "DCV", "200mV", "1"), &error));
    QVERIFY(!error.isEmpty());
}

void TestDataFiles::hostileFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("records");
    QByteArray binary(70000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 256);
    QTest::newRow("binary") << binary << -1;
    QTest::newRow("10 MB line") << QByteArray(10 << 20, 'x') + "\r\n1,2,3,4,5,6\r\n" << 1;
    QTest::newRow("10 MB of commas") << QByteArray(10 << 20, ',') << -1;
    QTest::newRow("10 MB of line ends") << QByteArray(10 << 20, '\n') << 0;
    QTest::newRow("only quotes") << QByteArray(100000, '"') << -1;
    QTest::newRow("NUL bytes in fields") << QByteArray("1,\0,3,4,5,6\r\n", 13) << 1;
}

void TestDataFiles::hostileFiles() {
    QFETCH(QByteArray, content);
    QFETCH(int, records);
    QTemporaryDir dir;
    const QString path = dir.filePath("hostile.dat");
    write(path, content);
    RecordStore store;
    const LoadResult result = loadDataFile(path, store);
    QVERIFY(result.ok);
    if (records >= 0)
        QCOMPARE(result.records, records);
    QCOMPARE(store.size(), result.records);
    for (qsizetype r = 0; r < store.size(); ++r)
        for (int c = 0; c < FieldCount; ++c)
            QVERIFY(store.cellBytes(r, c).size() <= qsizetype(FieldReader::MaxFieldLength));
    // A file that has gone away is reported.
    RecordStore none;
    const LoadResult gone = loadDataFile(dir.filePath("vanished.dat"), none);
    QVERIFY(!gone.ok);
    QVERIFY(!gone.error.isEmpty());
    QCOMPARE(none.size(), 0);
}

void TestDataFiles::randomAndMutatedFiles() {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255), pick(0, 99);
    QByteArray good;
    for (int i = 1; i <= 200; ++i)
        good += "1" + QByteArray::number(i) + ",26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n";
    const char interesting[] = ",\r\n\" \t\0x";
    for (int round = 0; round < 300; ++round) {
        QByteArray text = good;
        const int edits = 1 + pick(random);
        for (int e = 0; e < edits; ++e) {
            const int at = int(std::uniform_int_distribution<qsizetype>(0, text.size() - 1)(random));
            switch (pick(random) % 4) {
            case 0:
                text[at] = char(byte(random));
                break;
            case 1:
                text[at] = interesting[byte(random) % 8];
                break;
            case 2:
                text.remove(at, pick(random));
                break;
            default:
                text.insert(at, QByteArray(pick(random), interesting[byte(random) % 8]));
                break;
            }
            if (text.isEmpty())
                text = "x";
        }
        int records = 0;
        FieldReader reader([&](const FieldReader::Fields&) { ++records; });
        reader.feed(text);
        reader.finish();
        QVERIFY(records <= text.count(',') + text.count('\n') + text.count('\r') + 1);
    }
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_data_files.moc"
