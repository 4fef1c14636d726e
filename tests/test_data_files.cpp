// The data file both ways: the line format, the field-counting reader, safe
// saving, and a loader that no file can crash or hang.
#include "analysis/AnalysisConverter.h"
#include "analysis/SummaryLines.h"
#include "records/AnalysisCsv.h"
#include "records/AnalysisFile.h"
#include "records/CsvSplit.h"
#include "records/RecordingFiles.h"
#include "records/RecordingFormat.h"
#include "records/DataFile.h"
#include "records/DataRecord.h"
#include "records/LineChunks.h"
#include "records/FileRecords.h"
#include "records/ValueColumn.h"
#include "records/RecordClock.h"
#include "records/RecordReader.h"
#include "records/RecordStore.h"
#include "records/SaveName.h"
#include "analysis/TimeSlice.h"
#include "core/FilesInTimeOrder.h"
#include "core/SummaryRecording.h"
#include "meter/FunctionRange.h"
#include "meter/Measurement.h"
#include "platform/AtomicFile.h"
#include "platform/PositionalFile.h"
#include "support/FailingWrite.h"
#include "support/FileBytes.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <QTimeZone>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnix;
using namespace tarnix::records;
using namespace tarnix::analysis;

namespace {

// Numbered DCV lines, as a recording holds them.
QByteArray recordedLines(int count) {
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += QByteArray::number(i) + ",26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n";
    return text;
}

// Some 9 MB of records around `middle`, the whole file's middle byte being
// its byte `at`: a file read in two halves at once, split near there.
QByteArray halvedAt(const QByteArray& middle, qsizetype at) {
    const QByteArray filler = recordedLines(110000);
    const qsizetype longer = 2 * at - middle.size(); // how much longer the end is than the start
    const auto padded = [](qsizetype blanks) {
        return "0,d,t,DCV,200mV," + QByteArray(std::max<qsizetype>(blanks, 0), ' ') + "1\r\n";
    };
    return padded(-longer) + filler + middle + filler + padded(longer);
}

// The same records in a list.
RecordStore storeOf(int records) {
    RecordStore store;
    const QDateTime at(QDate(2026, 12, 5), QTime(14, 3, 7));
    for (int i = 1; i <= records; ++i)
        store.append(sampleRecord(i, at, "DCV", "200mV", "-12.34"));
    return store;
}

} // namespace

class TestDataFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valueColumnKeepsOneRunARange();
    void filesInTimeOrder_data();
    void filesInTimeOrder();
    void initTestCase() { qputenv("TZ", "Europe/Berlin"), tzset(); }
    void lineRules_data();
    void lineRules();
    void saveAndOpenAgain();
    void saveReplacesAndFailedSaveKeepsTheOldFile();
    void fullDiskSaveKeepsTheOldFile_data();
    void fullDiskSaveKeepsTheOldFile();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();
    void filesTooLargeOrCutShort();
    void recordingKeepsWholeLines_data();
    void recordingKeepsWholeLines();
    void recordingToAFifo();
    void openedFileReadsAsItWasRead_data();
    void openedFileReadsAsItWasRead();
    void fileChangedWhileOpen_data();
    void fileChangedWhileOpen();
    void everyRangeHasItsUnit();
    void analysisLines_data();
    void analysisLines();
    void baseUnitValuesKeepTheNumber();
    void csvFieldsComeBack_data();
    void csvFieldsComeBack();
    void recordingFilesTurnOver_data();
    void recordingFilesTurnOver();
    void savedNames_data();
    void savedNames();
    void recordTimes_data();
    void recordTimes();
    void converterWritesWhatEachLineWould();
    void quickTimesAgreeWithTheText();
    void chunkThatCannotBeReadIsSaid();
    void offsetsFollowTheFileOrder_data();
    void seeksOnlyInGrowingRecordings();
    void offsetsFollowTheFileOrder();
    void appendingChecksTheHeader_data();
    void appendingChecksTheHeader();
    void lastRecordTimes_data();
    void lastRecordTimes();
    void summaryIntervalsFollowTheWallClock_data();
    void summaryIntervalsFollowTheWallClock();
};

void TestDataFiles::lineRules_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("skipped");
    const QString a = "1|26/12/05|14:03:07.0|DCV|200mV|-12.34";
    const QString b = "2|26/12/05|14:03:09.0|DCV|200mV|OL";
    const QByteArray la = "1,26/12/05,14:03:07.0,DCV,200mV,-12.34";
    const QByteArray lb = "2,26/12/05,14:03:09.0,DCV,200mV,OL";
    QTest::newRow("LF only") << la + "\n" + lb + "\n" << QStringList{a, b} << 0;
    QTest::newRow("CR only, no final line end") << la + "\r" + lb << QStringList{a, b} << 0;
    QTest::newRow("CR LF, empty lines are none")
        << "\r\n" + la + "\r\n\r\n\n" + lb + "\r\n" << QStringList{a, b} << 0;
    // A line is a record or is skipped: a short or long one moves no other record.
    QTest::newRow("short and long lines, a blank line")
        << "1,2,3\r\n" + la + "\r\n1,2,3,4,5,6,7\r\n \t\r\n" + lb + "\r\n1,2,3,4"
        << QStringList{a, b} << 4;
    QTest::newRow("blanks around fields, quoted fields")
        << QByteArray(" 1 ,\t\"a,b\" , c d ,\"\"\"\",\"\",  f  \r\n")
        << QStringList{"1|a,b|c d|\"||f"} << 0;
    QTest::newRow("stray quotes") << "1,2,3,4,5,\"6\r\n\"x\r\n" + la + "\r\n1,2,3,4,5,\"6,7"
                                  << QStringList{a} << 3;
    // Not mended: a quote dropped from -12"34 would give a value a hundred times off.
    QTest::newRow("quotes within fields")
        << QByteArray("1,\"c\"x,3,4,5,6\n1,2,3,DCV,200mV,-12\"34") << QStringList{} << 2;
    const char controls[] = "1,2,3,D\0CV,5,6\n\0\0\0\n1,2,3,4,5\t5,6\n1,2,3,4,5,\"6\x7f\"\n";
    QTest::newRow("NUL bytes, a tab and DEL in fields")
        << QByteArray(controls, sizeof controls - 1) << QStringList{} << 4;
    QTest::newRow("no record number") << "x" + la.mid(1) + "\r\n1x" + la.mid(1) + "\r\n,,,,,\r\n" + lb
                                      << QStringList{b} << 3;
    // Record numbers within 64 bits, however many digits they take.
    QTest::newRow("record numbers of 20 and 25 digits")
        << "18446744073709551615" + la.mid(1) + "\n18446744073709551616" + la.mid(1) +
               "\n1000000000000000000000000" + la.mid(1)
        << QStringList{"18446744073709551615" + a.mid(1)} << 2;
    QTest::newRow("spaces around plain fields, signed numbers")
        << " 1 , 26/12/05 ,14:03:07.0 , DCV,200mV ,  -12.34 \n+2" + lb.mid(1) + "\n- 3" + la.mid(1) +
               "\n+" + la.mid(1)
        << QStringList{a, "+2" + b.mid(1)} << 2;
    // The comma of an empty sixth field among the last bytes of the text read.
    QTest::newRow("an empty last field at the text's end")
        << QByteArray("1,2,3,4,56789012,\r\n") << QStringList{"1|2|3|4|56789012|"} << 0;
    QByteArray near64; // records whose line ends at byte 62, 63 and 64 of their line
    QStringList near64Records;
    for (const int length : {62, 63, 64}) {
        near64 += la + QByteArray(length - la.size(), '0') + "\n";
        near64Records << a + QString(length - la.size(), u'0');
    }
    QTest::newRow("lines near 64 bytes")
        << near64 + "1,2,3,4,5,6,7,8" + QByteArray(60, ' ') + "\n" << near64Records << 1;
    QTest::newRow("a line over the limit") << "1," + QByteArray(LongestRecordLine, '5') + ",3,4,5,6"
                                           << QStringList{} << 1;
}

