// The windows on a real X display under a real window manager (openbox on
// Xvfb, started by wm/under-openbox.sh): frames, resizes, maximise and
// minimise, which a frameless offscreen window never meets.
#include "support/PanelBench.h"
#include "support/RunApart.h"
#include "support/VirtualClock.h"
#include "support/WidgetPlacement.h"
#include "sim/BuiltInMeter.h"
#include "ui/DesktopProgram.h"
#include "ui/panel/Panel.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/platform/WidgetDialogs.h"
#include "ui/trend/TrendCanvas.h"
#include "ui/trend/TrendWindow.h"
#include "ui/views/LiveViews.h"
#include "ui/views/RealTimeList.h"

#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnix;

namespace {

struct Bench : PanelBench {
    Bench() {
        meter.setScript({*sim::ScriptedReading::fromValue(sim::Model::Short, 1, "1.234")});
        [this] { QVERIFY(panel.load()); }();
        panel.show();
        panel.cycle().tick();
        panel.cycle().timer().stop(); // the test drives the clocks by hand
        panel.sampling().timer().stop();
        panel.sampling().setInterval(1);
    }
    QWidget* open(const char* button) {
        panel.findChild<QPushButton*>(button)->click();
        const ui::LiveViews& v = panel.views();
        QWidget* w = button == QByteArray("CmdDigital") ? static_cast<QWidget*>(v.digital())
            : button == QByteArray("CmdAnalog") ? static_cast<QWidget*>(v.analog())
            : button == QByteArray("CmdGraph")  ? static_cast<QWidget*>(v.chart())
                                                 : panel.findChild<ui::RealTimeList*>();
        return w && QTest::qWaitForWindowExposed(w) ? w : nullptr;
    }
};

// Lets the window manager act on what was asked of it.
// The window manager frames and places windows in its own time, later on
// a busy machine: waited for until every window shown has its frame and has
// stayed put for a moment. A window that never settles is left to the
// checks that follow.
void settle() {
    QList<QRect> last;
    QElapsedTimer still;
    still.start();
    (void)QTest::qWaitFor([&] {
        QList<QRect> now;
        bool framed = true;
        for (const QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !w->isMinimized() &&
                !w->windowFlags().testFlag(Qt::FramelessWindowHint)) {
                now << w->frameGeometry();
                framed = framed && w->frameGeometry() != w->geometry();
            }
        if (!framed || now != std::exchange(last, now))
            still.restart();
        return still.elapsed() >= 200;
    }, 5000);
}

} // namespace

class TestWindowsUnderWm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void panelOpensTopLeft();
    void viewsOpenClearOfEachOther();
    void windowsHoldUpToResizes();
    void messageStandsOverItsWindowNotUnderProgress();
    void fileListBoxStandsOverTheList_data();
    void fileListBoxStandsOverTheList();
    void trendAnswersTheServersWheelAndKeys();
};

void TestWindowsUnderWm::init() {
    if (runsApart())
        QSKIP("runs in a CTest entry of its own, side by side with the rest");
}

// The program shows its panel before loading it; the corner still holds.
void TestWindowsUnderWm::panelOpensTopLeft() {
    sim::BuiltInMeter builtIn;
    ui::DesktopProgram program(
        {.start = ui::DesktopOptions::Start::Simulated, .simulatedPorts = builtIn.ports()});
    QVERIFY(program.start() && QTest::qWaitForWindowExposed(program.panel()));
    settle();
    QCOMPARE(program.panel()->frameGeometry().topLeft(), QPoint(0, 0));
}

