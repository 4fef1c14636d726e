// tarnix-log: its command line, and the program recording a meter on a
// pseudo-terminal and its own simulated meter, ended by --samples, --duration
// and signals.

#include "cli/LogCommandLine.h"
#include "core/DeadlineSchedule.h"
#include "core/FileCommands.h"
#include "core/LineGaps.h"
#include "core/RecordEnding.h"
#include "core/Recorder.h"
#include "core/StatusLine.h"
#include "records/AnalysisCsv.h"
#include "records/DataFile.h"
#include "records/RecordStore.h"
#include "platform/MeterPorts.h"
#include "sim/PtyMeter.h"
#include "sim/SimMeter.h"
#include "support/FileBytes.h"
#include "support/HttpGet.h"
#include "support/NoiseBytes.h"
#include "support/ProgramRun.h"
#include "support/RunApart.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/un.h>

using namespace tarnix;
using namespace Qt::StringLiterals;

namespace {

// A recorder driven on its virtual clock: the time moves on by 0.3 s, a
// tick runs, then the sample deadline is looked at; until `done` says so
// or `until` seconds have passed.
void driveRecorder(core::Recorder& recorder, platform::VirtualClock& clock, double until,
                   const std::function<bool()>& done = [] { return false; }) {
    while (!done() && clock.monotonic() < until) {
        clock.advance(0.3);
        recorder.cycle().tick();
        recorder.deadlineReached();
    }
}

// The complete lines (each ended by CR LF) of recorded text; `rest` gets
// whatever follows the last line end.
QList<QByteArray> completeLines(const QByteArray& text, QByteArray* rest = nullptr) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end; (end = text.indexOf("\r\n", start)) >= 0; start = end + 2)
        lines.append(text.mid(start, end - start));
    if (rest)
        *rest = text.mid(start);
    return lines;
}

// What is wrong with recorded text: every line complete, of the form
// "1,26/12/05,14:03:07.0,DCV,200mV,-12.34", numbered from 1. Empty when so.
QString recordingFault(const QByteArray& text, qsizetype* count = nullptr) {
    static const QRegularExpression form(QStringLiteral(
        "^(\\d+),\\d\\d/[01]\\d/[0-3]\\d,([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d\\.0,[^,]+,[^,]+,[^,]+$"));
    QByteArray rest;
    const auto lines = completeLines(text, &rest);
    if (!rest.isEmpty())
        return QStringLiteral("a line without its end: %1").arg(QString::fromLatin1(rest));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto match = form.match(QString::fromLatin1(lines[i]));
        if (!match.hasMatch() || match.captured(1) != QString::number(i + 1))
            return QStringLiteral("line %1: %2").arg(i + 1).arg(QString::fromLatin1(lines[i]));
    }
    if (count)
        *count = lines.size();
    return {};
}

// A command line as a short text the table can compare.
QString summary(const std::variant<cli::LogCommand, cli::UsageError>& parsed) {
    if (const auto* error = std::get_if<cli::UsageError>(&parsed))
        return QStringLiteral("error: ") + error->message;
    const auto& command = std::get<cli::LogCommand>(parsed);
    const auto meter = [](bool simulate, bool longFrames, const QString& device) {
        return simulate ? QStringLiteral("sim ") + (longFrames ? "long" : "short") : "port " + device;
    };
    const auto slice = [](const analysis::TimeSlice& s) {
        const auto end = [](const std::optional<qint64>& ms) {
            return ms ? QDateTime::fromMSecsSinceEpoch(*ms, QTimeZone::utc()).toString(Qt::ISODate) : "-";
        };
        return s.whole() ? QString() : " from " + end(s.from) + " to " + end(s.to);
    };
    const core::LoggerOptions& l = command.logger;
    const core::RecordOptions& o = command.record;
    static const char* const actions[] = {"status", "download", "set-clock"};
    switch (command.kind) {
    case cli::LogCommand::Kind::Help:
        return (QStringLiteral("help ") + command.helpTopic).trimmed();
    case cli::LogCommand::Kind::Version:
        return QStringLiteral("version");
    case cli::LogCommand::Kind::Ports:
        return QStringLiteral("ports");
    case cli::LogCommand::Kind::Convert:
        return QStringLiteral("convert %1 to %2").arg(command.convert.inputs.join(u' '), command.convert.output) +
               (command.convert.utc ? " in UTC" : "") + slice(command.convert.slice) +
               (command.convert.every ? QStringLiteral(" summed every %1%2%3").arg(*command.convert.every)
                                            .arg(command.convert.jsonLines ? " as jsonl" : "")
                                            .arg(command.convert.skipEmpty ? " skipping empty" : "")
                                      : QString());
    case cli::LogCommand::Kind::Stats:
        return QStringLiteral("stats ") + command.stats.files.join(u' ') +
               (command.stats.perFile ? " per file" : "") + slice(command.stats.slice);
    case cli::LogCommand::Kind::Logger:
        return QStringLiteral("logger ") + actions[int(l.action)] + u' ' +
               meter(l.simulate, l.longFrames, l.device) +
               (l.set ? QStringLiteral(" set %1").arg(l.set) : QString()) +
               (l.output.isEmpty() ? QString() : " to " + l.output);
    case cli::LogCommand::Kind::Serve:
        return "serve " + command.serveFiles.join(u' ') + " on " + command.http;
    case cli::LogCommand::Kind::Record:
        break;
    }
    return meter(o.simulate, o.longFrames, o.device) + QStringLiteral(" every %1").arg(o.interval) +
           (o.samples ? QStringLiteral(" samples %1").arg(*o.samples) : QString()) +
           (o.duration ? QStringLiteral(" for %1").arg(*o.duration) : QString()) +
           (QStringList{"", " as csv", " as jsonl"}[int(o.format)]) + (o.utc ? " in UTC" : "") +
           (o.startWhen ? " when " + o.startWhen->text() : QString()) +
           (o.stopWhen ? " until " + o.stopWhen->text() : QString()) +
           (o.pre > 0 ? QStringLiteral(" pre %1").arg(o.pre) : QString()) +
           (o.post > 0 ? QStringLiteral(" post %1").arg(o.post) : QString()) +
           (o.repeat ? " repeated" : "") +
           (o.every ? QStringLiteral(" summed every %1%2").arg(*o.every).arg(o.skipEmpty ? " skipping empty" : "")
                    : QString()) +
           " to " + o.output + (command.http.isEmpty() ? "" : " serving " + command.http) +
           (QStringList{QString()} + command.warnings).join(QStringLiteral(" | "));
}

} // namespace

class TestTarnixLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void commandLine_data();
    void commandLine();
    void programExits_data();
    void programExits();
    void recordEnding_data();
    void recordEnding();
    void closedPipeEndsQuietly();
    void saysWhenNobodyAnswers_data();
    void saysWhenNobodyAnswers();
    void aLinkLostSoonIsNoSilence();
    void recordsAMeterThatAnswersHalf();
    void slowAlarmCommandLeavesSamplingAlone();
    void samplesFallOnDeadlines_data();
    void samplesFallOnDeadlines();
    void runsEndAsAsked();
    void reopensOnHangUp();
    void tornJsonLineIsSetAside_data();
    void tornJsonLineIsSetAside();
    void convertKeepsOnlyRecords_data();
    void convertKeepsOnlyRecords();
    void statsOfDataAndCsvAgree();
    void statsFindTheIntervalAndGaps_data();
    void convertSlicesAndJoinsFiles_data();
    void convertSlicesAndJoinsFiles();
    void statsFindTheIntervalAndGaps();
    void pipesAreReadLikeFiles();
    void interruptedConvertLeavesNoPart();
    void chunksReadAsOneReader_data();
    void chunksReadAsOneReader();
    void reportsGapsWithoutLines_data();
    void reportsGapsWithoutLines();
    void gapNoticesNameTheDay_data();
    void gapNoticesNameTheDay();
    void statusLine();
    void recordEveryIsConvertEvery_data();
    void recordEveryIsConvertEvery();
    void silentIntervalThatCannotBeWrittenEndsTheRun();
    void prometheusScrapesTheRecorder();

private:
    QTemporaryDir m_dir;
    int m_silentMaster = -1; // a pseudo-terminal nobody answers on, open until the end
    QString m_silentPort;
};

void TestTarnixLog::initTestCase() {
    QVERIFY(m_dir.isValid());
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath("fifo")).constData(), 0600), 0);
    m_silentMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(m_silentMaster >= 0 && ::grantpt(m_silentMaster) == 0 &&
            ::unlockpt(m_silentMaster) == 0);
    m_silentPort = QString::fromLocal8Bit(::ptsname(m_silentMaster));
}

void TestTarnixLog::init() {
    if (runsApart())
        QSKIP("runs in a CTest entry of its own, side by side with the rest");
}

