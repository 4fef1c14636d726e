// The digital view, the analog view and the strip charts as the panel opens
// them and the sample ticks drive them, on the simulated meter.
#include "support/PanelBench.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/views/LiveViews.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : PanelBench {
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
    void click(const char* button) { panel.findChild<QPushButton*>(button)->click(); }
    void sampleTick() { panel.sampling().tick(); }
};

// The window's outer size in twips is `w` x `h`, give or take a frame's rounding.
bool outerSizeNear(QWidget* window, double w, double h) {
    const QSizeF outer = ui::outerSizeTwips(window);
    return std::abs(outer.width() - w) < 20 && std::abs(outer.height() - h) < 20;
}

} // namespace

class TestLiveViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitalFollowsSampleTicks();
    void analogFollowsTheMeter();
    void chartShiftsAndHandsOver();
    void chartLaysOutOnEveryResize();
};

void TestLiveViews::digitalFollowsSampleTicks() {
    Bench b;
    b.reading(0, "-123.4");
    b.click("CmdDigital");
    ui::Digital* digital = b.panel.views().digital();
    QVERIFY(digital && digital->isVisible());
    QCOMPARE(digital->pos().x(), b.panel.frameGeometry().width()); // right of the panel
    auto* value = digital->findChild<QLabel*>("LblValue");
    QVERIFY(value->text().isEmpty()); // nothing until the first sample tick
    b.panel.state().texts.value = QStringLiteral("OVER"); // the panel flashes an alarm
    b.sampleTick();
    QCOMPARE(value->text(), QStringLiteral("-123.4"));
    QCOMPARE(digital->findChild<QLabel*>("LblFunction")->text(), QStringLiteral("DCV : 200mV"));
    digital->resize(40, 40); // too narrow: back to the smallest size and font
    b.sampleTick();
    QVERIFY(outerSizeNear(digital, 1740, 1044));
    QCOMPARE(value->font().pointSize(), 10);
}

void TestLiveViews::analogFollowsTheMeter() {
    Bench b;
    b.reading(0, "100.0");
    b.click("CmdAnalog");
    ui::AnalogMeter* analog = b.panel.views().analog();
    QVERIFY(analog && !analog->needle()); // drawn at the first ordinary sample tick
    b.sampleTick();
    QCOMPARE(*analog->needle(), 63.0); // half way up the right side
    // 200mV -> 2V: the tick rebuilds the dial and ends; the next one samples again.
    b.reading(1, "1.000");
    b.sampleTick();
    analog = b.panel.views().analog();
    QVERIFY(analog && !analog->needle());
    QCOMPARE(analog->scaleTexts(), (QStringList{"0", " 1", "-1", " 2", "-2"}));
    // A narrow window snaps back to the dial's shape and is redrawn, the needle next tick.
    // So does one the user narrows again right after the snap.
    for (const QSize narrow : {QSize(50, 200), QSize(80, 90)}) {
        analog->resize(narrow);
        b.sampleTick();
        QVERIFY(outerSizeNear(analog, 4605, 2925) && !analog->needle());
    }
    b.sampleTick();
    QVERIFY(analog->needle());
    // A width that lands between pixels is redrawn once, not at every tick.
    analog->resize(analog->width() * 3 / 2 + 1, analog->height());
    b.sampleTick();
    QVERIFY(!analog->needle());
    b.sampleTick();
    QVERIFY(analog->needle());
    // A window that keeps its own size (maximised, tiled) when asked twice
    // gets the dial fitted to it.
    const QSize kept(analog->width() / 2, analog->height() * 2);
    for (int tick = 0; tick < 3; ++tick) {
        analog->resize(kept); // the window manager says no to the dial's shape
        b.sampleTick();
    }
    QVERIFY(analog->needle() && analog->size() == kept);
    b.reading(5, "1.000"); // FREQ closes the view
    b.sampleTick();
    QVERIFY(!b.panel.views().analog());
}

void TestLiveViews::chartShiftsAndHandsOver() {
    Bench b;
    b.reading(1, "1.234");
    b.click("CmdGraph");
    QPointer<ui::StripChart> v2 = b.panel.views().chart();
    QVERIFY(v2 && v2->timer().isActive());
    v2->tick();
    QCOMPARE(v2->findChild<QLabel*>("LblFunction")->text(), QStringLiteral("DCV:2V"));
    QCOMPARE(v2->series().value(ui::ChartPoints - 1), 1.234); // the newest at the right
    // Paused, its timer stops; continued, it keeps the points it had.
    v2->findChild<QAction*>("CmdPause")->trigger();
    QVERIFY(!v2->timer().isActive() && v2->findChild<QAction*>("CmdContinue")->isEnabled() &&
            !v2->findChild<QAction*>("CmdPause")->isEnabled());
    v2->findChild<QAction*>("CmdContinue")->trigger();
    QVERIFY(v2->timer().isActive() && v2->series().value(ui::ChartPoints - 1) == 1.234);
    v2->findChild<QAction*>("CmdPrint")->trigger(); // the chart, not its menu bar
    QCOMPARE(b.printer.windowsPrinted(), QStringList{"ChartArea"});
    // 2V -> 20V: the next point closes V2 and opens V20 with all points 0.
    b.reading(2, "12.34");
    v2->tick();
    ui::StripChart* v20 = b.panel.views().chart();
    QVERIFY(v20 && v20 != v2 && v20->objectName() == QStringLiteral("V20"));
    for (int row = 0; row < ui::ChartPoints; ++row)
        QCOMPARE(v20->series().value(row), 0.0);
    QVERIFY(!v2 || !v2->isVisible());
    // Overloads plot at the range's ends.
    b.reading(2, "OL");
    v20->tick();
    b.reading(2, "-OL");
    v20->tick();
    QCOMPARE(v20->series().value(ui::ChartPoints - 2), 20.0);
    QCOMPARE(v20->series().value(ui::ChartPoints - 1), -20.0);
    // Not on a sample tick: no point, nothing moves along.
    b.panel.sampling().setInterval(2);
    b.sampleTick();
    v20->tick();
    QCOMPARE(v20->series().value(ui::ChartPoints - 2), 20.0);
    // GRAPH on a frequency closes the chart and opens none.
    b.reading(5, "1.000");
    b.click("CmdGraph");
    QVERIFY(!b.panel.views().chart());
}

// A chart resized back to the size it opened with is laid out as it opened.
// (Where the views open, and a minimised one coming back, are checked under
// a real window manager.)
void TestLiveViews::chartLaysOutOnEveryResize() {
    Bench b;
    b.reading(1, "1.234");
    b.click("CmdGraph");
    const ui::LiveViews& v = b.panel.views();
    auto* chart = v.chart()->findChild<QWidget*>("Chart");
    const QRect opened = chart->geometry();
    const QSize size = v.chart()->size();
    v.chart()->resize(size * 2);
    QVERIFY(chart->geometry() != opened);
    v.chart()->resize(size);
    QCOMPARE(chart->geometry(), opened);
    // A chart outliving its panel would tick on into a state that is gone.
    QPointer<ui::StripChart> left;
    {
        Bench gone;
        gone.reading(1, "1.234");
        gone.click("CmdGraph");
        left = gone.panel.views().chart();
    }
    QVERIFY(!left || !left->timer().isActive());
}

QTEST_MAIN(TestLiveViews)
#include "test_live_views.moc"
