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
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(DialDrawing)

#define COMPARE_NEAR(actual, expected, tolerance)                                                  \
    QVERIFY2(std::abs(double(actual) - double(expected)) <= (tolerance),                           \
             qPrintable(#actual u" = "_s + QString::number(double(actual), 'g', 10)))

const auto degreesOf = [](QPointF p) { return std::atan2(p.y(), p.x()) * 180 / std::numbers::pi; };
const auto lengthOf = [](QPointF p) { return std::hypot(p.x(), p.y()); };

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
    // Too narrow: back to the smallest window with a 10 point value, even when nothing moved.
    const auto snapped = digitalLayout(QSizeF(1739, 2000), QSizeF(1739, 2000));
    QVERIFY(snapped && snapped->window == QSizeF(1740, 1044) && snapped->valueFontPoints == 10);
    QVERIFY(!digitalLayout(QSizeF(2400, 1530), QSizeF(2400, 1530))); // as seen last time
    QCOMPARE(digitalLayout(QSizeF(2000, 500), {}).value().window, QSizeF(2000, 1200));
    QCOMPARE(digitalLayout(QSizeF(3000, 900), QSizeF(3000, 1818)).value().valueFontPoints, 48);

    // Wider windows keep their width and give a value label and font that never shrink,
    // whatever height the user dragged to; the text always fits its label.
    std::optional<DigitalLayout> before;
    for (double w = 1740; w <= 5000; w += 5) {
        const auto l = digitalLayout(QSizeF(w, w / 3), {});
        QVERIFY(l);
        QCOMPARE(l->window, digitalLayout(QSizeF(w, 3 * w), {}).value().window);
        QCOMPARE(l->window.width(), w);
        QVERIFY(QRectF(QPointF(), l->window).contains(l->value));
        QVERIFY2(l->valueFontPoints * 20 <= l->value.height(), qPrintable(QString::number(w)));
        QVERIFY(!before || (l->value.width() > before->value.width() &&
                            l->value.height() > before->value.height() &&
                            l->valueFontPoints >= before->valueFontPoints));
        before = l;
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
    // A resized window never gets narrower than the smallest and keeps its shape.
    QCOMPARE(dialWindowAfterResize(QSizeF(4000, 3000)), DialSmallestWindow);
    for (double w = 1000; w <= 12000; w += 250) {
        const QSizeF s = dialWindowAfterResize(QSizeF(w, 100));
        COMPARE_NEAR(s.width(), std::max(w, DialSmallestWindow.width()), 1e-9);
        COMPARE_NEAR(s.height() * 4605, s.width() * 2925, 1e-6);
    }

    // The families, then their ticks: evenly spread, every tenth the longest, every fifth
    // middling.
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
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            const double a = degreesOf(ticks[i].inner);
            COMPARE_NEAR(a - degreesOf(ticks[0].inner), double(i) * step, 1e-9);
            COMPARE_NEAR(degreesOf(ticks[i].outer), a, 1e-9);
            COMPARE_NEAR(lengthOf(ticks[i].inner), R, 1e-6);
            const double length = i % 10 == 0 ? 1.08 : i % 5 == 0 ? 1.06 : 1.03;
            COMPARE_NEAR(lengthOf(ticks[i].outer), length * R, 1e-6);
        }
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
    QFETCH(QString, texts);
    const QString function = range == u"2V" ? "ACV" : range.contains(u'\'') ? "TEMP" : "DCV";
    const double R = 1000, line = 200;
    const auto numbers = scaleNumbers(dialFamily(function, range), range, R, drawing);
    const auto width = [](const QString& text) { return 10.0 * text.size(); };
    const auto placed = placeScaleNumbers(numbers, drawing, width, line);
    QCOMPARE(int(placed.size()), texts.count(u'|') + 1);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const ScaleNumber& n = numbers[i];
        QCOMPARE(placed[i].text, texts.section(u'|', int(i), int(i)));
        // The first number stands straight above the pivot; the others sit outside
        // the ticks, and a next-line number mirrors the one before it a line lower.
        QCOMPARE(n.topCentre, i == 0);
        const double out = lengthOf(n.anchor) / R;
        QVERIFY2(out > 1.08 && out < 1.25, qPrintable(n.text));
        if (n.topCentre)
            QCOMPARE(n.anchor, QPointF(0, 1.16 * R));
        if (n.nextLine)
            COMPARE_NEAR(n.anchor.x(), -numbers[i - 1].anchor.x(), 1e-9);
        const QPointF at = placed[i].topLeft;
        COMPARE_NEAR(at.y(), n.nextLine ? placed[i - 1].topLeft.y() - line : n.anchor.y(), 1e-9);
        // On load the texts are centred on their places; redrawn, they start 120 left of them.
        const bool load = drawing == DialDrawing::Load;
        COMPARE_NEAR(load ? at.x() + width(n.text) / 2 : at.x() + 120, n.anchor.x(), 1.0);
    }
}