void TestDataFiles::lineRules() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, records);
    QFETCH(int, skipped);
    // Lines split across chunks read the same, and so do lines read with the
    // next 64 bytes at hand, as in a file.
    for (const int chunk : {1, 7, 1 << 20, -1}) {
        if (chunk < 0)
            text += QByteArray(64, '\n');
        QStringList got; // each record's fields joined by "|"
        RecordReader reader([&](QByteArrayView, const LineFields* fields) {
            QStringList parts;
            for (const auto& f : fields ? *fields : LineFields{})
                parts << QString::fromLatin1(f);
            if (fields)
                got << parts.join(u'|');
        });
        const int size = chunk < 0 ? 1 << 20 : chunk;
        for (qsizetype i = 0; i < text.size(); i += size)
            reader.feed(text.mid(i, size));
        reader.finish();
        QCOMPARE(got, records);
        QCOMPARE(reader.skippedLines(), qint64(skipped));
    }
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
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.startsWith("1,26/12/31,23:59:58.0,ACV,750V,-12.34\r\n2,26/12/31,23:59:59.0,"));
    RecordStore again;
    const LoadResult result = loadDataFile(path, again);
    QVERIFY(result.ok);
    QCOMPARE(result.records, 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(again.record(i), store.record(i));
    // Into a list that already holds records: copied in after them.
    QVERIFY(loadDataFile(path, store).ok);
    QVERIFY(store.size() == 12 && store.record(11) == again.record(5));
    // More than the write buffer holds: written out on the way, and only once.
    QVERIFY(saveDataFile(path, storeOf(30000)));
    QCOMPARE(fileBytes(path), recordedLines(30000));
}

void TestDataFiles::saveReplacesAndFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.dat");
    QVERIFY(writeFile(path, "old content that must go\r\n"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QVERIFY(QFile::link(path, dir.filePath("link.dat")));
    // Saved through a link: the file it points to is replaced, with its permissions.
    QVERIFY(saveDataFile(dir.filePath("link.dat"), storeOf(1)));
    QCOMPARE(fileBytes(path), recordedLines(1));
    QVERIFY(QFileInfo(dir.filePath("link.dat")).isSymLink());
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 0777) == 0640);
    // Replaced by root, a user's file stays the user's.
    if (::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), 1000, 1001) == 0) {
        QVERIFY(saveDataFile(path, storeOf(1)));
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 && st.st_uid == 1000 &&
                st.st_gid == 1001);
    }
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"link.dat", "old.dat"}));
    // A save that cannot be written says why and leaves everything as it was.
    QString error;
    QVERIFY(!saveDataFile(dir.filePath("no/such/folder/x.dat"), storeOf(1), &error));
    QVERIFY(error.endsWith("No such file or directory"));
    QCOMPARE(fileBytes(path), recordedLines(1));
    // One whose last step fails (a folder took the name meanwhile) fails, and tidies up.
    tarnix::platform::AtomicFile late(dir.filePath("late.dat"));
    QVERIFY(late.open() && late.write("x") && QDir(dir.path()).mkpath("late.dat/in"));
    QVERIFY(!late.commit() && !late.errorString().isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"link.dat", "old.dat"}));
}

void TestDataFiles::fullDiskSaveKeepsTheOldFile_data() {
    QTest::addColumn<qint64>("budget"); // bytes the disk takes before it is full
    QTest::newRow("nothing fits") << qint64(0);
    QTest::newRow("past the first megabyte") << qint64((1 << 20) + 5);
    // The whole list is recordedLines(30000): only the last write, at the commit, fails.
    QTest::newRow("all but the last byte") << qint64(recordedLines(30000).size() - 1);
}

void TestDataFiles::fullDiskSaveKeepsTheOldFile() {
    QFETCH(qint64, budget);
    for (const QString name : {"old.dat", "old.csv"}) { // a list saved as it is, and for analysis
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QByteArray old = recordedLines(39);
        QVERIFY(writeFile(path, old));
        QString error;
        qint64 left = 0;
        QVERIFY(name.endsWith(u".dat")
                    ? !saveDataFile(path, storeOf(30000), &error, failingWrite(budget))
                    : !saveAnalysisFile(path, storeOf(30000), &left, &error, failingWrite(budget)));
        QCOMPARE(error, path + ": No space left on device");
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
}

void TestDataFiles::specialFilesAreRefused_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("folder") << "folder";
}

// Neither replaced by a save nor waited on by a load. Made in a temporary folder, never
// linked to /dev: a save that wrongly replaced a device there, run as root, breaks the system.
void TestDataFiles::specialFilesAreRefused() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("special");
    const QByteArray name = QFile::encodeName(path);
    if (kind == "fifo")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else
        QVERIFY(QDir(dir.path()).mkdir("special"));
    struct stat before {};
    QCOMPARE(::stat(name.constData(), &before), 0);

    QString error;
    QVERIFY(!saveDataFile(path, storeOf(1), &error));
    QVERIFY2(error.startsWith(path + ": "), qPrintable(error));
    using tarnix::platform::AtomicFile; // the check before a logger download is written out
    QVERIFY(!AtomicFile::targetAllowed(path, &error));
    QVERIFY(AtomicFile::targetAllowed(path + "x", &error)); // a file yet to be made
    struct stat after {};
    QCOMPARE(::stat(name.constData(), &after), 0);
    QVERIFY(after.st_mode == before.st_mode && after.st_ino == before.st_ino);

    RecordStore loaded;
    const LoadResult result = loadDataFile(path, loaded);
    QVERIFY(!result.ok);
    QCOMPARE(result.error,
             path + (kind == "fifo" ? ": not a regular file" : ": a folder, not a data file"));
    QCOMPARE(loaded.size(), 0);
}

void TestDataFiles::filesTooLargeOrCutShort() {
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.dat");
    // A file cut short while it is read: what is there is listed, no failure.
    const QByteArray lines = QByteArray("1,26/12/06,10:00:00.0,DCV,20V,1.5\r\n").repeated(100000);
    QVERIFY(writeFile(path, lines));
    RecordStore cut;
    const LoadResult read = loadDataFile(path, cut, [&](qsizetype, int) { return QFile::resize(path, 1 << 19); });
    QVERIFY2(read.ok, qPrintable(read.error));
    QVERIFY(read.records > 0 && read.records < lines.count('\n'));
    // One too large is refused before a byte is read.
    QFile huge(path);
    QVERIFY(huge.open(QIODevice::WriteOnly));
    if (!huge.resize(100LL << 30)) // sparse: no disk is used
        QSKIP("this file system has no sparse files");
    huge.close();
    RecordStore store;
    const LoadResult result = loadDataFile(path, store);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, path + ": too large to list whole");
    QVERIFY(store.memoryUse() < 1024); // nothing reserved for it
}

