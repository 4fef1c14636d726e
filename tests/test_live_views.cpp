// The digital view, the analog view and the strip charts as the panel opens
// them and the sample ticks drive them, on the simulated meter.
#include "core/MeterSession.h"
#include "ui/panel/Panel.h"
#include "platform/Twips.h"
#include "ui/platform/TwipsGeometry.h"
#include "support/SimulatedLink.h"
#include "ui/views/LiveViews.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : SimulatedLink {
    Bench() {
        [this] { QVERIFY(panel.load()); }();
        panel.sampling().setInterval(1);
    }
    // The meter shows this reading from the next poll on.
    void reading(int code, const QString& value) {
        const auto r = sim::ScriptedReading::fromValue(sim::Model::Short, code, value);
        QVERIFY2(r, qPrintable(value));
        meter.setScript({*r}, true);
        panel.cycle().tick();
    }
    void click(const char* button) {
        panel.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    views::LiveViews& views() { return panel.views(); }

    tarnix::core::MeterSession session{link, dialogs};
    panel::Panel panel{session, dialogs, printer};
};

} // namespace

class TestLiveViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitalFollowsSampleTicks();
    void digitalSnapsBackWhenTooNarrow();
    void analogOpensOnlyWithADial_data();
    void analogOpensOnlyWithADial();
    void analogFollowsTheMeter();
    void graphPicksTheChart_data();
    void graphPicksTheChart();
    void chartShiftsAndHandsOver();
    void pauseAndContinue();
};

void TestLiveViews::digitalFollowsSampleTicks() {
    Bench b;
    b.reading(0, "-123.4");
    b.click("CmdDigital");
    views::Digital* digital = b.views().digital();
    QVERIFY(digital && digital->isVisible());
    QCOMPARE(digital->pos().x(), b.panel.frameGeometry().width());
    auto* value = digital->findChild<QLabel*>(QStringLiteral("LblValue"));
    const QRect before = value->geometry();
    QVERIFY(value->text().isEmpty()); // nothing until the first sample tick

    b.panel.sampling().tick();
    QCOMPARE(value->text(), QStringLiteral("-123.4"));
    QCOMPARE(digital->findChild<QLabel*>(QStringLiteral("LblFunction"))->text(),
             QStringLiteral("DCV : 200mV"));
    QCOMPARE(value->geometry(), before); // the size was the one seen at load

    // Between sample ticks nothing changes.
    b.panel.sampling().setInterval(3);
    b.panel.sampling().tick();
    b.reading(0, "55.0");
    b.panel.sampling().tick();
    QCOMPARE(value->text(), QStringLiteral("-123.4"));
}

void TestLiveViews::digitalSnapsBackWhenTooNarrow() {
    Bench b;
    b.click("CmdDigital");
    views::Digital* digital = b.views().digital();
    digital->resize(40, 40);
    b.panel.sampling().tick();
    const QSizeF outer = platform::outerSizeTwips(digital);
    QVERIFY2(std::abs(outer.width() - 1740) < 20 && std::abs(outer.height() - 1044) < 20,
             qPrintable(QStringLiteral("%1 x %2").arg(outer.width()).arg(outer.height())));
    QCOMPARE(digital->findChild<QLabel*>(QStringLiteral("LblValue"))->font().pointSize(), 10);
}

void TestLiveViews::analogOpensOnlyWithADial_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("opens");
    QTest::newRow("DCV") << 0 << "10.0" << true;
    QTest::newRow("ACA") << 162 << "10.0" << true;
    QTest::newRow("TEMP") << 68 << "0100" << true;
    QTest::newRow("FREQ") << 5 << "1.000" << false;
    QTest::newRow("DIODE") << 6 << ".500" << false;
}

void TestLiveViews::analogOpensOnlyWithADial() {
    QFETCH(int, code);
    QFETCH(QString, value);
    Bench b;
    b.reading(code, value);
    b.click("CmdAnalog");
    QFETCH(bool, opens);
    QCOMPARE(bool(b.views().analog()), opens);
}

void TestLiveViews::analogFollowsTheMeter() {
    Bench b;
    b.reading(0, "100.0");
    b.click("CmdAnalog");
    views::AnalogMeter* analog = b.views().analog();
    QVERIFY(analog);
    QCOMPARE(analog->windowTitle(), QStringLiteral("Analog"));
    QVERIFY(!analog->needle()); // drawn at the first ordinary sample tick
    b.panel.sampling().tick();
    QCOMPARE(*analog->needle(), 90 - 54 * 100.0 / 200);

    // 200mV -> 2V: the tick rebuilds the dial and ends; the next one samples again.
    b.reading(1, "1.000");
    const double countBefore = b.panel.sampling().sampleTickCount();
    b.panel.sampling().tick();
    QCOMPARE(b.panel.sampling().sampleTickCount(), countBefore);
    analog = b.views().analog();
    QVERIFY(analog);
    QCOMPARE(analog->scaleTexts(), (QStringList{"0", " 1", "-1", " 2", "-2"}));

    // A narrow window snaps back to the dial's shape and is redrawn.
    analog->resize(50, 200);
    b.panel.sampling().tick();
    QCOMPARE(analog->drawing(), views::DialDrawing::Redraw);
    const QSizeF outer = platform::outerSizeTwips(analog);
    QVERIFY2(std::abs(outer.width() - 4605) < 20 && std::abs(outer.height() - 2925) < 20,
             qPrintable(QStringLiteral("%1 x %2").arg(outer.width()).arg(outer.height())));
    b.panel.sampling().tick();
    QVERIFY(analog->needle());
    // A width that lands between pixels: redrawn once, then the needle moves again.
    analog->resize(analog->width() * 3 / 2 + 1, analog->height());
    b.panel.sampling().tick();
    QVERIFY(!analog->needle());
    b.panel.sampling().tick();
    QVERIFY(analog->needle());
    // A window that keeps its own size after a redraw (maximised, tiled):
    // the dial is fitted to it at the next tick and the needle moves on.
    const QSize kept = analog->size();
    analog->resize(kept.width() / 2, kept.height() * 2);
    b.panel.sampling().tick(); // asks for the dial's shape
    analog->resize(kept.width() / 2, kept.height() * 2); // the window manager says no
    b.panel.sampling().tick();
    QVERIFY(analog->needle());
    QCOMPARE(analog->size(), QSize(kept.width() / 2, kept.height() * 2));

    b.reading(5, "1.000"); // FREQ closes the view
    b.panel.sampling().tick();
    QVERIFY(!b.views().analog());
}

