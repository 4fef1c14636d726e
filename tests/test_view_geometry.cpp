// The live views' pure parts: the digital view's layout, the analog dial and
// its needle, and the strip charts' choice, overload values and series.
#include "meter/FunctionRange.h"
#include "ui/views/ChartChoice.h"
#include "ui/views/DialGeometry.h"
#include "ui/views/DigitalLayout.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numbers>

using namespace tarnix::views;

Q_DECLARE_METATYPE(DialFamily)
Q_DECLARE_METATYPE(DialDrawing)
Q_DECLARE_METATYPE(DialTickStep)

namespace {

// Dial positions come from sines and cosines: compared to two decimals.
constexpr double Cents = 0.01;

#define COMPARE_NEAR(actual, expected, tolerance)                                                \
    QVERIFY2(std::abs(double(actual) - double(expected)) <= (tolerance),                         \
             qPrintable(QStringLiteral("%1 = %2, expected %3")                                   \
                            .arg(QLatin1String(#actual))                                         \
                            .arg(double(actual), 0, 'g', 10)                                     \
                            .arg(double(expected), 0, 'g', 10)))

double degreesOf(QPointF p) { return std::atan2(p.y(), p.x()) * 180.0 / std::numbers::pi; }
double lengthOf(QPointF p) { return std::hypot(p.x(), p.y()); }

QStringList textsOf(const std::vector<ScaleNumber>& numbers) {
    QStringList texts;
    for (const ScaleNumber& n : numbers)
        texts << n.text;
    return texts;
}

} // namespace

class TestViewGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitalLayout_data();
    void digitalLayout();
    void digitalFontSize_data();
    void digitalFontSize();

    void dialFamily_data();
    void dialFamily();
    void everyDialRangeHasAFullScale();
    void dialScale_data();
    void dialScale();
    void dialTicks_data();
    void dialTicks();
    void scaleNumberTexts_data();
    void scaleNumberTexts();
    void scaleNumberAnchors_data();
    void scaleNumberAnchors();
    void scaleNumberPlacement_data();
    void scaleNumberPlacement();
    void needleAngle_data();
    void needleAngle();
    void dialResize_data();
    void dialResize();
    void dialTickStep_data();
    void dialTickStep();

    void chartChoice_data();
    void chartChoice();
    void everyMeterRangeHasAChart();
    void chartPointValue_data();
    void chartPointValue();
    void chartTakesPoint_data();
    void chartTakesPoint();
    void chartSecondLabel_data();
    void chartSecondLabel();
    void chartSeries_data();
    void chartSeries();
    void chartLayout_data();
    void chartLayout();
};

// --- Digital view --------------------------------------------------------

void TestViewGeometry::digitalLayout_data() {
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QSizeF>("lastSeen");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QSizeF>("newWindow");
    QTest::addColumn<QSizeF>("value");
    QTest::addColumn<int>("font");

    // Below the minimum width the snap happens even when nothing moved.
    QTest::newRow("1739 wide snaps") << QSizeF(1739, 2000) << QSizeF(1739, 2000) << true
                                     << QSizeF(1740, 1044) << QSizeF(1360, 274) << 10;
    QTest::newRow("tiny snaps") << QSizeF(300, 200) << QSizeF(2400, 1530) << true
                                << QSizeF(1740, 1044) << QSizeF(1360, 274) << 10;
    QTest::newRow("1740 keeps its width, proportional")
        << QSizeF(1740, 900) << QSizeF(2000, 1200) << true << QSizeF(1740, 1044)
        << QSizeF(1360, 274) << 10;
    QTest::newRow("2000: height 0.6 W") << QSizeF(2000, 500) << QSizeF(2400, 1530) << true
                                        << QSizeF(2000, 1200) << QSizeF(1620, 430) << 18;
    QTest::newRow("2385: last 0.6 W") << QSizeF(2385, 1000) << QSizeF(2400, 1530) << true
                                      << QSizeF(2385, 1431) << QSizeF(2005, 661) << 31;
    QTest::newRow("2386: value 10:4") << QSizeF(2386, 1000) << QSizeF(2400, 1530) << true
                                      << QSizeF(2386, 1572.4) << QSizeF(2006, 802.4) << 31;
    QTest::newRow("3000: value 2620 at 48 pt")
        << QSizeF(3000, 1000) << QSizeF(2400, 1530) << true << QSizeF(3000, 1818)
        << QSizeF(2620, 1048) << 48;
    QTest::newRow("only the height moved") << QSizeF(3000, 900) << QSizeF(3000, 1818) << true
                                           << QSizeF(3000, 1818) << QSizeF(2620, 1048) << 48;
    QTest::newRow("only the width moved") << QSizeF(2555, 1818) << QSizeF(3000, 1818) << true
                                          << QSizeF(2555, 1640) << QSizeF(2175, 870) << 37;
    QTest::newRow("size as last seen: nothing") << QSizeF(2400, 1530) << QSizeF(2400, 1530)
                                                << false << QSizeF() << QSizeF() << 0;
    QTest::newRow("1740 as last seen: nothing") << QSizeF(1740, 1044) << QSizeF(1740, 1044)
                                                << false << QSizeF() << QSizeF() << 0;
}

void TestViewGeometry::digitalLayout() {
    QFETCH(QSizeF, window);
    QFETCH(QSizeF, lastSeen);
    QFETCH(bool, changes);
    QFETCH(QSizeF, newWindow);
    QFETCH(QSizeF, value);
    QFETCH(int, font);

    const auto layout = tarnix::views::digitalLayout(window, lastSeen);
    QCOMPARE(layout.has_value(), changes);
    if (!layout)
        return;
    COMPARE_NEAR(layout->window.width(), newWindow.width(), 1e-9);
    COMPARE_NEAR(layout->window.height(), newWindow.height(), 1e-9);
    QCOMPARE(layout->value.topLeft(), QPointF(120, 240)); // the value never moves
    COMPARE_NEAR(layout->value.width(), value.width(), 1e-9);
    COMPARE_NEAR(layout->value.height(), value.height(), 1e-9);
    QCOMPARE(layout->valueFontPoints, font);
}

void TestViewGeometry::digitalFontSize_data() {
    QTest::addColumn<double>("labelWidth");
    QTest::addColumn<int>("points");
    QTest::newRow("1360 smallest") << 1360.0 << 10;
    QTest::newRow("1390 steps") << 1390.0 << 11;
    QTest::newRow("2175 last narrow") << 2175.0 << 37;
    QTest::newRow("2176 first wide") << 2176.0 << 39;
    QTest::newRow("2620") << 2620.0 << 48;
    QTest::newRow("2650 steps") << 2650.0 << 49;
    QTest::newRow("rounded up to 2620") << 2619.5 << 48;
    // Truncated toward zero, not floored.
    QTest::newRow("1329 gives 9") << 1329.0 << 9;
}

void TestViewGeometry::digitalFontSize() {
    QFETCH(double, labelWidth);
    QFETCH(int, points);
    QCOMPARE(digitalValueFontSize(labelWidth), points);
}

// --- Analog meter --------------------------------------------------------

void TestViewGeometry::dialFamily_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<DialFamily>("family");
    QTest::newRow("1370'C") << "TEMP" << "1370'C" << DialFamily::WideTemperature;
    QTest::newRow("2000'F") << "TEMP" << "2000'F" << DialFamily::WideTemperature;
    QTest::newRow("200'C") << "TEMP" << "200'C" << DialFamily::Celsius200;
    QTest::newRow("200'F") << "TEMP" << "200'F" << DialFamily::Fahrenheit200;
    QTest::newRow("ACV") << "ACV" << "200mV" << DialFamily::OneSided;
    QTest::newRow("ACA") << "ACA" << "20A" << DialFamily::OneSided;
    QTest::newRow("RES") << "RES" << "200Ohm" << DialFamily::OneSided;
    QTest::newRow("CAP") << "CAP" << "2000pF" << DialFamily::OneSided;
    QTest::newRow("DCV") << "DCV" << "200mV" << DialFamily::CentreZero;
    QTest::newRow("DCA") << "DCA" << "20mA" << DialFamily::CentreZero;
    QTest::newRow("range decides first") << "ACV" << "200'C" << DialFamily::Celsius200;
    QTest::newRow("TEMP, unknown range") << "TEMP" << "300'C" << DialFamily::CentreZero;
}