void TestDataFiles::recordingKeepsWholeLines_data() {
    QTest::addColumn<bool>("redirected"); // standard output sent to the file with ">"
    QTest::newRow("appended") << false;
    QTest::newRow("redirected") << true;
}

// A full disk leaves the file ending at its last whole line, says why, and
// the next line lands right after it.
void TestDataFiles::recordingKeepsWholeLines() {
    QFETCH(bool, redirected);
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.dat");
    const QByteArray first = "9,26/01/01,00:00:00.0,DCV,2V,1.000\r\n";
    const QByteArray line = "3,26/12/05,14:03:07.0,DCV,200mV,1\r\n";
    tarnix::platform::LineAppender out;
    int fd = -1;
    if (redirected) {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(fd >= 0);
        out.adopt(fd, "standard output");
        QVERIFY(out.append(first));
    } else {
        QVERIFY(writeFile(path, first));
        QVERIFY(out.open(path));
    }
    const QString name = redirected ? QStringLiteral("standard output") : path;
    out.setWriteCall(failingWrite(12)); // part of the line fits
    QString error;
    QVERIFY(!out.append(line, &error));
    QCOMPARE(error, name + ": No space left on device");
    QCOMPARE(fileBytes(path), first);
    out.setWriteCall({});
    QVERIFY(out.append(line));
    // On disk before the file is closed: a crash now loses nothing.
    QCOMPARE(fileBytes(path), first + line);
    if (fd >= 0)
        ::close(fd);
}

// A FIFO that a program reads gets the line at once (test_tarnix_log records to one that
// nobody reads: refused, not waited on).
void TestDataFiles::recordingToAFifo() {
    const QDateTime at(QDate(2026, 12, 5), QTime(9, 3, 7, 800)); // tenths are not kept
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    RecordingFile file;
    QVERIFY(file.open(fifo));
    QVERIFY(file.appendLine(sampleRecord(1, at, "DCV", "200mV", "1")));
    char got[64] = {};
    QCOMPARE(::read(reader, got, sizeof got), ssize_t(35));
    QCOMPARE(QByteArray(got), QByteArray("1,26/12/05,09:03:07.0,DCV,200mV,1\r\n"));
    ::close(reader);
}

// Records read again from the opened file, a block at a time, are the ones
// the reader formed in one pass: also where records start mid-line, where a
// CR LF straddles a block's edge and across several blocks.
void TestDataFiles::openedFileReadsAsItWasRead_data() {
    QTest::addColumn<QByteArray>("text");
    const QByteArray shifted = "1,2,3\r\n" + recordedLines(2 * FileRecords::BlockRows + 5);
    QTest::newRow("a short line first") << shifted;
    QTest::newRow("record ends at a CR of CR LF, lines of six") << recordedLines(4100);
    QTest::newRow("quotes and blanks")
        << QByteArray(" 1 , \"a,b\" ,c,d,e,f\r\n,,\r\n2,\"d\"\"\",e,f,g,h\n3,\"f\"x,g,h,i,j,k");
    QTest::newRow("a stray quote") << "1,2,\"3\r\n4,5,6\r\n" + recordedLines(3);
    QTest::newRow("no final line end") << recordedLines(3).chopped(2);
    // The last read holds one byte: the end of the last record.
    QByteArray edge = recordedLines(24000);
    edge += "9,d,t,F,2V," + QByteArray((1 << 20) + 1 - 13 - 14 - edge.size(), ' ') + "5\r\n8,d,t,F,2V,12";
    QTest::newRow("one byte past 1 MiB") << edge;
    QTest::newRow("a line over the limit") << "1," + QByteArray(70000, 'x') + ",3,4,5,6\r\n2,,,,,";
    const QByteArray two = "7,d,t,RES,20KOhm,OL\r\n8,d,t,RES,20KOhm,1.5\r\n";
    QTest::newRow("halves split between CR and LF") << halvedAt(two, two.indexOf('\r'));
    QTest::newRow("halves split in a range of their own") << halvedAt(two, 3);
    const QByteArray lf = "7,d,t,DCV,2V,1\n8,d,t,DCV,2V,2\n";
    QTest::newRow("halves split at an LF alone") << halvedAt(lf, lf.indexOf('\n'));
    const QByteArray odd = "no record\r\n9," + QByteArray(70000, 'x') + ",3,4,5,6\r\nnor this\r\n";
    QTest::newRow("halves split in a line over the limit") << halvedAt(odd, 40);
    QTest::newRow("overloads and ranges for the plot")
        << QByteArray("1,d,t,F,2V,-OL\r\n2,d,t,F,2V, OL\r\n3,d,t,F,1MHz,0.1234\r\n"
                      "4,d,t,F,1MHz,-1.5e9\r\n5,d,t,F,2V,Initial\r\n6,d,t,F,2V,-0.5L\r\n");
}

void TestDataFiles::openedFileReadsAsItWasRead() {
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("f.dat"), text));
    RecordStore expected;
    RecordReader reader([&](QByteArrayView, const LineFields* f) {
        if (f)
            expected.append(*f);
    });
    reader.feed(text);
    reader.finish();
    RecordStore opened;
    qsizetype told = 0; // the records told while it is read: those read so far
    bool growing = true;
    (void)loadDataFile(dir.filePath("f.dat"), opened, [&](qsizetype n, int) {
        growing = growing && n >= std::exchange(told, n);
        return true;
    });
    QVERIFY(growing && told <= expected.size() && (told > 0 || text.size() < (1 << 20)));
    opened = RecordStore();
    // Stopped at the first progress, nothing is listed, and the read asks no more.
    int asked = 0;
    QVERIFY(loadDataFile(dir.filePath("f.dat"), opened, [&](qsizetype, int) { return ++asked, false; })
                .cancelled);
    QVERIFY(opened.empty());
    QCOMPARE(asked, 1);
    const LoadResult result = loadDataFile(dir.filePath("f.dat"), opened);
    QVERIFY(result.ok);
    QCOMPARE(result.skippedLines, reader.skippedLines());
    QCOMPARE(opened.size(), expected.size());
    for (const qsizetype row :
         {qsizetype(0), expected.size() - 1, expected.size() / 2, qsizetype(1)})
        QCOMPARE(opened.record(row), expected.record(row)); // out of order: blocks read again
    for (qsizetype row = 0; row < expected.size(); ++row) {
        QCOMPARE(opened.record(row), expected.record(row));
        // What a plot reads, kept aside while the file was read: the same, to a float's precision.
        const ValueCell kept = opened.valueCell(row), read = expected.valueCell(row);
        QVERIFY(float(kept.number) == float(read.number) && kept.overload == read.overload &&
                kept.range == read.range);
    }
}

