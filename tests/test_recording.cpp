// PC sampling and recording on the panel, the live list and OPEN FILE, on
// the simulated meter and the virtual clock.
#include "ui/lists/FileList.h"
#include "ui/lists/ListGrid.h"
#include "core/MeterSession.h"
#include "ui/panel/Panel.h"
#include "core/SamplingClock.h"
#include "support/SimulatedLink.h"
#include "ui/views/RealTimeList.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnix;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Bench : SimulatedLink {
    Bench() {
        panel.state().link.portLabel = QStringLiteral("COM1");
        meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 0, "-12.34")});
        QVERIFY(panel.load());
        panel.cycle().tick();
        panel.cycle().timer().stop(); // the tests drive the clocks by hand
        panel.sampling().timer().stop();
        clock.setNow(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 7))); // ticks at 7.95, 8.90, ...
    }
    // One Timer2 tick, 950 ms on.
    void sampleTick() {
        clock.advance(0.95);
        panel.sampling().tick();
    }
    QPushButton* button(const char* name) {
        return panel.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QLabel* label(const char* name) { return panel.findChild<QLabel*>(QString::fromLatin1(name)); }

    tarnix::core::MeterSession session{link, dialogs};
    panel::Panel panel{session, dialogs, printer};
    QTemporaryDir dir;
};

} // namespace

class TestRecording : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samplingAnswers_data();
    void samplingAnswers();
    void sampleTickCadence_data();
    void sampleTickCadence();
    void recordingAppendsNumberedLines();
    void writeFailureStopsTheRecording();
    void liveListKeepsItsOwnNumbers();
    void saveRefusedWhileRecording();
    void openFileStopsTheRecordingAndLists();
};

void TestRecording::samplingAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("shown"); // under SAMPLING afterwards
    QTest::newRow("0") << "0" << "1 Sec";
    QTest::newRow("-5") << "-5" << "1 Sec";
    QTest::newRow("100000") << "100000" << "86400 Sec";
    QTest::newRow("86,400") << "86,400" << "86400 Sec";
    QTest::newRow("2.5") << "2.5" << "2 Sec";
    QTest::newRow("3.5") << "3.5" << "4 Sec";
    QTest::newRow("5") << "5" << "5 Sec";
    QTest::newRow("a word leaves it") << "soon" << "2 sec";
    QTest::newRow("cancel leaves it") << "" << "2 sec";
}

void TestRecording::samplingAnswers() {
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    Bench b;
    b.dialogs.answer(answer);
    b.button("CmdPc")->click();
    QCOMPARE(b.dialogs.prompts().size(), 1u);
    QCOMPARE(b.dialogs.prompts()[0].title, QStringLiteral("Input Sampling Time"));
    QCOMPARE(b.dialogs.prompts()[0].prompt,
             QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) "));
    QCOMPARE(b.dialogs.prompts()[0].defaultAnswer, QStringLiteral("2"));
    QCOMPARE(b.label("LblSam")->text(), shown);
}

void TestRecording::sampleTickCadence_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("samples"); // over 12 ticks: S sample, . no sample
    QTest::newRow("1") << 1 << "SSSSSSSSSSSS";
    QTest::newRow("2") << 2 << "S.S.S.S.S.S.";
    QTest::newRow("5") << 5 << "S....S....S.";
}

void TestRecording::sampleTickCadence() {
    QFETCH(int, interval);
    QFETCH(QString, samples);
    Bench b;
    b.panel.sampling().setInterval(interval);
    int taken = 0;
    connect(&b.panel.sampling(), &core::SamplingClock::sampleTaken, this, [&] { ++taken; });
    QString seen;
    for (int i = 0; i < 12; ++i) {
        const int before = taken;
        b.sampleTick();
        seen += taken > before ? u'S' : u'.';
    }
    QCOMPARE(seen, samples);
    QCOMPARE(b.label("LblTime")->text().size(), 8);
}