void TestWindowsUnderWm::viewsOpenClearOfEachOther() {
    Bench b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.panel));
    std::vector<QWidget*> windows{&b.panel};
    for (const char* button : {"CmdDigital", "CmdAnalog", "CmdGraph"}) {
        windows.push_back(b.open(button));
        QVERIFY2(windows.back(), button);
    }
    settle();
    const QRect screen = b.panel.screen()->availableGeometry();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        QVERIFY2(screen.contains(windows[i]->frameGeometry()), qPrintable(windows[i]->objectName()));
        for (std::size_t j = i + 1; j < windows.size(); ++j)
            QVERIFY2(!windows[i]->frameGeometry().intersects(windows[j]->frameGeometry()),
                     qPrintable(windows[i]->objectName() + u' ' + windows[j]->objectName()));
    }
    // The freshly opened chart labels every point (R1 to R20, or its second).
    int labels = 0;
    for (const QGraphicsItem* item : windows[3]->findChild<QGraphicsView*>()->scene()->items())
        if (const auto* text = dynamic_cast<const QGraphicsSimpleTextItem*>(item))
            labels += text->isVisible();
    QCOMPARE(labels, ui::ChartPoints);
    // A minimised view comes back with its button, in front.
    windows[1]->showMinimized();
    settle();
    b.open("CmdDigital");
    QTRY_VERIFY(!windows[1]->isMinimized() && windows[1]->isActiveWindow());
}

void TestWindowsUnderWm::windowsHoldUpToResizes() {
    Bench b;
    QWidget* list = b.open("CmdList");
    QWidget* chart = b.open("CmdGraph");
    QWidget* analog = b.open("CmdAnalog");
    QVERIFY(list && chart && analog);
    // Larger and back, maximised and restored: everything inside again.
    for (QWidget* window : {list, chart}) {
        const QSize opened = window->size();
        window->resize(opened * 3 / 2);
        settle();
        window->resize(opened);
        settle();
        QCOMPARE(misplacedWidget(window), QString());
        window->showMaximized();
        settle();
        window->showNormal();
        settle();
        QCOMPARE(misplacedWidget(window), QString());
    }
    // A user's narrowing of the dial, twice in a row, is snapped both times.
    for (const int width : {200, 300}) {
        analog->resize(width, analog->height());
        settle();
        b.panel.sampling().tick();
        settle();
        const QSizeF outer = ui::outerSizeTwips(analog);
        QVERIFY2(outer.width() >= 4500, qPrintable(QString::number(outer.width())));
        b.panel.sampling().tick(); // the needle again
    }
    QCOMPARE(misplacedWidget(analog), QString());
}

// A message while a progress box is up: the box steps aside, the message
// sits over its window and takes a click.
void TestWindowsUnderWm::messageStandsOverItsWindowNotUnderProgress() {
    QWidget window;
    window.resize(600, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    platform::VirtualClock clock;
    ui::WidgetDialogs dialogs(clock, &window);
    const auto progress = dialogs.progressFor(&window, QStringLiteral("Opening"));
    QVERIFY(progress->update(20) && !window.findChild<QProgressDialog*>()->isVisible());
    clock.advance(0.35);
    progress->update(40);
    auto* progressBox = window.findChild<QProgressDialog*>();
    QTRY_VERIFY(progressBox && progressBox->isVisible());
    bool progressHidden = false, answered = false;
    QRect boxAt;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        auto* box = static_cast<QMessageBox*>(QApplication::activeModalWidget());
        settle();
        progressHidden = !progressBox->isVisible();
        boxAt = box->frameGeometry();
        // Through the window system, as a user's click comes, blocks and all.
        const QWidget* ok = box->button(QMessageBox::Ok);
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                          ok->mapTo(box, ok->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(!box->isVisible(), 1000);
        answered = true;
    });
    QTimer::singleShot(5000, this, [] { // never left waiting on a box
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    dialogs.messageFor(&window, QStringLiteral("1 line was not a record"), {}, {});
    QVERIFY(progressHidden && answered);
    QVERIFY(window.frameGeometry().contains(boxAt.center()));
    QVERIFY(progressBox->isVisible() && progress->update(50));
}

// What the list of a file opened from the panel says of the file stands
// over that list, not over the panel.
void TestWindowsUnderWm::fileListBoxStandsOverTheList_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("lines that are not records") << "bad.dat";
    QTest::newRow("not a regular file") << "/dev/zero";
}

void TestWindowsUnderWm::fileListBoxStandsOverTheList() {
    QFETCH(QString, file);
    QTemporaryDir dir;
    QFile bad(dir.filePath(file));
    QVERIFY(file.startsWith(u'/') || (bad.open(QIODevice::WriteOnly) && bad.write("no record\r\n")));
    bad.close();
    QRect boxAt, listAt, panelAt;
    QTimer watch; // the box is looked for while the program opens the file
    connect(&watch, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !boxAt.isEmpty())
            return;
        settle();
        boxAt = box->frameGeometry();
        listAt = box->parentWidget()->frameGeometry();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == u"Panel")
                panelAt = w->frameGeometry();
        box->accept();
    });
    watch.start(50);
    sim::BuiltInMeter builtIn;
    ui::DesktopProgram program({.start = ui::DesktopOptions::Start::Simulated,
                                .dataFile = file.startsWith(u'/') ? file : bad.fileName(),
                                .simulatedPorts = builtIn.ports()});
    QVERIFY(program.start());
    QVERIFY(!boxAt.isEmpty());
    QVERIFY2(listAt.contains(boxAt.center()) && !panelAt.contains(boxAt.center()),
             qPrintable(QStringLiteral("box at %1,%2, list at %3,%4, panel to %5,%6")
                            .arg(boxAt.center().x()).arg(boxAt.center().y())
                            .arg(listAt.x()).arg(listAt.y())
                            .arg(panelAt.right()).arg(panelAt.bottom())));
}