void TestDataFiles::fileChangedWhileOpen_data() {
    QTest::addColumn<QByteArray>("after"); // the file's content once it changed
    QTest::addColumn<bool>("shown");       // the records opened still show
    const QByteArray before = recordedLines(5000);
    QTest::newRow("appended to") << before + recordedLines(7) << true;
    QTest::newRow("cut short") << before.chopped(40) << false; // its first block still whole
    QTest::newRow("emptied") << QByteArray() << false;
    QTest::newRow("rewritten with other lines")
        << QByteArray(before).replace(",DCV,", ",AC,") + "x" << false;
}

// What was there when it was opened shows; a file cut short or rewritten is
// never read as other records.
void TestDataFiles::fileChangedWhileOpen() {
    QFETCH(QByteArray, after);
    QFETCH(bool, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.dat");
    QVERIFY(writeFile(path, recordedLines(5000)));
    RecordStore store;
    QCOMPARE(loadDataFile(path, store).records, 5000);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate)); // the same file, rewritten
    file.write(after);
    file.close();
    QCOMPARE(store.size(), 5000);
    if (shown) { // a record added after the file's: its own, next to them
        QVERIFY(store.append(RecordFields{"5001", "26/12/05", "14:03:08.0", "DCV", "200mV", "1.00"}));
        QCOMPARE(store.cell(5000, 0) + store.cell(5000, 5), "50011.00");
    }
    for (const qsizetype row : {qsizetype(0), qsizetype(4999)})
        QCOMPARE(store.cell(row, 0), shown ? QString::number(row + 1) : QString());
    QCOMPARE(store.fileChanged(), !shown);
    // Saved, the list would lose the records no longer read: refused, nothing written.
    QCOMPARE(saveDataFile(dir.filePath("copy.dat"), store), shown);
    QCOMPARE(QFile::exists(dir.filePath("copy.dat")), shown);
}

void TestDataFiles::analysisLines_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("line"); // after the time
    // The value moves its point to the base unit and never rounds.
    QTest::newRow("mV") << "DCV" << "200mV" << "-12.34" << ",-0.01234,V,DCV,200mV,-12.34";
    QTest::newRow("uA") << "DCA" << "200uA" << " 0.5" << ",0.0000005,A,DCA,200uA, 0.5";
    QTest::newRow("KOhm") << "RES" << "20KOhm" << "12.340" << ",12340,Ohm,RES,20KOhm,12.340";
    QTest::newRow("MHz") << "FREQ" << "1MHz" << "1.2" << ",1200000,Hz,FREQ,1MHz,1.2";
    QTest::newRow("pF") << "CAP" << "2000pF" << "1999" << ",0.000000001999,F,CAP,2000pF,1999";
    QTest::newRow("degF") << "TEMP" << "200'F" << "-40.5" << ",-40.5,degF,TEMP,200'F,-40.5";
    QTest::newRow("Initial") << "DCV" << "2V" << "Initial" << ",,V,DCV,2V,Initial";
    QTest::newRow("OL") << "DCA" << "20mA" << "-OL" << ",,A,DCA,20mA,-OL";
    const char* const moved[][3] = {{"20A", "1.5", "A"},        {"200mA", "0.0015", "A"},
                                    {"200Ohm", "1.5", "Ohm"},   {"2MOhm", "1500000", "Ohm"},
                                    {"2uF", "0.0000015", "F"},  {"200nF", "0.0000000015", "F"},
                                    {"1370'C", "1.5", "degC"},  {"1KHz", "1500", "Hz"}};
    for (const auto& [range, value, unit] : moved)
        QTest::addRow("%s", range) << "X" << range << "1.5"
                                   << QStringLiteral(",%1,%2,X,%3,1.5").arg(value, unit, range);
}

void TestDataFiles::everyRangeHasItsUnit() {
    const QStringList units{"V", "A", "Ohm", "F", "Hz", "degC", "degF"};
    for (const auto& code : tarnix::meter::functionRangeTable()) {
        const auto unit = records::rangeUnit(QString::fromLatin1(code.range));
        const bool none = code.code == 5 || code.code == 255; // frequency before its unit, HOLD
        QVERIFY2(unit ? units.contains(unit->unit) && !none : none, code.range);
    }
    QVERIFY(!records::rangeUnit(u"20W"));
    // Records a spreadsheet could not place in time are counted, not lost without a word.
    QCOMPARE(leftOutMessage("a", 1), "a: 1 record without a readable date and time was left out");
    QCOMPARE(leftOutMessage("a", 2), "a: 2 records without a readable date and time were left out");
}

void TestDataFiles::analysisLines() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(QString, display);
    QFETCH(QString, line);
    const QDateTime at(QDate(2026, 12, 6), QTime(14, 7, 18, 12), QTimeZone(3600 + 1800));
    const meter::Measurement m = meter::measurementFromTexts(function, range, display);
    QCOMPARE(records::analysisLine(at, m), QStringLiteral("2026-12-06T14:07:18.012+01:30") + line);
    QCOMPARE(records::analysisLine(at, m, records::TimeZoneOut::Utc),
             QStringLiteral("2026-12-06T12:37:18.012Z") + line);
}

static QString writtenValue(QStringView display, int exponent) {
    char out[64];
    const QByteArray bytes = display.toLatin1();
    return QString::fromLatin1(out, writeBaseUnitValue(bytes, exponent, out) - out);
}

// Any display the meter could show, moved by any range's power of ten: the
// same number, the same digits, no exponent and no stray zeros in front.
void TestDataFiles::baseUnitValuesKeepTheNumber() {
    QRandomGenerator random(7);
    for (int n = 0; n < 5000; ++n) {
        QString display = QString::number(random.bounded(100000));
        const qsizetype point = random.bounded(display.size() + 1);
        if (point < display.size())
            display.insert(point, u'.');
        if (random.bounded(2))
            display.prepend(u'-');
        const int exponent = random.bounded(-12, 7);
        const QString value = baseUnitValue(display, exponent);
        QVERIFY2(qAbs(value.toDouble() - display.toDouble() * std::pow(10.0, exponent)) <=
                     1e-9 * qAbs(value.toDouble()) + 1e-300, qPrintable(display + u' ' + value));
        // Plain decimals as JSON takes them: no exponent, no "00" or bare point in front.
        QVERIFY2(!value.contains(QRegularExpression("e|^-?(00|\\.)")), qPrintable(value));
        const auto digits = [](QString t) { return t.remove(u'-').remove(u'.').remove(u'0'); };
        QCOMPARE(digits(value), digits(display));
        QCOMPARE(writtenValue(display, exponent), value); // the converter's own writer
    }
    QVERIFY(baseUnitValue(u"1.2.3", 0).isEmpty() && baseUnitValue(u"-", 0).isEmpty() &&
            baseUnitValue(u"1e3", 0).isEmpty() && baseUnitValue(u" OL", -3).isEmpty());
    // A display of zeros is one zero, also moved up a power of ten.
    for (const auto& [display, exponent] : {std::pair{u"000", 0}, {u"0.000", 3}, {u"00.0", 6}})
        QVERIFY(baseUnitValue(display, exponent) == u"0" && writtenValue(display, exponent) == u"0");
}