void TestTarnixLog::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const char* const rows[][2] = {
        {"record --port /dev/ttyUSB0 bench.dat", "port /dev/ttyUSB0 every 2 to bench.dat"},
        {"record --simulate=long --samples 5 -", "sim long every 2 samples 5 to -"},
        {"record --simulate --interval 86400.5 -", "sim short every 86400 to - | --interval "
                                                   "86400.5 is taken as 86400 s, a day, the longest interval"},
        {"record --simulate --interval 1,5 -",
         "error: --interval takes a decimal point, not a comma: \"1,5\""},
        {"record --simulate --port /dev/ttyS0 -", "error: give either --port or --simulate"},
        {"record --simulate", "error: give a FILE to append to, or - for standard output"},
        // The first of samples and duration reached ends the run.
        {"record --simulate --samples 2 --duration 9 -", "sim short every 2 samples 2 for 9 to -"},
        {"record --simulate --interval=2.5 --format csv -", "sim short every 2.5 as csv to -"},
        {"record --simulate --interval 0.2 -",
         "sim short every 1 to - | --interval 0.2 is taken as 1 s: the meter gives about one "
         "reading in 0.9 s, so samples cannot come closer"},
        // The file's name decides the format, unless --format says otherwise.
        {"record --simulate n.csv --utc", "sim short every 2 as csv in UTC to n.csv"},
        {"record --simulate --format dat n.CSV",
         "sim short every 2 to n.CSV | --format dat writes data-file lines, not CSV, to n.CSV"},
        {"record --simulate --format csv n.dat",
         "sim short every 2 as csv to n.dat | --format csv writes CSV lines, not data-file lines, "
         "to n.dat"},
        {"record --simulate --duration 0 -",
         "error: --duration takes a number of seconds above 0, not \"0\""},
        {"record --simulate --format xlsx -", "error: --format takes dat, csv or jsonl, not \"xlsx\""},
        {"record --simulate n.jsonl", "sim short every 2 as jsonl to n.jsonl"},
        {"record --simulate .jsonl", "sim short every 2 as jsonl to .jsonl"}, // a name that is all suffix
        {"record --simulate --format jsonl n.csv",
         "sim short every 2 as jsonl to n.csv | --format jsonl writes JSON lines, not CSV, to n.csv"},
        {"record --simulate --samples 0 -",
         "error: --samples takes a whole number from 1, not \"0\""},
        {"record --simulate --duration inf -",
         "error: --duration takes a number of seconds above 0, not \"inf\""},
        {"convert in.dat --format csv -", "convert in.dat to -"},
        {"record --simulate --http 0.0.0.0:80 a.dat", "sim short every 2 to a.dat serving 0.0.0.0:80"},
        {"serve --http=8080 a.dat logs/", "serve a.dat logs/ on 8080"},
        {"serve a.dat", "serve a.dat on "},
        {"serve", "error: give the data files or folders to serve"},
        {"serve --simulate a.dat", "error: unknown option --simulate"},
        {"record --simulate --every 15m --skip-empty n.csv", "sim short every 2 as csv summed every 900 skipping empty to n.csv"},
        {"record --simulate --every=1h --mqtt mqtt://h", "sim short every 2 summed every 3600 to "},
        {"record --simulate --every 1m n.dat", "error: --every writes summary lines as CSV or JSON lines, not as data-file "
                                               "lines: give --format csv or jsonl, or a .csv or .jsonl file"},
        {"record --simulate --every 1.5 -", "error: --every takes whole seconds from 1 s to a day, such as 60, 1m, "
                                            "15m or 1h, not \"1.5\""},
        {"record --simulate --skip-empty n.csv", "error: --skip-empty leaves out empty summary intervals: give --every too"},
        {"convert --every 1m --format jsonl in.dat -", "convert in.dat to - summed every 60 as jsonl"},
        {"convert --format jsonl in.dat -", "error: convert writes --format csv only, not \"jsonl\""},
        {"convert --every 2d in.dat -", "error: --every takes whole seconds from 1 s to a day, such as 60, 1m, "
                                        "15m or 1h, not \"2d\""},
        {"convert --every 1m --format dat in.dat -", "error: --every writes summary lines as CSV or JSON lines, not as "
                                                     "data-file lines: give --format csv or jsonl, or a .csv or .jsonl file"},
        {"convert --utc in.dat -", "convert in.dat to - in UTC"},
        {"convert in.dat", "error: give the data files to convert and the CSV file to write, or - "
                           "for standard output"},
        {"stats a.dat b.csv", "stats a.dat b.csv"},
        {"stats --per-file --from 2026-12-05T08:00Z month/", "stats month/ per file from 2026-12-05T08:00:00+00:00 to -"},
        {"convert --to=2026-12-05T09:30+01:00 a.dat b.dat -", "convert a.dat b.dat to - from - to 2026-12-05T08:30:00+00:00"},
        {"convert --from 2026-12-05T09:00Z --to 2026-12-05T08:00Z a.dat -", "error: --from must come before --to"},
        {"stats --from yesterday a.dat", "error: --from takes an ISO 8601 time such as 2026-12-05T08:00 or "
                                         "2026-12-05T07:00Z, not \"yesterday\""},
        {"logger status --port /dev/ttyUSB0", "logger status port /dev/ttyUSB0"},
        {"logger download out.dat --port=/dev/pts/4 --set=5",
         "logger download port /dev/pts/4 set 5 to out.dat"},
        {"logger download --simulate -", "error: give the set to download with --set N"},
        {"logger status", "error: give the meter's port with --port DEVICE, or --simulate"},
        {"ports", "ports"},
        {"ports -h", "help ports"},
        {"logger download --help", "help logger"},
        // Conditions; a bad one points at its word.
        {"record --simulate --start-when value>5V --stop-when alarm=ok --pre 1.5m --post 10 --repeat -",
         "sim short every 2 when value > 5V until alarm = ok pre 90 post 10 repeated to -"},
        {"record --simulate --start-when value>5X -", "error: --start-when: \"X\" has no unit Tarnix "
         "knows: V, A, Ohm, F, Hz, degC or degF, with p, n, u, m, k, M or G before it if need be\n"
         "  value>5X\n        ^^"},
        {"record --simulate --pre 10s -", "error: --pre keeps the samples before a start: give --start-when too"},
        {"record --simulate --stop-when overload --post 1x -",
         "error: --post takes a span of time such as 30, 30s, 5m or 1h, not \"1x\""},
        {"record --simulate --start-when overload --repeat -", "error: --repeat waits for the next start "
         "after a stop: give --start-when and --stop-when"},
        {"record --config @when.conf", "sim short every 2 when value outside 4.9V..5.1V until overload "
         "pre 30 repeated to x.dat"},
        {"record --simulate %Y-%q.dat", "error: a file name takes %Y %m %d %H %M and %%, not \"%q\""},
        {"record --simulate 50%.dat", "sim short every 2 to 50%.dat"},
        {"record --simulate %Y-50%", "error: a file name takes %Y %m %d %H %M and %%, not \"%\""},
        // Configuration files in the test's folder (@); the command line wins.
        {"record --config @good.conf",
         "port /dev/ttyUSB0 every 5 as csv in UTC to /var/lib/tarnix/%Y-%m-%d.csv"},
        {"record --config @good.conf --simulate --interval 2 x.dat", "sim short every 2 in UTC to x.dat"},
        {"record --config @bad.conf -", "error: @bad.conf:3: --interval takes a number of seconds, not \"soon\""},
        {"record --config @key.conf -", "error: @key.conf:2: unknown key \"speed\""},
        {"record --config @secret.conf -", "error: @secret.conf:1: the MQTT password is not read "
         "from a file; give it in TARNIX_MQTT_PASSWORD, or as the systemd credential mqtt-password"},
        {"record --config @gone.conf -", "error: cannot read @gone.conf: No such file or directory"},
        // Text alone, of a bounded size, from a regular file; CR LF lines are text.
        {"record --config @nul.conf -", "error: @nul.conf:2: the line holds a control character "
                                        "(byte 0x00); only text and tabs are read"},
        {"record --config @bell.conf -", "error: @bell.conf:1: the line holds a control character "
                                         "(byte 0x07); only text and tabs are read"},
        {"record --config @latin1.conf -", "error: @latin1.conf:1: the line is not UTF-8 text"},
        {"record --config @crlf.conf", "sim long every 2 in UTC to x.dat"},
        {"record --config @web.conf", "sim short every 2 to x.dat serving 0.0.0.0:8470"},
        {"record --config @web.conf --http 9000", "sim short every 2 to x.dat serving 9000"},
        {"record --config @big.conf -", "error: cannot read @big.conf: larger than 64 KiB, more "
                                        "than a configuration file holds"},
        {"record --config /dev/zero -", "error: cannot read /dev/zero: not a regular file"},
        {"record --config @fifo -", "error: cannot read @fifo: not a regular file"},
        {"record --config @ -", "error: cannot read @: a folder, not a configuration file"},
    };
    const std::pair<const char*, QByteArray> configs[] = {
        {"good.conf", "# bench 1\nport = /dev/ttyUSB0\ninterval = 5  # seconds\n\n"
                      "output = \"/var/lib/tarnix/%Y-%m-%d.csv\"\nutc = yes\n"},
        {"bad.conf", "port = /dev/ttyUSB0\n  # the interval:\ninterval = soon\n"},
        {"key.conf", "simulate = long\nspeed = 9600\n"},
        {"secret.conf", "password = hunter2\n"},
        {"nul.conf", "simulate = short\noutput = n\0ul.dat\n"_ba},
        {"bell.conf", "port = /dev/tty\aUSB0\n"},
        {"latin1.conf", "output = gr\xfc\xdf.dat\n"},
        {"crlf.conf", "simulate = long\r\noutput = x.dat\r\nutc = yes\r\n"},
        {"big.conf", QByteArray(64 * 1024 + 1, '#')},
        {"web.conf", "simulate = short\nhttp = 0.0.0.0:8470\noutput = x.dat\n"},
        {"when.conf", "simulate = short\nstart-when = value outside 4.9V..5.1V\npre = 30s\n"
                      "stop-when = overload\nrepeat = yes\noutput = x.dat\n"},
    };
    for (const auto& [name, text] : configs)
        QVERIFY(writeFile(m_dir.filePath(name), text));
    for (const auto& [arguments, expected] : rows)
        QTest::addRow("%s", arguments) << QString::fromLatin1(arguments).split(u' ') << expected;
}

void TestTarnixLog::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const QString here = m_dir.path() + u'/';
    QCOMPARE(summary(cli::parseLogCommandLine(arguments.replaceInStrings(u"@"_s, here))),
             expected.replace(u'@', here));
}