void TestViewGeometry::dialFamily() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(DialFamily, family);
    QCOMPARE(tarnix::views::dialFamily(function, range), family);
}

// Every range the meter reports under a dial function has a full scale, so
// its needle reaches both ends of the dial.
void TestViewGeometry::everyDialRangeHasAFullScale() {
    for (const auto& e : tarnix::meter::functionRangeTable()) {
        const QString function = QString::fromLatin1(e.function);
        const QString range = QString::fromLatin1(e.range);
        if (!hasDial(function))
            continue;
        const DialFamily family = tarnix::views::dialFamily(function, range);
        const double low = tarnix::views::needleAngle(function, range, u"OL");
        const double high = tarnix::views::needleAngle(function, range, u"-OL");
        QVERIFY2(low < high, qPrintable(range));
        if (family == DialFamily::Celsius200 || family == DialFamily::Fahrenheit200)
            continue;
        // A reading at the range's own number is (close to) full scale.
        QVERIFY2(std::abs(tarnix::views::needleAngle(function, range, range) - 36) <= 1, qPrintable(range));
    }
}

void TestViewGeometry::dialScale_data() {
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<DialDrawing>("drawing");
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    QTest::newRow("load at its first size") << QSizeF(4575, 2895) << DialDrawing::Load << 4485.0
                                            << 2490.0;
    QTest::newRow("redraw at the smallest") << QSizeF(4605, 2925) << DialDrawing::Redraw
                                            << 4485.0 << 2490.0;
    QTest::newRow("redraw twice as large") << QSizeF(9210, 5850) << DialDrawing::Redraw
                                           << 8970.0 << 4980.0;
    QTest::newRow("load, the redraw's size") << QSizeF(4605, 2925) << DialDrawing::Load
                                             << 4514.4098 << 2515.8031;
}

