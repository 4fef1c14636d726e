// The trend view of a recording: the min/max pyramid behind its repaints,
// the ticks of its axes, its zoom, readout and measurement, and the reading
// of its files as they grow, in two halves at once or after a rewrite.
#include "core/FileCommands.h"
#include "core/TrendSource.h"
#include "support/DataRow.h"
#include "support/FileBytes.h"
#include "support/VirtualClock.h"
#include "trend/MinMaxPyramid.h"
#include "trend/TrendData.h"
#include "trend/TrendReadout.h"
#include "trend/TrendSeries.h"
#include "trend/TrendTicks.h"
#include "trend/TrendZoom.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace tarnix;

class TestTrend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "UTC"), tzset(); }
    void pyramidMatchesEveryReading();
    void timeTicks_data();
    void timeTicks();
    void valueTicks_data();
    void valueTicks();
    void drawnPaths_data();
    void drawnPaths();
    void fileGrowsIntoSeries();
    void partsReadAtOnceMatchOneRead();
    void zoomSteps_data();
    void zoomSteps();
    void readoutAndMeasure();
    void sourceFollowsItsFiles();
    void listSourceReadsItsRecords();
};

namespace {

// Every reading of every series, and what the data says of them all.
QString digest(const trend::TrendData& data) {
    QString text = QStringLiteral("%1 records, %2 skipped, gap %3:")
                       .arg(data.records())
                       .arg(data.skippedLines())
                       .arg(data.gapMs());
    for (const trend::TrendSeries& s : data.series()) {
        text += u'\n' + s.function() + u' ' + s.range() + u':';
        for (qsizetype i = 0; i < s.size(); ++i)
            text += QStringLiteral(" %1=%2%3%4@%5")
                        .arg(s.time(i))
                        .arg(s.value(i))
                        .arg(s.overload(i))
                        .arg(s.joined(i) ? "j" : "")
                        .arg(s.row(i));
    }
    return text;
}

// A drawn path's points and overload marks.
QString pathText(const trend::TrendPath& path) {
    QString text;
    for (const auto& piece : path.pieces) {
        for (const QPointF& p : piece)
            text += QStringLiteral("%1,%2 ").arg(p.x()).arg(p.y());
        text += u'|';
    }
    for (const auto& [x, sign] : path.overloads)
        text += QStringLiteral(" %1%2").arg(sign > 0 ? "OL@" : "-OL@").arg(x);
    return text;
}

const QByteArray Recording =
    "1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n2,26/12/06,10:00:01.0,DCV,20V,1.10\r\n"
    "3,26/12/06,10:00:02.0,RES,2KOhm,1.000\r\n4,26/12/06,10:00:03.0,DCV,20V,1.20\r\n"
    "5,26/12/06,10:00:04.0,DCV,20V,OL\r\nx,bad\r\n6,26/12/06,10:00:05.0,RES,2KOhm,1.5\r\n"
    "7,26/12/06,10:00:15.0,ACV,200V,-OL\r\n8,26/12/06,10:00:16.0,DCV,20V,1.50\r\n";

} // namespace

// Random readings, some no number, appended one by one: every entry of every
// level, and every span asked for, holds what a look at each reading gives.
void TestTrend::pyramidMatchesEveryReading() {
    QRandomGenerator random(33);
    for (const int size : {0, 1, 2, 7, 8, 17, 64, 1000, 4099}) {
        trend::MinMaxPyramid pyramid;
        std::vector<float> values;
        for (int i = 0; i < size; ++i) {
            values.push_back(random.bounded(8) == 0 ? NAN : float(random.bounded(2000) - 1000) / 8);
            pyramid.append(values.back());
        }
        const auto brute = [&](qsizetype first, qsizetype last) {
            trend::MinMax m;
            for (qsizetype i = std::max<qsizetype>(first, 0); i < std::min<qsizetype>(last, size);
                 ++i)
                if (!std::isnan(values[std::size_t(i)]))
                    m.add(values[std::size_t(i)]);
            return m;
        };
        for (int k = pyramid.FirstLevel; k <= pyramid.levels(); ++k) {
            QCOMPARE(qsizetype(pyramid.level(k).size()), qsizetype(size >> k));
            for (qsizetype i = 0; i < qsizetype(pyramid.level(k).size()); ++i)
                QVERIFY(pyramid.level(k)[std::size_t(i)] == brute(i << k, (i + 1) << k));
        }
        for (int n = 0; n < 300; ++n) {
            const qsizetype first = random.bounded(size + 2) - 1, last = random.bounded(size + 2);
            QVERIFY2(pyramid.range(first, last) == brute(first, last),
                     qPrintable(QStringLiteral("%1..%2 of %3").arg(first).arg(last).arg(size)));
        }
    }
}