void TestTarnixLog::programExits_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on stdout or stderr

    const QString missingPort = m_dir.filePath(QStringLiteral("ttyUSB9"));
    const QString badFile = m_dir.filePath(QStringLiteral("no/such/folder/x.dat"));
    QTest::newRow("nothing") << QStringList{} << 2 << "Try 'tarnix-log --help' for more information.";
    QVERIFY(writeFile(m_dir.filePath("run-nul.conf"), "simulate = short\noutput = n\0ul.dat\n"_ba));
    QTest::newRow("a NUL in a configuration file")
        << QStringList{"record", "--config", m_dir.filePath("run-nul.conf")} << 2
        << QStringLiteral("run-nul.conf:2: the line holds a control character (byte 0x00)");
    QTest::newRow("port that cannot open")
        << QStringList{"record", "--port", missingPort, "--samples", "1", "-"} << 1
        << QStringLiteral("tarnix-log: cannot open %1: no such device\n").arg(missingPort);
    const QString datFile = m_dir.filePath(QStringLiteral("plain.dat"));
    QVERIFY(writeFile(datFile, "1")); // a single byte is a file to check, not an empty one
    QTest::newRow("csv appended to a data file")
        << QStringList{"record", "--simulate", "--format", "csv", datFile} << 1
        << QStringLiteral("tarnix-log: cannot append to %1: it does not start with the CSV "
                          "header \"time,value,unit,function,range,display\"").arg(datFile);
    const QString torn = m_dir.filePath(QStringLiteral("torn.dat"));
    QVERIFY(writeFile(torn, "1,26/12/05,14:00:01.0,DCV,200mV,-12.34"));
    QTest::newRow("dat onto a line cut short")
        << QStringList{"record", "--simulate", "--samples", "1", torn} << 0
        << QStringLiteral("tarnix-log: %1: its last line had no line end").arg(torn);
    const QString resumed = m_dir.filePath(QStringLiteral("resumed.dat"));
    QVERIFY(writeFile(resumed, "1,26/01/05,12:00:00.0,DCV,2V,0.5\r\n"));
    QTest::newRow("a recording resumed after a crash")
        << QStringList{"record", "--simulate", "--samples", "1", resumed} << 0
        << QStringLiteral("tarnix-log: no line written from 2026-01-05 12:00:00 to 20");
    QTest::newRow("file that cannot open") << QStringList{"record", "--simulate", badFile} << 1
        << QStringLiteral("tarnix-log: cannot append to %1: ").arg(badFile);
    QTest::newRow("summaries to a full disk")
        << QStringList{"record", "--simulate", "--interval", "1", "--every", "1", "--format", "csv", "/dev/full"} << 1
        << QStringLiteral("tarnix-log: cannot append to /dev/full: No space left on device");
    // Special files: never waited on, never replaced.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    QTest::newRow("record to a FIFO nobody reads")
        << QStringList{"record", "--simulate", "--samples", "1", fifo} << 1
        << QStringLiteral("tarnix-log: cannot append to %1: a FIFO that no program reads").arg(fifo);
    QTest::newRow("download to a FIFO")
        << QStringList{"logger", "download", "--set", "1", "--simulate", fifo} << 1
        << QStringLiteral("tarnix-log: cannot write %1: not a regular file").arg(fifo);
    // A file with lines and no record is no recording; an empty one, or a slice of
    // a recording that holds nothing, is an empty recording.
    const auto file = [this](const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        return writeFile(path, bytes) ? path : QString();
    };
    const QString foreign = file("foreign.dat", "[settings]\nrate=5\n12.5;3.1\n");
    const QString recording = file("one.dat", "1,26/12/06,13:07:18.0,DCV,2V,1\r\n");
    const QString noRecord = QStringLiteral("tarnix-log: %1: not a recording: no line in it is a data-file record");
    QTest::newRow("convert of another program's file")
        << QStringList{"convert", foreign, "-"} << 1 << noRecord.arg(foreign) + "\n";
    QTest::newRow("convert of a binary file") << QStringList{"convert", file("b.dat", noiseBytes(5000)), "-"}
        << 1 << noRecord.arg(m_dir.filePath("b.dat"));
    QTest::newRow("convert of an analysis CSV")
        << QStringList{"convert", file("a.csv", "time,value,unit,function,range,display\r\n"), "-"} << 1
        << QStringLiteral("tarnix-log: %1: an analysis CSV file, not a data file").arg(m_dir.filePath("a.csv"));
    QTest::newRow("stats of a password file")
        << QStringList{"stats", recording, file("passwd", "root:x:0:0:root:/root:/bin/bash\n")} << 1
        << noRecord.arg(m_dir.filePath("passwd")) + " or an analysis CSV line\n";
    QTest::newRow("summaries appended to other lines")
        << QStringList{"record", "--simulate", "--every", "1", "--format", "csv", "--duration", "1",
                       file("other.csv", "a,b\r\n")} << 1 << "holds other lines than summary CSV lines";
    QTest::newRow("stats of an empty file") << QStringList{"stats", file("empty.dat", "")} << 0
        << m_dir.filePath("empty.dat") + ": 0 readings";
    QTest::newRow("convert of a slice that holds nothing")
        << QStringList{"convert", "--from", "2030-01-01", recording, "-"} << 0
        << "time,value,unit,function,range,display\r\n";
    // Standard output goes where the user sent it (">>FILE": appended to FILE),
    // after other text, in whole lines; a file named is kept from it.
    const QString notes = QStringLiteral("tarnix-log: standard output: %1; the new lines follow it on lines of their own");
    QTest::newRow("dat to standard output after other text")
        << QStringList{"record", "--simulate", "--samples", "1", "-", ">>" + file("n1", "# notes")} << 0
        << notes.arg("its last line is not a data-file record of six fields");
    QTest::newRow("csv to standard output after other text")
        << QStringList{"record", "--simulate", "--samples", "1", "--format", "csv", "-",
                       ">>" + file("n2", "# notes")} << 0
        << notes.arg(R"(it does not start with the CSV header "time,value,unit,function,range,display")");
    QTest::newRow("dat to a file named after other text")
        << QStringList{"record", "--simulate", "--samples", "1", file("n3", "# notes")} << 1
        << QStringLiteral("tarnix-log: cannot append to %1: its last line is not a data-file record of six fields")
               .arg(m_dir.filePath("n3"));
    // COM8 stands for no device here, or one without a meter: either way the message names it.
    QVERIFY(writeFile(m_dir.filePath("com.conf"), "port = COM8\nduration = 1\noutput = -\n"));
    QTest::newRow("a COM name") << QStringList{"record", "--port", "COM8", "--duration", "1", "-"} << 1
                                << "COM8 (";
    QTest::newRow("a COM name in a configuration file")
        << QStringList{"record", "--config", m_dir.filePath("com.conf")} << 1 << "COM8 (";
    QTest::newRow("a COM name for the logger") << QStringList{"logger", "status", "--port", "COM8"} << 1
                                               << "COM8 (";
    QTest::newRow("a run without a single reading")
        << QStringList{"record", "--port", m_silentPort, "--duration", "1", "-"} << 1
        << QStringLiteral("tarnix-log: no reading came from the meter on %1; nothing was "
                          "recorded").arg(m_silentPort);
    QTest::newRow("a stop ends the run")
        << QStringList{"record", "--simulate", "--stop-when", "function = DCV", "-"} << 0
        << "DCV,20V,5.17\r\ntarnix-log: function = DCV held at ";
    QTest::newRow("a server beyond this machine without a token")
        << QStringList{"record", "--simulate", "--http", "0.0.0.0:8470", "-"} << 2
        << "--http 0.0.0.0: a server on an address of its own wants a token";
    QTest::newRow("serve a file that is not there")
        << QStringList{"serve", "no/such.dat"} << 1 << "no/such.dat: no such file or folder";
    QTest::newRow("serve on no port")
        << QStringList{"serve", "--http", "70000", "."} << 2
        << "--http 70000: the port is a number from 1 to 65535";
    QTest::newRow("a start that never came")
        << QStringList{"record", "--simulate", "--duration", "2", "--start-when", "value>50V", "-"}
        << 0 << "tarnix-log: value > 50V never held; nothing was recorded";
}

void TestTarnixLog::programExits() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    // TARNIX_ROWS_PART=K/N: this run takes every row whose tag falls in part K of N.
    const QList<QByteArray> part = qgetenv("TARNIX_ROWS_PART").split('/');
    if (part.size() == 2 && qHash(QByteArray(QTest::currentDataTag()), 0) % part[1].toUInt() !=
                                part[0].toUInt())
        QSKIP("another entry runs this row");
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    const QString appendedTo = arguments.value(arguments.size() - 1).startsWith(">>")
                                   ? arguments.takeLast().mid(2) : QString();
    if (!appendedTo.isEmpty())
        run.process().setStandardOutputFile(appendedTo, QIODevice::Append);
    run.start(arguments);
    QVERIFY(run.finished());
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    const QString output = QString::fromLocal8Bit(run.out() + run.err());
    QVERIFY2(output.contains(said), qPrintable(output));
    QCOMPARE(run.process().exitCode(), exitCode);
    // The text there keeps a line of its own, and no CSV header follows it.
    const QByteArray bytes = appendedTo.isEmpty() ? QByteArray() : fileBytes(appendedTo);
    QVERIFY2(appendedTo.isEmpty() || (completeLines(bytes).value(0) == "# notes" &&
                                      bytes.endsWith('\n') && !bytes.contains("time,value")),
             bytes.constData());
}

// Standard output closed by its reader (| head) ends the run quietly, as it ends cat.
// The end of a record run: readings the broker never got are said, and fail
// the run where no file holds them; the run exits with its last part.
void TestTarnixLog::recordEnding_data() {
    QTest::addColumn<int>("recorderCode");
    QTest::addColumn<int>("undelivered"); // -1: no broker
    QTest::addColumn<bool>("writesFile");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("exitCode");
    const QString three = "mqtt: 3 readings never reached the broker";
    QTest::newRow("no broker") << 0 << -1 << false << "" << 0;
    QTest::newRow("all delivered, no file") << 0 << 0 << false << "" << 0;
    QTest::newRow("queued, kept in the file") << 0 << 3 << true << three << 0;
    QTest::newRow("queued, no file") << 0 << 3 << false << three << 1;
    QTest::newRow("the recorder failed") << 1 << 0 << false << "" << 1;
    QTest::newRow("the recorder failed, queued") << 1 << 3 << true << three << 1;
}

void TestTarnixLog::recordEnding() {
    QFETCH(int, recorderCode);
    QFETCH(int, undelivered);
    QFETCH(bool, writesFile);
    QFETCH(QString, said);
    QFETCH(int, exitCode);
    core::RecordEnding ending(writesFile);
    // With an alarm command too, which ends last.
    ending.recorderFinished(recorderCode, (undelivered >= 0) + 1);
    QString told;
    if (undelivered >= 0) {
        told = ending.brokerClosed(undelivered);
        QVERIFY(!ending.partEnded());
    }
    QVERIFY(!ending.partEnded()); // the caller, past setting them going
    QVERIFY(ending.partEnded());
    QCOMPARE(told, said);
    QCOMPARE(ending.exitCode(), exitCode);
}

void TestTarnixLog::closedPipeEndsQuietly() {
    ProgramRun run(QStringLiteral("bash"));
    run.start({"-c", QStringLiteral("'%1' record --simulate --interval 1 - | head -1; "
                                    "echo status ${PIPESTATUS[0]}").arg(TARNIX_LOG)});
    QVERIFY(run.finished(10000));
    QVERIFY2(run.out().endsWith("\nstatus 141\n"), run.out().constData()); // by SIGPIPE
    QVERIFY2(run.err().isEmpty(), run.err().constData());
}

// Not even off a terminal does a run wait without a word, and the word is
// true: a meter that answers without a reading is not silent.
void TestTarnixLog::saysWhenNobodyAnswers_data() {
    QTest::addColumn<QByteArray>("frame"); // empty: nobody on the port
    QTest::addColumn<QString>("said");
    QTest::newRow("silent") << QByteArray() << "no meter answering on %1 (tried 9600, 4800, "
                                               "2400 and 1200 baud); still trying";
    QTest::newRow("a display without a reading")
        << QByteArray("*\x02 1?.00\0\0\0\r", 12)
        << "the meter on %1 answers, but its display holds no reading; still waiting";
    QTest::newRow("a frame and more")
        << QByteArray("\x00\x02\x0b\x40\x0d\xff\xff", 7)
        << "the meter on %1 answers, but with bytes that make no reading; still trying";
    QTest::newRow("one stray byte")
        << QByteArray("\xff", 1)
        << "the meter on %1 answers, but with bytes that make no reading; still trying";
}

void TestTarnixLog::saysWhenNobodyAnswers() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, said);
    sim::SimMeter meter(sim::Model::Long, 9600);
    meter.setScript({sim::ScriptedReading::raw(frame)}, true);
    core::RecordOptions options;
    options.device = frame.isEmpty() ? m_silentPort : QStringLiteral("/dev/ttyS0");
    options.output = m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".dat"));
    options.silenceNoticeMs = 700;
    platform::ScriptedDialogs dialogs;
    // A meter's answers pass on the virtual clock, long before the notice is
    // due however slow the machine; nobody on a real port is only waited for.
    core::Recorder recorder(options, dialogs, frame.isEmpty() ? platform::PortMaker{}
                                                              : platform::memoryWireTo(meter),
                            nullptr, frame.isEmpty() ? nullptr
                                                     : std::make_unique<platform::VirtualClock>());
    QStringList notices;
    connect(&recorder, &core::Recorder::notice, this, [&](const QString& text) {
        notices << text;
        recorder.finish(1);
    });
    QString error;
    QVERIFY2(recorder.start(&error), qPrintable(error));
    QVERIFY(waitUntil([&] { return recorder.finished(); }));
    QCOMPARE(notices, QStringList{said.arg(options.device)});
}

// A meter switched off after its readings loses the link at once, long
// before it has been silent a while: nothing is said for it yet.
void TestTarnixLog::aLinkLostSoonIsNoSilence() {
    sim::SimMeter meter(sim::Model::Long, 9600);
    meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Long, 2, "1.23")}, true);
    core::RecordOptions options;
    options.output = m_dir.filePath(QStringLiteral("lost.dat"));
    options.silenceNoticeMs = 3600 * 1000;
    auto clock = std::make_unique<platform::VirtualClock>();
    platform::VirtualClock& time = *clock;
    time.at(3, [&meter] { meter.setPowered(false); });
    time.at(12, [&time] { time.stop(); });
    platform::ScriptedDialogs dialogs;
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr, std::move(clock));
    QStringList notices;
    connect(&recorder, &core::Recorder::notice, this, [&](const QString& text) { notices << text; });
    QString error;
    QVERIFY2(recorder.start(&error), qPrintable(error));
    QVERIFY(waitUntil([&] { return time.stopped(); }));
    QCOMPARE(notices.filter(u"no meter answering"), QStringList());
    recorder.finish(0);
}