void TestDataFiles::csvFieldsComeBack_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << QStringList{"DCV", "200mV", "-12.34"};
    QTest::newRow("empty fields") << QStringList{"", "", ""};
    QTest::newRow("comma and quotes") << QStringList{"a,b", "say \"OL\"", "\""};
    QTest::newRow("line breaks and blanks") << QStringList{"one\r\ntwo", " 0.5 ", "\n"};
}

// What csvField writes, csvSplit reads back field for field.
void TestDataFiles::csvFieldsComeBack() {
    QFETCH(QStringList, fields);
    QStringList written;
    for (const QString& field : fields)
        written << csvField(field);
    QCOMPARE(csvSplit(written.join(u',').toUtf8()), fields);
}

void TestDataFiles::savedNames_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("saved");
    QTest::newRow("CSV") << "/d/list-export" << "CSV for analysis (*.csv)" << "/d/list-export.csv";
    QTest::newRow("CSV, a dot in a folder") << "/d.x/run" << "CSV for analysis (*.csv)"
                                            << "/d.x/run.csv";
    QTest::newRow("trend picture") << "/d/trend" << "PNG Image (*.png)" << "/d/trend.png";
    QTest::newRow("trend drawing") << "/d/trend" << "SVG Image (*.svg)" << "/d/trend.svg";
    QTest::newRow("data: as typed") << "/d/run" << "Data Files (*.dat)" << "/d/run";
    QTest::newRow("has one") << "/d/run.txt" << "CSV for analysis (*.csv)" << "/d/run.txt";
    QTest::newRow("every file") << "/d/run" << "All Files (*.*)" << "/d/run";
    QTest::newRow("a folder ending in a dot") << "/d./run" << "CSV for analysis (*.csv)" << "/d./run.csv";
}

void TestDataFiles::savedNames() {
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QTEST(withFilterExtension(typed, filter), "saved");
}

void TestDataFiles::recordTimes_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("expected"); // empty: no time
    QTest::newRow("PC sample") << "26/12/06" << "13:07:18.0" << "2026-12-06 13:07:18.000";
    QTest::newRow("logger tenths, blanks") << " 27/02/28" << "23:59:59.4 " << "2027-02-28 23:59:59.400";
    QTest::newRow("no tenths") << "00/01/01" << "00:00:00" << "2000-01-01 00:00:00.000";
    QTest::newRow("leap day") << "28/02/29" << "12:00:00.0" << "2028-02-29 12:00:00.000";
    QTest::newRow("winter time") << "26/03/29" << "01:30:00.0" << "2026-03-29 01:30:00.000";
    QTest::newRow("summer time that day") << "26/03/29" << "03:30:00.0" << "2026-03-29 03:30:00.000";
    for (const auto& [date, time] : {std::pair{"27/02/29", "12:00:00.0"}, {"26/13/01", "12:00:00.0"},
                                     {"2026/12/06", "12:00:00.0"}, {"26/12/06", "24:00:00.0"},
                                     {"26/12/06", "12:00:60.0"}, {"26/12/06", "12:00"},
                                     {"26/12/06", "12:00:00.x"}, {"2a/12/06", "12:00:00.0"},
                                     {"26/12/2006", "12:00:00.0"}})
        QTest::addRow("%s %s", date, time) << date << time << "";
}

void TestDataFiles::recordTimes() {
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, expected);
    const auto at = recordTime(date, time);
    QCOMPARE(at.has_value(), !expected.isEmpty());
    QCOMPARE(at ? at->toString("yyyy-MM-dd HH:mm:ss.zzz") : QString(), expected);
    if (at) // the local time's own offset, so it names the same moment
        QCOMPARE(at->toMSecsSinceEpoch(), QDateTime(at->date(), at->time()).toMSecsSinceEpoch());
}

// A time on the date of the record before is read from its bytes at once:
// it takes each time that the text's own reading takes, and no other, with
// any one of its bytes put wrong.
void TestDataFiles::quickTimesAgreeWithTheText() {
    const QByteArray date = "26/12/06", good = "12:34:56.7";
    QByteArrayList times = {"23:59:59.9", "24:00:00.0", "00:60:00.0", "19:59:60.0", "09:09:09.9"};
    for (qsizetype at = 0; at < good.size(); ++at)
        for (const char c : {'0', '5', '9', '/', ':', '.', 'A', ' ', '\x7f', '\xb0'})
            times << good.first(at) + c + good.mid(at + 1);
    for (const QByteArray& time : times) {
        RecordClock clock;
        QVERIFY(clock.wallMs(date, "00:00:00.0")); // the date kept
        const auto seen = clock.wallMs(date, time);
        const auto text = recordTime(QString::fromLatin1(date), QString::fromLatin1(time));
        QVERIFY2(seen.has_value() == text.has_value(), time.constData());
        if (seen)
            QCOMPARE(*seen, QDateTime(text->date(), text->time(), Qt::UTC).toMSecsSinceEpoch());
    }
}

// A chunk whose bytes cannot be read is no chunk of lines: the reason is
// said, at the first chunk and past the first.
void TestDataFiles::chunkThatCannotBeReadIsSaid() {
    QTemporaryDir dir;
    const QString path = dir.filePath("in.dat");
    QVERIFY(writeFile(path, recordedLines(100)));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY); // reads fail
    QString error;
    const platform::PositionalFile file = platform::PositionalFile::duplicate(fd, &error);
    ::close(fd);
    for (const qint64 index : {0, 2}) {
        LineChunk chunk;
        QVERIFY(!readLineChunk(file, {0, QFileInfo(path).size(), 1024}, index, chunk, &error));
        QVERIFY2(error.contains(u"Bad file descriptor"), qPrintable(error));
    }
}

// The fast converter writes, byte for byte, what each record's own line
// would be, on every kind of record: quoted fields, other scripts, a Latin-1
// byte, numbers in odd forms, dates that are none.
void TestDataFiles::converterWritesWhatEachLineWould() {
    const char* const times[] = {"26/12/06,13:07:18.0", "\" 27/02/28\",\"23:59:59.4 \"",
                                 "00/01/01,00:00:00", "28/02/29,12:00:00.0", "27/02/29,12:00:00.0",
                                 "26/12/06,24:00:00.0", "26/12/06,12:00:00.x", "\u0662\u0666/12/06,12:00:00.0",
                                 "2a/12/06,12:00:00.0", "26/00/06,12:00:00.0", "26/13/06,12:00:00.0",
                                 "26/12/00,12:00:00.0"};
    const char* const readings[] = {
        "DCV,200mV,-12.34", "DCA,200uA,\" 0.5 \"", "RES,2MOhm,1.234", "CAP,2000pF,1999",
        "TEMP,200'F,-40.5", "DCV,2V,Initial", "DCA,20mA,-OL", "X,20A,+007.50", "X,1KHz,.5",
        "X,20V,-.5", "X,20V,5.", "X,20V,1e3", "X,20V,-0.00", "Y,20V,1", "Y,20V,\"1,5\"", "\"D,\"\"CV\",\" 20V\",1",
        "\u03a9,20V,1", "\xb5" "A,200uA,1", "DCV,2V,\u0661.5", "HOLD,,12", "FREQ,KHz/MHz,1.2",
        "DCV,2V,", "TEMPERATURE,20 V DC RANGE,12.5", "A FUNCTION OF SEVENTEEN,2V,1.25"};
    for (const TimeZoneOut zone : {TimeZoneOut::Local, TimeZoneOut::Utc}) {
        AnalysisConverter converter(zone);
        for (const char* time : times) {
            // Each twice: the second of a kind the converter keeps.
            for (const char* reading : readings)
            for (int twice = 0; twice < 2; ++twice) {
                const QByteArray line = QByteArray("1,") + time + ',' + reading;
                const QByteArray blanksAfter = line + " \t"; // outside the line: not read
                LineFields fields;
                std::string scratch;
                QVERIFY2(recordFields(QByteArrayView(blanksAfter).first(line.size()), fields, scratch),
                         line.constData());
                RecordFields record;
                for (int i = 0; i < FieldCount; ++i)
                    record[std::size_t(i)] = QString::fromUtf8(fields[std::size_t(i)]);
                const auto expected = analysisLineOf(record, zone);
                QByteArray written;
                QCOMPARE(converter.append(fields, written), expected.has_value());
                QCOMPARE(written, expected ? expected->toUtf8() + CsvLineEnd : QByteArray());
            }
        }
    }
}

