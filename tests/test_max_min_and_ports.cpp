// Maximum and minimum on the shown texts, the speed search order and the
// answers to the baud-rate prompt, what a typed port name means and how the
// serial devices are named.
#include "link/Speeds.h"
#include "meter/MaxMin.h"
#include "core/PortListing.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QtTest>

using namespace tarnix;

class TestMaxMinAndPorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void maxMin_data();
    void maxMin();
    void searchOrder();
    void baudAnswer_data();
    void baudAnswer();
    void devicePath();
    void portListing();
    void comNames_data();
    void comNames();
};

void TestMaxMinAndPorts::maxMin_data() {
    QTest::addColumn<QStringList>("readings"); // "RESET" resets to the value shown
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::newRow("after a reset") << QStringList{"1.5", "RESET", "2.0", "0.5"} << "2.0" << "0.5";
    QTest::newRow("numeric, not textual") << QStringList{"9.5", "10.2"} << "10.2" << "9.5";
    QTest::newRow("equal keeps the first") << QStringList{"1.50", "1.5"} << "1.50" << "1.50";
    QTest::newRow("OL stays the maximum") << QStringList{"3.0", "OL", "2.0"} << "OL" << "2.0";
    QTest::newRow("-OL stays the minimum") << QStringList{"0.5", "-OL", "1.0"} << "1.0" << "-OL";
    QTest::newRow("first -OL, then a number") << QStringList{"-OL", "3.0"} << "3.0" << "-OL";
    QTest::newRow("Initial gives zeros") << QStringList{"5.0", "Initial"} << "0" << "0";
    QTest::newRow("reset in Initial") << QStringList{"Initial", "RESET", "4.0"} << "0" << "0";
    QTest::newRow("long frames") << QStringList{"123", "-0.123", "12.5"} << "123" << "-0.123";
}

void TestMaxMinAndPorts::maxMin() {
    QFETCH(QStringList, readings);
    QFETCH(QString, max);
    QFETCH(QString, min);
    meter::MaxMin bounds;
    QString shown;
    for (const QString& reading : readings) {
        if (reading == u"RESET") {
            bounds = meter::resetMaxMin(shown);
            continue;
        }
        shown = reading;
        bounds = meter::updateMaxMin(shown, bounds);
    }
    QCOMPARE(bounds.max + u' ' + bounds.min, max + u' ' + min);
}

// The search starts at 9600 from the opening speed and goes round.
void TestMaxMinAndPorts::searchOrder() {
    QStringList seen;
    platform::PortSettings s = link::StartSettings;
    for (int i = 0; i < 5; ++i)
        seen << (s = link::nextSearchSettings(s).value_or(platform::PortSettings{0})).text();
    QCOMPARE(seen, (QStringList{"9600,n,8,1", "4800,n,8,1", "2400,n,8,1", "1200,n,8,1",
                                "9600,n,8,1"}));
    QVERIFY(!link::nextSearchSettings(link::settingsForBaud(19200)));
}

void TestMaxMinAndPorts::baudAnswer_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("baud"); // 0: refused
    QTest::newRow("4800") << "4800" << 4800;
    QTest::newRow("short 1") << "1" << 1200;
    QTest::newRow("with a comma") << "9,600" << 9600;
    QTest::newRow("with a point") << "9600.0" << 9600;
    QTest::newRow("blanks") << " 2400 " << 2400;
    QTest::newRow("19200") << "19200" << 0;
    QTest::newRow("a word") << "fast" << 0;
    QTest::newRow("number then word") << "9600 baud" << 0;
    QTest::newRow("3") << "3" << 0;
}

void TestMaxMinAndPorts::baudAnswer() {
    QFETCH(QString, answer);
    QFETCH(int, baud);
    const auto choice = link::parseBaudAnswer(answer);
    QCOMPARE(choice ? choice->baud : 0, baud);
    if (choice) {
        QCOMPARE(choice->code, QByteArray::number(baud).at(0)); // the speed's first digit
        QCOMPARE(choice->settings.text(), QStringLiteral("%1,n,8,1").arg(baud));
    }
}

// A typed name without a slash is a device in /dev; a path is taken as it is.
void TestMaxMinAndPorts::devicePath() {
    QCOMPARE(platform::devicePath("ttyUSB0"), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(platform::devicePath("/dev/pts/7") + platform::devicePath(""), "/dev/pts/7");
    QCOMPARE(platform::devicePath("./bench/meter0"), QDir::currentPath() + "/bench/meter0");
    // COM1.. go to USB-serial cables first, then ACM devices, then the rest, each by number.
    QCOMPARE(platform::orderSerialDevices({"/dev/ttyS1", "/dev/rfcomm0", "/dev/ttyACM0",
                                           "/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyS1"}),
             (QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/rfcomm0",
                          "/dev/ttyS1"}));
    // The stable names are the links in /dev/serial/by-id, by the device they lead to.
    QTemporaryDir byId;
    QVERIFY(QFile::link("/dev/null", byId.filePath("usb-x")) && QDir(byId.path()).mkdir("sub"));
    QCOMPARE(platform::byIdLinks(byId.path()),
             (QMap<QString, QString>{{"/dev/null", byId.filePath("usb-x")}}));
}

// `tarnix-log ports`: one line a device for scripts, COM names for the first
// eight only, no field that a tab inside it could split.
void TestMaxMinAndPorts::portListing() {
    QList<platform::SerialDevice> devices;
    for (int n = 0; n <= 8; ++n)
        devices.append({.path = QStringLiteral("/dev/ttyS%1").arg(n)});
    devices[0] = {"/dev/ttyUSB0", "USB\tUART", "FTDI", "A5", "/dev/serial/by-id/usb-FTDI-A5"};
    QCOMPARE(platform::deviceSummary(devices[0]), "/dev/ttyUSB0 \u2014 USB\tUART (FTDI)");
    const QStringList lines = core::portListing(devices).split(u'\n');
    QCOMPARE(lines.size(), 10); // and a final line end
    QCOMPARE(lines[0], "COM1\t/dev/ttyUSB0\t/dev/serial/by-id/usb-FTDI-A5\tUSB UART\tFTDI\tA5");
    QCOMPARE(lines[7], "COM8\t/dev/ttyS7\t\t\t\t");
    QCOMPARE(lines[8], "\t/dev/ttyS8\t\t\t\t");
}

void TestMaxMinAndPorts::comNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("shownAs");
    QTest::newRow("COM1, the cable") << "COM1" << "/dev/ttyUSB0" << "COM1 (/dev/ttyUSB0)";
    QTest::newRow("COM2, the built-in port") << "COM2" << "/dev/ttyS0" << "COM2 (/dev/ttyS0)";
    QTest::newRow("COM8, no device") << "COM8" << "" << "COM8 (no serial device)";
    QTest::newRow("COM9, a name in /dev") << "COM9" << "COM9" << "COM9";
    QTest::newRow("a path") << "/dev/ttyS0" << "/dev/ttyS0" << "/dev/ttyS0";
}

// --port COM1..COM8 and `port = COM1` mean the devices `tarnix-log ports`
// and the port window list under those names, and messages say which.
void TestMaxMinAndPorts::comNames() {
    QFETCH(QString, name);
    const QStringList found = platform::orderSerialDevices({"/dev/ttyS0", "/dev/ttyUSB0"});
    QTEST(platform::portDevice(name, found), "device");
    QTEST(platform::portShownAs(name, found), "shownAs");
}

QTEST_GUILESS_MAIN(TestMaxMinAndPorts)
#include "test_max_min_and_ports.moc"