void TestRecording::recordingAppendsNumberedLines() {
    Bench b;
    const QString path = b.dir.filePath("rec.dat");
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("7,26/01/01,00:00:00.0,DCV,2V,1.000\r\n");
    existing.close();
    b.panel.sampling().setInterval(1);
    b.dialogs.answerFile(path);
    b.button("CmdSaveStop")->click();
    QCOMPARE(b.dialogs.fileFilters(), QStringList{"Data Files (*.dat);;All Files (*.*)"});
    QCOMPARE(b.button("CmdSaveStop")->text(), QStringLiteral("STOP REC"));
    QVERIFY(!b.label("LblRecording")->isHidden());
    QCOMPARE(b.label("LblFileName")->text(), QStringLiteral("rec.dat"));
    QCOMPARE(b.label("LblCount")->text(), QString());
    b.sampleTick();
    b.sampleTick();
    QCOMPARE(b.label("LblCount")->text(), QStringLiteral(" 2"));
    QCOMPARE(readAll(path), QByteArray("7,26/01/01,00:00:00.0,DCV,2V,1.000\r\n"
                                       "1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n"
                                       "2,26/12/05,14:03:08.0,DCV,200mV,-12.34\r\n"));
    b.button("CmdSaveStop")->click(); // STOP REC
    QCOMPARE(b.button("CmdSaveStop")->text(), QStringLiteral("SAVE AS"));
    QVERIFY(b.label("LblRecording")->isHidden());
    QCOMPARE(b.label("LblCount")->text(), QString());
    QCOMPARE(b.label("LblFileName")->text(), QStringLiteral("rec.dat"));
    b.sampleTick();
    QCOMPARE(readAll(path).count('\n'), 3); // nothing written while stopped
    // SAVE AS again: the numbers start at 1 again.
    b.dialogs.answerFile(path);
    b.button("CmdSaveStop")->click();
    b.sampleTick();
    QVERIFY(readAll(path).endsWith("\r\n1,26/12/05,14:03:10.0,DCV,200mV,-12.34\r\n"));
    // A cancelled dialog starts nothing.
    b.button("CmdSaveStop")->click();
    b.button("CmdSaveStop")->click();
    QCOMPARE(b.button("CmdSaveStop")->text(), QStringLiteral("SAVE AS"));
}

void TestRecording::writeFailureStopsTheRecording() {
    Bench b;
    b.panel.sampling().setInterval(1);
    b.dialogs.answerFile(QStringLiteral("/dev/full"));
    b.button("CmdSaveStop")->click();
    QVERIFY(b.panel.state().data.pcRecording);
    b.sampleTick();
    QVERIFY(!b.panel.state().data.pcRecording);
    QCOMPARE(b.button("CmdSaveStop")->text(), QStringLiteral("SAVE AS"));
    QCOMPARE(b.dialogs.messages().size(), 1u);
    QVERIFY(b.dialogs.messages()[0].text.startsWith(QStringLiteral("The recording has stopped")));
}

void TestRecording::liveListKeepsItsOwnNumbers() {
    Bench b;
    b.panel.sampling().setInterval(1);
    b.button("CmdList")->click();
    auto* list = b.panel.findChild<views::RealTimeList*>(QStringLiteral("RealTimeList"));
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QStringLiteral("Real Time List"));
    b.sampleTick();
    b.sampleTick();
    // A recording started now counts from 1; the list goes on at 3.
    const QString path = b.dir.filePath("r.dat");
    b.dialogs.answerFile(path);
    b.button("CmdSaveStop")->click();
    b.sampleTick();
    const auto& records = list->model().records();
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(records.cell(2, 0), QStringLiteral("3"));
    QCOMPARE(records.cell(2, 5), QStringLiteral("-12.34"));
    QVERIFY(readAll(path).startsWith("1,"));
    QCOMPARE(list->grid()->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("   Date"));
    // LIST again: a fresh, empty list.
    b.button("CmdList")->click();
    QTRY_VERIFY(b.panel.findChildren<views::RealTimeList*>().size() == 1);
    list = b.panel.findChild<views::RealTimeList*>(QStringLiteral("RealTimeList"));
    QCOMPARE(list->model().records().size(), 0);
    b.sampleTick();
    QCOMPARE(list->model().records().cell(0, 0), QStringLiteral("1"));
}

