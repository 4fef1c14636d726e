// The desktop program as a process: polling a meter on a real
// pseudo-terminal, and its command line.
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"
#include "support/DataRow.h"
#include "support/ProgramRun.h"

#include <QProcess>
#include <QtTest>

using namespace tarnix;

class TestTarnixEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programPollsThroughItsPort();
    void commandLine_data();
    void commandLine();
};

void TestTarnixEndToEnd::programPollsThroughItsPort() {
    sim::SimMeter meter(sim::Model::Short, 9600);
    sim::PtyMeter pty(meter);
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));
    ProgramRun tarnix(QStringLiteral(TARNIX_PROGRAM)); // ended by SIGTERM, also on a failure
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tarnix.process().setProcessEnvironment(env);
    // Named by a link, as /dev/serial/by-id names an adapter.
    QTemporaryDir byId;
    const QString link = byId.filePath(QStringLiteral("usb-Tarnix_Meter-if00-port0"));
    QVERIFY(QFile::link(pty.devicePath(), link));
    tarnix.start({QStringLiteral("--port"), link});
    QVERIFY(tarnix.process().waitForStarted());
    // Readings and the recording query, again and again.
    QTRY_VERIFY_WITH_TIMEOUT(meter.requestCount() >= 3, 6000);
    int queries = 0;
    for (const QByteArray& c : meter.commands())
        queries += c == "X";
    QVERIFY(queries >= 4);
    // SIGTERM ends it as closing its window does: the port's lock file goes with it.
    tarnix.signal(SIGTERM);
    QVERIFY(tarnix.finished());
    QCOMPARE(tarnix.process().exitStatus(), QProcess::NormalExit);
    const QString lock = "LCK.." + QString(byId.path()).replace(u'/', u'_') + u'*';
    QVERIFY(QDir(QStringLiteral("/run/lock")).entryList({lock}).isEmpty());
}

void TestTarnixEndToEnd::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a text on stdout or stderr
    row("two files", QStringList{"--simulate", TARNIX_PROGRAM, TARNIX_PROGRAM}, 2,
        "unexpected argument \"" TARNIX_PROGRAM "\"");
    row("no such file", QStringList{"nothing.dat"}, 2, "no data file \"nothing.dat\"");
    row("bad model", QStringList{"--simulate=medium"}, 2, "short or long");
    row("both", QStringList{"--simulate", "--port", "/dev/null"}, 2, "either --port or --simulate");
    row("empty port", QStringList{"--port", ""}, 2, "missing DEVICE after --port");
    row("empty model", QStringList{"--simulate="}, 2, "short or long, not \"\"");
    row("trend without a file", QStringList{"--trend"}, 2, "--trend needs a data FILE");
    row("together without trend", QStringList{"--together", TARNIX_PROGRAM}, 2,
        "--together goes with --trend");
    row("trends of two files", QStringList{"--trend", TARNIX_PROGRAM, TARNIX_PROGRAM}, 1,
        "tarnix: no display");
    row("all help, no display", QStringList{"--help-all"}, 0, "  -style VALUE");
    row("no display", QStringList{"--simulate"}, 1,
        "tarnix: no display: set DISPLAY, or run under xvfb-run\n");
    // Qt's own options are QApplication's, not refused as the program's.
    row("a style", QStringList{"-style", "Fusion", "--simulate", "-reverse"}, 1,
        "tarnix: no display");
    row("a platform", QStringList{"--platform", "offscreen", "--bogus"}, 2,
        "Unknown option 'bogus'");
}

void TestTarnixEndToEnd::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QProcess tarnix;
    // No display: the program ends before it makes a window, with a word.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    tarnix.setProcessEnvironment(env);
    tarnix.start(QStringLiteral(TARNIX_PROGRAM), arguments);
    QVERIFY(tarnix.waitForFinished(5000));
    QTEST(tarnix.exitCode(), "exitCode");
    const QString said = QString::fromLocal8Bit(tarnix.readAllStandardOutput() +
                                                tarnix.readAllStandardError());
    QVERIFY2(said.contains(output), qPrintable(said));
}

QTEST_MAIN(TestTarnixEndToEnd)
#include "test_tarnix_end_to_end.moc"