void TestViewGeometry::dialScale() {
    QFETCH(QSizeF, window);
    QFETCH(DialDrawing, drawing);
    QFETCH(double, sx);
    QFETCH(double, sy);
    const DialScale s = tarnix::views::dialScale(window, drawing);
    COMPARE_NEAR(s.width, sx, 1e-3);
    COMPARE_NEAR(s.height, sy, 1e-3);
    COMPARE_NEAR(s.radius, sx / 2, 1e-3);
    COMPARE_NEAR(s.left, -sx / 2, 1e-3);
    COMPARE_NEAR(s.right, sx / 2, 1e-3);
    // y grows upwards; the pivot lies 0.2 sy below the bottom edge.
    COMPARE_NEAR(s.top, 1.2 * sy, 1e-3);
    COMPARE_NEAR(s.bottom, 0.2 * sy, 1e-3);
}

void TestViewGeometry::dialTicks_data() {
    QTest::addColumn<DialFamily>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<double>("lastLength"); // times R
    QTest::newRow("wide") << DialFamily::WideTemperature << 42 << 36.0 << 146.7 << 1.03;
    QTest::newRow("200'C") << DialFamily::Celsius200 << 51 << 60.0 << 135.0 << 1.08;
    QTest::newRow("200'F") << DialFamily::Fahrenheit200 << 55 << 60.0 << 141.0 << 1.03;
    QTest::newRow("one-sided") << DialFamily::OneSided << 41 << 36.0 << 144.0 << 1.08;
    QTest::newRow("centre zero") << DialFamily::CentreZero << 41 << 36.0 << 144.0 << 1.08;
}

void TestViewGeometry::dialTicks() {
    QFETCH(DialFamily, family);
    QFETCH(int, count);
    QFETCH(double, first);
    QFETCH(double, last);
    QFETCH(double, lastLength);
    const double R = 1000;
    const auto ticks = tarnix::views::dialTicks(family, R);
    QCOMPARE(int(ticks.size()), count);

    COMPARE_NEAR(degreesOf(ticks.front().inner), first, 1e-9);
    COMPARE_NEAR(degreesOf(ticks.back().inner), last, 1e-9);
    COMPARE_NEAR(degreesOf(ticks.back().outer), last, 1e-9);
    COMPARE_NEAR(lengthOf(ticks.back().outer), lastLength * R, 1e-6);
    // Every tick starts on the arc; tenths are longest, fifths middling.
    for (const DialTick& t : ticks)
        COMPARE_NEAR(lengthOf(t.inner), R, 1e-6);
    COMPARE_NEAR(lengthOf(ticks[0].outer), 1.08 * R, 1e-6);
    COMPARE_NEAR(lengthOf(ticks[1].outer), 1.03 * R, 1e-6);
    COMPARE_NEAR(lengthOf(ticks[5].outer), 1.06 * R, 1e-6);
    COMPARE_NEAR(lengthOf(ticks[10].outer), 1.08 * R, 1e-6);
    COMPARE_NEAR(lengthOf(ticks[15].outer), 1.06 * R, 1e-6);
}