void TestLiveViews::graphPicksTheChart_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("chart");
    QTest::addColumn<double>("overload");
    QTest::addColumn<double>("negativeOverload");
    QTest::newRow("200'C") << 66 << "mV200" << 200.0 << -50.0;
    QTest::newRow("ACV 750V") << 132 << "V600" << 750.0 << -750.0;
    QTest::newRow("DCV 1000V") << 4 << "V600" << 1000.0 << -1000.0;
    QTest::newRow("2000pF") << 32 << "p2000" << 2000.0 << 0.0;
    QTest::newRow("FREQ") << 5 << "" << 0.0 << 0.0;
    QTest::newRow("DIODE 1V") << 6 << "" << 0.0 << 0.0;
}

void TestLiveViews::graphPicksTheChart() {
    QFETCH(int, code);
    QFETCH(QString, chart);
    QFETCH(double, overload);
    QFETCH(double, negativeOverload);
    Bench b;
    b.reading(1, "1.000"); // an open V2 chart that the GRAPH below closes
    b.click("CmdGraph");
    QVERIFY(b.views().chart());
    b.reading(code, "OL");
    b.click("CmdGraph");
    views::StripChart* open = b.views().chart();
    QCOMPARE(open ? open->objectName() : QString(), chart);
    if (!open)
        return;
    QCOMPARE(open->windowTitle(), QStringLiteral("Real Time Chart"));
    QVERIFY(open->timer().isActive());
    open->tick();
    b.reading(code, "-OL");
    open->tick();
    const views::ChartSeries& s = open->series();
    QCOMPARE(s.value(views::ChartPoints - 2), overload);
    QCOMPARE(s.value(views::ChartPoints - 1), negativeOverload);
}

void TestLiveViews::chartShiftsAndHandsOver() {
    Bench b;
    b.reading(1, "1.234");
    b.click("CmdGraph");
    views::StripChart* v2 = b.views().chart();
    QCOMPARE(v2->objectName(), QStringLiteral("V2"));
    v2->tick();
    for (int row = 0; row < views::ChartPoints - 1; ++row)
        QCOMPARE(v2->series().value(row), 0.0);
    QCOMPARE(v2->series().value(views::ChartPoints - 1), 1.234);
    QCOMPARE(v2->findChild<QLabel*>(QStringLiteral("LblFunction"))->text(),
             QStringLiteral("DCV:2V"));

    // Not on a sample tick: no point.
    b.panel.sampling().setInterval(2);
    b.panel.sampling().tick();
    v2->tick();
    QCOMPARE(v2->series().value(views::ChartPoints - 2), 0.0);
    QCOMPARE(v2->series().value(views::ChartPoints - 1), 1.234);

    // 2V -> 20V: the next point closes V2 and opens V20 with all points 0.
    b.panel.sampling().setInterval(1);
    b.reading(2, "12.34");
    v2->tick();
    views::StripChart* v20 = b.views().chart();
    QVERIFY(v20 && v20 != v2);
    QCOMPARE(v20->objectName(), QStringLiteral("V20"));
    for (int row = 0; row < views::ChartPoints; ++row)
        QCOMPARE(v20->series().value(row), 0.0);
    QTRY_VERIFY(!v2->isVisible());
}

void TestLiveViews::pauseAndContinue() {
    Bench b;
    b.reading(2, "5.00");
    b.click("CmdGraph");
    views::StripChart* chart = b.views().chart();
    auto action = [&](const char* name) {
        return chart->findChild<QAction*>(QString::fromLatin1(name));
    };
    chart->tick();
    action("CmdPause")->trigger();
    QVERIFY(!chart->timer().isActive());
    QVERIFY(action("CmdContinue")->isEnabled());
    QVERIFY(!action("CmdPause")->isEnabled());
    action("CmdContinue")->trigger();
    QVERIFY(chart->timer().isActive());
    QCOMPARE(chart->series().value(views::ChartPoints - 1), 5.0); // not cleared

    action("CmdPrint")->trigger();
    QCOMPARE(b.printer.windowsPrinted().size(), 1);
}

QTEST_MAIN(TestLiveViews)
#include "test_live_views.moc"