// A meter that answers readings but never a memory read, and shows a code
// the table lacks: the limits are given up after three time-outs and said
// once, and no line goes without its function. The time-outs pass on the
// virtual clock.
void TestTarnixLog::recordsAMeterThatAnswersHalf() {
    sim::SimMeter meter(sim::Model::Short, 9600);
    meter.setReadReplyLength(0);
    // Unknown over several samples, then known.
    std::vector<sim::ScriptedReading> script(7, sim::ScriptedReading::packed(7, 0x40, 0x0b));
    script.push_back(*sim::ScriptedReading::fromValue(sim::Model::Short, 2, "1.23"));
    meter.setScript(script, true);
    core::RecordOptions options;
    options.output = m_dir.filePath(QStringLiteral("half.dat"));
    options.samples = 2;
    options.interval = 1;
    platform::ScriptedDialogs dialogs;
    auto* clock = new platform::VirtualClock;
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr,
                            std::unique_ptr<platform::Clock>(clock));
    QString notices;
    connect(&recorder, &core::Recorder::notice, this, [&](const QString& text) { notices += text; });
    QSignalSpy finished(&recorder, &core::Recorder::runFinished);
    QString error;
    QVERIFY2(recorder.start(&error), qPrintable(error));
    // The sample deadlines pass on the virtual clock too, not on the timer.
    driveRecorder(recorder, *clock, 60, [&] { return !finished.isEmpty(); });
    QCOMPARE(finished.first().first().toInt(), 0);
    const QByteArray out = fileBytes(options.output);
    QVERIFY2(recordingFault(out).isEmpty() && !out.contains(",,"), out.constData());
    QCOMPARE(notices.count(u"the alarm limits could not be read"), 1);
    QCOMPARE(notices.count(u"a function code Tarnix does not know"), 1);
    qsizetype reads = 0;
    for (const QByteArray& command : meter.commands())
        reads += command.startsWith('R');
    QCOMPARE(reads, 3);
}

// A command slower than the changes it is run for, that floods its output:
// the samples keep their deadlines and the recorder its size, the latest
// change waits while earlier ones are passed over, and the command hears the
// sample that changed the state. Each flood is twice the growth allowed.
void TestTarnixLog::slowAlarmCommandLeavesSamplingAlone() {
    sim::SimMeter meter(sim::Model::Short, 9600);
    const std::uint8_t limits[] = {0, 2, 0x11, 0x40, 0x29, 0x40}; // 2.00 .. 5.00 on DCV 20V
    for (int i = 0; i < 6; ++i)
        meter.setMemory(49 + i, limits[i]);
    const auto dcv = [](const char* v) {
        return *sim::ScriptedReading::fromValue(sim::Model::Short, 2, v);
    };
    meter.setScript({dcv("1.00"), dcv("9.00"), dcv("3.00")}); // under, over, ok
    sim::PtyMeter pty(meter);
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));
    const QString heard = m_dir.filePath("heard");
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    // AddressSanitizer keeps freed memory in a quarantine of 256 MB before it
    // is used again: the recorder's own size is measured without it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS")); !asan.isEmpty())
        environment.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral(":quarantine_size_mb=0"));
    run.process().setProcessEnvironment(environment);
    // Three samples, each a change of alarm: the command's first run covers
    // the next two, so only the last of them runs after it.
    run.start({"record", "--port", pty.devicePath(), "--samples", "3", "--interval", "1",
               "--format", "jsonl", "-", "--on-alarm",
               "env | grep ^TARNIX_ | sort >> '" + heard + "'; echo >> '" + heard +
                   "'; (yes | head -n 100000; head -c 64M /dev/zero) & sleep 2.5"});
    // The recorder's resident size as the first sample is taken, and the most it grows to.
    qint64 startKiB = 0, mostKiB = 0;
    const QString status = QStringLiteral("/proc/%1/status").arg(run.process().processId());
    QVERIFY2(waitUntil([&] {
                 static const QRegularExpression rss(QStringLiteral("VmRSS:\\s*(\\d+)"));
                 const qint64 kiB =
                     rss.match(QString::fromLatin1(fileBytes(status))).captured(1).toLongLong();
                 if (run.out().isEmpty())
                     startKiB = kiB;
                 mostKiB = std::max(mostKiB, kiB);
                 return !run.running();
             }, 15000),
             run.err().right(2000).constData());
    QCOMPARE(run.process().exitCode(), 0);
    QVERIFY2(mostKiB - startKiB < 32000, qPrintable(QStringLiteral("%1 KiB").arg(mostKiB - startKiB)));
    QVERIFY2(run.err().size() < 1000000 && run.err().contains(" bytes of output dropped, past "),
             run.err().right(2000).constData());
    const QList<QByteArray> lines = run.out().trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QStringList alarms;
    QList<QDateTime> times;
    for (const QByteArray& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        alarms << o["alarm"].toString();
        times << QDateTime::fromString(o["time"].toString(), Qt::ISODateWithMs);
    }
    for (qsizetype i = 1; i < times.size(); ++i)
        QCOMPARE(times[i - 1].msecsTo(times[i]), 1000);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    const QString display = first["display"].toString();
    const QStringList runs = QString::fromUtf8(fileBytes(heard)).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    QCOMPARE(runs.first(), QStringLiteral("TARNIX_ALARM=%1\nTARNIX_DISPLAY=%2\nTARNIX_FUNCTION=DCV\n"
                                          "TARNIX_PORT=%3\nTARNIX_RANGE=20V\nTARNIX_TIME=%4\n"
                                          "TARNIX_UNIT=V\nTARNIX_VALUE=%2")
                               .arg(alarms[0], display, pty.devicePath(), first["time"].toString()));
    qsizetype changes = 1;
    for (qsizetype i = 1; i < alarms.size(); ++i)
        changes += alarms[i] != alarms[i - 1];
    QVERIFY2(runs.size() < changes, run.err().constData());
    // The last change still ran after the last sample, in the grace the end gives.
    QVERIFY2(runs.last().startsWith("TARNIX_ALARM=" + alarms.last() + "\n"), run.err().constData());
    QVERIFY2(run.err().contains("on-alarm (" + alarms[0].toUtf8() + "): exit status 0"),
             run.err().constData());
}

// Timers that wake late, a little early, or after a stall: each deadline is
// taken once at most, and after an hour the samples still stand for whole
// intervals from the start, so nothing drifts.
void TestTarnixLog::samplesFallOnDeadlines_data() {
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("lateMs");    // the most a wake-up comes late
    QTest::addColumn<double>("stallAt"); // the program stops 5.5 s there; 0: never
    QTest::newRow("1 s, late wakes") << 1.0 << 300 << 0.0;
    QTest::newRow("2.5 s, wakes nearly an interval late") << 2.5 << 2400 << 0.0;
    QTest::newRow("10 s, wakes a hair early") << 10.0 << -1 << 0.0;
    QTest::newRow("1 s, a stall") << 1.0 << 50 << 100.0;
}

void TestTarnixLog::samplesFallOnDeadlines() {
    QFETCH(double, interval);
    QFETCH(int, lateMs);
    QFETCH(double, stallAt);
    const bool stalls = stallAt > 0;
    core::DeadlineSchedule schedule(interval);
    schedule.start(1000.0);
    double now = 1000.0;
    QList<qint64> taken{0};
    for (int wake = 0; now < 1000.0 + 3600.0; ++wake) {
        const double late = lateMs < 0 ? -0.0004 : double(wake * 37 % (lateMs + 1)) / 1000.0;
        now += double(schedule.msUntilNext(now)) / 1000.0 + late;
        if (stallAt > 0 && now > 1000.0 + stallAt) {
            now += 5.5;
            stallAt = 0;
        }
        if (const auto k = schedule.take(now)) {
            QVERIFY(*k > taken.last());
            QVERIFY(now - 1000.0 >= schedule.offset(*k) - 0.001);
            taken << *k;
        }
    }
    QCOMPARE(taken.last(), std::llround(3600.0 / interval));
    const qint64 missing = taken.last() + 1 - taken.size();
    QCOMPARE(missing, stalls ? 5 : 0); // only the deadlines inside the stall
}

// Runs that end in every way, side by side to keep the test short: a signal
// once a line is in, --duration, or a write that fails.
void TestTarnixLog::runsEndAsAsked() {
    struct Row {
        const char* name;
        QStringList arguments;
        int signal = 0;        // sent once a line is in; 0: the run ends by itself
        int exitCode = 0;
        QString said = {};     // on standard error; empty: nothing at all
        QString stdoutTo = {}; // where standard output goes, when not to the test
    };
    const QString fullDisk = QStringLiteral("/dev/full"), appended = m_dir.filePath("out.csv");
    // Standard output appended to a CSV file (">>"): no second header, and a
    // last line cut short of its line end is ended first.
    const QByteArray csvBefore = "time,value,unit,function,range,display\r\n"
                                 "2026-01-05T12:00:00.000+00:00,0.5,V,DCV,2V,0.500";
    QVERIFY(writeFile(appended, csvBefore));
    // A JSON line cut short where it cannot be set aside: NAME.torn is a folder.
    const QString torn = m_dir.filePath("kept.jsonl");
    QVERIFY(writeFile(torn, "{\"time\":\"2020-01-05T12:00:00.000+01:00\"}\n{\"time\"") &&
            QDir().mkpath(torn + ".torn"));
    const std::vector<Row> table = {
        {"SIGINT", {"--simulate", "--interval", "1", "int.dat"}, SIGINT},
        {"SIGTERM", {"--simulate=long", "--interval", "1", "term.dat"}, SIGTERM},
        // The first sample comes within 2 s, after the limits are read.
        {"duration", {"--simulate", "--interval", "1", "--duration", "3", "duration.dat"}},
        {"CSV out", {"--simulate", "--format", "csv", "--samples", "1", "-"}},
        {"file full", {"--simulate", fullDisk}, 0, 1, "tarnix-log: cannot append to /dev/full: "},
        {"summaries full", {"--simulate", "--interval", "1", "--every", "1", "--format", "jsonl",
                            "--samples", "3", fullDisk}, 0, 1, "tarnix-log: cannot append to /dev/full: "},
        {"torn line kept", {"--simulate", "--format", "jsonl", "--samples", "1", torn}, 0, 1,
         "kept.jsonl: its last line was cut short and could not be set aside: "},
        {"output full", {"--simulate", "-"}, 0, 1, "tarnix-log: cannot write to standard output: ",
         fullDisk},
        {"CSV appended to", {"--simulate", "--format", "csv", "--samples", "1", "-"}, 0, 0,
         "tarnix-log: standard output: its last line had no line end", appended},
    };
    std::vector<std::unique_ptr<ProgramRun>> runs;
    std::vector<QString> files;
    for (const Row& row : table) {
        QStringList arguments = row.arguments;
        if (arguments.last().endsWith(u".dat"))
            arguments.last() = m_dir.filePath(arguments.last());
        files.push_back(arguments.last());
        runs.push_back(std::make_unique<ProgramRun>(QStringLiteral(TARNIX_LOG)));
        if (!row.stdoutTo.isEmpty())
            runs.back()->process().setStandardOutputFile(row.stdoutTo, QIODevice::Append);
        runs.back()->start(QStringList{"record"} + arguments);
    }
    const auto linesIn = [&](std::size_t i) { return completeLines(fileBytes(files[i])).size(); };
    std::vector<qsizetype> linesBefore(table.size());
    QVERIFY(waitUntil([&] {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].signal && linesIn(i) < 1)
                return false;
        return true;
    }));
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].signal) {
            linesBefore[i] = linesIn(i);
            runs[i]->signal(table[i].signal);
        }
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& row = table[i];
        ProgramRun& run = *runs[i];
        const QByteArray name = row.name;
        QVERIFY2(run.finished(), name);
        QVERIFY2(run.process().exitCode() == row.exitCode, name);
        QVERIFY2(row.said.isEmpty() ? run.err().isEmpty()
                                    : run.err().contains(row.said.toLocal8Bit()),
                 name + ": " + run.err());
        if (row.stdoutTo.isEmpty() && files[i] == u"-")
            QVERIFY(completeLines(run.out()).first() == "time,value,unit,function,range,display");
        if (row.stdoutTo == appended)
            QVERIFY(fileBytes(appended).startsWith(csvBefore + "\r\n") &&
                    completeLines(fileBytes(appended)).size() == 3);
        if (row.exitCode != 0 || files[i] == u"-")
            continue;
        // Whatever the ending, only complete lines, and none of those seen lost.
        qsizetype count = 0;
        const QString fault = recordingFault(fileBytes(files[i]), &count);
        QVERIFY2(fault.isEmpty(), qPrintable(name + ": " + fault));
        QVERIFY2(count >= std::max<qsizetype>(linesBefore[i], 1), name);
    }
}