void TestViewGeometry::scaleNumberTexts_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<DialDrawing>("drawing");
    QTest::addColumn<QStringList>("texts");
    const auto L = DialDrawing::Load, D = DialDrawing::Redraw;
    QTest::newRow("DCV 200mV") << "DCV" << "200mV" << L
                               << QStringList{"0", " 100", "-100", " 200", "-200"};
    QTest::newRow("DCV 2V, rebuilt") << "DCV" << "2V" << L
                                     << QStringList{"0", " 1", "-1", " 2", "-2"};
    QTest::newRow("ACV 2V halves") << "ACV" << "2V" << L
                                   << QStringList{" 1", " 1.5", " 0.5", " 2", "0"};
    QTest::newRow("ACV 750V") << "ACV" << "750V" << L
                              << QStringList{" 375", " 562.5", " 187.5", " 750", "0"};
    QTest::newRow("1370'C") << "TEMP" << "1370'C" << L
                            << QStringList{" 685", " 1027.5", " 342.5", " 1370", "0", "-50"};
    QTest::newRow("2000'F on load") << "TEMP" << "2000'F" << L
                                    << QStringList{" 1000", " 1500", " 500", " 2000", "0", "-58"};
    QTest::newRow("2000'F redrawn") << "TEMP" << "2000'F" << D
                                    << QStringList{" 1000", " 1500", " 500", " 2000", "0", "-60"};
    QTest::newRow("200'C") << "TEMP" << "200'C" << L
                           << QStringList{" 100", " 150", " 50", " 200", "0", "-50"};
    QTest::newRow("200'F") << "TEMP" << "200'F" << D
                           << QStringList{" 100", " 150", " 50", " 200", "0", "-50"};
    QTest::newRow("no number in the range") << "DCV" << "" << L
                                            << QStringList{"0", " 0", " 0", " 0", " 0"};
}

void TestViewGeometry::scaleNumberTexts() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(DialDrawing, drawing);
    QFETCH(QStringList, texts);
    const DialFamily family = tarnix::views::dialFamily(function, range);
    QCOMPARE(textsOf(scaleNumbers(family, range, 1000, drawing)), texts);
}

void TestViewGeometry::scaleNumberAnchors_data() {
    QTest::addColumn<DialFamily>("family");
    QTest::addColumn<int>("index");
    QTest::addColumn<QPointF>("anchor");
    QTest::addColumn<bool>("nextLine");
    QTest::addColumn<bool>("topCentre");
    // R = 1000: the numbers sit 1160 out.
    const auto C = DialFamily::CentreZero, T = DialFamily::Celsius200,
               W = DialFamily::WideTemperature;
    QTest::newRow("centre: top") << C << 0 << QPointF(0, 1160) << false << true;
    QTest::newRow("centre: 63/63") << C << 1 << QPointF(526.629, 1033.568) << false << false;
    QTest::newRow("centre: 117/next") << C << 2 << QPointF(-526.629, 1033.568) << true << false;
    QTest::newRow("centre: 39.6/39.6") << C << 3 << QPointF(893.795, 739.412) << false << false;
    QTest::newRow("centre: 140.4/next") << C << 4 << QPointF(-893.795, 739.412) << true << false;
    QTest::newRow("200'C: 75.6/75.6") << T << 1 << QPointF(288.480, 1123.556) << false << false;
    QTest::newRow("200'C: 104.4/next") << T << 2 << QPointF(-288.480, 1123.556) << true << false;
    QTest::newRow("200'C: 61.2/63") << T << 3 << QPointF(558.834, 1033.568) << false << false;
    QTest::newRow("200'C: 118.8/next") << T << 4 << QPointF(-558.834, 1033.568) << true << false;
    QTest::newRow("200'C: 135/50.4") << T << 5 << QPointF(-820.244, 893.795) << false << false;
    QTest::newRow("wide: 144/32.4") << W << 5 << QPointF(-938.460, 621.559) << false << false;
}

void TestViewGeometry::scaleNumberAnchors() {
    QFETCH(DialFamily, family);
    QFETCH(int, index);
    QFETCH(QPointF, anchor);
    QFETCH(bool, nextLine);
    QFETCH(bool, topCentre);
    // The range changes only the texts.
    const auto numbers = scaleNumbers(family, u"200'C", 1000, DialDrawing::Load);
    QVERIFY(index < int(numbers.size()));
    const ScaleNumber& n = numbers[std::size_t(index)];
    COMPARE_NEAR(n.anchor.x(), anchor.x(), Cents);
    COMPARE_NEAR(n.anchor.y(), anchor.y(), Cents);
    QCOMPARE(n.nextLine, nextLine);
    QCOMPARE(n.topCentre, topCentre);
}