// From a second to years: round local times, labelled as the step asks,
// the date before the first time of day and each new day's; in Berlin on
// the days the clocks go forward and back.
void TestTrend::timeTicks_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("labels");
    row("seconds", "2026-12-05T10:00:00.5", "2026-12-05T10:00:05.5", 10,
        "2026-12-05 10:00:01 10:00:02 10:00:03 10:00:04 10:00:05");
    row("5 s", "2026-12-05T10:00:00", "2026-12-05T10:00:20", 4,
        "2026-12-05 10:00:00 10:00:05 10:00:10 10:00:15 10:00:20");
    row("10 min", "2026-12-05T10:05", "2026-12-05T11:00", 8,
        "2026-12-05 10:10 10:20 10:30 10:40 10:50 11:00");
    row("hours over midnight: each day's date", "2026-12-05T23:00", "2026-12-06T01:00", 5,
        "2026-12-05 23:00 23:30 2026-12-06 00:00 00:30 01:00");
    row("3 h", "2026-12-05T00:00", "2026-12-06T00:00", 10,
        "2026-12-05 00:00 03:00 06:00 09:00 12:00 15:00 18:00 21:00 2026-12-06 00:00");
    row("Berlin, clocks forward: no 02:00", "Berlin 2026-03-28T22:00", "2026-03-29T06:00", 4,
        "2026-03-28 22:00 2026-03-29 00:00 04:00 06:00");
    row("Berlin, clocks back: round hours", "Berlin 2026-10-25T00:00", "2026-10-26T00:00", 5,
        "2026-10-25 00:00 06:00 12:00 18:00 2026-10-26 00:00");
    row("Berlin, the hour shown twice", "Berlin 2026-10-25T01:00", "2026-10-25T04:00", 4,
        "2026-10-25 01:00 02:00 CEST 02:00 CET 03:00 04:00");
    row("Berlin, inside its second pass", "Berlin 2026-10-25T01:20:00Z", "2026-10-25T01:40:00Z", 3,
        "2026-10-25 02:20 CET 02:30 CET 02:40 CET");
    row("2 days, from each month's first", "2026-11-26T00:00", "2026-12-06T00:00", 6,
        "2026-11-27 2026-11-29 2026-12-01 2026-12-03 2026-12-05");
    row("Mondays", "2026-12-01T00:00", "2026-12-31T00:00", 6,
        "2026-12-07 2026-12-14 2026-12-21 2026-12-28");
    row("months, from the middle of one", "2026-02-15T00:00", "2026-07-01T00:00", 6,
        "2026-03 2026-04 2026-05 2026-06 2026-07");
    row("quarters", "2026-01-01T00:00", "2027-01-01T00:00", 6,
        "2026-01 2026-04 2026-07 2026-10 2027-01");
    row("half years", "2026-01-01T00:00", "2028-01-01T00:00", 5,
        "2026-01 2026-07 2027-01 2027-07 2028-01");
    row("2 years", "2020-03-01T00:00", "2030-01-01T00:00", 6, "2022 2024 2026 2028 2030");
}

void TestTrend::timeTicks() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, most);
    const bool berlin = from.startsWith(u"Berlin ");
    qputenv("TZ", berlin ? "Europe/Berlin" : "UTC");
    tzset();
    const auto ms = [](const QString& text) {
        return QDateTime::fromString(text.section(u' ', -1), Qt::ISODateWithMs).toMSecsSinceEpoch();
    };
    QStringList labels;
    for (const trend::TimeTick& tick : trend::timeTicks(ms(from), ms(to), most))
        labels << (tick.day.isEmpty() ? tick.label : tick.day + u' ' + tick.label);
    qputenv("TZ", "UTC");
    tzset();
    QTEST(labels.join(u' '), "labels");
}

