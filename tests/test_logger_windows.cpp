// LOGGER on the simulated meter: the Memory window, its settings and a set download.
#include "link/MemoryMap.h"
#include "ui/logger/DataList.h"
#include "ui/logger/Memory.h"
#include "ui/lists/PlotWindow.h"
#include "support/DataRow.h"
#include "support/PanelBench.h"
#include "support/WidgetPlacement.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QComboBox>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : PanelBench {
    Bench() {
        using namespace link::address;
        clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
        // A logger holding one set of five DCV 200mV records from 03/14 09:05:00, 2 s apart.
        const std::pair<int, int> header[] = {
            {WriteCount, 7},  {IdCode, 44},       {IdCode + 1, 1},   {RecordingMode, 1},
            {MemorySizeK, 4}, {SampleInterval, 5}, {EndAddress, 110}, {RangeChanges, 1},
            {setCode(1), 0},  {setStart(1), 100},  {BaudSetting, 3}};
        for (const auto& [a, v] : header)
            meter.setMemory(a, std::uint8_t(v));
        for (int i = 0; i < 10; ++i)
            meter.setMemory(ClockStamp + i, std::uint8_t("0314090500"[i]));
        for (int a = 100; a < 110; ++a) // five times -180.0, packed: low 6, high 0x80
            meter.setMemory(a, a % 2 ? 0x80 : 6);
        QVERIFY(panel.load());
        panel.cycle().tick();
    }
    ui::Memory* openLogger() {
        heard().clearCommands();
        panel.findChild<QPushButton*>(QStringLiteral("CmdMemory"))->click();
        return panel.memoryWindow();
    }
    // The memory writes the meter heard since the last clear: "address=value".
    QStringList writes() {
        QStringList w;
        for (const QByteArray& c : heard().commands())
            if (c.startsWith('W'))
                w << QStringLiteral("%1=%2").arg(std::uint8_t(c[1])).arg(std::uint8_t(c[3]));
        return w;
    }
};

} // namespace

class TestLoggerWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerAndSetDownload();
    void settingsWrites_data();
    void settingsWrites();
    void settingsChangesAreNeverLost();
    void downloadEndsEarly_data();
    void downloadEndsEarly();
    void cancelledHeaderReadOpensNothing();
};

void TestLoggerWindows::headerAndSetDownload() {
    Bench b;
    int progress = 0, cut = 0; // the header read's progress texts, and those the port label cut
    QObject::connect(&b.panel.state(), &core::SharedState::changed, &b.panel, [&] {
        const QString& com = b.panel.state().texts.com;
        progress += com.endsWith(u"completed");
        cut += com.endsWith(u"completed") && b.panel.findChild<QLabel*>("LblCom")->text() != com;
    });
    ui::Memory* memory = b.openLogger();
    QVERIFY(memory);
    QVERIFY(progress > 0 && cut == 0);
    QStringList shown;
    for (const char* name : {"LblWriteCounts", "LblMemorySize", "LblTime", "LblRangeChanges",
                             "TxtIdCode", "TxtSampleRate"})
        shown << memory->findChild<QWidget*>(QLatin1String(name))->property("text").toString();
    QCOMPARE(shown, (QStringList{"7", "4 K", "26/03/14---09:05:00", "1", "300", "2 sec"}));
    auto* grid = memory->findChild<QTableWidget*>(QStringLiteral("Grid"));
    QVERIFY(grid->rowCount() == 1 && grid->isEnabled()); // a set to pick
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << grid->model()->index(0, c).data().toString();
    QCOMPARE(cells.join(u' '), QStringLiteral("1 DCV 200mV 5"));
    // Shown, the lists take the header's entries (Max, 9600) and write them.
    QCOMPARE(b.writes(), (QStringList{"5=1", "48=0"}));
    // Refused while another action holds the wire, and taken once it is free.
    QVERIFY(b.panel.cycle().runExclusive([&] { memory->downloadSet(1); }) && !memory->dataList());
    QVERIFY(grid->isEnabled()); // the refusal leaves the window ready
    memory->downloadSet(1);
    ui::DataList* list = memory->dataList();
    // A whole set comes without a word beyond the refusal's.
    QVERIFY(list && b.dialogs.messageTexts().size() == 1);
    QCOMPARE(list->title(), QStringLiteral("5  Records In No. 1  Set"));
    QAbstractItemModelTester(&list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(list->model().records().record(4),
             (records::RecordFields{"5", "26/03/14", "09:05:08.0", "DCV", "200mV", "-180.0"}));
    // A second LOGGER's download replaces the list, and closes the plot drawn from it.
    list->findChild<QPushButton*>("CmdDplot")->click();
    QPointer<QWidget> plot = b.panel.findChild<ui::PlotWindow*>();
    QVERIFY(plot);
    QCOMPARE(misplacedWidget(memory) + misplacedWidget(list), QString());
    b.openLogger()->downloadSet(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(b.panel.findChildren<ui::DataList*>().size(), 1);
    QVERIFY(!plot || !plot->isVisible());
}

void TestLoggerWindows::settingsWrites_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("written"); // none: refused
    QTest::addColumn<bool>("recording");      // the meter's logger records meanwhile
    row("id 1000", "TxtIdCode", "1000", QStringList{"3=3", "2=232"}, false);
    row("id too big", "TxtIdCode", "70000", QStringList(), false);
    row("rate 2 sec", "TxtSampleRate", "2 sec", QStringList{"19=0", "18=5"}, false);
    row("rate 1", "TxtSampleRate", "1", QStringList{"19=0", "18=2"}, false);
    row("mode Min", "ComboRecordingMode", "Min", QStringList{"5=2"}, false);
    row("baud 2400", "ComboBaudRate", "2400", QStringList{"48=2"}, false);
    // Every field and list writes through one refusal: a field and a list stand for them.
    row("id, recording", "TxtIdCode", "1000", QStringList(), true);
    row("baud, recording", "ComboBaudRate", "2400", QStringList(), true);
}

void TestLoggerWindows::settingsWrites() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QStringList, written);
    QFETCH(bool, recording);
    Bench b;
    ui::Memory* memory = b.openLogger();
    b.panel.state().link.recordingFlag = recording;
    b.heard().clearCommands();
    // The text of a field, then its button; or a list's entry.
    auto* input = memory->findChild<QWidget*>(control);
    input->metaObject()->userProperty().write(input, text);
    if (auto* button = memory->findChild<QPushButton*>(QString(control).replace("Txt", "Cmd")))
        button->click();
    QCOMPARE(b.writes(), written);
    const char* refusal = recording ? "Invalid, Recording Mode !" : "Invalid, try again!";
    QCOMPARE(b.dialogs.messageTexts().join(u'|'), written.isEmpty() ? refusal : "");
}