void TestRecording::saveRefusedWhileRecording() {
    Bench b;
    b.panel.sampling().setInterval(1);
    b.button("CmdList")->click();
    auto* list = b.panel.findChild<views::RealTimeList*>(QStringLiteral("RealTimeList"));
    b.sampleTick();
    b.dialogs.answerFile(b.dir.filePath("rec.dat"));
    b.button("CmdSaveStop")->click();
    b.dialogs.answerFile(b.dir.filePath("list.dat"));
    list->findChild<QPushButton*>(QStringLiteral("CmdRsave"))->click();
    QCOMPARE(b.dialogs.messageTexts(),
             QStringList{"Aready in recording mode, Close it and try again !"});
    QCOMPARE(b.dialogs.messages()[0].icon, platform::MessageIcon::Critical);
    QVERIFY(!QFileInfo::exists(b.dir.filePath("list.dat")));
    // Stopped, the same Save writes the list.
    b.button("CmdSaveStop")->click();
    list->findChild<QPushButton*>(QStringLiteral("CmdRsave"))->click();
    QCOMPARE(readAll(b.dir.filePath("list.dat")).count('\n'), 1);
}

void TestRecording::openFileStopsTheRecordingAndLists() {
    Bench b;
    const QString data = b.dir.filePath("data.dat");
    QFile f(data);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 250; ++i)
        f.write(QByteArray::number(i) + ",26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n");
    f.write("1,2,3,4\r\n"); // a short last line is dropped
    f.close();
    b.dialogs.answerFile(b.dir.filePath("rec.dat"));
    b.button("CmdSaveStop")->click();
    QVERIFY(b.panel.state().data.pcRecording);
    b.dialogs.answerFile(data);
    b.button("CmdOpen")->click();
    QVERIFY(!b.panel.state().data.pcRecording);
    auto* list = b.panel.findChild<files::FileList*>(QStringLiteral("FileList"));
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QStringLiteral("data.dat"));
    QCOMPARE(list->model().records().size(), 250);
    QCOMPARE(list->model().rowCount(), 250);
    QCOMPARE(list->model().records().cell(249, 0), QStringLiteral("250"));
    QCOMPARE(b.dialogs.messageTexts(), QStringList{data + ": 1 line was not a record of six fields"});
    // Plot draws the opened file in the panel's signed plot window.
    list->findChild<QPushButton*>(QStringLiteral("CmdFplot"))->click();
    auto* plot = b.panel.findChild<QWidget*>(QStringLiteral("ListPlot2"));
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(plot->findChild<QLabel*>(QStringLiteral("LblUnit"))->text(), QStringLiteral("DCV:200mV"));
    QCOMPARE(list->findChild<QPushButton*>(QStringLiteral("CmdFprint"))->text(),
             QStringLiteral("Print"));
    // Print goes through the printer, with polling restored after.
    b.panel.cycle().timer().start();
    list->findChild<QPushButton*>(QStringLiteral("CmdFprint"))->click();
    QCOMPARE(b.printer.documents().size(), 1u);
    QCOMPARE(b.printer.documents()[0].lines.size(), 252);
    QVERIFY(b.panel.cycle().timer().isActive());
    QCOMPARE(list->windowTitle(), QStringLiteral("data.dat"));
    // A file that cannot be read says why.
    b.dialogs.answerFile(b.dir.filePath("gone.dat"));
    b.button("CmdOpen")->click();
    QCOMPARE(b.dialogs.messages().size(), 2u);
}

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
