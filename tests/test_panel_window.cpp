// The main window on the simulated meter and the virtual clock: its
// elements, the buttons that talk to the meter, and the baud-rate dialog.
#include "ui/PortWindow.h"
#include "link/Rs232.h"
#include "core/MeterSession.h"
#include "ui/panel/Panel.h"
#include "platform/MemorySerialPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "sim/SimMeter.h"
#include "support/SimulatedLink.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : SimulatedLink {
    explicit Bench(int meterBaud = 9600) : SimulatedLink(sim::Model::Short, meterBaud) {
        panel.state().link.comPortNumber = 3;
        panel.state().link.portLabel = QStringLiteral("COM3");
    }
    QLabel* label(const char* name) { return panel.findChild<QLabel*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) {
        return panel.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    tarnix::core::MeterSession session{link, dialogs};
    panel::Panel panel{session, dialogs, printer};
};

} // namespace

class TestPanelWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void elementsAndInitialTexts();
    void loadStartsPolling();
    void loadFailureSaysWhy();
    void readingReachesTheLabels();
    void buttonsThatTalkToTheMeter();
    void resetTakesTheShownValue();
    void baudRate_data();
    void baudRate();
    void timeSetWritesTheLoggerClock();
    void portWindow();
};

void TestPanelWindow::elementsAndInitialTexts() {
    Bench b;
    QCOMPARE(b.panel.objectName(), QStringLiteral("Panel"));
    QCOMPARE(b.panel.windowTitle(), QStringLiteral("Panel   V5.7"));
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {
        {"CmdMeter", ""},           {"CmdUpdate", "REC MODE"}, {"CmdReset", "<--RESET-->"},
        {"CmdBaudRate", "BAUD RATE"}, {"CmdSystem", "TIME SET"}, {"CmdMemory", "LOGGER"},
        {"CmdAlarm", "ALARM"},       {"CmdOpen", "OPEN FILE"},  {"CmdPc", "PC SAMPLING"},
        {"CmdSaveStop", "SAVE AS"},  {"CmdDigital", "DIGITAL"}, {"CmdAnalog", "ANALOG"},
        {"CmdList", "LIST"},         {"CmdGraph", "GRAPH"},
    };
    for (const auto& expected : buttons) {
        QPushButton* button = b.button(expected.name);
        QVERIFY2(button, expected.name);
        QCOMPARE(button->text(), QString::fromLatin1(expected.caption));
    }
    const struct {
        const char* name;
        const char* caption;
    } frames[] = {{"SSPanel1", "MINIMUM"}, {"SSPanel2", "MAXIMUM"}, {"SSPanel3", "RANGE"},
                  {"SSPanel4", "VALUE"},   {"SSPanel5", "SAMPLING"}, {"SSPanel6", "TIME"},
                  {"SSPanel7", "FUNCTION"}, {"SSPanel8", "FILE NAME"}, {"PlLow", "LOWER"},
                  {"PlHigh", "HIGHER"}};
    for (const auto& expected : frames) {
        auto* frame = b.panel.findChild<QGroupBox*>(QString::fromLatin1(expected.name));
        QVERIFY2(frame, expected.name);
        QCOMPARE(frame->title(), QString::fromLatin1(expected.caption));
    }
    for (const char* name : {"LblFun", "LblRan", "LblVal", "LblMax", "LblMin", "LblSam",
                             "LblTime", "LblCount", "LblFileName", "LblLowAlarm", "LblHighAlarm"}) {
        QVERIFY2(b.label(name), name);
        QVERIFY2(b.label(name)->text().isEmpty(), name);
    }
    QCOMPARE(b.label("LblCom")->text(), QStringLiteral("No Com"));
    QCOMPARE(b.label("LblRec")->text(), QStringLiteral("REC"));
    QVERIFY(b.label("LblRec")->isHidden());
    QCOMPARE(b.label("LblRecording")->text(), QStringLiteral("Recording"));
    QVERIFY(b.label("LblRecording")->isHidden());
    // The model, baud-rate and REC MODE buttons lie below the laid-out area.
    QVERIFY(b.button("CmdBaudRate")->geometry().top() > b.panel.height());
    QVERIFY(b.button("CmdBaudRate")->focusPolicy() & Qt::TabFocus);
}