// A resize writes nothing again; a change made while a poll runs waits for
// it, and the settings stay off meanwhile, so no second change is lost.
void TestLoggerWindows::settingsChangesAreNeverLost() {
    Bench b;
    ui::Memory* memory = b.openLogger();
    b.heard().clearCommands();
    auto* mode = memory->findChild<QComboBox*>(QStringLiteral("ComboRecordingMode"));
    bool offMeanwhile = false;
    b.clock.at(b.clock.monotonic() + 0.1, [&] {
        mode->setCurrentIndex(2);
        offMeanwhile = !mode->isEnabled();
    });
    b.panel.cycle().tick();
    QVERIFY(offMeanwhile);
    memory->resize(memory->size() + QSize(40, 40));
    QCOMPARE(b.writes(), QStringList{"5=2"});
    QVERIFY(mode->isEnabled() && mode->currentIndex() == 2);
}

void TestLoggerWindows::downloadEndsEarly_data() {
    QTest::addColumn<double>("after");  // seconds into the dump
    QTest::addColumn<bool>("portGoes"); // else the meter falls silent
    QTest::addColumn<QString>("message");
    QTest::newRow("meter falls silent") << 1.0 << false << "^The meter stopped sending after [1-9]";
    QTest::newRow("port goes away") << 1.0 << true << "^The meter's port went away after [1-9]";
    QTest::newRow("nothing arrives") << 0.0 << false << "^The meter stopped sending after 0 of";
}

void TestLoggerWindows::downloadEndsEarly() {
    QFETCH(double, after);
    QFETCH(bool, portGoes);
    QFETCH(QString, message);
    Bench b;
    ui::Memory* memory = b.openLogger();
    b.clock.at(b.clock.monotonic() + after,
               [&] { portGoes ? b.port.setLost(true) : b.meter.setPowered(false); });
    memory->downloadSet(1);
    QCOMPARE(b.dialogs.messages().size(), 1u);
    QVERIFY2(QRegularExpression(message).match(b.dialogs.messages()[0].text).hasMatch(),
             qPrintable(b.dialogs.messages()[0].text));
    QCOMPARE(bool(memory->dataList()), after > 0); // what arrived is listed, if anything did
    QVERIFY(memory->findChild<QWidget*>(QStringLiteral("Grid"))->isEnabled());
    QVERIFY(b.panel.cycle().timer().isActive());
}

// The header read's time-out box has a way out: Cancel ends the read.
void TestLoggerWindows::cancelledHeaderReadOpensNothing() {
    Bench b;
    b.meter.setReadReplyLength(0);
    b.dialogs.answerRetries(false);
    QVERIFY(!b.openLogger());
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Wait Time Out ! Try again !")});
    QVERIFY(b.panel.cycle().timer().isActive());
}

QTEST_MAIN(TestLoggerWindows)
#include "test_logger_windows.moc"
