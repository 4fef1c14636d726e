// The desktop program's start: a data file from the command line, a port
// that cannot be opened, and the keys of the main panel.
#include "ui/DesktopProgram.h"
#include "ui/lists/FileList.h"
#include "core/FileCommands.h"
#include "ui/trend/TrendCanvas.h"
#include "ui/trend/TrendOpening.h"
#include "ui/trend/TrendWindow.h"
#include "support/FileBytes.h"
#include "support/PanelBench.h"
#include "sim/BuiltInMeter.h"
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QtTest>

using namespace tarnix;

class TestDesktopProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_recording = m_dir.filePath(QStringLiteral("bench.dat"));
        QVERIFY(writeFile(m_recording, "1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n"
                                       "2,26/12/05,14:03:09.0,DCV,200mV,-2\r\n"));
    }
    void dataFileIsListed();
    void portThatCannotOpen();
    void portWindowOkWhilePanelRuns();
    void panelKeys();
    void listTrendWritesNoFile();
    void trendKeepsItsNoticeAndEmptyLanes();
    void trendReadCanBeCancelled();
    void saveAsOntoAFile_data();
    void saveAsOntoAFile();

private:
    QTemporaryDir m_dir;
    QString m_recording; // two lines, as SAVE AS writes them
};

// Alone, a data file opens in its list without asking for a port.
void TestDesktopProgram::dataFileIsListed() {
    ui::DesktopProgram program({.dataFile = m_recording});
    QVERIFY(program.start());
    QVERIFY(!program.portWindow() && !program.panel() && program.fileList()->isVisible());
    QCOMPARE(program.fileList()->windowTitle(), QStringLiteral("bench.dat"));
    QCOMPARE(program.fileList()->model().rowCount(), 2);
}

// Chosen in the port window, a port that cannot open leads back there to try
// again; given with --port, it ends the program.
void TestDesktopProgram::portThatCannotOpen() {
    const QString missing = m_dir.filePath(QStringLiteral("ttyUSB9"));
    QStringList said; // each message box's text; OK is pressed as soon as it shows
    const auto answerBox = [this, &said] {
        QTimer::singleShot(0, this, [&said] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            said << box->text();
            box->accept();
        });
    };
    sim::BuiltInMeter builtIn;
    ui::DesktopProgram chosen({.simulatedPorts = builtIn.ports()});
    QVERIFY(chosen.start());
    chosen.portWindow()->findChild<QComboBox*>(QStringLiteral("Ports"))->setCurrentText(missing);
    answerBox();
    chosen.portWindow()->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(chosen.portWindow() && chosen.portWindow()->isVisible() && !chosen.panel());
    // A port that opens takes the port window's place: the entry after COM8,
    // the built-in meter, as --simulate opens it.
    chosen.portWindow()->findChild<QComboBox*>(QStringLiteral("Ports"))->setCurrentIndex(8);
    chosen.portWindow()->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(chosen.panel() && (!chosen.portWindow() || !chosen.portWindow()->isVisible()));
    QCOMPARE(chosen.panel()->state().link.portLabel, QStringLiteral("SIM"));

    ui::DesktopProgram given({.start = ui::DesktopOptions::Start::Device, .device = missing});
    answerBox();
    QVERIFY(!given.start());
    QCOMPARE(said, QStringList(2, "No device found, try again!\n\n" + missing + ": no such device"));
}

// Com1 leaves the port window open beside the panel; OK there brings the
// panel forward and closes it, and the COM2 chosen is the port the link
// opens when it restarts.
void TestDesktopProgram::portWindowOkWhilePanelRuns() {
    sim::SimMeter meter1(sim::Model::Short, 9600), meter2(sim::Model::Short, 9600);
    sim::PtyMeter pty1(meter1), pty2(meter2);
    QVERIFY(pty1.open() && pty2.open());
    ui::DesktopProgram program({.serialDevices = QList<platform::SerialDevice>{
                                    {.path = pty1.devicePath()}, {.path = pty2.devicePath()}}});
    QVERIFY(program.start());
    QPointer<ui::PortWindow> port = program.portWindow();
    port->findChild<QPushButton*>(QStringLiteral("CmdCom1"))->click();
    QVERIFY(program.panel() && port && port->isVisible());
    port->findChild<QComboBox*>(QStringLiteral("Ports"))->setCurrentText(QStringLiteral("COM2"));
    port->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(!port || !port->isVisible());
    QVERIFY(program.panel()->isVisible());
    const core::LinkState& link = program.panel()->state().link;
    QCOMPARE(link.comPortNumber, 2);
    QCOMPARE(link.portLabel, QStringLiteral("COM1")); // polled on until the link restarts
    // The restart wakes the meter on COM2, and the port label names it.
    program.panel()->cycle().restartLink();
    QVERIFY(meter2.requestCount() > 0);
    QCOMPARE(program.panel()->state().texts.com, QStringLiteral("COM2"));
}