// As a service: logrotate moves the file away and sends SIGHUP, and the lines
// go on in a new file of the same name, none lost; systemd hears from it.
void TestTarnixLog::reopensOnHangUp() {
    const QByteArray socketPath = QFile::encodeName(m_dir.filePath(QStringLiteral("notify")));
    const int manager = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    QVERIFY(::bind(manager, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NOTIFY_SOCKET"), QString::fromLocal8Bit(socketPath));
    environment.insert(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("1000000"));
    const QString path = m_dir.filePath(QStringLiteral("rotated.dat"));
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    run.process().setProcessEnvironment(environment);
    run.start({"record", "--simulate", "--interval", "1", path});
    QByteArrayList told; // what the service manager heard
    const auto linesIn = [&](const QString& file, qsizetype atLeast) {
        char datagram[512];
        for (ssize_t n; (n = ::recv(manager, datagram, sizeof datagram, 0)) > 0;)
            told << QByteArray(datagram, n);
        return completeLines(fileBytes(file)).size() >= atLeast;
    };
    QVERIFY(waitUntil([&] { return linesIn(path, 1); }));
    QVERIFY(QFile::rename(path, path + QStringLiteral(".1")));
    run.signal(SIGHUP);
    QVERIFY(waitUntil([&] { return linesIn(path, 1); }));
    run.signal(SIGTERM);
    QVERIFY(waitUntil([&] { return linesIn(path, 0) && !run.running(); }));
    ::close(manager);
    QVERIFY2(run.err().contains("reopened " + path.toLocal8Bit()), run.err().constData());
    QCOMPARE(recordingFault(fileBytes(path)), QString());
    // One interval from the last line before the move to the first after it.
    const auto timeOf = [](const QByteArray& line) {
        return records::recordTime(QString::fromLatin1(line.split(',')[1]),
                                 QString::fromLatin1(line.split(',')[2]))
            .value_or(QDateTime());
    };
    const auto moved = completeLines(fileBytes(path + QStringLiteral(".1")));
    QCOMPARE(timeOf(moved.last()).msecsTo(timeOf(completeLines(fileBytes(path)).first())), 1000);
    // systemd with Type=notify and a watchdog: ready, the status, fed, stopping.
    QVERIFY2(told.value(0) == "READY=1" && told.value(1).startsWith("STATUS=COM SIM  ") &&
                 told.contains("WATCHDOG=1") && told.last() == "STOPPING=1",
             told.join('|').constData());
}

void TestTarnixLog::tornJsonLineIsSetAside_data() {
    QTest::addColumn<bool>("toStandardOutput"); // appended to with ">>"
    QTest::newRow("the file named") << false;
    QTest::newRow("standard output") << true;
}

// A JSON line cut short moves to NAME.torn (after any torn before it); the
// file keeps whole LF lines, each JSON, and a run to the file named goes on
// from the last.
void TestTarnixLog::tornJsonLineIsSetAside() {
    QFETCH(bool, toStandardOutput);
    const QString path = m_dir.filePath(QStringLiteral("torn-%1.jsonl").arg(toStandardOutput));
    const QByteArray whole = R"({"time":"2020-01-05T12:00:00.000+01:00","seq":1})" "\n";
    const QByteArray torn = R"({"time":"2020-01-05T12:34:56.000+01:00","seq":2,"val)";
    QVERIFY(writeFile(path, whole + torn) && writeFile(path + ".torn", "before\n"));
    qputenv("TZ", "Europe/Berlin"); // the gap's times are told in local time, +01:00 here
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    if (toStandardOutput)
        run.process().setStandardOutputFile(path, QIODevice::Append);
    run.start({"record", "--simulate", "--samples", "1", "--format", "jsonl",
               toStandardOutput ? "-" : path});
    QVERIFY(run.finished() && run.process().exitCode() == 0);
    QVERIFY2(run.err().contains(QStringLiteral("%1: its last line was cut short (a write that did "
                                               "not end); moved its %2 bytes to %1.torn")
                                    .arg(path).arg(torn.size()).toLocal8Bit()) &&
                 run.err().contains("2020-01-05 12:00:00 to ") != toStandardOutput &&
                 !run.err().contains("12:34:56"),
             run.err().constData());
    QCOMPARE(fileBytes(path + ".torn"), "before\n" + torn + "\n");
    const QByteArray bytes = fileBytes(path);
    QVERIFY2(bytes.startsWith(whole) && bytes.endsWith('\n') && !bytes.contains('\r'), bytes);
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    QCOMPARE(lines.size(), 2);
    for (const QByteArray& line : lines)
        QVERIFY2(QJsonDocument::fromJson(line).isObject(), line.constData());
}

void TestTarnixLog::reportsGapsWithoutLines_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("lineSeconds"); // when lines were written
    QTest::addColumn<int>("endSecond");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("steady") << 1 << QList<int>{0, 1, 2, 3} << 4 << QStringList{};
    QTest::newRow("a late line is no gap") << 5 << QList<int>{0, 5, 16} << 17 << QStringList{};
    QTest::newRow("just no gap") << 1 << QList<int>{0, 4} << 8 << QStringList{};
    QTest::newRow("a gap inside the run") << 1 << QList<int>{0, 1, 13, 14} << 15
        << QStringList{"no line written from 10:00:01 to 10:00:13 (12 s)"};
    QTest::newRow("a run that ends in a gap") << 2 << QList<int>{0, 2} << 30
        << QStringList{"no line written from 10:00:02 to 10:00:30, the end of the run (28 s)"};
}

void TestTarnixLog::reportsGapsWithoutLines() {
    QFETCH(int, interval);
    QFETCH(QList<int>, lineSeconds);
    QFETCH(int, endSecond);
    QFETCH(QStringList, said);
    const QDateTime start(QDate(2026, 12, 6), QTime(10, 0));
    core::LineGaps gaps(interval);
    QStringList got;
    for (const int second : lineSeconds)
        if (const QString text = gaps.lineWritten(start.addSecs(second)); !text.isEmpty())
            got << text;
    if (const QString text = gaps.runEnded(start.addSecs(endSecond)); !text.isEmpty())
        got << text;
    QCOMPARE(got, said);
}

// A gap whose ends fall on two local days names the days; on one day, even
// across a change of daylight saving time, the times alone. A time read back
// from a UTC file is told in local time like the other end.
void TestTarnixLog::gapNoticesNameTheDay_data() {
    QTest::addColumn<QString>("from"); // the two lines' times
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("said");
    QTest::newRow("one day, summer time ends")
        << "2026-10-25T01:30:00+02:00" << "2026-10-25T03:30:00+01:00"
        << "no line written from 01:30:00 to 03:30:00 (10800 s)";
    QTest::newRow("past midnight") << "2026-12-06T23:59:50+01:00" << "2026-12-07T00:00:30+01:00"
        << "no line written from 2026-12-06 23:59:50 to 2026-12-07 00:00:30 (40 s)";
    QTest::newRow("two years") << "2024-12-07T01:19:41+01:00" << "2026-12-08T02:20:12+01:00"
        << "no line written from 2024-12-07 01:19:41 to 2026-12-08 02:20:12 (63162031 s)";
    QTest::newRow("into summer time") << "2026-03-28T23:00:00+01:00" << "2026-03-29T04:00:00+02:00"
        << "no line written from 2026-03-28 23:00:00 to 2026-03-29 04:00:00 (14400 s)";
    QTest::newRow("from a UTC file") << "2026-12-06T22:59:50Z" << "2026-12-07T00:00:30+01:00"
        << "no line written from 2026-12-06 23:59:50 to 2026-12-07 00:00:30 (40 s)";
}

void TestTarnixLog::gapNoticesNameTheDay() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, said);
    qputenv("TZ", "Europe/Berlin");
    tzset();
    core::LineGaps gaps(1);
    gaps.lineWritten(QDateTime::fromString(from, Qt::ISODate));
    QCOMPARE(gaps.lineWritten(QDateTime::fromString(to, Qt::ISODate)), said);
}

namespace {
// A file command run in the test: what it wrote and said, and its exit code.
struct FileRun {
    QByteArray out;
    QStringList said;
    int code = -1;
    core::FileCommandOutput output() {
        return {.out = [this](QByteArrayView bytes) { return out.append(bytes), true; },
                .message = [this](const QString& line) { said << line; }};
    }
};
} // namespace

void TestTarnixLog::convertKeepsOnlyRecords_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("skipped");
    QTest::newRow("a recording and a logger set, any line ends, one odd line")
        << QByteArray("1,26/12/06,13:07:18.0,DCV,200mV,-12.34\r\n2,26/12/06,13:07:19.0,DCV,"
                      "200mV,OL\n\n3,27/01/01,00:00:00.4,RES,20KOhm,1.234\rodd\n") << 3 << 1;
    QTest::newRow("lines that are not records")
        << QByteArray("time,value\r\n1,26/12/06,13:07:18.0,DCV,200mV\r\n"
                      "1,26/12/06,13:07:18.0,DCV,200mV,1,2\r\nx,26/12/06,13:07:18.0,DCV,2V,1\r\n"
                      "1,26/12/06,13:07:18.0,\"D,\"\"CV\",2V,1\r\n") << 1 << 4;
    // A short line, a mid-field quote and NUL bytes: each skipped, the lines after them whole.
    const char bad[] = "1,26/12/06,13:07:18.0,DCV,200mV,-12.34\r\n2,26/12/06,13:07:19.0,\"DCV\r\n"
                       "3,26/12/06,13:07:20.0,DCV,200mV,-12\"34\r\n4,26/12/06,13:07:21.0,D\0CV,"
                       "200mV,1\r\n\0\0\0\0\r\n6,26/12/06,13:07:23.0,DCV,200mV,-12.34\r\n";
    QTest::newRow("a bad file") << QByteArray(bad, sizeof bad - 1) << 2 << 4;
    QTest::newRow("binary and a 1 MB line")
        << noiseBytes(300000) + QByteArray(1 << 20, ',') + "\n1,26/12/06,13:07:18.0,DCV,2V,1\n" << 1 << -1;
    QTest::newRow("a 10 MB line")
        << QByteArray(10 << 20, 'x') + "\r\n1,26/12/06,13:07:18.0,DCV,2V,1" << 1 << 1;
    QTest::newRow("a line of quotes") << QByteArray(100000, '"') + "\n1,26/12/06,13:07:18.0,DCV,2V,1\n" << 1 << 1;
    // Its first 64 KiB would make a record, but the line is longer than any record.
    QTest::newRow("a long line across the first 1 MB read")
        << QByteArray("1,26/12/06,13:07:18.0,DCV,2V,1\n").repeated(33000) + "2,26/12/06,13:07:19.0,DCV,"
               "2V," + QByteArray(70000, '1') + "\n" << 33000 << 1;
    QTest::newRow("lines across the 1 MB reads")
        << QByteArray("1,26/12/06,13:07:18.0,DCV,2V,1\n").repeated(40000) << 40000 << 0;
}