// The trend of a file given on the command line, driven through the X
// server as a user's mouse and keys would: the wheel over the drawing zooms
// around the pointer, Home shows all again, and the window manager shows
// the file's name in the title.
void TestWindowsUnderWm::trendAnswersTheServersWheelAndKeys() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is not installed");
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("bench 1.dat")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 600; ++i)
        file.write(QStringLiteral("%1,26/12/07,%2:%3:00.0,DCV,20V,%4\r\n")
                       .arg(i + 1).arg(i / 60 + 10).arg(i % 60, 2, 10, QChar(u'0')).arg(i % 7)
                       .toLatin1());
    file.close();
    ui::DesktopProgram program({.trendFiles = {file.fileName()}});
    QVERIFY(program.start());
    ui::TrendWindow* trend = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        trend = trend ? trend : qobject_cast<ui::TrendWindow*>(w);
    QVERIFY(trend && QTest::qWaitForWindowExposed(trend));
    settle();
    const auto xdotool = [](const QStringList& arguments) {
        QProcess run;
        run.start(QStringLiteral("xdotool"), arguments);
        return run.waitForFinished(10000) && run.exitCode() == 0
                   ? run.readAllStandardOutput().trimmed()
                   : QByteArray("failed");
    };
    const QString window = QString::number(trend->winId());
    QCOMPARE(xdotool({"getwindowname", window}), "Trend - bench 1.dat");

    const trend::TrendFrame all = trend->zoom().frame();
    QCOMPARE(all.toMs - all.fromMs, 599 * 60000LL);
    ui::TrendCanvas* canvas = trend->canvas();
    const QRect plot = ui::TrendLayout(canvas->size(), 1).plot;
    const QPoint over(plot.left() + plot.width() * 3 / 4, plot.center().y());
    const QPoint inWindow = canvas->mapTo(trend, over);
    QCOMPARE(xdotool({"mousemove", "--window", window, QString::number(inWindow.x()),
                      QString::number(inWindow.y())}),
             "");
    QTRY_VERIFY(canvas->hover().has_value()); // the readout follows the pointer
    QCOMPARE(xdotool({"click", "--repeat", "4", "4"}), "");
    QTRY_VERIFY(trend->zoom().frame().toMs - trend->zoom().frame().fromMs <
                (all.toMs - all.fromMs) / 2);
    // Around the pointer: the time under it stays where it was.
    const trend::TrendFrame in = trend->zoom().frame();
    const auto timeUnder = [](const trend::TrendFrame& f) {
        return double(f.fromMs) + 0.75 * double(f.toMs - f.fromMs);
    };
    QVERIFY(std::abs(timeUnder(in) - timeUnder(all)) < 60000);
    QCOMPARE(xdotool({"key", "Home"}), "");
    QTRY_COMPARE(trend->zoom().frame(), all);
}

QTEST_MAIN(TestWindowsUnderWm)
#include "test_windows_under_wm.moc"