// Over every range the meter sends under a dial function, the needle turns right as the
// value grows, stops at the overloads' ends and reaches the top of the scale at the range.
void TestViewGeometry::needleFollowsTheValue() {
    for (const auto& e : tarnix::meter::functionRangeTable()) {
        const QString function = e.function, range = e.range;
        if (!hasDial(function))
            continue;
        const double r = leadingNumber(range);
        const double right = needleAngle(function, range, u"OL");
        const double left = needleAngle(function, range, u"-OL");
        QVERIFY2(right < left, qPrintable(range));
        double before = left;
        for (int k = -60; k <= 60; ++k) {
            const double a = needleAngle(function, range, QString::number(k * r / 40));
            QVERIFY2(a <= before && a >= right, qPrintable(range + u' ' + QString::number(k)));
            before = a;
        }
        QCOMPARE(needleAngle(function, range, QString::number(-1.5 * r)), left);
        QCOMPARE(needleAngle(function, range, QString::number(1.5 * r)), right);
        if (range != u"200'C" && range != u"200'F")
            QVERIFY2(std::abs(needleAngle(function, range, range) - 36) <= 1, qPrintable(range));
    }
    COMPARE_NEAR(needleAngle(u"DCV", u"200mV", u"0.00"), 90, 1e-9); // centre zero points up
    COMPARE_NEAR(needleAngle(u"DCV", u"2V", u"Initial"), 90, 1e-9);
    COMPARE_NEAR(needleAngle(u"DCV", u"2V", u" -OL"), 145, 1e-9);
    COMPARE_NEAR(needleAngle(u"ACV", u"2V", u"0.000"), 145, 1e-9); // one-sided: 0 at the left
    COMPARE_NEAR(needleAngle(u"TEMP", u"1370'C", u"-24"), 146.927, 1e-3); // just inside
    COMPARE_NEAR(needleAngle(u"TEMP", u"200'C", u"-50"), 135, 1e-9);
    COMPARE_NEAR(needleAngle(u"TEMP", u"200'F", u"-OL"), 138, 1e-9);
    COMPARE_NEAR(needleAngle(u"DCV", u"", u"1.5"), 90, 1e-9); // no full scale: rests at zero

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
        QCOMPARE(c->labelled, c->window != QLatin1String("mV200"));
        QCOMPARE(c->chartMax, int(leadingNumber(range)));
        int foot = function.endsWith(u'V') ? -c->chartMax : 0;
        if (function == u"TEMP")
            foot = range.endsWith(u'C') ? -50 : -60;
        QCOMPARE(c->chartMin, foot);
    }
    QCOMPARE(chartChoice(u"TEMP", u"200'C").value().window, QLatin1String("mV200"));
    QCOMPARE(chartChoice(u"DCA", u"2mA").value().window, QLatin1String("Ohm2K"));
    // The function, not the range, sets the overloads of V600.
    QCOMPARE(chartChoice(u"ACV", u"1000V").value().chartMax, 750);
    QCOMPARE(chartChoice(u"DCV", u"750V").value().chartMin, -1000);
    QVERIFY(!chartChoice(u"DCV", u"200mv") && !chartChoice(u"TEMP", u"300'C"));

    QCOMPARE(chartPointValue(u" -OL", 200, -50), -50.0);
    QCOMPARE(chartPointValue(u"-12.34", 200, -200), -12.34);
    QCOMPARE(chartPointValue(u"Initial", 200, -200), 0.0);
    // A point at the first tick, then once the count reaches the interval.
    QVERIFY(chartTakesPoint(0, u"2 sec") && chartTakesPoint(2, u"2 sec"));
    QVERIFY(!chartTakesPoint(1, u"2 sec") && !chartTakesPoint(3, u"2 sec"));
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

    const ChartLayout loaded = chartLayoutOnLoad(QSizeF(6135, 5490));
    QCOMPARE(loaded.chart, QRectF(0, 0, 6015, 4575));
    QCOMPARE(loaded.caption, QPointF(6135 / 2.0 - 240, 4575)); // its 480 wide text centred
    // After a resize the chart fills the window but for its margins, the caption centred below.
    const ChartLayout resized = chartLayoutAfterResize(QSizeF(8000, 6000));
    QCOMPARE(resized.chart, QRectF(0, 0, 7880, 5000));
    QCOMPARE(resized.caption, QPointF(4000, 5000));
    QVERIFY(chartLayoutAfterResize(QSizeF(50, 50)).chart.isNull());
}

// A new view goes beside the panel, else beside or below an open one, moved
// onto the screen as far as it fits; a crowded screen puts it where it covers least.
void TestViewGeometry::freeSpots() {
    using tarnix::ui::freeSpot;
    const QRect screen(0, 0, 1280, 900), panel(505, 313, 272, 328);
    const std::vector<QRect> views{{779, 313, 159, 73}, {940, 313, 299, 168}};
    QCOMPARE(freeSpot({159, 73}, panel, {}, screen), QPoint(777, 313));
    QCOMPARE(freeSpot({401, 339}, panel, views, screen), QPoint(879, 481));
    QVERIFY(screen.contains(QRect(freeSpot({1000, 800}, panel, views, screen), QSize(1000, 800))));
}

QTEST_GUILESS_MAIN(TestViewGeometry)
#include "test_view_geometry.moc"
