// PC sampling and recording on the panel, the live list and OPEN FILE, and
// tarnix-log's conditions, on the simulated meter and the virtual clock.
#include "core/Recorder.h"
#include "platform/MeterPorts.h"
#include "records/RecordCondition.h"
#include "sim/SimMeter.h"
#include "ui/lists/FileList.h"
#include "ui/lists/ListGrid.h"
#include "support/DataRow.h"
#include "support/FileBytes.h"
#include "support/PanelBench.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "ui/views/RealTimeList.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : PanelBench {
    Bench() {
        meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 0, "-12.34")});
        QVERIFY(panel.load());
        panel.cycle().tick();
        panel.cycle().timer().stop(); // the tests drive the clocks by hand
        panel.sampling().timer().stop();
        clock.setNow(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 7))); // ticks at 7.95, 8.90, ...
    }
    // Timer2 ticks, 950 ms apart.
    void sampleTicks(int n) {
        for (int i = 0; i < n; ++i) {
            clock.advance(0.95);
            panel.sampling().tick();
        }
    }
    QTemporaryDir dir;
};

} // namespace

class TestRecording : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samplingAnswers_data();
    void samplingAnswers();
    void recordingAppendsNumberedLines();
    void writeFailureStopsTheRecording();
    void liveListKeepsItsOwnNumbers();
    void openFileStopsTheRecordingAndLists();
    void initialIsRecorded_data();
    void initialIsRecorded();
    void conditionGrammar_data();
    void conditionGrammar();
    void conditionsGateTheLines_data();
    void conditionsGateTheLines();
};

void TestRecording::samplingAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("shown"); // under SAMPLING afterwards
    QTest::newRow("0") << "0" << "1 Sec";
    QTest::newRow("100,000") << "100,000" << "86400 Sec";
    QTest::newRow("2.5 rounds to even") << "2.5" << "2 Sec";
    QTest::newRow("3.5") << "3.5" << "4 Sec";
    QTest::newRow("a word leaves it") << "soon" << "2 sec";
    QTest::newRow("cancel leaves it") << "" << "2 sec";
}

void TestRecording::samplingAnswers() {
    QFETCH(QString, answer);
    Bench b;
    b.dialogs.answer(answer);
    b.find<QPushButton>("CmdPc")->click();
    QTEST(b.find("LblSam")->text(), "shown");
}

void TestRecording::recordingAppendsNumberedLines() {
    Bench b;
    const QString path = b.dir.filePath("rec.dat");
    // Its last line was cut short of its line end: the line is ended, not glued onto.
    QVERIFY(writeFile(path, "7,26/01/01,00:00:00.0,DCV,2V,1.000"));
    b.panel.sampling().setInterval(2); // a sample every second tick
    b.dialogs.answerFile(path);
    b.find<QPushButton>("CmdSaveStop")->click();
    QCOMPARE(b.find<QPushButton>("CmdSaveStop")->text(), QStringLiteral("STOP REC"));
    QVERIFY(!b.find("LblRecording")->isHidden());
    b.sampleTicks(3);
    QCOMPARE(b.find("LblCount")->text(), QStringLiteral(" 2"));
    QCOMPARE(fileBytes(path), QByteArray("7,26/01/01,00:00:00.0,DCV,2V,1.000\r\n"
                                       "1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n"
                                       "2,26/12/05,14:03:09.0,DCV,200mV,-12.34\r\n"));
    b.find<QPushButton>("CmdSaveStop")->click(); // STOP REC
    QVERIFY(b.find("LblRecording")->isHidden());
    b.sampleTicks(2);
    QCOMPARE(fileBytes(path).count('\n'), 3); // nothing written while stopped
    // SAVE AS again: the numbers start at 1 again.
    b.dialogs.answerFile(path);
    b.find<QPushButton>("CmdSaveStop")->click();
    b.sampleTicks(2);
    QVERIFY(fileBytes(path).endsWith("\r\n1,26/12/05,14:03:13.0,DCV,200mV,-12.34\r\n"));
    // A silent meter: no line claims a reading nobody took, and the value is
    // greyed until the meter answers again.
    b.meter.setPowered(false, b.clock.monotonic());
    bool greyed = false;
    const double off = b.clock.monotonic();
    for (const double at : {1.0, 1.95, 2.9})
        b.clock.at(off + at, [&] {
            b.panel.sampling().tick();
            greyed = b.find("LblVal")->property("stale").toBool();
        });
    b.clock.at(off + 3.0, [&] { b.meter.setPowered(true, b.clock.monotonic()); });
    b.panel.cycle().tick(); // ends in "No COM", woken by the meter
    b.panel.cycle().tick();
    QVERIFY(greyed && !b.find("LblVal")->property("stale").toBool());
    b.sampleTicks(1);
    QVERIFY(fileBytes(path).endsWith("\r\n2,26/12/05,14:03:20.0,DCV,200mV,-12.34\r\n"));
}