// Ctrl+O opens a file as OPEN FILE does, F1 shows the version that
// --version prints, Ctrl+Q ends the program as closing the panel does.
void TestDesktopProgram::panelKeys() {
    PanelBench bench;
    ui::Panel& panel = bench.panel;
    QVERIFY(panel.load());
    const auto press = [&panel](const QString& keys) {
        for (QShortcut* shortcut : panel.findChildren<QShortcut*>())
            if (shortcut->key() == QKeySequence(keys))
                Q_EMIT shortcut->activated();
    };
    bench.dialogs.answerFile(m_recording);
    press(QStringLiteral("Ctrl+O"));
    auto* list = panel.findChild<ui::FileList*>();
    QCOMPARE(list->model().rowCount(), 2);

    // Ctrl+T: on the panel, the running recording's trend (there is none);
    // in the list, its file's, which saves as a picture or CSV.
    const auto trendOf = [](QWidget* window) {
        window->findChild<QAction*>(QStringLiteral("TrendAction"))->trigger();
        return window->findChild<ui::TrendWindow*>();
    };
    QVERIFY(!trendOf(&panel));
    QVERIFY(bench.dialogs.messages().at(0).text.startsWith("No recording is running."));
    ui::TrendWindow* trend = trendOf(list);
    QVERIFY(trend && trend->isVisible());
    QCOMPARE(trend->windowTitle(), "Trend - bench.dat");
    for (const char* name : {"t.png", "t.csv"})
        QVERIFY(trend->saveAs(m_dir.filePath(name)));
    QCOMPARE(QImage(m_dir.filePath("t.png")).size(), trend->canvas()->size());
    QCOMPARE(fileBytes(m_dir.filePath("t.csv")).count('\n'), 3); // the header and both readings

    press(QStringLiteral("F1"));
    QCOMPARE(bench.dialogs.messages().at(1).title, QStringLiteral("About Tarnix"));
    QVERIFY(bench.dialogs.messages().at(1).text.startsWith("Tarnix " TARNIX_VERSION "\n"));

    QSignalSpy closed(&panel, &ui::Panel::closed);
    press(QStringLiteral("Ctrl+Q"));
    QCOMPARE(closed.count(), 1);
}

// A trend says a rewrite of its file after the counts, and still once the
// file grows again; Up leaves lanes without readings in view as they are.
void TestDesktopProgram::trendKeepsItsNoticeAndEmptyLanes() {
    PanelBench bench;
    const QString path = m_dir.filePath(QStringLiteral("grow.dat"));
    const QByteArray lines = "1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n"
                             "2,26/12/06,10:00:01.0,RES,2KOhm,1.0\r\n"
                             "3,26/12/06,10:10:00.0,DCV,20V,1.10\r\n";
    QVERIFY(writeFile(path, lines));
    ui::TrendWindow trend({path}, bench.dialogs, bench.printer, bench.clock);
    QVERIFY(trend.load());
    QTest::keyClick(trend.canvas(), Qt::Key_Plus); // the middle minutes: no reading
    QTest::keyClick(trend.canvas(), Qt::Key_Up);
    QVERIFY(!trend.zoom().values(0) && !trend.zoom().values(1));
    const auto* status = trend.findChild<QLabel*>(QStringLiteral("TrendStatus"));
    QVERIFY(writeFile(path, lines.left(72)));
    trend.readMore();
    QVERIFY(writeFile(path, lines));
    trend.readMore();
    QCOMPARE(status->text(), "3 records, 2 series; " + core::trendFileRewritten(path));
}

