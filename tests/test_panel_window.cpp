// The main window on the simulated meter and the virtual clock: its controls,
// the buttons that talk to the meter, the baud-rate dialog and TIME SET.
#include "ui/PortWindow.h"
#include "ui/platform/WidgetDialogs.h"
#include "support/PanelBench.h"
#include "support/VirtualClock.h"
#include "support/WidgetPlacement.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : PanelBench {
    explicit Bench(int meterBaud = 9600) : PanelBench(sim::Model::Short, meterBaud) {
        panel.state().link.portLabel = QStringLiteral("COM1");
        panel.state().link.comPortNumber = 1;
        QVERIFY(panel.load());
        panel.cycle().tick();
    }
};

} // namespace

class TestPanelWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowShowsTheReading();
    void buttonsThatTalkToTheMeter();
    void baudRate_data();
    void baudRate();
    void textsFit_data();
    void textsFit();
    void allFilesListsNamesWithoutDot();
    void portWindowNamesTheDevice();
    void windowsHoldTheirWidgets();
};

void TestPanelWindow::windowShowsTheReading() {
    const QPalette light = QApplication::palette();
    QPalette dark = light; // a dark desktop theme: dark read-outs
    dark.setColor(QPalette::Base, Qt::black);
    QApplication::setPalette(dark);
    Bench b;
    const QImage maximum = b.find("LblMax")->grab().toImage();
    QApplication::setPalette(light);
    QVERIFY(maximum.pixelColor(maximum.rect().center()).lightness() < 64);
    // The panel's other controls are each used by a test of their own.
    for (const char* name : {"CmdReset", "LblMax", "LblMin", "LblTime", "LblFileName"})
        QVERIFY2(b.panel.findChild<QWidget*>(QString::fromLatin1(name)), name);
    b.meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 131, "-123.4")});
    b.panel.cycle().tick();
    QCOMPARE(b.find("LblFun")->text() + b.find("LblRan")->text(), QStringLiteral("ACV200V"));
    QCOMPARE(b.find("LblVal")->text(), QStringLiteral("-123.4"));
    QCOMPARE(b.find<QPushButton>("CmdMeter")->text(), QStringLiteral("MQZ5081"));
    QVERIFY(b.find("LblRec")->isHidden());
    b.meter.setRecording(true);
    b.panel.cycle().tick();
    QVERIFY(!b.find("LblRec")->isHidden());
    b.port.failOpens(QStringLiteral("busy")); // a port that will not open says why
    QVERIFY(!b.panel.load());
    QCOMPARE(b.dialogs.messageTexts(), QStringList{"No device found, try again!\n\nbusy"});
}

void TestPanelWindow::buttonsThatTalkToTheMeter() {
    Bench b;
    QTest::mouseClick(b.find("LblVal"), Qt::LeftButton);
    b.find<QPushButton>("CmdUpdate")->click();
    b.find<QPushButton>("CmdMeter")->click();
    QCOMPARE(b.tap.count("EEE"), 1);
    QCOMPARE(b.tap.count("A"), 2);
    // TIME SET writes the PC's clock into the logger's.
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 7)));
    QString meanwhile; // the port label while the clock is written, the buttons held
    b.clock.afterEachWait([&] {
        meanwhile = b.find("LblCom")->text() + (b.panel.state().texts.loggerBusy ? " busy" : "");
    });
    b.find<QPushButton>("CmdSystem")->click();
    b.clock.afterEachWait({});
    QCOMPARE(meanwhile, QStringLiteral("Wait busy"));
    QCOMPARE(b.heard().memoryImage().mid(8, 10), QByteArray("1231235907"));
    QCOMPARE(b.find("LblCom")->text(), QStringLiteral("Com1")); // as the port window named it
}

void TestPanelWindow::baudRate_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("baud"); // the port's and the meter's afterwards
    QTest::newRow("4800") << "4800" << 4800;
    QTest::newRow("19200 is refused") << "19200" << 9600;
    QTest::newRow("cancel") << "" << 9600;
}

void TestPanelWindow::baudRate() {
    QFETCH(QString, answer);
    QFETCH(int, baud);
    Bench b(9600);
    b.dialogs.answer(answer);
    b.find<QPushButton>("CmdBaudRate")->click();
    QCOMPARE(b.dialogs.prompts().at(0).defaultAnswer, QStringLiteral("9600"));
    QCOMPARE(b.port.settings().text(), QStringLiteral("%1,n,8,1").arg(baud));
    const QStringList refused{"Invalid, try again!"};
    QCOMPARE(b.dialogs.messageTexts(), answer == u"19200" ? refused : QStringList());
    QCOMPARE(b.tap.count(QByteArray::number(baud).left(1)), int(baud != 9600)); // one code byte
    // The meter followed: the next tick reads at the new speed without a search.
    b.tap.clear();
    b.panel.cycle().tick();
    QCOMPARE(b.tap.requestSpeeds(), std::vector<int>{baud});
}

