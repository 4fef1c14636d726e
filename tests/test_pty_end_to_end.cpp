// The program's side of the wire (QtSerialPort, Rs232 on the real clock)
// against the simulated meter on a real pseudo-terminal, in-process and as
// the tarnix-meter-sim program.

#include "core/MeterSession.h"
#include "link/Rs232.h"
#include "link/Speeds.h"
#include "platform/QtSerialPort.h"
#include "platform/RealClock.h"
#include "support/FileBytes.h"
#include "support/ScriptedDialogs.h"
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"
#include "support/ProgramRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using tarnix::sim::Model;

namespace {

// A reading request as the polling cycle makes it: what is waiting after 0.2 s.
QByteArray request(tarnix::link::Rs232& link, tarnix::platform::SerialPort& port) {
    link.flush();
    link.send(QByteArrayLiteral(" "));
    return link.delay(0.2) ? port.readAll() : QByteArrayLiteral("(the wait was cut short)");
}

// The meter on its pseudo-terminal and the program's port, link and clock.
struct Bench {
    tarnix::sim::SimMeter meter;
    tarnix::sim::PtyMeter pty{meter};
    tarnix::platform::QtSerialPort port;
    tarnix::platform::RealClock clock;
    tarnix::platform::ScriptedDialogs dialogs;
    tarnix::link::Rs232 link{port, clock, dialogs};

    explicit Bench(Model model = Model::Short, int meterBaud = 9600) : meter(model, meterBaud) {
        // A read the meter never answers would otherwise be retried forever.
        dialogs.onMessage([this](const auto&) { clock.stop(); });
    }

    // Makes the pseudo-terminal and opens the port on it; empty, or why it could not.
    QString start(int baud) {
        if (!pty.open())
            return pty.errorText();
        port.setPortName(pty.devicePath());
        return port.open(tarnix::link::settingsForBaud(baud)) ? QString() : port.errorText();
    }
};

// The polling cycle and the user's actions over that port, noting when each
// reading is shown.
struct Polling : Bench {
    tarnix::core::MeterSession session{link, dialogs};
    std::vector<double> readings; // on the program's clock
    std::vector<int> requestSpeeds; // the port's speed at each request the meter heard

    explicit Polling(int meterBaud) : Bench(Model::Short, meterBaud) {
        session.cycle.setAlarmSteps(nullptr); // no limits read: readings come sooner
        QObject::connect(&session.cycle, &tarnix::core::PollingCycle::readingTaken,
                         [this] { readings.push_back(clock.monotonic()); });
        QObject::connect(&pty, &tarnix::sim::PtyMeter::received, [this](auto bytes, int baud) {
            if (bytes == " ")
                requestSpeeds.push_back(baud);
        });
    }
    QString start() {
        if (!pty.open())
            return pty.errorText();
        port.setPortName(pty.devicePath());
        QString why;
        return session.cycle.start(&why) ? QString() : why;
    }
    // Seconds from `since` to the first reading after it (-1: none within 20 s).
    double firstReadingAfter(double since) {
        const auto after = [&] { return !readings.empty() && readings.back() > since; };
        return QTest::qWaitFor(after, 20000) ? *std::upper_bound(readings.begin(), readings.end(), since) - since : -1;
    }
};

} // namespace

class PtyEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void bytesCrossTheWireUntouched();
    void baudRateMovesTheMeter();
    void answerTakesItsWireTime();
    void programServesItsMeter();

private:
    QTemporaryDir m_dir;
    QString m_image;     // a memory image: byte a holds a % 251
};

void PtyEndToEnd::initTestCase() {
    QVERIFY(m_dir.isValid());
    QByteArray image;
    for (int a = 0; a < tarnix::sim::MemorySize; ++a)
        image.append(char(a % 251));
    m_image = m_dir.filePath(QStringLiteral("memory.bin"));
    QVERIFY(writeFile(m_image, image));
}

// The speed byte leaves at the old speed before the port moves, so the meter
// follows and the next request finds it without a search.
void PtyEndToEnd::baudRateMovesTheMeter() {
    Polling p(9600);
    QCOMPARE(p.start(), QString());
    QVERIFY(p.firstReadingAfter(0) >= 0);
    p.requestSpeeds.clear();
    p.dialogs.answer(QStringLiteral("4"));
    const double asked = p.clock.monotonic();
    QVERIFY(p.session.actions.changeBaudRate());
    const double took = p.firstReadingAfter(asked);
    qInfo("BAUD RATE 4800: next reading after %.2f s", took);
    QVERIFY2(took >= 0 && took < 10.0, qPrintable(QString::number(took))); // a busy machine
    QCOMPARE(p.meter.baud(), 4800);
    for (const int baud : p.requestSpeeds)
        QCOMPARE(baud, 4800);
}