void TestViewGeometry::scaleNumberPlacement_data() {
    QTest::addColumn<DialDrawing>("drawing");
    QTest::addColumn<QList<QPointF>>("topLefts");
    // DCV 2V at R = 1000, texts 10 units a character, lines 200 high.
    QTest::newRow("load: centred") << DialDrawing::Load
                                   << QList<QPointF>{{-4, 1160},
                                                     {516.629, 1033.568},
                                                     {-536.629, 833.568},
                                                     {883.795, 739.412},
                                                     {-903.795, 539.412}};
    QTest::newRow("redraw: 120 left") << DialDrawing::Redraw
                                      << QList<QPointF>{{-120, 1160},
                                                        {406.629, 1033.568},
                                                        {-646.629, 833.568},
                                                        {773.795, 739.412},
                                                        {-1013.795, 539.412}};
}

void TestViewGeometry::scaleNumberPlacement() {
    QFETCH(DialDrawing, drawing);
    QFETCH(QList<QPointF>, topLefts);
    const auto numbers = scaleNumbers(DialFamily::CentreZero, u"2V", 1000, drawing);
    const auto placed = placeScaleNumbers(
        numbers, drawing, [](const QString& text) { return 10.0 * text.size(); }, 200);
    QCOMPARE(placed.size(), std::size_t(topLefts.size()));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        QCOMPARE(placed[i].text, numbers[i].text);
        COMPARE_NEAR(placed[i].topLeft.x(), topLefts[qsizetype(i)].x(), Cents);
        COMPARE_NEAR(placed[i].topLeft.y(), topLefts[qsizetype(i)].y(), Cents);
    }
}

void TestViewGeometry::needleAngle_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("angle");

    // Centre zero.
    QTest::newRow("200mV -OL") << "DCV" << "200mV" << "-OL" << 145.0;
    QTest::newRow("200mV OL") << "DCV" << "200mV" << "OL" << 35.0;
    QTest::newRow("200mV 0") << "DCV" << "200mV" << "0.00" << 90.0;
    QTest::newRow("200mV +100") << "DCV" << "200mV" << "100.00" << 63.0;
    QTest::newRow("200mV -100") << "DCV" << "200mV" << "-100.00" << 117.0;
    QTest::newRow("200mV above clamps") << "DCV" << "200mV" << "250" << 35.0;
    QTest::newRow("200mV below clamps") << "DCV" << "200mV" << "-250" << 145.0;
    QTest::newRow("2V 1 is half way") << "DCV" << "2V" << "1.000" << 63.0;
    QTest::newRow("Initial counts 0") << "DCV" << "2V" << "Initial" << 90.0;
    QTest::newRow("-OL after a blank") << "DCV" << "2V" << " -OL" << 145.0;
    // One-sided.
    QTest::newRow("ACV 0") << "ACV" << "2V" << "0.000" << 145.0;
    QTest::newRow("ACV half") << "ACV" << "2V" << "1.000" << 90.0;
    QTest::newRow("ACV full") << "ACV" << "2V" << "2.000" << 35.0;
    QTest::newRow("ACV negative held") << "ACV" << "2V" << "-0.5" << 145.0;
    QTest::newRow("RES 150 of 200") << "RES" << "200Ohm" << "150.0" << 62.5;
    // Wide temperature.
    QTest::newRow("1370'C 685") << "TEMP" << "1370'C" << "685" << 90.0;
    QTest::newRow("1370'C -50 held at 147") << "TEMP" << "1370'C" << "-50" << 147.0;
    QTest::newRow("1370'C -24 just inside") << "TEMP" << "1370'C" << "-24" << 146.927;
    QTest::newRow("1370'C -25 just outside") << "TEMP" << "1370'C" << "-25" << 147.0;
    QTest::newRow("1370'C -OL") << "TEMP" << "1370'C" << "-OL" << 147.0;
    QTest::newRow("2000'F -37 just outside") << "TEMP" << "2000'F" << "-37" << 147.0;
    // 200 degree ranges: 0.3 degree of needle per degree of temperature.
    QTest::newRow("200'C 100") << "TEMP" << "200'C" << "100" << 90.0;
    QTest::newRow("200'C 200") << "TEMP" << "200'C" << "200" << 60.0;
    QTest::newRow("200'C 201 just outside") << "TEMP" << "200'C" << "201" << 60.0;
    QTest::newRow("200'C -50") << "TEMP" << "200'C" << "-50" << 135.0;
    QTest::newRow("200'C -51 just outside") << "TEMP" << "200'C" << "-51" << 135.0;
    QTest::newRow("200'C OL") << "TEMP" << "200'C" << "OL" << 60.0;
    QTest::newRow("200'C -OL") << "TEMP" << "200'C" << "-OL" << 135.0;
    QTest::newRow("200'F -60") << "TEMP" << "200'F" << "-60" << 138.0;
    QTest::newRow("200'F -70 held") << "TEMP" << "200'F" << "-70" << 138.0;
    QTest::newRow("200'F -OL") << "TEMP" << "200'F" << "-OL" << 138.0;
    // A range without a number gives no scale: the needle rests at zero.
    QTest::newRow("DCV, no range") << "DCV" << "" << "1.5" << 90.0;
}

