// The trend view of a recording: the min/max pyramid behind its repaints,
// and the ticks of its axes.
#include "files/MinMaxPyramid.h"
#include "files/TrendData.h"
#include "files/TrendSeries.h"
#include "files/TrendTicks.h"

#include <QRandomGenerator>
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
};

// Random readings, some no number, appended one by one: every entry of every
// level, and every span asked for, holds what a look at each reading gives.
void TestTrend::pyramidMatchesEveryReading() {
    QRandomGenerator random(33);
    for (const int size : {0, 1, 2, 7, 8, 17, 64, 1000, 4099}) {
        files::MinMaxPyramid pyramid;
        pyramid.reserve(size / 2);
        std::vector<float> values;
        for (int i = 0; i < size; ++i) {
            values.push_back(random.bounded(8) == 0 ? NAN : float(random.bounded(2000) - 1000) / 8);
            pyramid.append(values.back());
        }
        const auto brute = [&](qsizetype first, qsizetype last) {
            files::MinMax m;
            for (qsizetype i = std::max<qsizetype>(first, 0); i < std::min<qsizetype>(last, size); ++i)
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

// From a second to years: round local times, labelled as the step asks.
void TestTrend::timeTicks_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("labels");
    QTest::newRow("seconds") << "2026-12-05T10:00:00.5" << "2026-12-05T10:00:05.5" << 10
                             << "10:00:01 10:00:02 10:00:03 10:00:04 10:00:05";
    QTest::newRow("5 s") << "2026-12-05T10:00:00" << "2026-12-05T10:00:20" << 4
                         << "10:00:00 10:00:05 10:00:10 10:00:15 10:00:20";
    QTest::newRow("10 s") << "2026-12-05T10:00:00" << "2026-12-05T10:01:00" << 8
                          << "10:00:00 10:00:10 10:00:20 10:00:30 10:00:40 10:00:50 10:01:00";
    QTest::newRow("10 min") << "2026-12-05T10:05" << "2026-12-05T11:00" << 8
                            << "10:10 10:20 10:30 10:40 10:50 11:00";
    QTest::newRow("3 h") << "2026-12-05T00:00" << "2026-12-06T00:00" << 10
                         << "00:00 03:00 06:00 09:00 12:00 15:00 18:00 21:00 00:00";
    QTest::newRow("Mondays") << "2026-12-01T00:00" << "2026-12-31T00:00" << 6
                             << "2026-12-07 2026-12-14 2026-12-21 2026-12-28";
    QTest::newRow("quarters") << "2026-01-01T00:00" << "2027-01-01T00:00" << 6
                              << "2026-01 2026-04 2026-07 2026-10 2027-01";
    QTest::newRow("half years") << "2026-01-01T00:00" << "2028-01-01T00:00" << 5
                                << "2026-01 2026-07 2027-01 2027-07 2028-01";
    QTest::newRow("2 years") << "2020-03-01T00:00" << "2030-01-01T00:00" << 6
                             << "2022 2024 2026 2028 2030";
}

void TestTrend::timeTicks() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, most);
    QStringList labels;
    for (const files::TimeTick& tick :
         files::timeTicks(QDateTime::fromString(from, Qt::ISODateWithMs).toMSecsSinceEpoch(),
                          QDateTime::fromString(to, Qt::ISODateWithMs).toMSecsSinceEpoch(), most))
        labels << tick.label;
    QTEST(labels.join(u' '), "labels");
}

// 1, 2 or 5 times a power of ten, with the prefix of the larger end.
void TestTrend::valueTicks_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("labels");
    QTest::newRow("mV across 0") << -0.0125 << 0.0125 << 5 << "V" << "-10 mV|-5 mV|0 mV|5 mV|10 mV";
    QTest::newRow("kOhm") << 0.0 << 1500.0 << 4 << "Ohm" << "0.0 kOhm|0.5 kOhm|1.0 kOhm|1.5 kOhm";
    QTest::newRow("micro") << 0.0000005 << 0.000002 << 3 << "A"
                           << "0.5 \u00b5A|1.0 \u00b5A|1.5 \u00b5A|2.0 \u00b5A";
    QTest::newRow("MHz") << 1.0e6 << 3.0e6 << 2 << "Hz" << "1 MHz|2 MHz|3 MHz";
    QTest::newRow("one value") << 5.0 << 5.0 << 2 << "V" << "5.000 V|5.005 V";
}