// A trend's read shows a progress box; cancelled, the read stops and the
// window closes.
void TestDesktopProgram::trendReadCanBeCancelled() {
    PanelBench bench;
    const QString path = m_dir.filePath(QStringLiteral("cancelled.dat"));
    QVERIFY(writeFile(path, QByteArray("1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n").repeated(40000)));
    bench.dialogs.cancelProgressAt(0);
    QCOMPARE(ui::openTrend({path}, bench.dialogs, bench.printer, bench.clock, &bench.panel), nullptr);
    const auto shown = [&] {
        const auto trends = bench.panel.findChildren<ui::TrendWindow*>();
        return std::count_if(trends.begin(), trends.end(), [](QWidget* w) { return w->isVisible(); });
    };
    QCOMPARE(shown(), 0);
    bench.dialogs.cancelProgressAt(101);
    ui::TrendWindow* trend = ui::openTrend({path}, bench.dialogs, bench.printer, bench.clock, &bench.panel);
    QVERIFY(trend && trend->isVisible() && shown() == 1);
    QCOMPARE(trend->findChild<QLabel*>(QStringLiteral("TrendStatus"))->text().section(u',', 0, 0), "40000 records");
}

// A list's trend (the live list's, a downloaded set's) reads the records
// where the list keeps them and writes no file of its own; it saves as the
// file's trend does, the CSV as convert writes it, and it prints.
void TestDesktopProgram::listTrendWritesNoFile() {
    PanelBench bench;
    records::RecordStore list;
    for (const QByteArray& line : fileBytes(m_recording).trimmed().split('\n')) {
        records::RecordFields fields;
        const QList<QByteArray> cells = line.trimmed().split(',');
        std::copy(cells.begin(), cells.end(), fields.begin());
        QVERIFY(list.append(fields));
    }
    const auto temporary = [] { return QDir::temp().entryList({"tarnix-trend-*"}); };
    const QStringList before = temporary();
    ui::TrendWindow* trend =
        ui::openListTrend(list, "Set 1", bench.dialogs, bench.printer, bench.clock, &bench.panel);
    QVERIFY(trend && trend->isVisible());
    QCOMPARE(temporary(), before);
    QCOMPARE(trend->windowTitle(), "Trend - Set 1");
    list.clear(); // the list goes on without the trend
    for (const char* name : {"t.png", "t.svg", "t.csv"})
        QVERIFY(trend->saveAs(m_dir.filePath(name)));
    QVERIFY(fileBytes(m_dir.filePath("t.svg")).contains("<svg"));
    const core::ConvertOptions convert{{m_recording}, m_dir.filePath("c.csv")};
    QCOMPARE(core::runConvert(convert, {{}, [](const QString&) {}}), 0);
    QCOMPARE(fileBytes(m_dir.filePath("t.csv")), fileBytes(convert.output));
    trend->printTrend();
    QCOMPARE(bench.printer.windowsPrinted().size(), 1);
}

// SAVE AS appends only where tarnix-log record would: to a new or empty
// file, or one whose last line is a record; any other file is left as it
// was, and a box over the panel says why.
void TestDesktopProgram::saveAsOntoAFile_data() {
    QTest::addColumn<QByteArray>("held");
    QTest::addColumn<QString>("refusal"); // empty: the recording starts
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("records") << QByteArray("1,26/12/05,14:03:07.0,DCV,200mV,-12.34\r\n")
                             << QString();
    QTest::newRow("password file") << QByteArray("root:x:0:0:root:/root:/bin/bash\n")
                                   << "its last line is not a data-file record of six fields";
    QTest::newRow("analysis CSV") << QByteArray("time,value,unit,function,range,display\r\n")
                                  << "it is a CSV file; record with --format csv to append to it";
}

void TestDesktopProgram::saveAsOntoAFile() {
    QFETCH(QByteArray, held);
    QFETCH(QString, refusal);
    const QString path = m_dir.filePath(QStringLiteral("target"));
    QVERIFY(writeFile(path, held));
    PanelBench bench;
    QVERIFY(bench.panel.load());
    bench.dialogs.answerFile(path);
    auto* button = bench.find<QPushButton>("CmdSaveStop");
    button->click();
    QCOMPARE(button->text(), refusal.isEmpty() ? "STOP REC" : "SAVE AS");
    QCOMPARE(bench.panel.state().data.pcRecording, refusal.isEmpty());
    QCOMPARE(fileBytes(path), held);
    QCOMPARE(bench.dialogs.messageTexts(),
             refusal.isEmpty() ? QStringList()
                               : QStringList("The recording did not start: " + path + ": " + refusal));
    if (!refusal.isEmpty())
        QCOMPARE(bench.dialogs.messages().at(0).window, &bench.panel);
}

QTEST_MAIN(TestDesktopProgram)
#include "test_desktop_program.moc"