// Only records reach the CSV, each as six fields; the rest is counted. OPEN FILE lists the
// same, and no file, binary or huge, crashes or hangs either.
void TestTarnixLog::convertKeepsOnlyRecords() {
    QFETCH(QByteArray, content);
    QFETCH(int, records);
    QFETCH(int, skipped);
    const QString in = m_dir.filePath(QStringLiteral("in.dat"));
    QVERIFY(writeFile(in, content));
    FileRun run;
    QCOMPARE(core::runConvert({.inputs = {in}, .output = QStringLiteral("-")}, run.output()), 0);
    const QList<QByteArray> lines = completeLines(run.out);
    QCOMPARE(lines.size(), 1 + records);
    QCOMPARE(lines[0], "time,value,unit,function,range,display");
    records::RecordStore listed;
    const qint64 listSkipped = records::loadDataFile(in, listed).skippedLines;
    QCOMPARE(records::skippedLinesWarning(in, listSkipped), run.said.value(0));
    QCOMPARE(records::skippedHourWarning("f.dat", 1),
             "f.dat: 1 time falls in the hour the clock skipped for daylight saving time; "
             "given the offset from UTC before it");
    QVERIFY(records::skippedHourWarning("f.dat", 2).startsWith("f.dat: 2 times fall in the hour"));
    QList<QByteArray> fromList;
    for (qsizetype row = 0; row < listed.size(); ++row)
        fromList << records::analysisLineOf(listed.record(row)).value_or(QString()).toUtf8();
    QCOMPARE(fromList, lines.mid(1));
    const QString count = skipped == 1 ? "1 line was" : QString::number(skipped) + " lines were";
    if (skipped >= 0)
        QCOMPARE(run.said, skipped ? QStringList{in + ": " + count + " not a record, skipped"}
                                   : QStringList{});
    QCOMPARE(core::runConvert({.inputs = {in + "-gone"}, .output = QStringLiteral("-")}, run.output()), 1);
    QCOMPARE(core::runConvert({.inputs = {in}, .output = m_dir.filePath("no/such/folder.csv")}, run.output()), 1);
    QCOMPARE(core::runConvert({.inputs = {in}, .output = m_dir.filePath("new.csv")}, run.output()), 0);
}

// The summary of a data file, and of the same readings as CSV, say the same.
void TestTarnixLog::statsOfDataAndCsvAgree() {
    const QString dat = m_dir.filePath(QStringLiteral("stats.dat"));
    const QString csv = m_dir.filePath(QStringLiteral("stats.csv"));
    // The last reading of a range is neither its largest nor its smallest.
    QVERIFY(writeFile(dat, "1,26/12/06,10:00:00.0,DCV,200mV,3.00\r\n2,26/12/06,10:00:01.0,DCV,200mV,"
                           "1.00\r\n3,26/12/06,10:00:02.0,DCV,200mV,-OL\r\n4,26/12/06,10:00:03.0,"
                           "DCV,200mV,2.00\r\n5,26/12/06,10:00:05.5,DCV,2V,1.5\r\n" // 2.5 s on
                           "6,26/12/06,10:00:06.5,DCV,20V,OL\r\n7,26/12/06,10:00:07.5,,,1\r\n"
                           "7,26/12/06,10:00:07.5,,,2\r\n" // no range, no unit: no number twice
                           "8,26/12/06,10:00:08.5,DCV,200V,12\r\n"
                           // Displays that end in L, or hold nothing: no overloads.
                           "9,26/12/06,10:00:09.5,DCV,200V,1L\r\n10,26/12/06,10:00:10.5,DCV,200V,L\r\n"
                           "11,26/12/06,10:00:11.5,DCV,200V,\r\n"));
    FileRun converted, stats;
    QCOMPARE(core::runConvert({.inputs = {dat}, .output = csv}, converted.output()), 0);
    QCOMPARE(core::runStats({.files = {dat}}, stats.output()), 0);
    QCOMPARE(core::runStats({.files = {csv}}, stats.output()), 0);
    const QStringList parts = QString::fromUtf8(stats.out).split(csv + u':');
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts[0].section(u':', 1), parts[1]);
    QVERIFY2(parts[1].startsWith(QStringLiteral(" 12 readings\nDCV 200mV (V): readings 3, overloads 1\n"
                                                "  min 0.001  max 0.003  mean 0.002000  sd 0.001000 V\n")),
             qPrintable(parts[1])); // one place finer than 1.00 mV, in V
    FileRun precise;
    QCOMPARE(core::runStats({.files = {dat}, .precise = true}, precise.output()), 0);
    FileRun gone; // a file that cannot be read fails the run; the others are still summed up
    QCOMPARE(core::runStats({.files = {dat, m_dir.filePath("gone.dat")}}, gone.output()), 1);
    QVERIFY(gone.out.startsWith("2 files: 12 readings"));
    // Sixteen digits, too many to read exactly: read from their text, with no places.
    const QString wide = m_dir.filePath(QStringLiteral("wide.dat"));
    QVERIFY(writeFile(wide, "1,26/12/06,10:00:00.0,RES,20KOhm,1234567890123456\r\n"
                            "2,26/12/06,10:00:01.0,RES,20KOhm,1234567890123458\r\n"));
    FileRun wideRun;
    QCOMPARE(core::runStats({.files = {wide}}, wideRun.output()), 0);
    QVERIFY2(wideRun.out.contains("  mean 1234567890123457024.0  sd 1448.2 Ohm\n"), wideRun.out.constData());
    // Two CSV files joined end to end: the second header is a line that is no reading.
    const QString twice = m_dir.filePath(QStringLiteral("twice.csv"));
    QVERIFY(writeFile(twice, fileBytes(csv) + fileBytes(csv)));
    FileRun twiceRun;
    QCOMPARE(core::runStats({.files = {twice}}, twiceRun.output()), 0);
    QVERIFY2(twiceRun.out.startsWith(twice.toUtf8() + ": 24 readings, 1 other lines skipped\n"),
             twiceRun.out.constData());
    FileRun none; // a folder without recordings: nothing to sum up, said
    const QTemporaryDir empty;
    QCOMPARE(core::runStats({.files = {empty.path()}}, none.output()), 1);
    QVERIFY2(none.said.join(u"|").endsWith(u"a folder without .dat or .csv files"), qPrintable(none.said.join(u"|")));
    QVERIFY2(precise.out.contains("  mean 0.002  sd 0.001 V\n"), precise.out.constData());
    QVERIFY2(parts[1].contains(u"DCV 2V (V): readings 1, overloads 0\n  min 1.5  max 1.5"),
             qPrintable(parts[1]));
    // A range that held only overloads has no numbers to sum up.
    QVERIFY2(parts[1].contains(u"DCV 20V (V): readings 0, overloads 1\n  first"),
             qPrintable(parts[1]));
    QVERIFY2(parts[1].contains(QRegularExpression("interval 1 s; gaps longer than 2 s: 1\n  "
                                                  "\\S+T10:00:03.000\\S* to \\S+T10:00:05.500")),
             qPrintable(parts[1]));
    // Numbers only in the meter's forms (no inf, NaN, 1e3); a repeated time makes no spacing.
    const QByteArray at = "\r\n2026-12-06T10:00:00.00", zone = "+01:00,";
    QVERIFY(writeFile(csv, records::AnalysisHeader.toUtf8() + at + "0" + zone + "-inf,V,DCV,2V,x" +
                               at + "0" + zone + "nan,V,DCV,2V,x" + at + "0" + zone + "1e3,V,DCV,2V,x" +
                               at + "0" + zone + "2,V,DCV,2V,2" + at + "1" + zone + "3,V,DCV,2V,3" +
                               at + "2" + zone + "3,V,DCV,2V,3"));
    FileRun odd;
    QCOMPARE(core::runStats({.files = {csv}}, odd.output()), 0);
    QVERIFY2(odd.out.contains("DCV 2V (V): readings 3, overloads 0\n  min 2  max 3") &&
                 odd.out.contains("interval 0.001 s"), odd.out);
}

// The sampling interval is the middle spacing (the upper of two), from a
// count per millisecond or, past some 17 minutes, from the spacings kept;
// gaps at the start, before the spacings shrank, are found by a second read.
void TestTarnixLog::statsFindTheIntervalAndGaps_data() {
    QTest::addColumn<QList<int>>("tenths"); // each record's time after 10:00, in 0.1 s
    QTest::addColumn<QString>("expected");
    QTest::newRow("steady") << QList<int>{0, 10, 20, 30} << "interval 1 s; gaps longer than 2 s: 0";
    QTest::newRow("the upper middle") << QList<int>{0, 10, 20, 50, 80} << "interval 3 s; gaps longer than 6 s: 0";
    QTest::newRow("gaps before the spacings shrank")
        << QList<int>{0, 100, 200, 300, 310, 320, 330, 340, 350, 351, 352}
        << "interval 1 s; gaps longer than 2 s: 3\n  2026-12-06T10:00:00.000 to "
           "2026-12-06T10:00:10.000 (10 s)";
    QTest::newRow("a block of earlier times after later ones")
        << QList<int>{0, 100, 200, 300, -300, -200, -100, 400, 500} << "interval 10 s; gaps longer than 20 s: 0";
    QTest::newRow("a gap among times gone back")
        << QList<int>{0, 100, 200, 600, 700, -300, -200, -100, 800}
        << "interval 10 s; gaps longer than 20 s: 1\n  2026-12-06T10:00:20.000 to 2026-12-06T10:01:00.000 (40 s)";
    QTest::newRow("long spacings") << QList<int>{0, 12000, 24000, 60000}
                                   << "interval 1200 s; gaps longer than 2400 s: 1\n  "
                                      "2026-12-06T10:40:00.000 to 2026-12-06T11:40:00.000";
}

void TestTarnixLog::statsFindTheIntervalAndGaps() {
    QFETCH(QList<int>, tenths);
    QFETCH(QString, expected);
    QByteArray lines;
    for (const int t : tenths)
        lines += "1," + QTime(10, 0).addMSecs(t * 100).toString("'26/12/06,'HH:mm:ss.z").toLatin1() +
                 ",DCV,2V,1\n";
    const QString dat = m_dir.filePath(QStringLiteral("spacings.dat"));
    QVERIFY(writeFile(dat, lines));
    FileRun stats;
    QCOMPARE(core::runStats({.files = {dat}}, stats.output()), 0);
    static const QRegularExpression offset(QStringLiteral("(?<=\\.\\d{3})([+-]\\d\\d:\\d\\d|Z)"));
    QVERIFY2(QString::fromUtf8(stats.out).remove(offset).contains(expected), stats.out.constData());
}

// Three and a half hours of seconds across the autumn change in Berlin, as
// one file, as three parts given in any order (cut in the middle of either
// round of the hour shown twice), or as their folder: a slice holds the
// lines of the whole conversion from its start up to its end, and its
// summary is the whole file's.
void TestTarnixLog::convertSlicesAndJoinsFiles_data() {
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("lines");
    QTest::newRow("parts in any order") << "c a b" << "" << "" << 12600;
    QTest::newRow("from the first") << "whole" << "2026-10-25T01:30" << "2026-10-25T01:30:10" << 10;
    QTest::newRow("to the last") << "whole" << "2026-10-25T03:59:55" << "" << 5;
    QTest::newRow("the hour shown twice") << "whole" << "2026-10-25T02:00+02:00" << "2026-10-25T02:00+01:00" << 3600;
    QTest::newRow("local: its first round") << "parts" << "2026-10-25T02:30" << "2026-10-25T00:45Z" << 900;
    QTest::newRow("its second round, sought in the last part") << "parts" << "2026-10-25T01:00Z" << "2026-10-25T02:00Z" << 3600;
    QTest::newRow("sought in a file that starts as the first round ends")
        << "seam" << "2026-10-25T01:30Z" << "2026-10-25T01:40Z" << 600;
    QTest::newRow("before it all") << "whole" << "2026-10-24T00:00" << "2026-10-24T01:00" << 0;
}

