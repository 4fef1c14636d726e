// The live views' pure parts: the digital view's layout, the analog dial and
// its needle, and the strip charts' choice, overload values and series.
#include "meter/FunctionRange.h"
#include "meter/LeadingNumber.h"
#include "ui/platform/WindowPlacement.h"
#include "ui/views/ChartChoice.h"
#include "ui/views/DialGeometry.h"
#include "ui/views/DigitalLayout.h"

#include <QtTest>
#include <cmath>
#include <numbers>

using namespace tarnix::ui;
using tarnix::meter::leadingNumber;
using tarnix::meter::shownOf;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(DialDrawing)

#define COMPARE_NEAR(actual, expected, tolerance)                                                  \
    QVERIFY2(std::abs(double(actual) - double(expected)) <= (tolerance),                           \
             qPrintable(#actual u" = "_s + QString::number(double(actual), 'g', 10)))

const auto degreesOf = [](QPointF p) { return std::atan2(p.y(), p.x()) * 180 / std::numbers::pi; };

class TestViewGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitalResize();
    void dialShape();
    void scaleNumberPlaces_data();
    void scaleNumberPlaces();
    void needleFollowsTheValue();
    void chartOverloads();
    void chartSeriesAndLayout();
    void freeSpots();
};

void TestViewGeometry::digitalResize() {
    // Too narrow: back to the smallest window even when nothing moved (test_live_views sees
    // its size); a window as seen last time is left alone.
    QVERIFY(digitalLayout(QSizeF(1739, 2000), QSizeF(1739, 2000)));
    QVERIFY(!digitalLayout(QSizeF(2400, 1530), QSizeF(2400, 1530)));
    // Wider windows keep their width, whatever height the user dragged to; the text always
    // fits its label.
    for (double w = 1740; w <= 5000; w += 5) {
        const auto l = digitalLayout(QSizeF(w, w / 3), {});
        QVERIFY(l);
        QCOMPARE(l->window, digitalLayout(QSizeF(w, 3 * w), {}).value().window);
        QCOMPARE(l->window.width(), w);
        QVERIFY(QRectF(QPointF(), l->window).contains(l->value));
        QVERIFY2(l->valueFontPoints * 20 <= l->value.height(), qPrintable(QString::number(w)));
    }
}

void TestViewGeometry::dialShape() {
    // Both drawings give the same dial at the window's first and smallest sizes.
    const DialScale load = dialScale(QSizeF(4575, 2895), DialDrawing::Load);
    const DialScale small = dialScale(DialSmallestWindow, DialDrawing::Redraw);
    COMPARE_NEAR(load.width, small.width, 1e-9);
    COMPARE_NEAR(load.height, small.height, 1e-9);
    const DialScale twice = dialScale(DialSmallestWindow * 2, DialDrawing::Redraw);
    COMPARE_NEAR(twice.radius, 2 * small.radius, 1e-9);
    // The dial spans the width, its pivot a little below the bottom edge.
    QVERIFY(small.right - small.left == small.width && small.top - small.bottom == small.height);
    QVERIFY(small.bottom > 0 && small.bottom < 0.5 * small.height);
    // A resized window never gets narrower than the smallest (test_live_views sees its shape).
    QCOMPARE(dialWindowAfterResize(QSizeF(4000, 3000)), DialSmallestWindow);

    // The families, then how many ticks each draws, evenly spread.
    QCOMPARE(dialFamily(u"ACV", u"200'C"), DialFamily::Celsius200); // the range decides first
    QCOMPARE(dialFamily(u"TEMP", u"2000'F"), DialFamily::WideTemperature);
    for (const char16_t* oneSided : {u"ACV", u"ACA", u"RES", u"CAP"}) // never below zero
        QCOMPARE(dialFamily(oneSided, u"20A"), DialFamily::OneSided);
    QCOMPARE(dialFamily(u"TEMP", u"300'C"), DialFamily::CentreZero);
    using F = DialFamily;
    const std::pair<F, int> counts[] = {{F::WideTemperature, 42}, {F::Celsius200, 51},
                                        {F::Fahrenheit200, 55}, {F::OneSided, 41},
                                        {F::CentreZero, 41}};
    const double R = 1000;
    for (const auto& [family, count] : counts) {
        const auto ticks = dialTicks(family, R);
        QCOMPARE(int(ticks.size()), count);
        const double step = degreesOf(ticks[1].inner) - degreesOf(ticks[0].inner);
        QVERIFY(step > 0);
        for (std::size_t i = 0; i < ticks.size(); ++i)
            COMPARE_NEAR(degreesOf(ticks[i].inner) - degreesOf(ticks[0].inner), i * step, 1e-9);
    }
}

void TestViewGeometry::scaleNumberPlaces_data() {
    QTest::addColumn<QString>("range");
    QTest::addColumn<DialDrawing>("drawing");
    QTest::addColumn<QString>("texts");
    const auto L = DialDrawing::Load, D = DialDrawing::Redraw;
    QTest::newRow("DCV 200mV") << "200mV" << L << "0| 100|-100| 200|-200";
    QTest::newRow("ACV 2V halves") << "2V" << L << " 1| 1.5| 0.5| 2|0";
    QTest::newRow("1370'C") << "1370'C" << L << " 685| 1027.5| 342.5| 1370|0|-50";
    QTest::newRow("2000'F on load") << "2000'F" << L << " 1000| 1500| 500| 2000|0|-58";
    QTest::newRow("2000'F redrawn") << "2000'F" << D << " 1000| 1500| 500| 2000|0|-60";
    QTest::newRow("200'C redrawn") << "200'C" << D << " 100| 150| 50| 200|0|-50";
    QTest::newRow("no number in the range") << "" << L << "0| 0| 0| 0| 0";
}

void TestViewGeometry::scaleNumberPlaces() {
    QFETCH(QString, range);
    QFETCH(DialDrawing, drawing);
    const QString function = range == u"2V" ? "ACV" : range.contains(u'\'') ? "TEMP" : "DCV";
    const double R = 1000, line = 200;
    const auto numbers =
        scaleNumbers(dialFamily(function, range), range, leadingNumber(range), R, drawing);
    const auto width = [](const QString& text) { return 10.0 * text.size(); };
    const auto placed = placeScaleNumbers(numbers, drawing, width, line);
    QStringList shown;
    for (const auto& p : placed)
        shown << p.text;
    QTEST(shown.join(u'|'), "texts");
    // The first number stands straight above the pivot; a next-line one mirrors the one before.
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        QCOMPARE(numbers[i].topCentre, i == 0);
        if (numbers[i].nextLine)
            COMPARE_NEAR(numbers[i].anchor.x(), -numbers[i - 1].anchor.x(), 1e-9);
    }
}