// 1, 2 or 5 times a power of ten, with the prefix of the larger end; three
// at least where there is room for them.
void TestTrend::valueTicks_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("labels");
    row("mV across 0", -0.0125, 0.0125, 5, "V", "-10 mV|-5 mV|0 mV|5 mV|10 mV");
    row("kOhm", 0.0, 1500.0, 4, "Ohm", "0.0 k\u03a9|0.5 k\u03a9|1.0 k\u03a9|1.5 k\u03a9");
    row("degrees, no prefix", -50.0, 1370.0, 3, "degC", "0 \u00b0C|500 \u00b0C|1000 \u00b0C");
    row("Fahrenheit", 2000.0, 2500.0, 2, "degF", "2000 \u00b0F|2500 \u00b0F");
    row("micro", 0.0000005, 0.000002, 3, "A", "0.5 \u00b5A|1.0 \u00b5A|1.5 \u00b5A|2.0 \u00b5A");
    row("MHz", 1.0e6, 3.0e6, 2, "Hz", "1 MHz|2 MHz|3 MHz");
    row("one value", 5.0, 5.0, 2, "V", "5.000 V|5.005 V");
    row("a narrow lane holds three", 6e-6, 94e-6, 3, "A", "25 \u00b5A|50 \u00b5A|75 \u00b5A");
    row("a tick below 0 keeps its sign", -1.2, 1.2, 3, "V", "-1 V|0 V|1 V");
    row("three at 0.25", 0.9, 1.6, 3, "V", "1.00 V|1.25 V|1.50 V");
    row("three are enough where four would fit", 0.0, 2.2, 4, "V", "0 V|1 V|2 V");
    row("only zeros", 0.0, 0.0, 2, "V", "0.0 V|0.5 V|1.0 V");
}

void TestTrend::valueTicks() {
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, most);
    QFETCH(QString, unit);
    QStringList labels;
    for (const trend::ValueTick& tick : trend::valueTicks(from, to, most, unit))
        labels << tick.label;
    QTEST(labels.join(u'|'), "labels");
}

// Readings a second apart ("|" breaks the line before the next, "xN" repeats
// a reading), drawn over their whole span: the pieces' point counts, the
// overload marks, and the highest point.
void TestTrend::drawnPaths_data() {
    QTest::addColumn<QString>("readings");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("drawn");
    row("one line", "1 2 3 4 5", 100, "5 | top 5");
    row("OL breaks, marked at the top", "1 OL 3 -OL 4", 100, "1 1 1 | +1 -1 | top 4");
    row("a gap breaks", "1 2 | 3 4", 100, "2 2 | top 4");
    row("Initial breaks, not marked", "1 Initial 3", 100, "1 1 | top 3");
    row("a spike in a column", "0x500 9 0x499", 10, "20 | top 9");
    row("a column of OL alone", "1x100 OLx100 1x100", 3, "2 2 | +1 | top 1");
    row("OL and -OL in a column: both marked", "1x100 OL -OL 1x100", 3, "6 | +1 -1 | top 1");
    row("columns without readings, joined", "1x10 +5 1x10", 10, "16 | top 1");
    row("cut at the top edge", "5 20 5", 100, "2 2 | top 10");
    row("cut at the bottom edge", "5 -20 5 -20", 100, "2 3 | top 5");
    row("falling less than a pixel", "5 4.95 4.9", 100, "3 | top 5");
    row("one value a pixel tall, above the bottom", "0.15x200", 2, "4 | top 0.15");
}

void TestTrend::drawnPaths() {
    QFETCH(QString, readings);
    QFETCH(int, width);
    trend::TrendSeries series("DCV", "20V", "V", 0);
    qint64 second = 0;
    bool joined = true;
    for (const QString& word : readings.split(u' ')) {
        if (word == u"|" || word.startsWith(u'+')) { // a break; seconds without a reading
            joined = word != u"|";
            second += word.mid(1).toInt();
            continue;
        }
        const QString value = word.section(u'x', 0, 0);
        for (int n = word.contains(u'x') ? word.section(u'x', 1).toInt() : 1; n > 0; --n) {
            const int overload = value == u"OL" ? 1 : value == u"-OL" ? -1 : 0;
            series.append(second * 1000, value == u"Initial" ? NAN : value.toFloat(), overload,
                          second + 1, joined);
            ++second;
            joined = true;
        }
    }
    const trend::TrendView view{0, (second - 1) * 1000, 0, 10, width, 100};
    const trend::TrendPath path = trend::trendPath(series, view);
    QStringList pieces, marks;
    double top = 100;
    for (const auto& piece : path.pieces) {
        pieces << QString::number(piece.size());
        for (const QPointF& p : piece)
            top = std::min(top, p.y());
    }
    for (const auto& [x, sign] : path.overloads)
        marks << (sign > 0 ? "+1" : "-1");
    QTEST(pieces.join(u' ') + (marks.isEmpty() ? "" : " | " + marks.join(u' ')) + " | top " +
              QString::number(10 - top / 10),
          "drawn");
    QCOMPARE(series.row(series.size() - 1), second);
}