void TestTarnixLog::convertSlicesAndJoinsFiles() {
    QFETCH(QString, inputs);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, lines);
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QDir parts(m_dir.filePath("parts"));
    QByteArray whole[3], seam; // seam: from the first round's last second on
    const QDateTime start(QDate(2026, 10, 25), QTime(1, 30));
    for (int i = 0; i < 12600; ++i) { // lines long enough that the second round's half is over 64 KiB
        const QByteArray line = QString("%1,%2,DCV,200mV,-123.45\r\n").arg(i + 1).arg(start.addSecs(i).toString("yy/MM/dd,HH:mm:ss.0")).toLatin1();
        whole[i < 3600 ? 0 : i < 7200 ? 1 : 2] += line;
        seam += i >= 5399 ? line : QByteArray();
    }
    QVERIFY(parts.mkpath(".") && writeFile(m_dir.filePath("whole.dat"), whole[0] + whole[1] + whole[2]) &&
            writeFile(m_dir.filePath("seam.dat"), seam));
    for (int i = 0; i < 3; ++i)
        QVERIFY(writeFile(parts.filePath(QString(QChar(u'a' + (i + 1) % 3)) + ".dat"), whole[i]));
    QStringList paths;
    for (const QString& input : inputs.split(u' '))
        paths << (input.size() == 1 ? parts.filePath(input + ".dat") : m_dir.filePath(input == u"parts" ? "parts" : input + ".dat"));
    core::ConvertOptions options{.inputs = paths, .output = "-"};
    options.slice = {analysis::sliceTime(from), analysis::sliceTime(to)};
    FileRun all, sliced, statsOfWhole, statsOfSlice;
    QCOMPARE(core::runConvert({.inputs = {m_dir.filePath("whole.dat")}, .output = "-"}, all.output()), 0);
    QCOMPARE(core::runConvert(options, sliced.output()), 0);
    QCOMPARE(core::runStats({.files = {m_dir.filePath("whole.dat")}, .slice = options.slice}, statsOfWhole.output()), 0);
    QCOMPARE(core::runStats({.files = paths, .slice = options.slice}, statsOfSlice.output()), 0);
    qunsetenv("TZ");
    tzset();
    QByteArray expected;
    for (const QByteArray& line : all.out.split('\n'))
        if (const QDateTime at = QDateTime::fromString(QString::fromLatin1(line.left(line.indexOf(','))), Qt::ISODateWithMs);
            at.isValid() && options.slice.holds(at.toMSecsSinceEpoch()))
            expected += line + '\n';
    QCOMPARE(sliced.out.count('\n') - 1, lines);
    QCOMPARE(sliced.out, all.out.left(all.out.indexOf('\n') + 1) + expected);
    const auto summary = [](const QByteArray& out) { // from the count of readings on
        return out.mid(out.lastIndexOf(' ', out.indexOf(" readings\n") - 1));
    };
    QCOMPARE(summary(statsOfSlice.out), summary(statsOfWhole.out));
    QCOMPARE(statsOfSlice.said, QStringList()); // no hour was skipped
    // A folder without data files is said, with status 1.
    FileRun none;
    QVERIFY(QDir(m_dir.path()).mkpath("none"));
    QCOMPARE(core::runConvert({.inputs = {m_dir.filePath("none")}, .output = "-"}, none.output()), 1);
}

// Files are read in chunks on a thread a core, and put together in file
// order: however a file is cut, convert, summaries and stats come out as one
// reader going through it whole would make them, around the night of a
// change of daylight saving time too.
void TestTarnixLog::chunksReadAsOneReader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    const auto night = [](QDate day, int seconds, int step) {
        QByteArray text;
        const QDateTime start(day, QTime(0, 30), QTimeZone::utc());
        const QTimeZone berlin("Europe/Berlin");
        for (int i = 0; i < seconds; i += i == 5000 ? 600 : step) // a pause; the function changes
            text += QString("%1,%2,%3,-%4\r\n").arg(i + 1).arg(start.addSecs(i).toTimeZone(berlin).toString("yy/MM/dd,HH:mm:ss.0"), i / 1000 % 3 ? "DCV,200mV" : "RES,20KOhm").arg(i % 1000 / 10.0).toLatin1();
        return text;
    };
    const QByteArray autumn = night(QDate(2026, 10, 25), 4 * 3600, 1);
    QTest::newRow("the autumn night") << autumn << "" << "";
    QTest::newRow("from within its second round") << autumn << "2026-10-25T01:10Z" << "";
    QTest::newRow("its second round, sliced") << autumn << "2026-10-25T01:10Z" << "2026-10-25T01:50Z";
    QTest::newRow("the spring night, a clock that did not change")
        << QByteArray("1,26/03/29,01:59:59.0,DCV,2V,1\r\n2,26/03/29,02:30:00.0,DCV,2V,2\r\n").repeated(400) + night(QDate(2026, 3, 29), 3 * 3600, 7) << "" << "";
    const char bad[] = "1,26/12/06,13:07:18.0,DCV,200mV,-12.34\r\n2,26/12/06,13:07:19.0,\"DCV\r\n"
                       "4,26/12/06,13:07:21.0,D\0CV,200mV,1\r\n\0\0\r5,26/13/06,13:07:21.0,DCV,2V,1\n\n";
    QTest::newRow("odd lines, every line end, a line longer than a record")
        << QByteArray(bad, sizeof bad - 1).repeated(50) + QByteArray(70000, '7') + "\r" + QByteArray(bad, sizeof bad - 1).repeated(50) << "" << "";
    QTest::newRow("an analysis CSV file") << QByteArray("time,value,unit,function,range,display\r\n2026-12-06T13:07:18.000+01:00,1,V,DCV,2V,1\r\n").repeated(3) << "" << "";
}

void TestTarnixLog::chunksReadAsOneReader() {
    QFETCH(QByteArray, content);
    QFETCH(QString, from);
    QFETCH(QString, to);
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QString dat = m_dir.filePath("chunks.dat");
    QVERIFY(writeFile(dat, content));
    const analysis::TimeSlice slice{analysis::sliceTime(from), analysis::sliceTime(to)};
    const auto runs = [&](qint64 chunkBytes) {
        FileRun convert, every, stats;
        convert.code = core::runConvert({.inputs = {dat}, .output = "-", .slice = slice, .chunkBytes = chunkBytes}, convert.output());
        every.code = core::runConvert({.inputs = {dat}, .output = "-", .slice = slice, .every = 60, .chunkBytes = chunkBytes}, every.output());
        stats.code = core::runStats({.files = {dat}, .slice = slice, .chunkBytes = chunkBytes}, stats.output());
        return QList<QVariant>{convert.code, convert.out, convert.said, every.code, every.out, every.said, stats.code, stats.out, stats.said};
    };
    const QList<QVariant> whole = runs(qint64(1) << 40);
    for (const qint64 chunkBytes : {997, 4096, 65537})
        QCOMPARE(runs(chunkBytes), whole);
    qunsetenv("TZ");
    tzset();
}

// A recording piped in is read as the same file named, and so is a file
// that is none.
void TestTarnixLog::pipesAreReadLikeFiles() {
    const QString dat = m_dir.filePath(QStringLiteral("piped.dat"));
    for (const QByteArray& bytes : {"1,26/12/06,10:00:00.0,DCV,2V,1.5\r\n2,26/12/06,10:00:01.0,DCV,2V,1.6\r\n"_ba,
                                    "[settings]\nrate=5\n"_ba})
        for (const QStringList& command : {QStringList{"convert", "-"}, QStringList{"stats"}}) {
            QVERIFY(writeFile(dat, bytes));
            ProgramRun piped(QStringLiteral(TARNIX_LOG)), named(QStringLiteral(TARNIX_LOG));
            piped.start(QStringList{command[0], "/dev/stdin"} + command.mid(1));
            piped.process().write(bytes);
            piped.process().closeWriteChannel();
            named.start(QStringList{command[0], dat} + command.mid(1));
            QVERIFY(piped.finished() && named.finished());
            QCOMPARE(piped.process().exitCode(), named.process().exitCode());
            const int code = named.process().exitCode(); // a failed run's output is not compared
            QCOMPARE(QString::fromUtf8((code ? "" : piped.out()) + piped.err()).replace(u"/dev/stdin"_s, dat),
                     QString::fromUtf8((code ? "" : named.out()) + named.err()));
        }
}

// A convert stopped while it writes leaves no temporary file beside its
// output, and the next one clears those that a killed run left.
void TestTarnixLog::interruptedConvertLeavesNoPart() {
    const QString fifo = m_dir.filePath("slow.dat"), out = m_dir.filePath("part.csv");
    const QByteArray name = QFile::encodeName(fifo);
    QCOMPARE(::mkfifo(name, 0600), 0);
    QVERIFY(writeFile(m_dir.filePath(".part.csv.0123abcd.part"), "left by a killed run"));
    const auto parts = [&] {
        return QDir(m_dir.path()).entryList({".part.csv.*"}, QDir::Hidden | QDir::Files);
    };
    ProgramRun run(QStringLiteral(TARNIX_LOG));
    run.start({"convert", fifo, out});
    int writer = -1; // opens once convert has opened the input
    QVERIFY(waitUntil([&] { return writer >= 0 || (writer = ::open(name, O_WRONLY | O_NONBLOCK)) >= 0; },
                      30000));
    // Then it clears the part a killed run left and begins its own.
    QVERIFY2(waitUntil([&] {
        const QStringList now = parts();
        return now.size() == 1 && now.first() != ".part.csv.0123abcd.part";
    }, 30000), qPrintable(parts().join(u' ') + u' ' + run.err()));
    run.signal(SIGTERM); // SIGINT alike, where the shell left it to end the program
    QVERIFY2(run.finished() && run.process().exitStatus() == QProcess::CrashExit,
             qPrintable(QStringLiteral("exit %1: ").arg(run.process().exitCode()) + run.err()));
    QCOMPARE(parts(), QStringList());
    ::close(writer);
}

// On a terminal ten columns wide the progress is shortened, rewritten in
// place, steps aside for a message and ends with a line end; elsewhere only
// the messages are written.
void TestTarnixLog::statusLine() {
    int master = -1, slave = -1;
    winsize size{.ws_row = 5, .ws_col = 10, .ws_xpixel = 0, .ws_ypixel = 0};
    termios raw{};
    cfmakeraw(&raw);
    QVERIFY(::openpty(&master, &slave, nullptr, &raw, &size) == 0);
    core::StatusLine terminal(slave, true), file(slave, false),
        journal(slave, core::StatusLine::Kind::Journal);
    terminal.say("0"); // nothing shown yet: nothing to step aside
    for (const char* text : {"0123456789abc", "abc", "0123456789", "abc", "abc"})
        terminal.show(text);
    terminal.say("hi");
    size.ws_col = 0; // a terminal that does not tell its width gets the whole status
    QVERIFY(::ioctl(slave, TIOCSWINSZ, &size) == 0);
    terminal.show("wide status");
    terminal.end();
    file.show("gone");
    file.say("x");
    file.end();
    // The journal: no status, and each line with its priority.
    journal.show("gone");
    journal.say("e", platform::Severity::Error);
    journal.say("w", platform::Severity::Warning);
    journal.say("n", platform::Severity::Notice);
    // Closed, the terminal hands over the rest of what was written, then says it is gone.
    ::close(slave);
    QByteArray got;
    char chunk[64];
    for (ssize_t n; (n = ::read(master, chunk, sizeof chunk)) > 0;)
        got.append(chunk, n);
    ::close(master);
    QCOMPARE(got, "0\n\r012345678\rabc      \r012345678\rabc      \r   \rhi\nabc\rwide status\nx\n<3>e\n<4>w\n<6>n\n");
}