// Over every range the meter sends under a dial function, the needle turns right as the
// value grows, stops at the overloads' ends and reaches the top of the scale at the range.
void TestViewGeometry::needleFollowsTheValue() {
    const auto needle = [](QStringView f, QStringView r, QStringView v) {
        return needleAngle(
            tarnix::meter::measurementFromTexts(f.toString(), r.toString(), v.toString()));
    };
    for (const auto& e : tarnix::meter::functionRangeTable()) {
        const QString function = e.function, range = e.range;
        if (!hasDial(function))
            continue;
        const double r = leadingNumber(range);
        const double right = needle(function, range, u"OL");
        const double left = needle(function, range, u"-OL");
        QVERIFY2(right < left, qPrintable(range));
        double before = left;
        for (int k = -60; k <= 60; ++k) {
            const double a = needle(function, range, QString::number(k * r / 40));
            QVERIFY2(a <= before && a >= right, qPrintable(range + u' ' + QString::number(k)));
            before = a;
        }
        QCOMPARE(needle(function, range, QString::number(-1.5 * r)), left);
        QCOMPARE(needle(function, range, QString::number(1.5 * r)), right);
        if (range != u"200'C" && range != u"200'F")
            QVERIFY2(std::abs(needle(function, range, range) - 36) <= 1, qPrintable(range));
    }
    COMPARE_NEAR(needle(u"DCV", u"200mV", u"0.00"), 90, 1e-9); // centre zero points up
    COMPARE_NEAR(needle(u"DCV", u"2V", u"Initial"), 90, 1e-9);
    COMPARE_NEAR(needle(u"ACV", u"2V", u"0.000"), 145, 1e-9); // one-sided: 0 at the left
    COMPARE_NEAR(needle(u"TEMP", u"200'C", u"-50"), 135, 1e-9);
    COMPARE_NEAR(needle(u"DCV", u"", u"1.5"), 90, 1e-9); // no full scale: rests at zero

    // At a sample tick for a dial drawn for DCV 200mV, closing comes first, then a new reading
    // (test_live_views sees the needle move, the redraw and a change of range on their own).
    const auto step = [](auto function, auto range, bool resized) {
        return dialTickStep(function, range, u"DCV", u"200mV", resized);
    };
    QCOMPARE(step(u"DCV", u"2V", true), DialTickStep::Rebuild);
    QCOMPARE(step(u"ACV", u"200mV", false), DialTickStep::Rebuild);
    QCOMPARE(step(u"DIODE", u"1V", true), DialTickStep::Close);
}