// A file read in two pieces, cut mid-line: a series per function and range,
// each reading joined only to its own series' last, and the line broken by
// the other series, by OL and by a stretch over twice the median spacing.
// Its status counts the records and skipped lines as convert does.
void TestTrend::fileGrowsIntoSeries() {
    const QByteArray text =
        "1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n2,26/12/06,10:00:01.0,DCV,20V,1.10\r\n"
        "3,26/12/06,10:00:02.0,RES,2KOhm,1.000\r\n4,26/12/06,10:00:03.0,DCV,20V,1.20\r\n"
        "5,26/12/06,10:00:04.0,DCV,20V,OL\r\n6,26/12/06,10:00:05.0,DCV,20V,1.30\r\n"
        "7,26/12/06,10:00:15.0,DCV,20V,1.40\r\nx,bad\r\n9,26/12/06,25:00:00.0,DCV,20V,1\r\n"
        "9,26/12/06,10:00:0;.0,DCV,20V,1\r\n"
        "8,26/12/06,10:00:16.0,DCV,20V,1.50";
    trend::TrendData data;
    data.feed(text.left(100));
    QCOMPARE(data.records(), 2);
    data.feed(text.mid(100));
    data.finish();
    QCOMPARE(data.series().size(), std::size_t(2));
    const trend::TrendSeries& dcv = data.series()[0];
    const trend::TrendSeries& res = data.series()[1];
    QCOMPARE(dcv.function() + dcv.range() + dcv.unit() + res.unit(), "DCV20VVOhm");
    QCOMPARE(res.value(0), 1000.0f);
    // One value alone is fitted with a twentieth of it either way, not a lane of no height.
    QCOMPARE(trend::fitValues(res, *data.firstMs(), *data.lastMs()), (trend::ValueSpan{950, 1050}));
    QCOMPARE(dcv.row(6), 9); // the tenth record: two without a time came before
    QCOMPARE(data.gapMs(), 2000);
    QCOMPARE(data.skippedLines(), 3); // with the line that is no record
    // The records convert writes of it, and the lines it says it skipped.
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("in.dat"), text));
    QByteArray csv;
    QString said;
    QCOMPARE(core::runConvert({{dir.filePath("in.dat")}, "-", false, {}},
                              {[&](QByteArrayView bytes) { return csv += bytes, true; },
                               [&](const QString& message) { said += message; }}),
             0);
    QVERIFY2(said.contains(": 3 lines were not a record"), qPrintable(said));
    QCOMPARE(trend::statusText(data),
             QStringLiteral("%1 records, 2 series; 3 lines skipped").arg(csv.count('\n') - 1));
    trend::TrendData oneSkipped; // said as one line
    oneSkipped.feed("x,bad\r\n1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n");
    oneSkipped.finish();
    QCOMPARE(trend::statusText(oneSkipped), "1 records, 1 series; 1 line skipped");
    const trend::TrendPath path =
        trend::trendPath(dcv, {*data.firstMs(), *data.lastMs(), 0, 2, 100, 100, data.gapMs()});
    QStringList pieces;
    for (const auto& piece : path.pieces)
        pieces << QString::number(piece.size());
    QCOMPARE(pieces.join(u' ') + QStringLiteral(" | %1").arg(path.overloads.size()), "2 1 1 2 | 1");
    // A file that starts with its latest reading knows no spacing: no gap breaks its lines.
    trend::TrendData later;
    later.feed("1,26/12/06,12:00:00.0,DCV,20V,1\r\n2,26/12/06,10:00:00.0,ACV,20V,1\r\n"
               "3,26/12/06,10:00:02.0,ACV,20V,1\r\n");
    QCOMPARE(later.gapMs(), 0);
}

