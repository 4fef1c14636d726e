// The desktop program over a real pseudo-terminal: the serial adapter, the
// real clock and the simulated meter on the far side of the wire.
#include "ui/DesktopProgram.h"
#include "ui/panel/Panel.h"
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;

class TestTarnixEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelShowsTheMetersReading();
    void deviceGoesAwayAndComesBack();
    void programPollsThroughItsPort();
    void commandLine_data();
    void commandLine();
};

void TestTarnixEndToEnd::panelShowsTheMetersReading() {
    sim::SimMeter meter(sim::Model::Long, 2400);
    meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Long, 1, "-1.234")});
    sim::PtyMeter pty(meter);
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));

    app::DesktopOptions options;
    options.start = app::DesktopOptions::Start::Device;
    options.device = pty.devicePath();
    app::DesktopProgram program(options);
    QVERIFY(program.start());
    panel::Panel* panel = program.panel();
    QVERIFY(panel);
    auto* value = panel->findChild<QLabel*>(QStringLiteral("LblVal"));
    // 9600 and 4800 are tried four times each before 2400 answers.
    QTRY_COMPARE_WITH_TIMEOUT(value->text(), QStringLiteral("-1.234"), 8000);
    QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("LblFun"))->text(), QStringLiteral("DCV"));
    QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("LblRan"))->text(), QStringLiteral("2V"));
    QCOMPARE(panel->findChild<QPushButton*>(QStringLiteral("CmdMeter"))->text(),
             QStringLiteral("HBQ750"));
    QCOMPARE(panel->state().link.baudRateNumber, 2400);
    panel->close();
}

void TestTarnixEndToEnd::deviceGoesAwayAndComesBack() {
    const QString link = QDir::temp().filePath(
        QStringLiteral("tarnix-test-meter-%1").arg(QCoreApplication::applicationPid()));
    sim::SimMeter meter(sim::Model::Short, 9600);
    auto pty = std::make_unique<sim::PtyMeter>(meter);
    QVERIFY2(pty->open(link), qPrintable(pty->errorText()));

    app::DesktopOptions options;
    options.start = app::DesktopOptions::Start::Device;
    options.device = link;
    app::DesktopProgram program(options);
    QVERIFY(program.start());
    panel::Panel* panel = program.panel();
    auto* com = panel->findChild<QLabel*>(QStringLiteral("LblCom"));
    QTRY_VERIFY_WITH_TIMEOUT(panel->state().link.meterConnected, 5000);
    const QString label = com->text();
    QCOMPARE(label, link);

    // The link waits for the device inside the polling tick, so what happens
    // meanwhile is done from a timer, as the user would do it.
    sim::SimMeter again(sim::Model::Short, 9600);
    again.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 0, "-42.0")});
    bool sawNoCom = false, buttonsOff = false;
    QTimer plugBackIn;
    connect(&plugBackIn, &QTimer::timeout, this, [&] {
        if (com->text() != u"No COM")
            return;
        sawNoCom = true;
        buttonsOff = !panel->findChild<QPushButton*>(QStringLiteral("CmdMemory"))->isEnabled();
        plugBackIn.stop();
        pty = std::make_unique<sim::PtyMeter>(again);
        QVERIFY2(pty->open(link), qPrintable(pty->errorText()));
    });
    plugBackIn.start(50);
    pty.reset(); // the cable is pulled

    auto* value = panel->findChild<QLabel*>(QStringLiteral("LblVal"));
    QTRY_COMPARE_WITH_TIMEOUT(value->text(), QStringLiteral("-42.0"), 15000);
    QVERIFY(sawNoCom);
    QVERIFY(buttonsOff);
    QCOMPARE(com->text(), label);
    QVERIFY(panel->findChild<QPushButton*>(QStringLiteral("CmdMemory"))->isEnabled());
    panel->close();
}

void TestTarnixEndToEnd::programPollsThroughItsPort() {
    sim::SimMeter meter(sim::Model::Short, 9600);
    sim::PtyMeter pty(meter);
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));
    QProcess tarnix;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tarnix.setProcessEnvironment(env);
    tarnix.start(QStringLiteral(TARNIX_PROGRAM), {QStringLiteral("--port"), pty.devicePath()});
    QVERIFY(tarnix.waitForStarted());
    // Readings and the recording query, again and again.
    QTRY_VERIFY_WITH_TIMEOUT(meter.requestCount() >= 3, 6000);
    int queries = 0;
    for (const QByteArray& c : meter.commands())
        queries += c == "X";
    QVERIFY(queries >= 4);
    tarnix.terminate();
    QVERIFY(tarnix.waitForFinished(5000));
}

void TestTarnixEndToEnd::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a text on stdout or stderr
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--simulate";
    QTest::newRow("version") << QStringList{"--version"} << 0 << TARNIX_VERSION;
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "Unknown option 'colour'";
    QTest::newRow("port without its device") << QStringList{"--port"} << 2 << "Missing value";
    QTest::newRow("stray argument") << QStringList{"--simulate", "extra"} << 2
                                   << "unexpected argument \"extra\"";
    QTest::newRow("bad model") << QStringList{"--simulate=medium"} << 2 << "short or long";
    QTest::newRow("both") << QStringList{"--simulate", "--port", "/dev/null"} << 2
                          << "either --port or --simulate";
}

void TestTarnixEndToEnd::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess tarnix;
    // None of these needs a display: the program ends before it makes a window.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    tarnix.setProcessEnvironment(env);
    tarnix.start(QStringLiteral(TARNIX_PROGRAM), arguments);
    QVERIFY(tarnix.waitForFinished(5000));
    QCOMPARE(tarnix.exitCode(), exitCode);
    const QString said = QString::fromLocal8Bit(tarnix.readAllStandardOutput() +
                                                tarnix.readAllStandardError());
    QVERIFY2(said.contains(output), qPrintable(said));
}

QTEST_MAIN(TestTarnixEndToEnd)
#include "test_tarnix_end_to_end.moc"