void TestViewGeometry::needleAngle() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(QString, value);
    QFETCH(double, angle);
    COMPARE_NEAR(tarnix::views::needleAngle(function, range, value), angle, 1e-3);
}

void TestViewGeometry::dialResize_data() {
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QSizeF>("resized");
    QTest::newRow("narrow snaps back") << QSizeF(4000, 3000) << QSizeF(4605, 2925);
    QTest::newRow("just below 4605") << QSizeF(4604, 100) << QSizeF(4605, 2925);
    QTest::newRow("4605, height fixed") << QSizeF(4605, 5000) << QSizeF(4605, 2925);
    QTest::newRow("twice as wide") << QSizeF(9210, 100) << QSizeF(9210, 5850);
    QTest::newRow("5000 keeps the shape") << QSizeF(5000, 5000) << QSizeF(5000, 3175.8958);
}

void TestViewGeometry::dialResize() {
    QFETCH(QSizeF, window);
    QFETCH(QSizeF, resized);
    const QSizeF size = dialWindowAfterResize(window);
    COMPARE_NEAR(size.width(), resized.width(), 1e-3);
    COMPARE_NEAR(size.height(), resized.height(), 1e-3);
}

void TestViewGeometry::dialTickStep_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<bool>("resized");
    QTest::addColumn<DialTickStep>("step");
    // The dial was drawn for DCV 200mV.
    QTest::newRow("same reading") << "DCV" << "200mV" << false << DialTickStep::MoveNeedle;
    QTest::newRow("resized") << "DCV" << "200mV" << true << DialTickStep::Redraw;
    QTest::newRow("range changed") << "DCV" << "2V" << false << DialTickStep::Rebuild;
    QTest::newRow("function changed") << "ACV" << "200mV" << false << DialTickStep::Rebuild;
    QTest::newRow("changed and resized") << "DCV" << "2V" << true << DialTickStep::Rebuild;
    QTest::newRow("HOLD rebuilds (and stays shut)") << "HOLD" << "" << false
                                                    << DialTickStep::Rebuild;
    QTest::newRow("DIODE closes") << "DIODE" << "1V" << true << DialTickStep::Close;
    QTest::newRow("FREQ closes") << "FREQ" << "1KHz" << false << DialTickStep::Close;
}

void TestViewGeometry::dialTickStep() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(bool, resized);
    QFETCH(DialTickStep, step);
    QCOMPARE(tarnix::views::dialTickStep(function, range, u"DCV", u"200mV", resized), step);
}

// --- Strip charts --------------------------------------------------------