void TestPanelWindow::textsFit_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text"); // none: the label's own
    QTest::newRow("7 digits recorded") << "LblCount" << " 1234567";
    QTest::newRow("Recording") << "LblRecording" << "";
    QTest::newRow("header read") << "LblCom" << "40.0% completed";
    QTest::newRow("long device path") << "LblCom"
                                      << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0";
}

// In the font the system gives (DejaVu Sans on Debian) a text fits, or is shortened and the tooltip has it.
void TestPanelWindow::textsFit() {
    QFETCH(QString, label);
    QFETCH(QString, text);
    Bench b;
    core::PanelTexts& t = b.panel.state().texts;
    t.count = t.com = text;
    t.comProgress = text.endsWith(u"completed");
    t.pcRecordingShown = true;
    b.panel.state().show();
    const QLabel* shown = b.find(qPrintable(label));
    QVERIFY2(shown->fontMetrics().horizontalAdvance(shown->text()) <= shown->contentsRect().width(),
             qPrintable(shown->text()));
    QCOMPARE(shown->toolTip(), shown->text() == text || text.isEmpty() ? QString() : text);
}

// A recording saved as "rec1" is listed under "All Files (*.*)", which reads as it did.
void TestPanelWindow::allFilesListsNamesWithoutDot() {
    auto dialog =
        ui::WidgetDialogs::fileDialog(nullptr, QFileDialog::AcceptOpen, records::DataFileFilter);
    dialog->selectNameFilter(dialog->nameFilters().last());
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
    QVERIFY(QDir::match(dialog->findChild<QFileSystemModel*>()->nameFilters(), "rec1"));
    // The save dialog tells which filter was picked, as it was given, and a
    // new name typed without an extension gets the filter's.
    const platform::VirtualClock clock;
    ui::WidgetDialogs dialogs(clock);
    const QTemporaryDir dir;
    QTimer::singleShot(0, [&dir] {
        auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(open);
        open->selectNameFilter(open->nameFilters().value(1));
        open->selectFile(dir.filePath("run"));
        static_cast<QDialog*>(open)->accept(); // the file dialog's own accept
    });
    QString chosen;
    QCOMPARE(dialogs.saveFileName(records::ListSaveFilter, &chosen), dir.filePath("run.csv"));
    QCOMPARE(chosen, records::AnalysisCsvFilter);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QCOMPARE(dialogs.saveFileName(records::ListSaveFilter, &chosen), QString()); // cancelled: none
}

// The first window opens on COM1, the first USB-serial cable, named as its
// maker names it; OK says which COM name was picked, and a typed device path
// is taken as it is.
void TestPanelWindow::portWindowNamesTheDevice() {
    ui::PortWindow window({{.path = "/dev/ttyUSB0", .description = "FT232R USB UART",
                              .manufacturer = "FTDI"},
                             {.path = "/dev/ttyS0"}});
    QSignalSpy accepted(&window, &ui::PortWindow::accepted);
    const auto* device = window.findChild<QLabel*>("LblDevice");
    QCOMPARE(device->text(), QStringLiteral("= /dev/ttyUSB0 \u2014 FT232R USB UART (FTDI)"));
    QVERIFY(device->geometry().right() < window.width()); // the whole text is seen
    auto* ports = window.findChild<QComboBox*>("Ports"); // COM1 to COM8, the simulated meter
    QVERIFY(ports->count() == 9 && ports->itemData(1, Qt::ToolTipRole) == "/dev/ttyS0");
    window.findChild<QPushButton*>("CmdOK")->click();
    ports->setCurrentText(QStringLiteral("/dev/pts/7"));
    QTest::keyClick(ports->lineEdit(), Qt::Key_Return); // Enter is OK
    QCOMPARE(accepted.value(0), (QVariantList{1, QString()}));
    QCOMPARE(accepted.value(1), (QVariantList{0, QStringLiteral("/dev/pts/7")}));
}

void TestPanelWindow::windowsHoldTheirWidgets() {
    Bench b;
    b.panel.show();
    for (const char* name : {"CmdDigital", "CmdAnalog", "CmdList", "CmdGraph", "CmdMemory", "CmdAlarm"})
        b.find<QPushButton>(name)->click();
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            QCOMPARE(window->objectName() + misplacedWidget(window), window->objectName());
    // Each button, frame, field and list of these three says what it does.
    QVERIFY(b.panel.memoryWindow() && b.find<QWidget>("AlarmSetUp"));
    const QStringList tipped = {"Panel", "Memory", "AlarmSetUp"};
    for (const QWidget* w : b.panel.findChildren<QWidget*>())
        if (!w->isWindow() && tipped.contains(w->window()->objectName()) &&
            !qobject_cast<const QLabel*>(w) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(u"qt_"))
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
}

QTEST_MAIN(TestPanelWindow)
#include "test_panel_window.moc"