// Around a change of daylight saving time in Berlin: the hour skipped takes
// the offset before it; the hour shown twice the first, until the times go
// back, then the second.
void TestDataFiles::offsetsFollowTheFileOrder_data() {
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("offsets");
    QTest::addColumn<int>("skipped");
    QTest::newRow("spring") << "26/03/29" << "01:59 02:00 02:30 03:00" << "+01 +01 +01 +02" << 2;
    QTest::newRow("autumn, both rounds")
        << "26/10/25" << "01:59 02:30 02:59 02:00 02:30 03:00" << "+02 +02 +02 +01 +01 +01" << 0;
    QTest::newRow("autumn, one round") << "26/10/25" << "02:30 03:30" << "+02 +01" << 0;
    QTest::newRow("autumn, gone back past it") << "26/10/25" << "02:30 01:30 02:10" << "+02 +02 +02" << 0;
}

void TestDataFiles::offsetsFollowTheFileOrder() {
    QFETCH(QString, day);
    QFETCH(QString, times);
    QFETCH(QString, offsets);
    QFETCH(int, skipped);
    AnalysisConverter converter(TimeZoneOut::Local);
    QStringList seen;
    for (const QString& time : times.split(u' ')) {
        const QByteArray line = "1," + day.toLatin1() + ',' + time.toLatin1() + ":00.0,DCV,2V,1";
        LineFields fields;
        std::string scratch;
        QVERIFY(recordFields(line, fields, scratch));
        QByteArray written;
        QVERIFY(converter.append(fields, written));
        seen << QString::fromLatin1(written.mid(23, 3));
    }
    QCOMPARE(seen.join(u' '), offsets);
    QCOMPARE(converter.skippedTimes(), skipped);
}

// A recording whose times grow is read from a line's start at most 64 KiB
// before the first record wanted; one whose times go back is read whole.
void TestDataFiles::seeksOnlyInGrowingRecordings() {
    QByteArray text;
    QList<qint64> starts;
    const QDateTime first(QDate(2026, 12, 6), QTime(10, 0));
    for (int i = 0; i < 20000; ++i) {
        starts << text.size();
        text += QByteArray::number(i + 1) + ',' + first.addSecs(i).toString("yy/MM/dd,HH:mm:ss").toLatin1() + ".0,DCV,2V,1\r\n";
    }
    QTemporaryDir dir;
    QFile file(dir.filePath("grows.dat"));
    QVERIFY(file.open(QIODevice::ReadWrite) && file.write(text) == text.size());
    QVERIFY(timesGrow(file));
    for (const int i : {0, 1, 7000, 19999}) {
        const qint64 at = seekTime(file, first.addSecs(i).toMSecsSinceEpoch());
        QVERIFY2(starts.contains(at) && at <= starts[i] && starts[i] - at <= 64 * 1024 + 64,
                 qPrintable(QString::number(i)));
    }
    QVERIFY(file.resize(0) && file.seek(0) && file.write(text.mid(starts[10000]) + text.left(starts[10000])));
    QVERIFY(!timesGrow(file));
}

void TestDataFiles::appendingChecksTheHeader_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("refused");
    const QByteArray header = "time,value,unit,function,range,display\r\n";
    const QByteArray line = "1,26/12/06,13:07:18.0,DCV,200mV,-12.34\r\n";
    QTest::newRow("csv, new file") << "csv" << QByteArray() << false;
    QTest::newRow("csv, under its header") << "csv" << header + "2026-12-06T1" << false;
    QTest::newRow("csv, header alone, LF") << "csv" << header.chopped(2) + "\n" << false;
    QTest::newRow("csv onto data lines") << "csv" << line << true;
    QTest::newRow("csv under another header") << "csv" << QByteArray("time,value\r\n") << true;
    QTest::newRow("csv after a blank line") << "csv" << "\r\n" + header << true;
    QTest::newRow("dat onto data lines") << "dat" << line + "\r\n\r\n" << false;
    QTest::newRow("dat onto a csv file") << "dat" << header << true;
    QTest::newRow("dat onto an unfinished record") << "dat" << line + line.chopped(3) << false;
    QTest::newRow("dat onto a quoted comma") << "dat" << QByteArray("1,\"a,b\",3,4,5,6\n") << false;
    QTest::newRow("dat onto a passwd file") << "dat" << QByteArray("root:x:0:0::/root:/bin/sh\n")
                                           << true;
    QTest::newRow("dat onto a lone torn line") << "dat" << line.first(15) << true;
    QTest::newRow("dat onto more records than are read") << "dat" << line.repeated(200) << false;
    QTest::newRow("dat onto text after records")
        << "dat" << line.repeated(200) + "7 fields,,,,,,\r\n" << true;
    QTest::newRow("dat onto a last line longer than what is read")
        << "dat" << line + QByteArray(5000, 'x') + "\r\n" << true;
    QTest::newRow("dat onto a last line whose end read alone looks like a record")
        << "dat" << line + QByteArray(5000, '7') + line << true;
    const QByteArray json = R"({"time":"2026-12-06T14:07:18.012+01:00","seq":1})" "\n";
    QTest::newRow("jsonl onto JSON lines") << "jsonl" << json << false;
    QTest::newRow("jsonl onto a csv file") << "jsonl" << header << true;
    QTest::newRow("csv onto JSON lines") << "csv" << json << true;
    QTest::newRow("dat onto JSON lines") << "dat" << json << true;
}

void TestDataFiles::appendingChecksTheHeader() {
    QFETCH(QString, format);
    QFETCH(QByteArray, file);
    QFETCH(bool, refused);
    QCOMPARE(appendRefusal(*recordingFormatNamed(format), FileEnds::of(file)).has_value(), refused);
}