void TestPanelWindow::loadStartsPolling() {
    Bench b;
    QVERIFY(b.panel.load());
    QCOMPARE(b.panel.pos(), QPoint(0, 0));
    QCOMPARE(b.label("LblCom")->text(), QStringLiteral("COM3"));
    QCOMPARE(b.label("LblSam")->text(), QStringLiteral("2 sec"));
    QCOMPARE(b.port.settings(), QStringLiteral("1200,n,8,1"));
    QVERIFY(b.panel.cycle().timer().isActive());
    QVERIFY(b.panel.sampling().timer().isActive());
}

void TestPanelWindow::loadFailureSaysWhy() {
    Bench b;
    b.port.failOpens(QStringLiteral("/dev/ttyUSB0: permission denied"));
    QVERIFY(!b.panel.load());
    QCOMPARE(b.dialogs.messageTexts(),
             QStringList{QStringLiteral("No device found, try again!\n\n"
                                        "/dev/ttyUSB0: permission denied")});
}

void TestPanelWindow::readingReachesTheLabels() {
    Bench b;
    b.meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 131, "-123.4")});
    QVERIFY(b.panel.load());
    b.panel.cycle().tick();
    QCOMPARE(b.label("LblFun")->text(), QStringLiteral("ACV"));
    QCOMPARE(b.label("LblRan")->text(), QStringLiteral("200V"));
    QCOMPARE(b.label("LblVal")->text(), QStringLiteral("-123.4"));
    QCOMPARE(b.label("LblMax")->text(), QStringLiteral("-123.4"));
    QCOMPARE(b.button("CmdMeter")->text(), QStringLiteral("MQZ5081"));
    b.meter.setRecording(true);
    b.panel.cycle().tick();
    QVERIFY(!b.label("LblRec")->isHidden());
}

void TestPanelWindow::buttonsThatTalkToTheMeter() {
    Bench b;
    QVERIFY(b.panel.load());
    b.panel.cycle().tick();
    b.tap.clear();
    QTest::mouseClick(b.label("LblVal"), Qt::LeftButton);
    QCOMPARE(b.tap.sent().back().bytes, QByteArray("EEE"));
    b.button("CmdUpdate")->click();
    QCOMPARE(b.tap.sent().back().bytes, QByteArray("A"));
    b.button("CmdMeter")->click();
    QCOMPARE(b.tap.sent().back().bytes, QByteArray("A"));
    QCOMPARE(b.tap.sent().size(), 3u);
    QVERIFY(b.panel.cycle().timer().isActive()); // polling goes on after each
}

void TestPanelWindow::resetTakesTheShownValue() {
    Bench b;
    b.meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 2, "1.00"),
                       *sim::ScriptedReading::fromValue(sim::Model::Short, 2, "3.00"),
                       *sim::ScriptedReading::fromValue(sim::Model::Short, 2, "2.00")});
    QVERIFY(b.panel.load());
    for (int i = 0; i < 2; ++i)
        b.panel.cycle().tick();
    b.button("CmdReset")->click();
    QCOMPARE(b.label("LblMax")->text(), QStringLiteral("3.00"));
    QCOMPARE(b.label("LblMin")->text(), QStringLiteral("3.00"));
    b.panel.cycle().tick();
    QCOMPARE(b.label("LblMin")->text(), QStringLiteral("2.00"));
}

void TestPanelWindow::baudRate_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("sent");   // empty: nothing
    QTest::addColumn<QString>("settings");  // the port afterwards
    QTest::addColumn<bool>("refused");
    QTest::newRow("4800") << "4800" << QByteArray("4") << "4800,n,8,1" << false;
    QTest::newRow("9,600") << "9,600" << QByteArray("9") << "9600,n,8,1" << false;
    QTest::newRow("9600.0") << "9600.0" << QByteArray("9") << "9600,n,8,1" << false;
    QTest::newRow("19200") << "19200" << QByteArray() << "2400,n,8,1" << true;
    QTest::newRow("a word") << "quick" << QByteArray() << "2400,n,8,1" << true;
    QTest::newRow("cancel") << "" << QByteArray() << "2400,n,8,1" << false;
}