// A file read in two parts, each on its own (as two threads do), then put
// together, holds what one read of it holds, wherever a line splits it.
void TestTrend::partsReadAtOnceMatchOneRead() {
    trend::TrendData whole;
    whole.feed(Recording);
    // A meter's clock reset to 2000, then set: 27 years in 0.1 s counts.
    trend::TrendData reset;
    reset.feed("1,00/01/01,00:00:00.0,DCV,20V,1\r\n2,00/01/01,00:00:01.0,DCV,20V,2\r\n"
               "3,26/12/06,10:00:00.0,DCV,20V,3\r\n4,26/12/06,10:00:01.0,DCV,20V,4\r\n");
    const trend::TrendSeries& set = reset.series()[0];
    QCOMPARE(set.time(2) - set.time(1), 1796551200000 - 946684801000); // the count's new start
    QCOMPARE(set.time(3) - set.time(2), 1000);
    QCOMPARE(set.firstAtOrAfter(946684800500) * 10 + set.firstAtOrAfter(1796551200500), 13);
    for (qsizetype split = 0; split < Recording.size(); ++split) {
        if (split > 0 && Recording[split - 1] != '\n')
            continue;
        trend::TrendData earlier, later;
        earlier.feed(Recording.left(split));
        later.feed(Recording.mid(split));
        later.follow(std::move(earlier), split);
        QCOMPARE(digest(later), digest(whole));
        // Drawn zoomed out (pixel columns of several readings) and in: the same.
        for (std::size_t i = 0; i < whole.series().size(); ++i)
            for (const int width : {3, 100}) {
                const trend::TrendView view{*whole.firstMs(), *whole.lastMs(), 0, 2, width, 100, 0};
                QCOMPARE(pathText(trend::trendPath(later.series()[i], view)),
                         pathText(trend::trendPath(whole.series()[i], view)));
            }
        // Read on from where a row's line is said to start, the records left are the same.
        for (qint64 row = 0; row < whole.records(); ++row) {
            const auto [byte, startRow] = later.lineBefore(row);
            trend::TrendData rest;
            rest.feed(Recording.mid(byte));
            QVERIFY(startRow <= row && rest.records() == whole.records() - startRow);
        }
    }
}

// A span from 0 to 100 s, zoomed and panned: what the frame shows after,
// and the measurement kept with it.
void TestTrend::zoomSteps_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("shown");
    row("all at first", "", "0..100");
    row("in around the middle", "in .5 .5", "25..75");
    row("in around the left edge", "in 0 .5", "0..50");
    row("undo", "in .5 .5, in 0 .5, undo", "25..75");
    row("no nearer than a second", "in .5 .00001", "49.5..50.5");
    row("no further than ten times all", "in .5 1000", "-450..550");
    row("pan", "in 1 .5, pan .1", "55..105");
    row("box with values", "box 20 30 1 2", "20..30 v 1..2");
    row("box upside down", "box 30 20 2 1", "20..30 v 1..2");
    row("home clears values", "box 20 30 1 2, home", "0..100");
    row("home is undone", "in .5 .5, home, undo", "25..75");
    row("values panned", "values 0 10 .5", "0..100 v 5..15");
    row("growth shown whole", "grow 110", "0..110");
    row("growth followed at the end", "in 1 .5, grow 110", "60..110");
    row("growth left alone inside", "in 0 .5, grow 110", "0..50");
    row("panned past the end: as wide as it was", "in 1 .5, pan .2, grow 110, grow 120",
        "60..110 then 70..120");
    row("a measurement stays through a pan", "measure 20 30, pan .5", "50..150 m 20..30");
    row("Home drops the measurement", "in .5 .5, measure 40 45, home", "0..100");
    row("a zoom elsewhere drops it", "measure 20 30, in 1 .5", "50..100");
    row("a zoom that shows it keeps it", "measure 20 30, in 0 .5", "0..50 m 20..30");
}

void TestTrend::zoomSteps() {
    QFETCH(QString, steps);
    trend::TrendZoom zoom;
    zoom.setExtent(0, 100000);
    QString grown; // the frame after each growth
    for (const QString& step : steps.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList w = step.split(u' ');
        const auto n = [&](int i) { return w[i].toDouble(); };
        if (w[0] == u"in")
            zoom.zoomAt(n(1), n(2));
        else if (w[0] == u"pan")
            zoom.pan(n(1));
        else if (w[0] == u"box")
            zoom.zoomTo(qint64(n(1) * 1000), qint64(n(2) * 1000),
                        std::pair(std::size_t(0), trend::ValueSpan{n(3), n(4)}));
        else if (w[0] == u"values")
            zoom.panValues(0, {n(1), n(2)}, n(3));
        else if (w[0] == u"home")
            zoom.home();
        else if (w[0] == u"undo")
            QVERIFY(zoom.undo());
        else if (w[0] == u"measure")
            zoom.measure(trend::TrendPick{0, 0, qint64(n(1) * 1000)},
                         trend::TrendPick{0, 1, qint64(n(2) * 1000)});
        else if (w[0] == u"grow" && !grown.isEmpty())
            grown += QStringLiteral(" then ");
        if (w[0] == u"grow") {
            zoom.setExtent(0, qint64(n(1) * 1000));
            grown += QStringLiteral("%1..%2")
                         .arg(double(zoom.frame().fromMs) / 1000)
                         .arg(double(zoom.frame().toMs) / 1000);
        }
    }
    QString shown = steps.contains(u"grow ") ? grown
                                             : QStringLiteral("%1..%2")
                                                   .arg(double(zoom.frame().fromMs) / 1000)
                                                   .arg(double(zoom.frame().toMs) / 1000);
    if (const auto v = zoom.values(0))
        shown += QStringLiteral(" v %1..%2").arg(v->bottom).arg(v->top);
    if (zoom.first() && zoom.second())
        shown += QStringLiteral(" m %1..%2").arg(zoom.first()->ms / 1000).arg(zoom.second()->ms / 1000);
    QTEST(shown, "shown");
}

