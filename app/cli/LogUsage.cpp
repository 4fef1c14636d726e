#include "cli/LogCommandLine.h"

#include <iterator>

namespace tarnix::cli {

namespace {

// One subcommand's part of the help: its usage lines (each after seven
// blanks, as under "Usage: "), what it does with its options, and examples.
struct Topic {
    const char* name;
    const char* synopsis;
    const char* text;
    const char* examples;
};

constexpr Topic Topics[] = {
    {"record",
     "       tarnix-log record --port DEVICE | --simulate[=short|long]\n"
     "                         [--interval SECONDS] [--samples N] [--duration SECONDS]\n"
     "                         [--format dat|csv|jsonl] [--utc] [--on-alarm COMMAND]\n"
     "                         [--start-when COND] [--stop-when COND] [--pre DURATION]\n"
     "                         [--post DURATION] [--repeat]\n"
     "                         [--every DURATION [--skip-empty]]\n"
     "                         [--http [ADDR:]PORT] FILE|-\n"
     "       tarnix-log record ... --mqtt URL --topic PREFIX [--cafile FILE]\n"
     "                         [--ha-discovery[=PREFIX]] [FILE|-]\n"
     "       tarnix-log record --mqtt URL --topic PREFIX [--ha-discovery=PREFIX]\n"
     "                         --ha-discovery-remove\n"
     "       tarnix-log record --config FILE [OPTION...]\n",
     "record: polls the multimeter and records its reading on the PC, as the desktop\n"
     "program's SAVE AS does, without any window. Each sample is one line such as\n"
     "  1,26/12/05,14:03:07.0,DCV,200mV,-12.34\n"
     "appended to FILE (numbered from 1), or written to standard output with -.\n"
     "FILE may hold %Y %m %d %H %M, the sample's year, month, day, hour and minute\n"
     "(UTC with --utc; %% for a percent sign): each sample goes to the file its\n"
     "time names, so bench-%Y-%m-%d.csv starts a file a day, missing folders made.\n"
     "\n"
     "  --config FILE        read \"key = value\" lines: port, simulate, interval,\n"
     "                       samples, duration, format, utc (yes/no), mqtt, topic,\n"
     "                       start-when, stop-when, pre, post, repeat (yes/no),\n"
     "                       every, skip-empty (yes/no),\n"
     "                       cafile, ha-discovery (its PREFIX), on-alarm, http,\n"
     "                       output\n"
     "                       (the FILE); # starts a comment. A regular file of\n"
     "                       UTF-8 text, 64 KiB at most; an option on the\n"
     "                       command line wins over the file\n"
     "  --port DEVICE        the meter's serial device, such as /dev/ttyUSB0, or\n"
     "                       COM1..COM8 as tarnix-log ports lists them\n"
     "  --simulate[=MODEL]   the built-in simulated meter: short (5-byte frames,\n"
     "                       the default) or long (12-byte frames)\n"
     "  --interval SECONDS   seconds between samples (default 2), decimals with a\n"
     "                       point (2.5, never 2,5), kept within 1..86400 (and\n"
     "                       said so: the meter reads about once in 0.9 s);\n"
     "                       samples fall on the first sample's time plus\n"
     "                       whole intervals, without drift\n"
     "  --samples N          stop after N lines\n"
     "  --duration SECONDS   stop after that long (with --samples: whichever\n"
     "                       comes first)\n"
     "  --start-when COND    write no line until COND holds (see Conditions); its\n"
     "                       reading's line at once, the samples on from there\n"
     "  --stop-when COND     end the run (exit status 0) when COND holds; that\n"
     "                       reading's line is the last, but for --post\n"
     "  --pre DURATION       keep the samples of that span before a start in\n"
     "                       memory and write them first, with their own times;\n"
     "                       DURATION: seconds, or with s, m, h or d (90, 5m, 1h)\n"
     "  --post DURATION      go on for that span after a stop\n"
     "  --repeat             a stop waits for the next start (the start condition\n"
     "                       failing once, then holding again); each new segment's\n"
     "                       first line tells the gap before it on standard error\n"
     "  --every DURATION     a summary line per interval and series (function,\n"
     "                       range, unit) instead of each sample: whole seconds\n"
     "                       up to a day (60, 1m, 15m, 1h); intervals start on\n"
     "                       round local times (1m at :00). As CSV under the\n"
     "                       header\n"
     "                       start,function,range,unit,count,min,mean,max,last,\n"
     "                       overloads,no_reading_s\n"
     "                       or as JSON lines; not as data-file lines. Sampling\n"
     "                       goes on at --interval; with --mqtt the lines also\n"
     "                       go to PREFIX/summary (see Summaries)\n"
     "  --skip-empty         no line for an interval without a reading (else a\n"
     "                       line of count 0 under the series last read)\n"
     "  --format dat|csv|jsonl\n"
     "                       dat: the line above (the default, unless FILE's name\n"
     "                       ends in .csv or .jsonl); csv: the analysis\n"
     "                       CSV, under the header\n"
     "                       time,value,unit,function,range,display\n"
     "                       with ISO 8601 times and values in V, A, Ohm, F, Hz,\n"
     "                       degC or degF. A CSV file is appended to only when its\n"
     "                       header matches. jsonl: each sample as the JSON the\n"
     "                       broker gets, one a line, with its alarm state\n"
     "  --utc                CSV times in UTC, ending in Z, rather than local time\n"
     "                       with its offset: one column of times for pandas or a\n"
     "                       spreadsheet across a change of daylight saving time\n"
     "  --mqtt URL           also publish each sample to the broker at\n"
     "                       mqtt://[user@]host[:port] or mqtts://...; the password\n"
     "                       is read from TARNIX_MQTT_PASSWORD, or from the\n"
     "                       systemd credential mqtt-password, never from a file\n"
     "  --topic PREFIX       samples go to PREFIX/reading as JSON, the bench to\n"
     "                       PREFIX/meter, online/offline to PREFIX/status, and\n"
     "                       the alarm state (none, ok, over, under) to\n"
     "                       PREFIX/alarm when it changes; all but the readings\n"
     "                       retained\n"
     "  --cafile FILE        trust this CA for mqtts instead of the system's CAs\n"
     "  --ha-discovery[=PREFIX]\n"
     "                       announce a Home Assistant sensor for each function\n"
     "                       as it is first shown, and the alarm as a problem\n"
     "                       sensor, under PREFIX (default homeassistant)\n"
     "  --ha-discovery-remove\n"
     "                       clear those announcements from the broker and end\n"
     "  --on-alarm COMMAND   run COMMAND with /bin/sh -c when a sample's alarm\n"
     "                       state differs from the one before, with TARNIX_ALARM,\n"
     "                       TARNIX_VALUE, TARNIX_UNIT, TARNIX_DISPLAY, TARNIX_TIME,\n"
     "                       TARNIX_PORT, TARNIX_FUNCTION and TARNIX_RANGE set.\n"
     "                       Sampling never waits for it; one runs at a time, a\n"
     "                       change meanwhile waits (the latest one); it is\n"
     "                       stopped after 30 s, and what it leaves running ends\n"
     "                       with it. Its output and exit status go to standard\n"
     "                       error: lines cut at 4096 bytes, at most 100 lines or\n"
     "                       64 KiB a second, the rest dropped and counted\n"
     "  --http [ADDR:]PORT   serve the bench read-only over HTTP while recording\n"
     "                       (see serve): /metrics, /api/status, /events and\n"
     "                       the recorded files; sampling never waits for it\n"
     "\n"
     "Without --samples or --duration it records until Ctrl-C or SIGTERM; every\n"
     "line is complete in the file when the sample is taken. While the meter does\n"
     "not answer, no line is written. SIGHUP closes the file and opens it again by\n"
     "its name (after logrotate moved it). Started again on the same file, it\n"
     "appends after the last whole line and tells the gap. As a systemd service\n"
     "(tarnix-log@NAME reads /etc/tarnix/NAME.conf) its messages carry the\n"
     "journal's priorities.\n"
     "\n"
     "Conditions: tests joined by and (binding tighter) and or, no parentheses;\n"
     "every reading is judged as it comes. Quote a condition for the shell.\n"
     "  value < | <= | > | >= | = | != Q     value > 5V, value <= -20mA\n"
     "  value inside | outside LOW..HIGH     value outside 4.9V..5.1V (ends inside)\n"
     "  alarm = | != ok | over | under | none (none: no limits set)\n"
     "  function = | != DCV | ACV | DCA | ACA | RES | CAP | DIODE | FREQ | TEMP | HOLD\n"
     "  overload                             the display shows OL or -OL\n"
     "Q is a number and V, A, Ohm, F, Hz, degC or degF, with p, n, u, m, k, M or G\n"
     "before it if need be, compared in the base unit; a reading in another unit\n"
     "makes the test false. OL counts above every number, -OL below. A condition\n"
     "that cannot be read is refused with a line that points at the word. The\n"
     "status line says what the run waits for; a run whose --start-when never\n"
     "held ends with exit status 0.\n"
     "\n"
     "Summaries (--every): an interval is a span of real time from one round\n"
     "local time to the next, each midnight starting afresh. The day the clock\n"
     "skips 02:00..03:00 an hour's interval runs from 01:00+01:00 to 03:00+02:00;\n"
     "the hour shown twice makes two intervals, 02:00:00+02:00 and\n"
     "02:00:00+01:00, told apart by the offset in start. count is the readings,\n"
     "OL included; min, mean, max and last (the last reading's value) are in the\n"
     "base unit, empty (null in JSON) without a number; no_reading_s is the\n"
     "interval's seconds no reading stood for, a reading standing for the time\n"
     "to the next one, at most the shortest spacing seen. A line is written\n"
     "when its interval is over, the last one at the end of the run.\n",
     "  tarnix-log record --port /dev/ttyUSB0 --interval 5 bench.dat\n"
     "  tarnix-log record --simulate --samples 10 -\n"
     "  tarnix-log record --port /dev/ttyUSB0 --duration 3600 bench.csv\n"
     "  tarnix-log record --port /dev/ttyUSB0 --stop-when 'value < 3V' battery.csv\n"
     "  tarnix-log record --port /dev/ttyUSB0 --interval 1 --start-when \\\n"
     "      'value outside 4.9V..5.1V' --stop-when 'value inside 4.9V..5.1V' \\\n"
     "      --pre 30s --post 1m --repeat faults.dat\n"
     "  TARNIX_MQTT_PASSWORD=... tarnix-log record --port /dev/ttyUSB0 \\\n"
     "      --mqtt mqtt://lab@broker.local --topic lab/bench1 bench.csv\n"
     "  tarnix-log record --config /etc/tarnix/bench1.conf\n"
     "  tarnix-log record --port /dev/ttyUSB0 --mqtt mqtt://broker.local --topic lab/b1 \\\n"
     "      --ha-discovery --on-alarm 'notify-send \"$TARNIX_ALARM $TARNIX_DISPLAY\"' b1.jsonl\n"},
    {"logger",
     "       tarnix-log logger status --port DEVICE | --simulate[=short|long]\n"
     "       tarnix-log logger download --set N (--port DEVICE | --simulate[=MODEL]) FILE|-\n"
     "       tarnix-log logger set-clock --port DEVICE | --simulate[=short|long]\n",
     "logger: the meter's own logger, as the desktop program's LOGGER and TIME SET.\n"
     "  status      prints the logger's header, one \"Name: value\" a line, and one\n"
     "              line per record set\n"
     "  download    reads the meter's memory and writes the records of set N\n"
     "              (--set 1..5) as data-file lines to FILE (replaced whole), or\n"
     "              to standard output with -\n"
     "  set-clock   sets the logger's clock from the PC's\n"
     "They refuse while the logger records. On a terminal the progress shows on\n"
     "standard error.\n",
     "  tarnix-log logger status --port /dev/ttyUSB0\n"
     "  tarnix-log logger download --set 2 --port /dev/ttyUSB0 set2.dat\n"
     "  tarnix-log logger set-clock --port /dev/ttyUSB0\n"},
    {"convert",
     "       tarnix-log convert [--format csv] [--utc] [--from TIME] [--to TIME]\n"
     "                          IN.dat|FOLDER... OUT.csv|-\n"
     "       tarnix-log convert --every DURATION [--skip-empty] [--format csv|jsonl]\n"
     "                          [--utc] [--from TIME] [--to TIME]\n"
     "                          IN.dat|FOLDER... OUT|-\n",
     "convert: writes data files (recordings or downloaded logger sets) as the\n"
     "analysis CSV, to OUT (replaced whole) or standard output. Several files, or\n"
     "the .dat files of a FOLDER, make one CSV, in the order of their first\n"
     "record's time. Lines that are not records are skipped and counted on\n"
     "standard error; a file of lines with no record in it is refused, as is an\n"
     "analysis CSV (an empty file is an empty recording). --utc writes the times\n"
     "in UTC, ending in Z. A time in the hour the clock skipped for daylight\n"
     "saving time takes the offset before it (and is counted); in the hour shown\n"
     "twice, the first offset holds until the times go back.\n"
     "\n"
     "  --from TIME, --to TIME\n"
     "                       only the records from TIME on, and before TIME:\n"
     "                       ISO 8601 local time (2026-12-05T08:00, seconds and a\n"
     "                       date alone will do) or with an offset or Z. A\n"
     "                       recording whose times grow is read only where the\n"
     "                       slice is\n"
     "  --every DURATION     the summary lines record --every writes for the same\n"
     "                       samples, as CSV or, with --format jsonl, JSON lines\n"
     "  --skip-empty         no line for an interval without a reading\n",
     "  tarnix-log convert bench.dat bench.csv\n"
     "  tarnix-log convert set2.dat - | head\n"
     "  tarnix-log convert --from 2026-12-05T08:00 --to 2026-12-05T09:00 bench.dat hour.csv\n"
     "  tarnix-log convert /var/lib/tarnix/bench1/ month.csv\n"
     "  tarnix-log convert --every 1m /var/lib/tarnix/bench1/ year-minutes.csv\n"},
    {"stats",
     "       tarnix-log stats [--precise] [--per-file] [--from TIME] [--to TIME]\n"
     "                        FILE|FOLDER...\n",
     "stats: for data and CSV files read as one recording (in the order of their\n"
     "first reading's time; a FOLDER stands for its .dat and .csv files), and each\n"
     "function and range in it: the numeric readings, the overloads, min, max,\n"
     "mean, standard deviation, the first and last time, and the gaps longer than\n"
     "twice the sampling interval (the median spacing). The mean and the deviation\n"
     "show one place more than the meter's finest reading; --precise shows ten\n"
     "significant digits. --per-file adds a line for each file; --from and --to\n"
     "take a slice, as for convert.\n",
     "  tarnix-log stats bench.dat\n"
     "  tarnix-log stats --precise bench.dat\n"
     "  tarnix-log stats --per-file --from 2026-12-01 --to 2027-01-01 /var/lib/tarnix/bench1/\n"},
    {"serve", "       tarnix-log serve [--http [ADDR:]PORT] FILE|DIR...\n",
     "serve: serves recorded files (a folder stands for its .dat, .csv and .jsonl\n"
     "files) read-only over HTTP, with no meter; record --http serves the same\n"
     "while it records, its own files and the bench's live state. A recording\n"
     "written as CSV or JSON lines comes as written. GET and HEAD only:\n"
     "  /metrics             the bench in Prometheus' text format\n"
     "  /api/status          the last reading as MQTT's JSON, and the recorder's state\n"
     "  /events              each reading as a server-sent event\n"
     "  /api/files           the files as JSON: name, bytes, format, first and last time\n"
     "  /api/readings?from=TIME&to=TIME&format=csv|jsonl|dat[&file=NAME]\n"
     "                       the readings of a span: csv as convert writes it\n"
     "  /api/trend?from=TIME&to=TIME&columns=N[&file=NAME]\n"
     "                       min, max, first and last of each of N columns\n"
     "                       (1..4000, default 1000) of each series, as JSON\n"
     "\n"
     "  --http [ADDR:]PORT   where to listen: 127.0.0.1 unless ADDR is given\n"
     "                       (0.0.0.0 for every address, [::] for IPv6); serve's\n"
     "                       port is 8470 unless given. An address other than\n"
     "                       the loopback one wants a token, from\n"
     "                       TARNIX_HTTP_TOKEN or the systemd credential\n"
     "                       http-token; requests carry it as\n"
     "                       \"Authorization: Bearer TOKEN\" (or ?token=TOKEN)\n",
     "  tarnix-log serve /var/lib/tarnix/bench1/\n"
     "  TARNIX_HTTP_TOKEN=... tarnix-log serve --http 0.0.0.0:8470 bench.dat\n"},
    {"ports", "       tarnix-log ports\n",
     "ports: lists the serial devices, one a line, in the order of the desktop\n"
     "program's COM1..COM8, with tab-separated fields: COM name, device, its\n"
     "/dev/serial/by-id link (stable when adapters swap ttyUSB numbers; record\n"
     "and logger take it as their port), description, maker, serial number.\n"
     "Unknown fields are empty.\n",
     "  tarnix-log ports\n"},
};

const char ExitStatus[] = "Exit status: 0 done, 1 the port, the meter or the file failed, 2 a bad\n"
                          "command line.\n";

// "Usage: " in place of the first line's leading blanks.
QString usageLines(QString synopsis) {
    return synopsis.replace(0, 7, QStringLiteral("Usage: "));
}

} // namespace

QString logUsage() {
    QString synopsis, texts;
    for (const Topic& topic : Topics) {
        synopsis += QLatin1String(topic.synopsis);
        texts += u'\n' + QLatin1String(topic.text);
    }
    synopsis += QLatin1String("       tarnix-log --help | --version\n");
    return usageLines(synopsis) + texts +
           QStringLiteral("\nEach subcommand's own help, with examples: tarnix-log SUBCOMMAND "
                          "--help.\n") +
           QLatin1String(ExitStatus);
}

QString subcommandUsage(const QString& subcommand) {
    for (const Topic& topic : Topics)
        if (subcommand == QLatin1String(topic.name))
            return usageLines(QLatin1String(topic.synopsis)) + u'\n' +
                   QLatin1String(topic.text) + QStringLiteral("\nExamples:\n") +
                   QLatin1String(topic.examples) + u'\n' + QLatin1String(ExitStatus);
    return logUsage();
}

} // namespace tarnix::cli