// Every range the meter sends gets a chart unless it is a frequency, a diode test or a
// hold. OL plots at the range's full scale, -OL at its negative for voltages, at 0 where
// the reading cannot go negative and at the scale's foot for temperatures.
void TestViewGeometry::chartOverloads() {
    for (const auto& e : tarnix::meter::functionRangeTable()) {
        const QString function = e.function, range = e.range;
        const auto c = chartChoice(function, range);
        const bool none = function == u"FREQ" || function == u"DIODE" || function == u"HOLD";
        QVERIFY2(c.has_value() != none, qPrintable(function + u' ' + range));
        if (!c)
            continue;
        QCOMPARE(c->chartMax, int(leadingNumber(range)));
    }
    QCOMPARE(chartChoice(u"TEMP", u"200'C").value().window, QLatin1String("mV200"));
    QVERIFY(!chartChoice(u"TEMP", u"200'C")->labelled && chartChoice(u"DCV", u"2V")->labelled);
    QCOMPARE(chartChoice(u"TEMP", u"200'F").value().chartMin, -60);
    QCOMPARE(chartChoice(u"TEMP", u"1370'C").value().chartMin, -50);
    QCOMPARE(chartChoice(u"ACA", u"20A").value().chartMin, 0);
    QCOMPARE(chartChoice(u"DCA", u"2mA").value().window, QLatin1String("Ohm2K"));
    // The function, not the range, sets the overloads of V600.
    QCOMPARE(chartChoice(u"ACV", u"1000V").value().chartMax, 750);
    QCOMPARE(chartChoice(u"DCV", u"750V").value().chartMin, -1000);
    QVERIFY(!chartChoice(u"DCV", u"200mv") && !chartChoice(u"TEMP", u"300'C"));

    QCOMPARE(chartPointValue(shownOf(u" -OL"), 200, -50), -50.0);
    QCOMPARE(chartPointValue(shownOf(u"-12.34"), 200, -200), -12.34);
    QCOMPARE(chartPointValue(shownOf(u"Initial"), 200, -200), 0.0);
    // A point at the first tick, then once the count reaches the interval.
    QVERIFY(chartTakesPoint(0, 2) && chartTakesPoint(2, 2));
    QVERIFY(!chartTakesPoint(1, 2) && !chartTakesPoint(3, 2));
}

void TestViewGeometry::chartSeriesAndLayout() {
    // Point k is 10 k + 1, taken at second k.
    for (const bool labelled : {true, false}) {
        ChartSeries series(labelled);
        for (int k = 0; k <= ChartPoints; ++k) {
            for (int row = 0; row < ChartPoints; ++row) {
                // Zeros until the points arrive at the right; the oldest leaves first.
                const int point = k - ChartPoints + row;
                QCOMPARE(series.value(row), point < 0 ? 0.0 : 10.0 * point + 1);
                const QString second = QStringLiteral("%1").arg(point, 2, 10, QLatin1Char('0'));
                // Unlabelled rows keep their names; labelled ones carry them along.
                const QString name = QStringLiteral("R%1").arg(labelled ? k + row + 1 : row + 1);
                QCOMPARE(series.label(row), labelled && point >= 0 ? second : name);
            }
            series.addPoint(10.0 * k + 1, QTime(10, 0, k));
        }
    }
    QVERIFY(chartLayoutAfterResize(QSizeF(50, 50)).chart.isNull()); // too small to draw
}

// A new view goes beside the panel, else beside or below an open one, moved
// onto the screen as far as it fits; a crowded screen puts it where it covers least.
void TestViewGeometry::freeSpots() {
    const QRect screen(0, 0, 1280, 900), panel(505, 313, 272, 328);
    const std::vector<QRect> views{{779, 313, 159, 73}, {940, 313, 299, 168}};
    QCOMPARE(freeSpot({159, 73}, panel, {}, screen), QPoint(777, 313));
    QCOMPARE(freeSpot({401, 339}, panel, views, screen), QPoint(879, 481));
    QVERIFY(screen.contains(QRect(freeSpot({1000, 800}, panel, views, screen), QSize(1000, 800))));
}

QTEST_GUILESS_MAIN(TestViewGeometry)
#include "test_view_geometry.moc"