void TestRecording::writeFailureStopsTheRecording() {
    Bench b;
    b.dialogs.answerFile(QStringLiteral("/dev/full"));
    b.find<QPushButton>("CmdSaveStop")->click();
    b.sampleTicks(1);
    QCOMPARE(b.find<QPushButton>("CmdSaveStop")->text(), QStringLiteral("SAVE AS"));
    QVERIFY(b.dialogs.messages().at(0).text.startsWith(u"The recording has stopped"));
}

void TestRecording::liveListKeepsItsOwnNumbers() {
    Bench b;
    b.panel.sampling().setInterval(1);
    b.find<QPushButton>("CmdList")->click();
    auto* list = b.panel.findChild<ui::RealTimeList*>(QStringLiteral("RealTimeList"));
    QVERIFY(list);
    // Each row the samples add keeps the model sound for its views.
    QAbstractItemModelTester sound(&list->model(),
                                   QAbstractItemModelTester::FailureReportingMode::QtTest);
    b.sampleTicks(1);
    // A recording started now counts from 1; the list goes on at 2.
    b.dialogs.answerFile(b.dir.filePath("rec.dat"));
    b.find<QPushButton>("CmdSaveStop")->click();
    b.sampleTicks(1);
    QCOMPARE(list->model().records().size(), 2);
    QCOMPARE(list->model().records().cell(1, 0), QStringLiteral("2"));
    QVERIFY(fileBytes(b.dir.filePath("rec.dat")).startsWith("1,"));
    // The list's Save is refused while the panel records, and works once stopped.
    const auto save = list->findChild<QPushButton*>(QStringLiteral("CmdRsave"));
    b.dialogs.answerFile(b.dir.filePath("list.dat"));
    save->click();
    QCOMPARE(b.dialogs.messageTexts(),
             QStringList{"Aready in recording mode, Close it and try again !"});
    QVERIFY(!QFileInfo::exists(b.dir.filePath("list.dat")));
    b.find<QPushButton>("CmdSaveStop")->click();
    save->click();
    QCOMPARE(fileBytes(b.dir.filePath("list.dat")).count('\n'), 2);
    // The second filter saves the analysis CSV: the header, then a line a row.
    QCOMPARE(b.dialogs.fileFilters().last().split(";;").value(1), "CSV for analysis (*.csv)");
    b.dialogs.chooseFilter(1);
    b.dialogs.answerFile(b.dir.filePath("list.csv"));
    save->click();
    const QList<QByteArray> csv = fileBytes(b.dir.filePath("list.csv")).split('\n');
    QVERIFY(csv.size() == 4 && b.dialogs.messageTexts().size() == 1); // saved without a word
    QCOMPARE(csv[0], "time,value,unit,function,range,display\r");
    QVERIFY2(csv[2].contains(",V,DCV,"), csv[2].constData());
    // Resized and back, the grid is as it opened; rows past what fits below
    // the heading scroll, so the newest is always in sight.
    const QRect opened = list->grid()->geometry();
    const QSize size = list->size();
    list->resize(size * 2);
    list->resize(size);
    QCOMPARE(list->grid()->geometry(), opened);
    b.sampleTicks(40);
    const QModelIndex newest = list->model().index(41, 0);
    QVERIFY(list->grid()->viewport()->rect().contains(list->grid()->visualRect(newest)));
    // The number column is right-aligned and in the heading's colours, the others plain.
    const auto role = [&](int column, int role) { return newest.siblingAtColumn(column).data(role); };
    QCOMPARE(role(0, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(role(5, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QVERIFY(role(0, Qt::BackgroundRole).isValid() && !role(1, Qt::ForegroundRole).isValid());
    QCOMPARE(list->model().headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignLeft | Qt::AlignVCenter));
    QVERIFY(!list->model().headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
}

void TestRecording::openFileStopsTheRecordingAndLists() {
    Bench b;
    const QString data = b.dir.filePath("data.dat");
    QByteArray lines;
    for (int i = 1; i <= 250; ++i)
        lines += QByteArray::number(i) + ",26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n";
    QVERIFY(writeFile(data, lines + "1,2,3,4\r\n")); // a short last line is dropped
    b.dialogs.answerFile(b.dir.filePath("rec.dat"));
    b.find<QPushButton>("CmdSaveStop")->click();
    b.sampleTicks(3);
    b.dialogs.answerFile(data);
    b.find<QPushButton>("CmdOpen")->click();
    QVERIFY(!b.panel.state().data.pcRecording);
    // The panel says what ended it; the next SAVE AS clears that, and a
    // cancelled OPEN FILE ends a recording as well.
    const auto ended = [&] { return b.find("LblFileName")->toolTip(); };
    QCOMPARE(ended(), "OPEN FILE ended the recording to rec.dat after 2 lines");
    b.dialogs.answerFile(b.dir.filePath("rec2.dat"));
    b.find<QPushButton>("CmdSaveStop")->click();
    QCOMPARE(ended(), QString());
    b.find<QPushButton>("CmdOpen")->click();
    QVERIFY(!b.panel.state().data.pcRecording);
    QCOMPARE(ended(), "OPEN FILE ended the recording to rec2.dat after 0 lines");
    auto* list = b.panel.findChild<ui::FileList*>(QStringLiteral("FileList"));
    QVERIFY(list);
    QCOMPARE(list->model().rowCount(), 250);
    QCOMPARE(list->model().records().cell(249, 0), QStringLiteral("250"));
    // A shorter file loaded in its place keeps the model sound for its views.
    QAbstractItemModelTester sound(&list->model(),
                                   QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(b.dialogs.messageTexts().value(0), data + ": 1 line was not a record, skipped");
    // An open cancelled on its way leaves the list shown as it was.
    const QPointer<ui::FileList> shown(list);
    b.dialogs.cancelProgressAt(0);
    b.dialogs.answerFile(data);
    b.find<QPushButton>("CmdOpen")->click();
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->windowTitle(), QStringLiteral("data.dat"));
    QCOMPARE(shown->model().rowCount(), 250);
    b.dialogs.cancelProgressAt(101);
    // A file that cannot be read says why.
    b.dialogs.answerFile(b.dir.filePath("gone.dat"));
    b.find<QPushButton>("CmdOpen")->click();
    QCOMPARE(b.dialogs.messages().size(), 2u);
    QVERIFY(writeFile(data, lines.first(41)) && shown->load(data));
    QCOMPARE(shown->model().rowCount(), 1);
}

// A display the meter shows no number on is recorded as shown, with the
// frame's function and range, in every format; after a reading has loaded
// the alarm limits, its leading 0 makes no alarm either.
void TestRecording::initialIsRecorded_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("first"); // the reading before, or none
    QTest::addColumn<QByteArray>("tail"); // the file's end, after the last line's time
    using F = records::RecordingFormat;
    row("data file", int(F::Dat), "", QByteArray(",DCV,20V,Initial\r\n"));
    row("CSV", int(F::Csv), "", QByteArray(",,V,DCV,20V,Initial\r\n"));
    row("JSON, after a reading in limits", int(F::Jsonl), " 3.000",
        QByteArray(R"(,"seq":3,"value":null,"unit":"V","function":"DCV","range":"20V",)"
                   R"("display":"Initial","alarm":null,"limits":null})"
                   "\n"));
}

void TestRecording::initialIsRecorded() {
    QFETCH(int, format);
    QFETCH(QString, first);
    QFETCH(QByteArray, tail);
    sim::SimMeter meter(sim::Model::Long, 9600);
    const std::uint8_t limits[] = {0, 2, 0x11, 0x40, 0x29, 0x40}; // 2.00 .. 5.00 on DCV 20V
    for (int i = 0; i < 6; ++i)
        meter.setMemory(49 + i, limits[i]);
    std::vector<sim::ScriptedReading> script{sim::ScriptedReading::display(2, " 1?.00")};
    if (!first.isEmpty())
        script.insert(script.begin(), sim::ScriptedReading::display(2, first.toLatin1()));
    meter.setScript(script, true);
    QTemporaryDir dir;
    core::RecordOptions options;
    options.output = dir.filePath("initial");
    options.format = records::RecordingFormat(format);
    options.samples = first.isEmpty() ? 1 : 3;
    options.interval = 0.01;
    platform::ScriptedDialogs dialogs;
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr,
                            std::make_unique<platform::VirtualClock>());
    QSignalSpy finished(&recorder, &core::Recorder::runFinished);
    QString error;
    QVERIFY2(recorder.start(&error), qPrintable(error));
    QVERIFY(finished.size() == 1 || finished.wait(3000));
    QCOMPARE(finished.first().first().toInt(), 0);
    QVERIFY2(fileBytes(options.output).endsWith(tail), fileBytes(options.output).constData());
}

// Conditions good and bad, each on a reading "FUNCTION RANGE DISPLAY ALARM".
// A bad one names the word it fails on by its start and length.
void TestRecording::conditionGrammar_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("result"); // holds, fails, or "AT LENGTH" of the wrong word
    row("above", "value > 5V", "DCV 20V 5.01 none", "holds");
    row("not above at the limit", "value > 5V", "DCV 20V 5.00 none", "fails");
    row("at least at the limit", "value>=5V", "DCV 20V 5.00 none", "holds");
    row("milli in base units", "value <= -20mA", "DCA 200mA -20.0 none", "holds");
    row("milli, short of it", "value <= -20mA", "DCA 200mA -19.9 none", "fails");
    row("another unit is false", "value < 1V", "DCA 200mA -20.0 none", "fails");
    row("kilo as the meter writes it", "value = 4.7KOhm", "RES 20KOhm 4.700 none", "holds");
    row("micro", "value > 1.5\u00b5F", "CAP 2uF 1.600 none", "holds");
    row("degrees", "value >= 25\u00b0C", "TEMP 200'C 25.0 none", "holds");
    row("inside takes its ends", "value inside 4.9V..5.1V", "DCV 20V 4.90 none", "holds");
    row("outside, at an end", "value outside 4.9V..5.1V", "DCV 20V 5.10 none", "fails");
    row("OL is above every number", "value outside 4.9V..5.1V", "DCV 20V OL none", "holds");
    row("-OL is below every number", "value > 100mV", "DCV 200mV -OL none", "fails");
    row("no number", "value < 1V", "DCV 20V Initial none", "fails");
    row("overload", "overload", "DCV 20V -OL none", "holds");
    row("no overload", "overload", "DCV 20V 5.00 none", "fails");
    row("alarm", "alarm = over", "DCV 20V 9.00 over", "holds");
    row("no limits is not ok", "alarm != ok", "DCV 20V 9.00 none", "holds");
    row("function, any case", "function = dcv", "DCV 20V 1.00 none", "holds");
    row("another function", "function != DCV", "ACV 20V 1.00 none", "holds");
    row("and binds tighter than or", "alarm = under or value > 5V and function = ACV",
        "DCV 20V 1.00 under", "holds");
    row("and needs both", "value > 5V and alarm = over", "DCV 20V 9.00 ok", "fails");
    row("empty", "  ", "", "0 0");
    row("unknown unit", "value > 5X", "", "8 2");
    row("no unit", "value > 5", "", "8 1");
    row("no number", "value > V", "", "8 1");
    row("nothing to compare with", "value >", "", "7 0");
    row("unknown word", "voltage > 5V", "", "0 7");
    row("unknown comparison", "value => 5V", "", "7 1");
    row("unknown alarm state", "alarm = high", "", "8 4");
    row("unknown function", "function = VOLT", "", "11 4");
    row("a function compared", "function > DCV", "", "9 1");
    row("range the wrong way round", "value outside 5.1V..4.9V", "", "14 10");
    row("range in two units", "value inside 4.9V..5.1A", "", "13 10");
    row("range without its ends", "value inside 5V", "", "13 2");
    row("a test missing", "value > 5V and", "", "14 0");
    row("no joint", "value > 5V alarm = ok", "", "11 5");
}

void TestRecording::conditionGrammar() {
    QFETCH(QString, condition);
    QFETCH(QString, reading);
    QFETCH(QString, result);
    const auto parsed = records::parseRecordCondition(condition);
    if (const auto* wrong = std::get_if<records::ConditionError>(&parsed)) {
        QCOMPARE(QStringLiteral("%1 %2").arg(wrong->at).arg(wrong->length), result);
        QVERIFY(!wrong->why.isEmpty());
        return;
    }
    const QStringList r = reading.split(u' ');
    QCOMPARE(r.size(), 4);
    const auto alarm = records::SampleAlarm::State(
        QStringList{"none", "ok", "over", "under"}.indexOf(r[3]));
    const bool holds = std::get<records::RecordCondition>(parsed).holds(
        meter::measurementFromTexts(r[0], r[1], r[2]), alarm);
    QCOMPARE(QString::fromLatin1(holds ? "holds" : "fails"), result);
}

namespace {

// What a run wrote: the displays of its lines, equal neighbours as "6.00*3",
// with "|" where a segment's gap notice came.
struct GatedRun {
    QString lines;
    int code = -1;
    QString message;
    QString status; // the status line before the first reading
};

// tarnix-log's recorder on the virtual clock: the meter shows each "T:VALUE"
// from T seconds on (DCV 20V, or another function's code after "@"), with
// alarm limits 2.00 .. 5.00 on DCV 20V; sampled every second for `seconds`.
GatedRun runGated(core::RecordOptions options, const QString& shows, double seconds) {
    sim::SimMeter meter(sim::Model::Short, 9600);
    const std::uint8_t limits[] = {0, 2, 0x11, 0x40, 0x29, 0x40};
    for (int i = 0; i < 6; ++i)
        meter.setMemory(49 + i, limits[i]);
    auto* clock = new platform::VirtualClock;
    for (const QString& show : shows.split(u' ')) {
        const QStringList parts = show.split(QRegularExpression(QStringLiteral("[:@]")));
        const auto reading = sim::ScriptedReading::fromValue(
            sim::Model::Short, parts.size() > 2 ? parts[2].toInt() : 2, parts[1]);
        clock->at(parts[0].toDouble(), [&meter, reading] { meter.setScript({*reading}, true); });
    }
    QTemporaryDir dir;
    options.output = dir.filePath(QStringLiteral("gated.dat"));
    options.interval = 1;
    platform::ScriptedDialogs dialogs;
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr,
                            std::unique_ptr<platform::Clock>(clock));
    QStringList lines;
    GatedRun run;
    QObject::connect(&recorder, &core::Recorder::sampleRecorded,
                     [&](const QDateTime&, const meter::Measurement& m) { lines << m.display; });
    QObject::connect(&recorder, &core::Recorder::notice, [&](const QString& text) {
        if (text.contains(u": waiting for "))
            lines.insert(lines.size() - 1, QStringLiteral("|"));
    });
    QObject::connect(&recorder, &core::Recorder::runFinished, [&](int code, const QString& message) {
        run.code = code;
        run.message = message;
    });
    // Sample deadlines come while the cycle waits on the meter, as a timer would.
    clock->afterEachWait([&recorder] { recorder.deadlineReached(); });
    QString error;
    if (!recorder.start(&error))
        return {error, 1, {}, {}};
    run.status = recorder.status();
    while (clock->monotonic() < seconds && !recorder.finished()) {
        clock->advance(0.3);
        recorder.cycle().tick();
        recorder.deadlineReached();
    }
    recorder.finish(0);
    QStringList runs;
    for (qsizetype i = 0, n; i < lines.size(); i += n) {
        for (n = 1; i + n < lines.size() && lines[i + n] == lines[i];)
            ++n;
        runs << (n > 1 ? QStringLiteral("%1*%2").arg(lines[i]).arg(n) : lines[i]);
    }
    run.lines = runs.join(u' ');
    if (QFileInfo(options.output).size() == 0 && !lines.isEmpty())
        run.lines = QStringLiteral("nothing in the file");
    return run;
}

} // namespace

