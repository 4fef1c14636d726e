// Maximum and minimum on the shown texts, the speed search order and the
// answers to the baud-rate prompt, and what a typed port name means.
#include "link/Speeds.h"
#include "core/MaxMin.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QtTest>

using namespace tarnix;

class TestPanelLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void maxMin_data();
    void maxMin();
    void searchOrder();
    void baudAnswer_data();
    void baudAnswer();
    void baudPrompt();
    void devicePath_data();
    void devicePath();
};

void TestPanelLogic::maxMin_data() {
    QTest::addColumn<QStringList>("readings"); // "RESET" resets to the value shown
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::newRow("after a reset at 1.5") << QStringList{"1.5", "RESET", "2.0", "0.5"} << "2.0"
                                          << "0.5";
    QTest::newRow("numeric, not textual") << QStringList{"9.5", "10.2"} << "10.2" << "9.5";
    QTest::newRow("equal keeps the first") << QStringList{"1.50", "1.5"} << "1.50" << "1.50";
    QTest::newRow("OL stays the maximum") << QStringList{"3.0", "OL", "2.0"} << "OL" << "2.0";
    QTest::newRow("-OL below a negative maximum") << QStringList{"-2.0", "-OL"} << "-2.0" << "-OL";
    QTest::newRow("-OL stays the minimum") << QStringList{"0.5", "-OL", "1.0"} << "1.0" << "-OL";
    QTest::newRow("first -OL then a number") << QStringList{"-OL", "3.0"} << "3.0" << "-OL";
    QTest::newRow("first OL then a number") << QStringList{"OL", "3.0"} << "OL" << "3.0";
    QTest::newRow("Initial gives zeros") << QStringList{"5.0", "Initial"} << "0" << "0";
    QTest::newRow("reset during Initial") << QStringList{"Initial", "RESET", "4.0"} << "0" << "0";
    QTest::newRow("after the zeros") << QStringList{"Initial", "4.0", "-1.0"} << "4.0" << "-1.0";
    QTest::newRow("numbers from long frames") << QStringList{"123", "-0.123", "12.5"} << "123"
                                              << "-0.123";
}

void TestPanelLogic::maxMin() {
    QFETCH(QStringList, readings);
    QFETCH(QString, max);
    QFETCH(QString, min);
    core::MaxMin bounds;
    QString shown;
    for (const QString& reading : readings) {
        if (reading == u"RESET") {
            bounds = core::resetMaxMin(shown);
            continue;
        }
        shown = reading;
        bounds = core::updateMaxMin(shown, bounds);
    }
    QCOMPARE(bounds.max, max);
    QCOMPARE(bounds.min, min);
}

void TestPanelLogic::searchOrder() {
    QStringList seen;
    QString s = link::StartSettings;
    for (int i = 0; i < 5; ++i)
        seen << (s = link::nextSearchSettings(s).value_or(QString()));
    QCOMPARE(seen, (QStringList{"9600,n,8,1", "4800,n,8,1", "2400,n,8,1", "1200,n,8,1",
                                "9600,n,8,1"}));
    QVERIFY(!link::nextSearchSettings(QStringLiteral("19200,n,8,1")));
    QCOMPARE(link::baudOfSettings(QStringLiteral("4800,n,8,1")), 4800);
    QCOMPARE(link::baudOfSettings(QStringLiteral("1200,n,8,1")), 1200);
}

void TestPanelLogic::baudAnswer_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("baud"); // 0: refused
    QTest::addColumn<QString>("code");
    QTest::newRow("4800") << "4800" << 4800 << "4";
    QTest::newRow("short 4") << "4" << 4800 << "4";
    QTest::newRow("with a comma") << "9,600" << 9600 << "9";
    QTest::newRow("with a point") << "9600.0" << 9600 << "9";
    QTest::newRow("blanks") << " 2400 " << 2400 << "2";
    QTest::newRow("1") << "1" << 1200 << "1";
    QTest::newRow("1200") << "1200" << 1200 << "1";
    QTest::newRow("2") << "2" << 2400 << "2";
    QTest::newRow("19200") << "19200" << 0 << "";
    QTest::newRow("a word") << "fast" << 0 << "";
    QTest::newRow("number then word") << "9600 baud" << 0 << "";
    QTest::newRow("two commas") << "9,6,00" << 0 << "";
    QTest::newRow("zero") << "0" << 0 << "";
    QTest::newRow("3") << "3" << 0 << "";
}

void TestPanelLogic::baudAnswer() {
    QFETCH(QString, answer);
    QFETCH(int, baud);
    QFETCH(QString, code);
    const auto choice = link::parseBaudAnswer(answer);
    QCOMPARE(choice.has_value(), baud != 0);
    if (!choice)
        return;
    QCOMPARE(choice->baud, baud);
    QCOMPARE(QString(QChar(choice->code)), code);
    QCOMPARE(choice->settings, QStringLiteral("%1,n,8,1").arg(baud));
}

void TestPanelLogic::baudPrompt() {
    QCOMPARE(link::baudPrompt(), QStringLiteral("Enter the Baud Rate\r\n9600-----9 \r\n"
                                                "4800-----4 \r\n2400-----2 \r\n1200-----1 \r\n"));
}

void TestPanelLogic::devicePath_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("device");
    const QString here = QDir::currentPath();
    QTest::newRow("bare name is in /dev") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("absolute path") << "/dev/pts/7" << "/dev/pts/7";
    QTest::newRow("explicitly here") << "./meter0" << here + "/meter0";
    QTest::newRow("relative path") << "bench/meter0" << here + "/bench/meter0";
}

void TestPanelLogic::devicePath() {
    QFETCH(QString, typed);
    QFETCH(QString, device);
    QCOMPARE(platform::devicePath(typed), device);
}

QTEST_GUILESS_MAIN(TestPanelLogic)
#include "test_panel_logic.moc"