// Readings at 0 ... 4 s of 1, 2, OL, 4 and 5 V: the nearest to a time, and
// what lies between two of them.
void TestTrend::readoutAndMeasure() {
    trend::TrendSeries s("DCV", "20V", "V", 1796637600000);
    for (const auto& [v, o] : {std::pair(1.0f, 0), {2.0f, 0}, {NAN, 1}, {4.0f, 0}, {5.0f, 0}})
        s.append(1796637600000 + 1000 * s.size(), v, o, 10 + s.size(), true);
    QStringList nearest;
    for (const qint64 at : {-5000, 1400, 1500, 1600, 99000})
        nearest << QString::number(trend::nearestReading(s, 1796637600000 + at));
    QCOMPARE(nearest.join(u' '), "0 1 1 2 4");
    QCOMPARE(trend::measureText(trend::measureBetween(s, 4, 0), s.unit()),
             "\u0394t -4 s  \u0394 -4.000 V  mean 3.000 V  min 1.000 V  max 5.000 V  "
             "(4 readings)");
    QCOMPARE(trend::measureText(trend::measureBetween(s, 1, 2), s.unit()),
             "\u0394t 1 s  mean 2.000 V  min 2.000 V  max 2.000 V  (1 readings)");
    QCOMPARE(trend::readoutText(s, 3, "4.00", "14"),
             "2026-12-07 10:00:03.0  4.000 V  DCV 20V \"4.00\"  record 14");
    // Floats' last digits are rounded away: a 10 µV step between two readings.
    QCOMPARE(trend::siValue(double(-8.96e-3f) - double(-8.95e-3f), "V"), "-10.00 \u00b5V");
    QCOMPARE(trend::siValue(0, "V"), "0.000 V");
    QCOMPARE(trend::siValue(9.99999e-6, "V"), "10.00 \u00b5V"); // rounded up past a digit
    // Spans as the two largest units.
    QStringList spans;
    for (const qint64 ms : {1500LL, 120'000LL, 7'260'000LL, 90'000'000LL}) {
        trend::TrendMeasure measure;
        measure.spanMs = ms;
        spans << trend::measureText(measure, "V").section(QStringLiteral("  "), 0, 0);
    }
    QCOMPARE(spans.join(u'|'), "\u0394t 1.5 s|\u0394t 2 min 0 s|\u0394t 2 h 1 min|\u0394t 1 d 1 h");
    QCOMPARE(trend::siValue(1370, "degC") + trend::siValue(10500, "Ohm"), "1370 \u00b0C10.50 k\u03a9");
    QCOMPARE(trend::readoutText(s, 2, "OL", "13").section(QStringLiteral("  "), 1, 1), "OL");
}

// Two files read as one and each followed: a line waits for its end,
// a rewrite is noticed and read again, and a record's fields are found in
// the file that holds it. A file large enough is read in two halves at
// once, and holds what one read gives.
void TestTrend::sourceFollowsItsFiles() {
    {
        // A file cut short while it is read: what is there is read, no failure.
        QTemporaryDir cutDir;
        const QString path = cutDir.filePath("cut.dat");
        const QByteArray lines =
            QByteArray("1,26/12/06,10:00:00.0,DCV,20V,1.5\r\n").repeated(100000);
        QVERIFY(writeFile(path, lines));
        const platform::VirtualClock clock;
        core::TrendSource cut({path}, clock);
        QString error;
        QVERIFY2(cut.load(&error, [&](int) { return QFile::resize(path, 1 << 19); }), qPrintable(error));
        QVERIFY(cut.data().records() > 0 && cut.data().records() < lines.count('\n'));
        // Rows that are not there have no fields.
        QVERIFY(!cut.recordFields(-1) && !cut.recordFields(cut.data().records()));
    }
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes, bool append = false) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(append ? QIODevice::Append : QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    };
    write("a.dat", Recording.left(70)); // two records, the last without its line end
    write("b.dat", "9,26/12/06,10:00:20.0,DCV,20V,1.6\r\n10,26/12/06,10:00:21.0,DCV,20V,1.7");
    // The files left alone from the clock's start on, until it moves.
    platform::VirtualClock clock(QFileInfo(dir.filePath("b.dat")).lastModified());
    core::TrendSource source({dir.filePath("a.dat"), dir.filePath("b.dat")}, clock);
    QString error;
    QVERIFY(source.load(&error));
    QCOMPARE(source.data().records(), 3); // the last line has no end yet
    QCOMPARE(source.recordFields(1)->at(5), "1.10");
    QCOMPARE(source.recordFields(2)->at(0), "9");
    // One in the first file is found with the second gone.
    QVERIFY(QFile::rename(dir.filePath("b.dat"), dir.filePath("b.old")));
    QCOMPARE(source.recordFields(1).value_or(std::vector<QByteArray>(6)).at(5), "1.10");
    QVERIFY(QFile::rename(dir.filePath("b.old"), dir.filePath("b.dat")));
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::None);
    write("b.dat", "\n", true); // the line end alone
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Grew);
    QCOMPARE(source.recordFields(3)->at(5), "1.7");
    QCOMPARE(source.data().series()[0].value(3), 1.7f);
    write("b.dat", QByteArray("11,26/12/06,10:00:30.0,DCV,20V,2.0\r\n").repeated(3)); // longer
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Rewritten);
    QCOMPARE(source.data().records(), 5);
    write("b.dat", "");
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Rewritten);
    QCOMPARE(source.data().records(), 2);
    // Empty when read, then grown: its records are found in it.
    write("b.dat", "12,26/12/06,10:00:40.0,DCV,20V,2.4\r\n");
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Grew);
    QCOMPARE(source.recordFields(2)->at(0), "12");
    // A read that fails part way is read again whole, not read on from.
    QVERIFY(QFile::rename(dir.filePath("a.dat"), dir.filePath("a.old")));
    write("b.dat", "");
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Failed);
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Failed);
    QVERIFY(QFile::rename(dir.filePath("a.old"), dir.filePath("a.dat")));
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Rewritten);
    QCOMPARE(source.data().records(), 2);
    // A last line left without its end is taken as ended once the file is left alone.
    write("b.dat", "13,26/12/06,10:00:50.0,DCV,20V,2.5");
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::None);
    clock.advance(60);
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Grew);
    QCOMPARE(source.data().series()[0].value(2), 2.5f);
    write("b.dat", "0\r\n", true); // it went on after all
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::Rewritten);
    QCOMPARE(source.data().series()[0].value(2), 2.5f);

    // A record of the second file, from where the 256th record starts in it.
    QByteArray lines;
    for (int i = 1; i <= 300; ++i) {
        lines += QByteArray::number(i) + ",26/12/06," +
                 QTime(9, 0).addSecs(i).toString(u"HH:mm:ss").toLatin1() + ".0,DCV,20V,1\r\n";
        if (i == 200)
            write("m.dat", std::exchange(lines, {}));
    }
    write("n.dat", lines);
    core::TrendSource two({dir.filePath("m.dat"), dir.filePath("n.dat")}, clock);
    QVERIFY(two.load(&error));
    QCOMPARE(two.recordFields(259)->at(0), "260");
    // From the line kept for the 257th, in the second file: found with the first gone.
    QVERIFY(QFile::rename(dir.filePath("m.dat"), dir.filePath("m.old")));
    QCOMPARE(two.recordFields(256).value_or(std::vector<QByteArray>(6)).at(0), "257");
    QVERIFY(QFile::rename(dir.filePath("m.old"), dir.filePath("m.dat")));
    // The first file grows too: all read again, its new record before the second's.
    write("m.dat", "201,26/12/06,09:03:20.5,DCV,20V,2\r\n", true);
    QCOMPARE(two.readMore(&error), core::TrendSource::Growth::Reread);
    QCOMPARE(two.data().records(), 301);
    QCOMPARE(two.recordFields(200)->at(2), "09:03:20.5");

    // One second apart, the middle line at 02:30 in the second pass of the
    // hour Berlin shows twice (2026-10-25).
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const auto recording = [](qint64 start) {
        QByteArray bytes;
        for (int i = 0; i < 240000; ++i)
            bytes += QStringLiteral("%1,%2,%3\r\n")
                         .arg(i + 1)
                         .arg(QDateTime::fromMSecsSinceEpoch(start + i * 1000LL)
                                  .toString(QStringLiteral("yy/MM/dd,HH:mm:ss.0")),
                              i % 5      ? "DCV,20V,1.25"
                              : i % 1000 ? "RES,2KOhm,OL"
                                         : "ACV,200V,230.1")
                         .toLatin1();
        return bytes;
    };
    QByteArray big = recording(0);
    const qint64 middle = big.left(big.size() / 2).count('\n');
    big = recording(QDateTime::fromString("2026-10-25T01:30:00Z", Qt::ISODate).toMSecsSinceEpoch() -
                    middle * 1000);
    write("big.dat", big);
    core::TrendSource whole({dir.filePath("big.dat")}, clock);
    QVERIFY(whole.load(&error));
    trend::TrendData one;
    one.feed(big);
    QCOMPARE(digest(whole.data()), digest(one));
    // Moved a day on, it is read in two halves at once, to the same.
    write("big.dat", big.replace("26/10/2", "26/11/0"));
    core::TrendSource halves({dir.filePath("big.dat")}, clock);
    QVERIFY(halves.load(&error));
    trend::TrendData again;
    again.feed(big);
    QCOMPARE(digest(halves.data()), digest(again));
    // Followed as it grows, read on from its end alone: as a fresh read of it.
    const QByteArray more = "240001,26/12/24,10:00:00.0,DCV,20V,1.5\r\n"
                            "240002,26/12/24,10:00:01.0,RES,2KOhm,OL\r\n";
    write("big.dat", more, true);
    QCOMPARE(halves.readMore(&error), core::TrendSource::Growth::Grew);
    trend::TrendData grown;
    grown.feed(big + more);
    QCOMPARE(digest(halves.data()), digest(grown));
    qputenv("TZ", "UTC");
    tzset();
    const trend::TrendSeries& acv = halves.data().series()[0]; // first, then one in a thousand
    QCOMPARE(halves.recordFields(acv.row(acv.size() - 1))->at(3), "ACV");
    const qint64 row = halves.data().records() - 3;
    QCOMPARE(halves.recordFields(row)->at(0), QByteArray::number(row + 1));
}