// The time of a recording's last line, in each format, for the note on a
// recording resumed after a crash.
void TestDataFiles::lastRecordTimes_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("time"); // ISO 8601, local without an offset; empty: none
    QTest::newRow("data file") << QByteArray("1,26/12/06,13:07:18.0,DCV,2V,1\r\n2,26/12/06,13:07:19.0,DCV,2V,1\r\n")
                               << "2026-12-06T13:07:19.000";
    QTest::newRow("analysis CSV")
        << QByteArray("time,value,unit,function,range,display\r\n"
                      "2026-12-06T13:07:18.000+01:00,1,V,DCV,2V,1\r\n")
        << "2026-12-06T13:07:18.000+01:00";
    QTest::newRow("JSON lines") << QByteArray(R"({"time":"2026-12-06T14:07:18.012+01:00","seq":1})" "\n")
                                << "2026-12-06T14:07:18.012+01:00";
    QTest::newRow("a CSV header alone")
        << QByteArray("time,value,unit,function,range,display\r\n") << "";
}

void TestDataFiles::lastRecordTimes() {
    QFETCH(QByteArray, file);
    QFETCH(QString, time);
    const auto at = lastRecordTime(FileEnds::of(file));
    QCOMPARE(at.has_value(), !time.isEmpty());
    if (at) // the same moment: a data file's time is local
        QCOMPARE(*at, QDateTime::fromString(time, Qt::ISODateWithMs));
}

void TestDataFiles::recordingFilesTurnOver_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("samples"); // times; "move" moves the file away and reopens
    QTest::addColumn<QStringList>("files");   // each "name lines", in order of creation
    QTest::newRow("midnight") << "%Y-%m-%d.csv"
        << QStringList{"2026-12-05T23:59:58+01:00", "2026-12-05T23:59:59+01:00",
                       "2026-12-06T00:00:00+01:00", "2026-12-06T00:00:01+01:00"}
        << QStringList{"2026-12-05.csv 2", "2026-12-06.csv 2"};
    QTest::newRow("spring forward") << "%d-%H.dat"
        << QStringList{"2026-03-29T01:59:59+01:00", "2026-03-29T03:00:00+02:00"}
        << QStringList{"29-01.dat 1", "29-03.dat 1"};
    QTest::newRow("autumn's hour twice") << "%d-%H.csv"
        << QStringList{"2026-10-25T02:59:59+02:00", "2026-10-25T02:00:00+01:00",
                       "2026-10-25T02:59:59+01:00", "2026-10-25T03:00:00+01:00"}
        << QStringList{"25-02.csv 3", "25-03.csv 1"};
    QTest::newRow("clock set back") << "%M.dat"
        << QStringList{"2026-12-05T10:01:59+01:00", "2026-12-05T10:02:00+01:00",
                       "2026-12-05T10:01:30+01:00"}
        << QStringList{"01.dat 2", "02.dat 1"};
    QTest::newRow("UTC names, in a new folder") << "utc/%H.csv"
        << QStringList{"2026-12-06T00:30:00+01:00"} << QStringList{"utc/23.csv 1"};
    QTest::newRow("JSON lines") << "%d.jsonl" << QStringList{"2026-12-05T23:59:59+01:00",
        "2026-12-06T00:00:00+01:00"} << QStringList{"05.jsonl 1", "06.jsonl 1"};
    QTest::newRow("%% and a lone % at the end") << "%d%%.dat%" << QStringList{"2026-12-05T23:59:59+01:00",
        "2026-12-06T00:00:00+01:00"} << QStringList{"05%.dat% 1", "06%.dat% 1"};
    QTest::newRow("moved away") << "r.csv"
        << QStringList{"2026-12-05T10:00:00+01:00", "2026-12-05T10:00:01+01:00", "move",
                       "2026-12-05T10:00:02+01:00"}
        << QStringList{"r.csv.1 2", "r.csv 1"};
}

// Each sample lands once, in the file its own time names, each file with one
// header when it is CSV; a missing folder is made; a file moved away and
// reopened starts again under its name.
void TestDataFiles::recordingFilesTurnOver() {
    QFETCH(QString, name);
    QFETCH(QStringList, samples);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const bool utc = name.startsWith(u"utc/");
    const auto format = recordingFormatOfName(name).value_or(RecordingFormat::Dat);
    RecordingFiles out(dir.filePath(name), format, utc, [](auto, auto) {});
    QString error;
    QVERIFY(out.open(QDateTime::fromString(samples[0], Qt::ISODate), &error));
    for (const QString& sample : samples) {
        const bool moved = sample == u"move" &&
                           QFile::rename(out.fileName(), out.fileName() + QStringLiteral(".1"));
        const QDateTime at = QDateTime::fromString(sample, Qt::ISODate);
        QVERIFY2(moved ? out.reopen(&error) : out.write(at, meter::measurementFromTexts("DCV", "2V", "1.000"), &error),
                 qPrintable(error));
    }
    for (const QString& file : files) {
        const QStringList nameAndCount = file.split(u' ');
        const QByteArray bytes = fileBytes(dir.filePath(nameAndCount[0]));
        const bool csv = format == RecordingFormat::Csv;
        QCOMPARE(bytes.count("time,value,unit"), csv ? 1 : 0);
        QVERIFY(!csv || bytes.startsWith("time,value,unit"));
        QCOMPARE(bytes.count('\n') - (csv ? 1 : 0), nameAndCount[1].toInt());
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(),
             name.contains(u'/') ? 1 : files.size());
    // Standard output has no name to open again: a hang-up leaves it be.
    QVERIFY(RecordingFiles(QStringLiteral("-"), format, utc, [](auto, auto) {}).reopen(&error));
    // Summaries alike, and a file of them moved away starts again, header first.
    core::RecordOptions options;
    options.output = dir.filePath("sums.csv");
    options.format = RecordingFormat::Csv;
    core::SummaryRecording sums(options), toBroker(core::RecordOptions{});
    QVERIFY(sums.open(QDateTime::currentDateTime(), &error) && toBroker.reopen(&error) &&
            QFile::rename(options.output, options.output + ".1") && sums.reopen(&error));
    QVERIFY(fileBytes(options.output).startsWith("start,function,"));
}

using Numbers = QPair<int, int>; // from the first, up to the second