void TestViewGeometry::chartChoice_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("window"); // empty: no chart
    QTest::addColumn<int>("chartMax");
    QTest::addColumn<int>("chartMin");
    QTest::addColumn<bool>("labelled");
    const struct {
        const char* function;
        const char* range;
        const char* window;
        int max, min;
        bool labelled;
    } rows[] = {
        {"DCV", "200mV", "mV200", 200, -200, false},
        {"ACV", "200mV", "mV200", 200, -200, false},
        {"TEMP", "200'C", "mV200", 200, -50, false},
        {"TEMP", "200'F", "mV200", 200, -60, false},
        {"DCV", "2V", "V2", 2, -2, true},
        {"ACV", "20V", "V20", 20, -20, true},
        {"DCV", "200V", "V200", 200, -200, true},
        {"DCV", "1000V", "V600", 1000, -1000, true},
        {"ACV", "750V", "V600", 750, -750, true},
        // The function, not the range, sets the overloads of this chart.
        {"ACV", "1000V", "V600", 750, -750, true},
        {"DCV", "750V", "V600", 1000, -1000, true},
        {"RES", "200Ohm", "Ohm200", 200, 0, true},
        {"RES", "200KOhm", "Ohm200", 200, 0, true},
        {"CAP", "200nF", "Ohm200", 200, 0, true},
        {"DCA", "200mA", "Ohm200", 200, 0, true},
        {"ACA", "200uA", "Ohm200", 200, 0, true},
        {"RES", "2KOhm", "Ohm2K", 2, 0, true},
        {"RES", "2MOhm", "Ohm2K", 2, 0, true},
        {"CAP", "2uF", "Ohm2K", 2, 0, true},
        {"DCA", "2mA", "Ohm2K", 2, 0, true},
        {"RES", "20KOhm", "Ohm20K", 20, 0, true},
        {"RES", "20MOhm", "Ohm20K", 20, 0, true},
        {"CAP", "20uF", "Ohm20K", 20, 0, true},
        {"DCA", "20A", "Ohm20K", 20, 0, true},
        {"ACA", "20mA", "Ohm20K", 20, 0, true},
        {"CAP", "2000pF", "p2000", 2000, 0, true},
        {"TEMP", "2000'F", "F2000", 2000, -60, true},
        {"TEMP", "1370'C", "C1370", 1370, -50, true},
        {"FREQ", "1KHz", "", 0, 0, false},
        {"FREQ", "1MHz", "", 0, 0, false},
        {"FREQ", "KHz/MHz", "", 0, 0, false},
        {"DIODE", "1V", "", 0, 0, false},
        {"HOLD", "", "", 0, 0, false},
        {"DCV", "200mv", "", 0, 0, false},
        {"TEMP", "300'C", "", 0, 0, false},
    };
    for (const auto& r : rows)
        QTest::addRow("%s %s", r.function, r.range)
            << QString::fromLatin1(r.function) << QString::fromLatin1(r.range)
            << QString::fromLatin1(r.window) << r.max << r.min << r.labelled;
}

void TestViewGeometry::chartChoice() {
    QFETCH(QString, function);
    QFETCH(QString, range);
    QFETCH(QString, window);
    QFETCH(int, chartMax);
    QFETCH(int, chartMin);
    QFETCH(bool, labelled);
    const auto choice = tarnix::views::chartChoice(function, range);
    QCOMPARE(choice.has_value(), !window.isEmpty());
    if (!choice)
        return;
    QCOMPARE(QString(choice->window), window);
    QVERIFY(std::find(ChartWindowNames.begin(), ChartWindowNames.end(), choice->window)
            != ChartWindowNames.end());
    QCOMPARE(choice->chartMax, chartMax);
    QCOMPARE(choice->chartMin, chartMin);
    QCOMPARE(choice->labelled, labelled);
}

// A range the meter can send gets a chart unless it is a frequency, a diode
// test or a hold; and only mV200 shows unlabelled points.
void TestViewGeometry::everyMeterRangeHasAChart() {
    for (const auto& e : tarnix::meter::functionRangeTable()) {
        const QString function = QString::fromLatin1(e.function);
        const QString range = QString::fromLatin1(e.range);
        const auto choice = tarnix::views::chartChoice(function, range);
        const bool none = function == u"FREQ" || function == u"DIODE" || function == u"HOLD";
        QVERIFY2(choice.has_value() != none, qPrintable(function + u' ' + range));
        if (choice) {
            QCOMPARE(choice->labelled, choice->window != QLatin1String("mV200"));
            QVERIFY(choice->chartMin <= 0 && choice->chartMax > 0);
        }
    }
}

void TestViewGeometry::chartPointValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("chartMax");
    QTest::addColumn<int>("chartMin");
    QTest::addColumn<double>("point");
    QTest::newRow("200'C OL") << "OL" << 200 << -50 << 200.0;
    QTest::newRow("200'C -OL") << "-OL" << 200 << -50 << -50.0;
    QTest::newRow("750V OL") << "OL" << 750 << -750 << 750.0;
    QTest::newRow("750V -OL") << "-OL" << 750 << -750 << -750.0;
    QTest::newRow("1000V -OL") << "-OL" << 1000 << -1000 << -1000.0;
    QTest::newRow("one-sided -OL") << "-OL" << 200 << 0 << 0.0;
    QTest::newRow("-OL after a blank") << " -OL" << 2 << -2 << -2.0;
    QTest::newRow("number") << "-12.34" << 200 << -200 << -12.34;
    QTest::newRow("number with zeros") << "012" << 200 << -200 << 12.0;
    QTest::newRow("Initial is 0") << "Initial" << 200 << -200 << 0.0;
}

void TestViewGeometry::chartPointValue() {
    QFETCH(QString, value);
    QFETCH(int, chartMax);
    QFETCH(int, chartMin);
    QFETCH(double, point);
    QCOMPARE(tarnix::views::chartPointValue(value, chartMax, chartMin), point);
}