void TestTrend::valueTicks() {
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, most);
    QFETCH(QString, unit);
    QStringList labels;
    for (const files::ValueTick& tick : files::valueTicks(from, to, most, unit))
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
    QTest::newRow("one line") << "1 2 3 4 5" << 100 << "5 | top 5";
    QTest::newRow("OL breaks, marked at the top") << "1 OL 3 -OL 4" << 100 << "1 1 1 | +1 -1 | top 4";
    QTest::newRow("a gap breaks") << "1 2 | 3 4" << 100 << "2 2 | top 4";
    QTest::newRow("a spike in a column") << "0x500 9 0x499" << 10 << "20 | top 9";
    QTest::newRow("a column of OL alone") << "1x100 OLx100 1x100" << 3 << "2 2 | +1 | top 1";
}

void TestTrend::drawnPaths() {
    QFETCH(QString, readings);
    QFETCH(int, width);
    files::TrendSeries series("DCV", "20V", "V", 0);
    qint64 second = 0;
    bool joined = true;
    for (const QString& word : readings.split(u' ')) {
        if (word == u"|") {
            joined = false;
            continue;
        }
        const QString value = word.section(u'x', 0, 0);
        for (int n = word.contains(u'x') ? word.section(u'x', 1).toInt() : 1; n > 0; --n) {
            const int overload = value == u"OL" ? 1 : value == u"-OL" ? -1 : 0;
            series.append(second * 1000, value.toFloat(), overload, second + 1, joined);
            ++second;
            joined = true;
        }
    }
    const files::TrendView view{0, (second - 1) * 1000, 0, 10, width, 100};
    const files::TrendPath path = files::trendPath(series, view);
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
    QCOMPARE(series.row(second - 1), second);
}

// A file read in two pieces, cut mid-line: a series per function and range,
// each reading joined only to its own series' last, and the line broken by
// the other series, by OL and by a stretch over twice the median spacing.
void TestTrend::fileGrowsIntoSeries() {
    const QByteArray text = "1,26/12/06,10:00:00.0,DCV,20V,1.00\r\n2,26/12/06,10:00:01.0,DCV,20V,1.10\r\n"
                            "3,26/12/06,10:00:02.0,RES,2KOhm,1.000\r\n4,26/12/06,10:00:03.0,DCV,20V,1.20\r\n"
                            "5,26/12/06,10:00:04.0,DCV,20V,OL\r\n6,26/12/06,10:00:05.0,DCV,20V,1.30\r\n"
                            "7,26/12/06,10:00:15.0,DCV,20V,1.40\r\nx,bad\r\n9,26/12/06,25:00:00.0,DCV,20V,1\r\n"
                            "8,26/12/06,10:00:16.0,DCV,20V,1.50";
    files::TrendData data;
    data.feed(text.left(100));
    QCOMPARE(data.records(), 2);
    data.feed(text.mid(100));
    data.finish();
    QCOMPARE(data.series().size(), std::size_t(2));
    const files::TrendSeries& dcv = data.series()[0];
    const files::TrendSeries& res = data.series()[1];
    QCOMPARE(dcv.function() + dcv.range() + dcv.unit() + res.unit(), "DCV20VVOhm");
    QCOMPARE(res.value(0), 1000.0f);
    QCOMPARE(dcv.row(6), 8); // the ninth record: one without a time came before
    QCOMPARE(data.gapMs(), 2000);
    QCOMPARE(data.skippedLines(), 2);
    const files::TrendPath path = files::trendPath(
        dcv, {*data.firstMs(), *data.lastMs(), 0, 2, 100, 100, data.gapMs()});
    QStringList pieces;
    for (const auto& piece : path.pieces)
        pieces << QString::number(piece.size());
    QCOMPARE(pieces.join(u' ') + QStringLiteral(" | %1").arg(path.overloads.size()), "2 1 1 2 | 1");
}

QTEST_GUILESS_MAIN(TestTrend)
#include "test_trend.moc"