void TestPanelWindow::baudRate() {
    QFETCH(QString, answer);
    QFETCH(QByteArray, sent);
    QFETCH(QString, settings);
    QFETCH(bool, refused);
    Bench b(2400);
    QVERIFY(b.panel.load());
    b.panel.cycle().tick(); // found at 2400
    b.tap.clear();
    b.dialogs.answer(answer);
    b.button("CmdBaudRate")->click();
    QCOMPARE(b.dialogs.prompts().size(), 1u);
    QCOMPARE(b.dialogs.prompts()[0].title, QStringLiteral("Input Baud Rate"));
    QCOMPARE(b.dialogs.prompts()[0].defaultAnswer, QStringLiteral("2400"));
    QVERIFY(b.dialogs.prompts()[0].prompt.startsWith(QStringLiteral("Enter the Baud Rate\r\n")));
    QCOMPARE(b.tap.sent().empty() ? QByteArray() : b.tap.sent()[0].bytes, sent);
    QCOMPARE(b.port.settings(), settings);
    QCOMPARE(b.dialogs.messageTexts(),
             refused ? QStringList{QStringLiteral("Invalid, try again!")} : QStringList{});
    if (refused)
        QCOMPARE(b.dialogs.messages()[0].icon, platform::MessageIcon::Critical);
    QVERIFY(b.panel.cycle().timer().isActive());
    // The meter followed: the next tick reads at the new speed without a search.
    b.tap.clear();
    b.panel.cycle().tick();
    QCOMPARE(b.tap.requestSpeeds(), std::vector<int>{b.meter.baud()});
    QCOMPARE(b.label("LblCom")->text(), QStringLiteral("COM3"));
}

void TestPanelWindow::timeSetWritesTheLoggerClock() {
    Bench b;
    QVERIFY(b.panel.load());
    b.panel.cycle().tick();
    b.clock.setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 7)));
    b.button("CmdSystem")->click();
    QByteArray clock;
    for (int a = 8; a <= 17; ++a)
        clock += char(b.meter.memory(a));
    QCOMPARE(clock, QByteArray("1231235907"));
    QCOMPARE(b.label("LblCom")->text(), QStringLiteral("Com3"));
    QVERIFY(b.button("CmdSystem")->isEnabled());
    QVERIFY(b.panel.cycle().timer().isActive());
    // Refused while the meter's logger records.
    b.meter.setRecording(true);
    b.panel.cycle().tick();
    b.meter.setMemory(8, 0);
    b.button("CmdSystem")->click();
    QCOMPARE(b.dialogs.messageTexts(), QStringList{QStringLiteral("Invalid, Recording Mode !")});
    QCOMPARE(b.meter.memory(8), 0);
}

void TestPanelWindow::portWindow() {
    link::PortWindow window({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS0")});
    QCOMPARE(window.windowTitle(), QStringLiteral("Port Selection"));
    auto* ports = window.findChild<QComboBox*>(QStringLiteral("Ports"));
    QVERIFY(ports);
    QCOMPARE(ports->count(), 8);
    QCOMPARE(ports->itemText(7), QStringLiteral("COM8"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM1"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("LblDevice"))->text(),
             QStringLiteral("= /dev/ttyUSB0"));
    QCOMPARE(window.deviceFor(2), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(window.deviceFor(3), QString());

    QList<std::pair<int, QString>> accepted;
    QList<int> quick;
    connect(&window, &link::PortWindow::accepted, this,
            [&](int n, const QString& typed) { accepted.append({n, typed}); });
    connect(&window, &link::PortWindow::quickChoice, this, [&](int n) { quick << n; });
    const auto ok = window.findChild<QPushButton*>(QStringLiteral("CmdOK"));
    ports->setCurrentText(QStringLiteral("COM3"));
    ok->click();
    ports->setCurrentText(QStringLiteral("COM9"));
    ok->click();
    ports->setCurrentText(QStringLiteral("/dev/pts/7"));
    ok->click();
    window.findChild<QPushButton*>(QStringLiteral("CmdCom2"))->click();
    QCOMPARE(accepted, (QList<std::pair<int, QString>>{
                           {3, QString()}, {0, QString()}, {0, QStringLiteral("/dev/pts/7")}}));
    QCOMPARE(quick, QList<int>{2});
}

QTEST_MAIN(TestPanelWindow)
#include "test_panel_window.moc"