// Readings every `step` seconds from `first`, `count` of them but for those
// numbered in `silent`, summed up every `every` seconds in Berlin: each line
// "start count seconds-unread".
void TestDataFiles::summaryIntervalsFollowTheWallClock_data() {
    QTest::addColumn<int>("every");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("count");
    QTest::addColumn<Numbers>("silent");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("an hour over midnight") << 3600 << "2026-12-06T23:00:00+01:00" << 600 << 12 << QPair(0, 0)
        << QStringList{"2026-12-06T23:00:00+01:00 6 0", "2026-12-07T00:00:00+01:00 6 0"};
    QTest::newRow("an hour into summer time") << 3600 << "2026-03-29T01:00:00+01:00" << 600 << 12 << QPair(0, 0)
        << QStringList{"2026-03-29T01:00:00+01:00 6 0", "2026-03-29T03:00:00+02:00 6 0"};
    QTest::newRow("two hours into summer time") << 7200 << "2026-03-29T00:00:00+01:00" << 600 << 24 << QPair(0, 0)
        << QStringList{"2026-03-29T00:00:00+01:00 12 0", "2026-03-29T03:00:00+02:00 6 0",
                       "2026-03-29T04:00:00+02:00 6 3600"};
    QTest::newRow("the day of 23 hours") << 86400 << "2026-03-28T00:00:00+01:00" << 3600 << 48 << QPair(0, 0)
        << QStringList{"2026-03-28T00:00:00+01:00 24 0", "2026-03-29T00:00:00+01:00 23 0",
                       "2026-03-30T00:00:00+02:00 1 82800"};
    QTest::newRow("the hour shown twice") << 3600 << "2026-10-25T01:00:00+02:00" << 600 << 24 << QPair(0, 0)
        << QStringList{"2026-10-25T01:00:00+02:00 6 0", "2026-10-25T02:00:00+02:00 6 0",
                       "2026-10-25T02:00:00+01:00 6 0", "2026-10-25T03:00:00+01:00 6 0"};
    QTest::newRow("two hours over the hour shown twice") << 7200 << "2026-10-25T00:00:00+02:00" << 600 << 30 << QPair(0, 0)
        << QStringList{"2026-10-25T00:00:00+02:00 12 0", "2026-10-25T02:00:00+02:00 6 0",
                       "2026-10-25T02:00:00+01:00 12 0"};
    // The change falls inside an interval: the clock jumps over its end, 02:30.
    QTest::newRow("2.5 hours into summer time") << 9000 << "2026-03-29T00:00:00+01:00" << 1800 << 13 << QPair(0, 0)
        << QStringList{"2026-03-29T00:00:00+01:00 4 0", "2026-03-29T03:00:00+02:00 4 0",
                       "2026-03-29T05:00:00+02:00 5 0"};
    QTest::newRow("the day of 25 hours") << 86400 << "2026-10-25T00:00:00+02:00" << 3600 << 26 << QPair(0, 0)
        << QStringList{"2026-10-25T00:00:00+02:00 25 0", "2026-10-26T00:00:00+01:00 1 82800"};
    QTest::newRow("minutes over the hour shown twice") << 60 << "2026-10-25T02:59:30+02:00" << 30 << 4 << QPair(0, 0)
        << QStringList{"2026-10-25T02:59:00+02:00 1 30", "2026-10-25T02:00:00+01:00 2 0",
                       "2026-10-25T02:01:00+01:00 1 30"};
    QTest::newRow("a quarter of an hour from 23:50") << 900 << "2026-12-06T23:50:00+01:00" << 300 << 4 << QPair(0, 0)
        << QStringList{"2026-12-06T23:45:00+01:00 2 300", "2026-12-07T00:00:00+01:00 2 300"};
    // A line of count 0 for each interval without a reading, under the last series.
    QTest::newRow("silent minutes") << 60 << "2026-12-07T12:00:00+01:00" << 10 << 30
        << QPair(7, 24) << QStringList{"2026-12-07T12:00:00+01:00 6 0", "2026-12-07T12:01:00+01:00 1 50",
                       "2026-12-07T12:02:00+01:00 0 60", "2026-12-07T12:03:00+01:00 0 60",
                       "2026-12-07T12:04:00+01:00 6 0"};
}

void TestDataFiles::summaryIntervalsFollowTheWallClock() {
    QFETCH(int, every);
    QFETCH(QString, first);
    QFETCH(int, step);
    QFETCH(int, count);
    QFETCH(Numbers, silent);
    QFETCH(QStringList, lines);
    QStringList written;
    analysis::IntervalSummary summary(
        analysis::SummaryIntervals(every * 1000LL, analysis::SummaryIntervals::localOffsets()),
        true, [&](const analysis::SummaryLine& line) {
            written << QStringLiteral("%1 %2 %3")
                           .arg(analysis::summaryStart(line, TimeZoneOut::Local))
                           .arg(line.count)
                           .arg(line.unreadSeconds);
        });
    const qint64 start = QDateTime::fromString(first, Qt::ISODate).toMSecsSinceEpoch();
    const std::size_t series = summary.seriesOf("DCV", "2V", "V");
    for (int i = 0; i < count; ++i)
        if (i < silent.first || i >= silent.second)
            summary.add(start + i * step * 1000LL, series, 1.5, false);
    summary.finish();
    QCOMPARE(written, lines);
}

// A recording seldom changes range: a run of readings in one range is one
// run of the value column, however long, so a year in one range keeps it.
void TestDataFiles::valueColumnKeepsOneRunARange() {
    records::ValueColumn column;
    column.add("-OL", "2V");
    for (std::size_t i = 0; i < records::ValueColumn::MaxRuns; ++i)
        column.add("1.5", "20V");
    QVERIFY(column.usable());
    const records::ValueCell first = column.cell(0), last = column.cell(qsizetype(records::ValueColumn::MaxRuns));
    QVERIFY(first.overload == -1 && first.range == "2V");
    QVERIFY(last.number == 1.5 && last.range == "20V");
}

// Files read as one recording go in the order of their first reading, then
// of a reading near their end; files alike keep the order given.
void TestDataFiles::filesInTimeOrder_data() {
    QTest::addColumn<QString>("given"); // name:first[-late] ..., "-" for no reading
    QTest::addColumn<QString>("order");
    QTest::newRow("by the first reading") << "b:09:00 a:08:00 c:08:30" << "a c b";
    QTest::newRow("the same start, the earlier end first") << "a:08:00-09:00 b:08:00-08:30" << "b a";
    QTest::newRow("alike, as given") << "b:08:00-08:30 a:08:00-08:30" << "b a";
    QTest::newRow("none without a reading first") << "n:- a:08:00" << "a n";
    QTest::newRow("an analysis CSV file among them") << "a:08:00 c.csv:07:00" << "c a";
}

void TestDataFiles::filesInTimeOrder() {
    QFETCH(QString, given);
    QTemporaryDir dir;
    QStringList paths;
    for (const QString& file : given.split(u' ')) {
        const QString name = file.section(u':', 0, 0), first = file.section(u':', 1, 2).section(u'-', 0, 0),
                      late = file.contains(u'-') ? file.section(u'-', 1) : first;
        // Some 6 kB: the time near the end is read apart from the first.
        const bool csv = name.endsWith(u".csv");
        QByteArray text = csv ? AnalysisHeader.toUtf8() + "\r\n" : QByteArray();
        for (int i = 0; i < 150; ++i)
            text += first == u"-" ? QByteArray("no reading\n")
                    : csv ? "2026-12-05T" + (i ? late : first).toLatin1() + ":00.000+01:00,0.001,V,DCV,200mV,1.00\r\n"
                          : QByteArray::number(i + 1) + ",26/12/05," + (i ? late : first).toLatin1() +
                                ":00.0,DCV,200mV,1.00\r\n";
        paths << dir.filePath(csv ? name : name + QStringLiteral(".dat"));
        QVERIFY(writeFile(paths.last(), text));
    }
    const auto ordered = core::inputsInTimeOrder(paths, {QStringLiteral("dat"), QStringLiteral("csv")});
    QVERIFY(std::holds_alternative<QStringList>(ordered));
    QStringList names;
    for (const QString& path : std::get<QStringList>(ordered))
        names << QFileInfo(path).baseName();
    QTEST(names.join(u' '), "order");
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_data_files.moc"