void PtyEndToEnd::answerTakesItsWireTime() {
    // The 8194-byte dump needs 8.5 s at 9600 baud: after 0.2 s only its
    // start is there, and that start is already in its right layout.
    Bench bench(Model::Short, 9600);
    for (int a = 0; a < 100; ++a)
        bench.meter.setMemory(a, std::uint8_t(3 * a + 1));
    QCOMPARE(bench.start(9600), QString());

    bench.link.flush();
    bench.link.send(QByteArrayLiteral("U"));
    QVERIFY(bench.link.delay(0.2));
    const QByteArray start = bench.port.readAll();
    QVERIFY2(start.size() > 20 && start.size() < 2000, qPrintable(QString::number(start.size())));
    for (int a = 0; 2 * a + 2 < start.size() && a < 100; ++a)
        QCOMPARE(std::uint8_t(start[2 * a + 2]), std::uint8_t(3 * a + 1));
}

// Interrupt, flow-control, line-end and erase bytes in a frame, and a read and
// a write whose address bytes are LF and CR and whose values are XON and XOFF:
// a port not set to raw bytes would act on them, change or swallow them.
void PtyEndToEnd::bytesCrossTheWireUntouched() {
    Bench bench(Model::Short, 2400);
    tarnix::sim::ScriptError error{};
    const auto readings =
        tarnix::sim::parseReadingScript(QStringLiteral("raw 3 17 19 10 13"), Model::Short, &error);
    QVERIFY2(readings, qPrintable(error.message));
    bench.meter.setScript(*readings);
    const int address = 0x0D0A;
    bench.meter.setMemory(address, 17);
    QCOMPARE(bench.start(2400), QString());
    QCOMPARE(request(bench.link, bench.port), QByteArray("\x03\x11\x13\n\r"));
    QCOMPARE(bench.meter.requestCount(), 1);
    QVERIFY(bench.link.readByte(address));
    QCOMPARE(int(bench.link.lastByte()), 17);
    QCOMPARE(bench.meter.commands().back(), QByteArray("R\x0A\x0D"));
    QVERIFY(bench.link.writeByte(address, 19));
    QCOMPARE(int(bench.meter.memory(address)), 19);
    QCOMPARE(int(bench.meter.memory(address + 1)), 0);
    QVERIFY(bench.dialogs.messages().empty());
}

// The simulator program: its readings script, its memory image and alarm bytes
// (the option wins over the image), its link, a meter switched off and on by signals, and its
// end with its standard input.
void PtyEndToEnd::programServesItsMeter() {
    ProgramRun program(QStringLiteral(TARNIX_METER_SIM));
    const QString linkPath = m_dir.filePath(QStringLiteral("meter-link"));
    const QString readings = m_dir.filePath(QStringLiteral("readings.txt"));
    QVERIFY(writeFile(readings, "1 -1.234\nhold\n"));
    program.start(
        {QStringLiteral("--model"), QStringLiteral("long"), QStringLiteral("--link"), linkPath,
         QStringLiteral("--memory"), m_image, QStringLiteral("--alarm"),
         QStringLiteral("150,2,0x41,0,15,0"), QStringLiteral("--readings"), readings});
    const QString device = program.firstLine();
    QVERIFY2(!device.isEmpty(), program.err().constData());
    QCOMPARE(QFile::symLinkTarget(linkPath), device);

    const auto switchTo = [&](bool on) {
        ::kill(program.process().processId(), on ? SIGUSR2 : SIGUSR1);
        const QByteArray said = on ? "meter on" : "meter off";
        return waitUntil([&] { return program.err().contains(said); }, 5000);
    };
    const auto frame = [](const QByteArray& b) {
        return b.size() == 12 && b.front() == '*' && b.back() == '\r';
    };

    tarnix::platform::QtSerialPort port;
    tarnix::platform::RealClock clock;
    tarnix::platform::ScriptedDialogs dialogs;
    tarnix::link::Rs232 link(port, clock, dialogs);
    port.setPortName(linkPath);
    QVERIFY2(port.open(tarnix::link::settingsForBaud(9600)), qPrintable(port.errorText()));

    const QByteArray first = request(link, port);
    QVERIFY2(frame(first) && first.mid(2, 6) == "-1.234", first.toHex().constData());
    QVERIFY(link.readByte(1000));
    QCOMPARE(int(link.lastByte()), 1000 % 251);
    QVERIFY(link.readByte(51));
    QCOMPARE(int(link.lastByte()), 0x41);
    QVERIFY(switchTo(false));
    QCOMPARE(request(link, port), QByteArray());
    QVERIFY(switchTo(true));
    QVERIFY(link.delay(0.1));
    QCOMPARE(port.readAll(), QByteArray()); // silent until asked
    QVERIFY(frame(request(link, port)));

    program.process().closeWriteChannel(); // its standard input ends: so does the meter
    QVERIFY(program.finished());
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
    QVERIFY2(!QFileInfo(linkPath).isSymLink(), "the link outlived the meter");
}

QTEST_MAIN(PtyEndToEnd)
#include "test_pty_end_to_end.moc"