QTEST_GUILESS_MAIN(TestTarnixLog)
// The recorder's summaries on the virtual clock, over midnight and both
// changes of daylight saving time in Berlin: the interval starts, and the
// lines convert makes of a data file of the same samples.
void TestTarnixLog::recordEveryIsConvertEvery_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("every");
    QTest::addColumn<QStringList>("starts");
    QTest::addColumn<bool>("skipEmpty"); // with the meter off from 15 s to 140 s
    QTest::newRow("midnight") << "2026-12-06T23:58:50+01:00" << 60
        << QStringList{"2026-12-06T23:58:00+01:00", "2026-12-06T23:59:00+01:00", "2026-12-07T00:00:00+01:00",
                       "2026-12-07T00:01:00+01:00", "2026-12-07T00:02:00+01:00"} << false;
    QTest::newRow("midnight, a file a day") << "2026-12-06T23:58:50+01:00" << 60
        << QStringList{"2026-12-06T23:58:00+01:00", "2026-12-06T23:59:00+01:00", "2026-12-07T00:00:00+01:00",
                       "2026-12-07T00:01:00+01:00", "2026-12-07T00:02:00+01:00"} << false;
    QTest::newRow("a silent minute skipped") << "2026-12-06T23:58:50+01:00" << 60
        << QStringList{"2026-12-06T23:58:00+01:00", "2026-12-06T23:59:00+01:00", "2026-12-07T00:01:00+01:00",
                       "2026-12-07T00:02:00+01:00"} << true;
    QTest::newRow("into summer time") << "2026-03-29T01:58:50+01:00" << 60
        << QStringList{"2026-03-29T01:58:00+01:00", "2026-03-29T01:59:00+01:00", "2026-03-29T03:00:00+02:00",
                       "2026-03-29T03:01:00+02:00", "2026-03-29T03:02:00+02:00"} << false;
    QTest::newRow("the hour shown twice") << "2026-10-25T02:58:50+02:00" << 60
        << QStringList{"2026-10-25T02:58:00+02:00", "2026-10-25T02:59:00+02:00", "2026-10-25T02:00:00+01:00",
                       "2026-10-25T02:01:00+01:00", "2026-10-25T02:02:00+01:00"} << false;
    QTest::newRow("hours over it") << "2026-10-25T02:58:50+02:00" << 3600
        << QStringList{"2026-10-25T02:00:00+02:00", "2026-10-25T02:00:00+01:00"} << false;
}

void TestTarnixLog::recordEveryIsConvertEvery() {
    QFETCH(QString, start);
    QFETCH(int, every);
    QFETCH(QStringList, starts);
    QFETCH(bool, skipEmpty);
    qputenv("TZ", "Europe/Berlin");
    tzset();
    sim::SimMeter meter(sim::Model::Short, 9600);
    std::vector<sim::ScriptedReading> script;
    for (const char* value : {"1.23", "4.56", "OL", "-0.78", "9.99", "2.00", "3.10"})
        script.push_back(sim::ScriptedReading::fromValue(sim::Model::Short, 2, value).value());
    meter.setScript(script);
    core::RecordOptions options;
    options.interval = 1;
    options.every = every;
    options.skipEmpty = skipEmpty;
    options.format = records::RecordingFormat::Csv;
    const bool daily = QByteArray(QTest::currentDataTag()).endsWith("a file a day");
    options.output = m_dir.filePath(QTest::currentDataTag() + QString::fromLatin1(daily ? " %Y-%m-%d.csv" : ".csv"));
    platform::ScriptedDialogs dialogs;
    auto* clock = new platform::VirtualClock(QDateTime::fromString(start, Qt::ISODate).toLocalTime());
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr,
                            std::unique_ptr<platform::Clock>(clock));
    QByteArray dat;
    connect(&recorder, &core::Recorder::sampleRecorded, this, [&](const QDateTime& at, const meter::Measurement& m) {
        dat += records::recordingLine(records::RecordingFormat::Dat, dat.count('\n') + 1, at, m);
    });
    if (skipEmpty) {
        clock->at(15, [&] { meter.setPowered(false, clock->monotonic()); });
        clock->at(140, [&] { meter.setPowered(true, clock->monotonic()); });
    }
    QString error;
    QVERIFY2(recorder.start(&error), qPrintable(error));
    driveRecorder(recorder, *clock, 200);
    recorder.finish(0);
    const QString datPath = options.output + ".dat";
    QVERIFY(writeFile(datPath, dat));
    core::ConvertOptions convert{.inputs = {datPath}, .output = "-"};
    convert.every = every;
    convert.skipEmpty = skipEmpty;
    FileRun converted;
    QCOMPARE(core::runConvert(convert, converted.output()), 0);
    qunsetenv("TZ");
    tzset();
    QByteArray recorded = fileBytes(options.output);
    if (daily) { // the day's lines in the day's file, each under its header
        QString day = options.output;
        recorded = fileBytes(day.replace(u"%Y-%m-%d"_s, u"2026-12-06"_s));
        const QByteArray next = fileBytes(day.replace(u"2026-12-06"_s, u"2026-12-07"_s));
        QVERIFY(next.startsWith(recorded.left(recorded.indexOf('\n') + 1)));
        recorded += next.mid(next.indexOf('\n') + 1);
    }
    QCOMPARE(recorded, converted.out);
    QStringList written;
    for (const QByteArray& line : recorded.trimmed().split('\n').mid(1))
        written << QString::fromLatin1(line.left(line.indexOf(',')));
    QCOMPARE(written, starts);
    QVERIFY2(dat.count('\n') > (skipEmpty ? 60 : 190) && dat.contains(",OL\r\n"), dat.right(300).constData());
}

// A meter switched off: the interval of its last sample is written when the
// next deadline passes without one, and when the file takes no more the run
// ends there, with the reason, not at the end of a run that would go on.
void TestTarnixLog::silentIntervalThatCannotBeWrittenEndsTheRun() {
    sim::SimMeter meter(sim::Model::Short, 9600);
    meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 2, "1.23")}, true);
    core::RecordOptions options;
    options.interval = 1;
    options.every = 1;
    options.format = records::RecordingFormat::Csv;
    options.output = m_dir.filePath(QStringLiteral("silent full.csv"));
    platform::ScriptedDialogs dialogs;
    auto* clock = new platform::VirtualClock;
    core::Recorder recorder(options, dialogs, platform::memoryWireTo(meter), nullptr,
                            std::unique_ptr<platform::Clock>(clock));
    // While the meter is off the link is looked for within one tick, and the
    // deadlines come meanwhile, as the sample timer's do on a real clock.
    clock->at(4, [&] { meter.setPowered(false, clock->monotonic()); });
    for (int second = 5; second < 20; ++second)
        clock->at(second + 0.5, [&] { recorder.deadlineReached(); });
    clock->at(30, [&] { meter.setPowered(true, clock->monotonic()); });
    // Once the link is lost no sample comes: the file then takes no more, as
    // a full disk would.
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    bool full = false;
    connect(&recorder.cycle(), &core::PollingCycle::linkLost, this, [&] {
        rlimit limit = before;
        limit.rlim_cur = rlim_t(QFileInfo(options.output).size());
        full = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    });
    int code = -1;
    QString why;
    double endedAt = 0;
    connect(&recorder, &core::Recorder::runFinished, this, [&](int exitCode, const QString& message) {
        code = exitCode, why = message, endedAt = clock->monotonic();
    });
    QVERIFY2(recorder.start(&why), qPrintable(why));
    driveRecorder(recorder, *clock, 60, [&] { return code >= 0; });
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    QVERIFY(full && code == 1);
    // Ended while the meter was off, with the file's header and whole intervals.
    QVERIFY2(why.contains(u"File too large") && endedAt < 10, qPrintable(why + QString::number(endedAt)));
    QVERIFY(fileBytes(options.output).count('\n') >= 3);
}

// A real Prometheus scrapes a recorder every second and answers with its
// reading; promtool finds nothing to say of the metrics; the readings of a
// span are the bytes convert writes of it.
void TestTarnixLog::prometheusScrapesTheRecorder() {
    const QString prometheus = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (prometheus.isEmpty() || promtool.isEmpty())
        QSKIP("Prometheus is not installed");
    const quint16 port = freePort(), scraperPort = freePort();
    const QString data = m_dir.filePath(QStringLiteral("served.dat"));
    ProgramRun recorder(QStringLiteral(TARNIX_LOG));
    recorder.start({"record", "--simulate", "--interval", "1", "--http",
                    QStringLiteral("127.0.0.1:%1").arg(port), data});
    // Prometheus starts while the recorder waits for its first reading.
    QTemporaryDir storage;
    QFile config(storage.filePath("prometheus.yml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("global: {scrape_interval: 500ms}\n"
                                "scrape_configs:\n"
                                "  - job_name: bench\n"
                                "    static_configs: [{targets: ['127.0.0.1:%1']}]\n")
                     .arg(port)
                     .toUtf8());
    config.close();
    ProgramRun scraper(prometheus);
    scraper.start({"--config.file=" + config.fileName(), "--storage.tsdb.path=" + storage.filePath("tsdb"),
                   QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(scraperPort)});
    QByteArray metrics;
    QVERIFY2(waitUntil([&] { return (metrics = httpGet(port, "/metrics")).contains("tarnix_reading_"); }),
             recorder.err().constData());
    ProgramRun check(promtool);
    check.start({"check", "metrics"});
    check.process().write(metrics);
    check.process().closeWriteChannel();
    QVERIFY(check.finished());
    QCOMPARE(check.out() + check.err(), QByteArray());
    QCOMPARE(check.process().exitCode(), 0);

    QByteArray answer;
    QVERIFY2(waitUntil([&] {
                 answer = httpGet(scraperPort, "/api/v1/query?query=tarnix_reading_volts");
                 return answer.contains(R"("__name__":"tarnix_reading_volts")");
             }, 40000),
             answer + scraper.err().right(1000));
    QVERIFY(answer.contains(R"("job":"bench")"));

    // Two seconds from the first record: the recording grows past them meanwhile.
    QVERIFY(waitUntil([&] { return fileBytes(data).count('\n') >= 3; }));
    const QByteArray files = httpGet(port, "/api/files");
    const auto first = QJsonDocument::fromJson(files).array().at(0).toObject().value("first").toString();
    const QString to = QDateTime::fromString(first, Qt::ISODateWithMs).addSecs(2).toString(Qt::ISODateWithMs);
    QVERIFY2(!first.isEmpty(), files.constData());
    ProgramRun convert(QStringLiteral(TARNIX_LOG));
    convert.start({"convert", "--from", first, "--to", to, data, "-"});
    QVERIFY(convert.finished());
    const QByteArray served = httpGet(port, "/api/readings?from=" + first.toUtf8() + "&to=" + to.toUtf8());
    QCOMPARE(served, convert.out());
    QCOMPARE(served.count('\n'), 3);
}

#include "test_tarnix_log.moc"