// A list's records read where they are kept, as a data file of them reads:
// the same series, the readout's fields from the list as it was, nothing to
// follow, and the CSV that convert writes of the file, whole or sliced.
void TestTrend::listSourceReadsItsRecords() {
    records::RecordStore list;
    records::RecordReader reader([&](QByteArrayView, const records::LineFields* fields) {
        QVERIFY(!fields || list.append(*fields));
    });
    reader.feed(Recording);
    platform::VirtualClock clock;
    core::TrendSource source(list, clock);
    list.clear(); // the list goes on; the trend keeps what it was opened on
    QString error;
    QVERIFY(source.load(&error));
    trend::TrendData file;
    file.feed(QByteArray(Recording).replace("x,bad\r\n", ""));
    QCOMPARE(digest(source.data()), digest(file));
    QCOMPARE(source.readMore(&error), core::TrendSource::Growth::None);
    QCOMPARE(*source.recordFields(5),
             (std::vector<QByteArray>{"6", "26/12/06", "10:00:05.0", "RES", "2KOhm", "1.5"}));
    QVERIFY(!source.recordFields(8));

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("in.dat"), Recording));
    for (const analysis::TimeSlice slice : {analysis::TimeSlice{}, {1796551202000, 1796551205000}}) {
        QByteArray ofList, ofFile;
        QStringList said; // of the list's records, whose bad lines stayed behind in the file
        const auto into = [&said](QByteArray& out) {
            return core::FileCommandOutput{[&out](QByteArrayView bytes) { return out += bytes, true; },
                                           [&said](const QString& text) { said << text; }};
        };
        const core::ConvertOptions options{{dir.filePath("in.dat")}, "-", false, slice};
        QCOMPARE(core::runConvert(*source.records(), "list", options, into(ofList)), 0);
        QCOMPARE(said, QStringList());
        QCOMPARE(core::runConvert(options, into(ofFile)), 0);
        QCOMPARE(ofList, ofFile);
        QCOMPARE(ofList.count('\n'), slice.whole() ? 9 : 4);
    }
}

QTEST_GUILESS_MAIN(TestTrend)
#include "test_trend.moc"