void TestViewGeometry::chartTakesPoint_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<bool>("takes");
    QTest::newRow("count 0") << 0 << "2 sec" << true;
    QTest::newRow("count reached") << 2 << "2 sec" << true;
    QTest::newRow("count between") << 1 << "2 sec" << false;
    QTest::newRow("count past") << 3 << "2 sec" << false;
    QTest::newRow("every second") << 1 << "1 sec" << true;
    QTest::newRow("60 reached") << 60 << "60 sec" << true;
    QTest::newRow("59 of 60") << 59 << "60 sec" << false;
}

void TestViewGeometry::chartTakesPoint() {
    QFETCH(int, count);
    QFETCH(QString, interval);
    QFETCH(bool, takes);
    QCOMPARE(tarnix::views::chartTakesPoint(count, interval), takes);
}

void TestViewGeometry::chartSecondLabel_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("label");
    QTest::newRow("7 s") << QTime(14, 3, 7) << "07";
    QTest::newRow("midnight") << QTime(0, 0, 0) << "00";
    QTest::newRow("last second") << QTime(23, 59, 59) << "59";
    QTest::newRow("fraction dropped") << QTime(12, 0, 9, 999) << "09";
}

void TestViewGeometry::chartSecondLabel() {
    QFETCH(QTime, time);
    QFETCH(QString, label);
    QCOMPARE(tarnix::views::chartSecondLabel(time), label);
}

void TestViewGeometry::chartSeries_data() {
    QTest::addColumn<bool>("labelled");
    QTest::addColumn<int>("points"); // point k is 10 k + 1 at second k
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QStringList>("labels");

    const auto rowNames = [](int from) {
        QStringList names;
        for (int i = from; i <= ChartPoints; ++i)
            names << QStringLiteral("R%1").arg(i);
        return names;
    };
    QList<double> zeros(ChartPoints, 0.0);

    QTest::newRow("fresh") << true << 0 << zeros << rowNames(1);
    QList<double> one(ChartPoints - 1, 0.0);
    one << 1.0;
    QTest::newRow("first point at the right") << true << 1 << one << (rowNames(2) << "00");
    QTest::newRow("unlabelled keeps its row names") << false << 1 << one << rowNames(1);

    QList<double> twenty, twentyOne;
    QStringList seconds20, seconds21;
    for (int k = 0; k < ChartPoints; ++k) {
        twenty << 10.0 * k + 1;
        twentyOne << 10.0 * (k + 1) + 1;
        seconds20 << QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
        seconds21 << QStringLiteral("%1").arg(k + 1, 2, 10, QLatin1Char('0'));
    }
    QTest::newRow("20 points: no zeros left") << true << 20 << twenty << seconds20;
    QTest::newRow("21st pushes the oldest out") << true << 21 << twentyOne << seconds21;
    QTest::newRow("unlabelled, 21 points") << false << 21 << twentyOne << rowNames(1);
}

void TestViewGeometry::chartSeries() {
    QFETCH(bool, labelled);
    QFETCH(int, points);
    QFETCH(QList<double>, values);
    QFETCH(QStringList, labels);
    ChartSeries series(labelled);
    for (int k = 0; k < points; ++k)
        series.addPoint(10.0 * k + 1, QTime(10, 0, k));
    QList<double> shownValues;
    QStringList shownLabels;
    for (int row = 0; row < ChartPoints; ++row) {
        shownValues << series.value(row);
        shownLabels << series.label(row);
    }
    QCOMPARE(shownValues, values);
    QCOMPARE(shownLabels, labels);
}

void TestViewGeometry::chartLayout_data() {
    QTest::addColumn<bool>("resized");
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QRectF>("chart");
    QTest::addColumn<QPointF>("caption");
    QTest::newRow("on load") << false << QSizeF(6135, 5490) << QRectF(0, 0, 6015, 4575)
                             << QPointF(2827.5, 4575);
    QTest::newRow("resized") << true << QSizeF(8000, 6000) << QRectF(0, 0, 7880, 5000)
                             << QPointF(4000, 5000);
}

void TestViewGeometry::chartLayout() {
    QFETCH(bool, resized);
    QFETCH(QSizeF, window);
    QFETCH(QRectF, chart);
    QFETCH(QPointF, caption);
    const ChartLayout layout = resized ? chartLayoutAfterResize(window) : chartLayoutOnLoad(window);
    QCOMPARE(layout.chart, chart);
    QCOMPARE(layout.caption, caption);
}

QTEST_GUILESS_MAIN(TestViewGeometry)
#include "test_view_geometry.moc"