// Starts and stops on each kind of condition, --pre and --post at their
// edges, and --repeat's segments.
void TestRecording::conditionsGateTheLines_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<double>("pre");
    QTest::addColumn<double>("post");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("message"); // the run's end, with exit code 0
    row("start on a value", "value > 5V", "", 0.0, 0.0, false, "0:4.00 4:6.00", "6.00*11", "");
    row("start in the first second, with --pre", "value > 5V", "", 3.0, 0.0, false, "0:6.00 3:7.00",
        "6.00*3 7.00*11", "");
    row("--pre: the samples of its span, then the start", "value > 5V", "", 2.0, 0.0, false,
        "0:1.00 1:2.00 2:3.00 3:4.00 4:6.00", "3.00 4.00 6.00*11", "");
    row("stop on the alarm, --post 2 s", "", "alarm = over", 0.0, 2.0, false, "0:3.00 3:9.00",
        "3.00*2 9.00*3", "alarm = over held at 12:00:03; the recording ends");
    row("--post shorter than the interval", "", "function = ACV", 0.0, 0.5, false,
        "0:3.00 3:1.00@130", "3.00*2 1.00", "function = ACV held at 12:00:03; the recording ends");
    row("stop on an overload", "", "overload", 0.0, 0.0, false, "0:3.00 2:OL", "3.00 OL",
        "overload held at 12:00:02; the recording ends");
    row("start and stop on one reading", "alarm != ok", "value > 5V", 2.0, 0.0, false,
        "0:3.00 3:9.00", "3.00*2 9.00", "value > 5V held at 12:00:03; the recording ends");
    row("never started", "value > 50V", "", 2.0, 0.0, false, "0:3.00", "",
        "value > 50V never held; nothing was recorded");
    row("--repeat: a stop during the next --pre", "value > 5V", "value < 5V", 3.0, 1.0, true,
        "0:6.00 2:4.00 4:3.00 5:6.00 7:4.00 11:6.00",
        "6.00 4.00*2 | 3.00 6.00*3 4.00*2 | 4.00*2 6.00*4", "");
    row("--repeat: a start that still holds is no new one", "value > 5V", "value > 7V", 0.0, 0.0,
        true, "0:6.00 2:8.00 4:6.00 6:4.00 8:6.00", "6.00 8.00 | 6.00*8", "");
}

void TestRecording::conditionsGateTheLines() {
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(double, pre);
    QFETCH(double, post);
    QFETCH(bool, repeat);
    QFETCH(QString, shows);
    QFETCH(QString, lines);
    QFETCH(QString, message);
    core::RecordOptions options;
    for (auto [text, condition] : {std::pair{start, &options.startWhen}, {stop, &options.stopWhen}})
        if (!text.isEmpty())
            *condition = std::get<records::RecordCondition>(records::parseRecordCondition(text));
    options.pre = pre;
    options.post = post;
    options.repeat = repeat;
    const GatedRun run = runGated(options, shows, 15);
    QCOMPARE(run.lines, lines);
    QCOMPARE(run.message, message);
    QCOMPARE(run.code, 0);
    QVERIFY2(run.status.endsWith(start.isEmpty() ? "  until " + stop + "  lines 0"
                                                 : "  waiting for " + start + "  lines 0"),
             qPrintable(run.status));
}

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
