// Pictures of the windows for the README: the program on its built-in
// simulated meter, driven tick by tick on a virtual clock, each window
// grabbed to a PNG file in DIR; --dark shows them under a dark theme.
// Usage: tarnix-shots [--dark] DIR
#include "core/MeterSession.h"
#include "link/Rs232.h"
#include "platform/MemorySerialPort.h"
#include "sim/DemoLogger.h"
#include "sim/SimMeter.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "ui/PortWindow.h"
#include "ui/lists/PlotWindow.h"
#include "ui/logger/DataList.h"
#include "ui/logger/Memory.h"
#include "ui/panel/Panel.h"
#include "ui/trend/TrendCanvas.h"
#include "ui/trend/TrendWindow.h"
#include "ui/views/LiveViews.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

using namespace tarnix;

namespace {

class Shots {
public:
    explicit Shots(const QString& dir) : m_dir(dir) {
        m_clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
        m_meter.loadMemory(sim::demoLoggerMemory(QDateTime(QDate(2026, 3, 14), QTime(9, 5))));
    }

    bool run() {
        portWindow();
        if (!m_panel.load())
            return false;
        m_panel.show();
        poll(3);
        save(&m_panel, "panel");
        m_panel.findChild<QPushButton*>(QStringLiteral("CmdMemory"))->click();
        ui::Memory* memory = m_panel.memoryWindow();
        if (!memory)
            return false;
        save(memory, "memory");
        m_panel.findChild<QPushButton*>(QStringLiteral("CmdAlarm"))->click();
        if (auto* alarm = m_panel.findChild<QWidget*>(QStringLiteral("AlarmSetUp"))) {
            save(alarm, "alarm");
            alarm->close();
        }
        memory->downloadSet(2);
        if (!memory->dataList())
            return false;
        save(memory->dataList(), "datalist");
        plot(memory->dataList(), "ListPlot2", "plot-signed"); // temperatures
        memory->downloadSet(3);
        if (!memory->dataList())
            return false;
        plot(memory->dataList(), "ListPlot1", "plot-positive"); // AC volts
        if (auto* shown = m_panel.findChild<ui::PlotWindow*>(QStringLiteral("ListPlot1"))) {
            shown->findChild<QAction*>(QStringLiteral("MnuLimit"))->trigger();
            if (auto* range = m_panel.findChild<QWidget*>(QStringLiteral("Plot1Range")))
                save(range, "plot-range");
        }
        if (memory->dataList())
            memory->dataList()->close();
        memory->close();
        views();
        trend();
        trendLanes();
        return m_failures == 0;
    }

private:
    // A two-hour recording with a silent stretch, overloads and a change of
    // function, as a trend: all of it, then zoomed in to its readings.
    void trend() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("bench.dat")));
        if (!file.open(QIODevice::WriteOnly))
            return void(++m_failures);
        const QDateTime start(QDate(2026, 12, 7), QTime(9, 0));
        for (int i = 0; i < 7200; i += 5) {
            if (i > 2400 && i < 3000)
                continue; // the meter was off
            const QDateTime at = start.addSecs(i);
            const bool res = i > 6000;
            const double v = 1.5 + std::sin(i / 600.0) + (i % 1500 == 0 ? 0.8 : 0);
            const QString value = i % 2000 == 5 ? QStringLiteral("OL")
                                  : res         ? QString::number(9.8 + v, 'f', 3)
                                                : QString::number(v, 'f', 3);
            file.write(QStringLiteral("%1,%2,%3,%4\r\n")
                           .arg(i / 5 + 1)
                           .arg(at.toString(QStringLiteral("yy/MM/dd,HH:mm:ss.z")).left(19),
                                res ? QStringLiteral("RES,20KOhm") : QStringLiteral("DCV,20V"),
                                value)
                           .toLatin1());
        }
        file.close();
        ui::TrendWindow window({file.fileName()}, m_dialogs, m_printer, m_clock);
        window.resize(900, 560);
        window.show();
        window.load();
        save(&window, "trend");
        for (const int key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(window.canvas(), &press);
        }
        const QPointF at(window.canvas()->width() * 0.6, window.canvas()->height() * 0.4);
        QMouseEvent move(QEvent::MouseMove, at, window.canvas()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.canvas(), &move);
        save(&window, "trend-zoomed");
    }

    // Ten ranges taken in turns over the night the clocks go back (in the
    // time zone the shots run in), as lanes: hours around it, zoomed in to
    // minutes with a measurement, and shown whole again.
    void trendLanes() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("lanes.dat")));
        if (!file.open(QIODevice::WriteOnly))
            return void(++m_failures);
        static const char* const Ranges[] = {"DCV,20V",      "ACV,200V",   "DCA,200uA", "RES,2KOhm",
                                             "TEMP,1370'C", "DCV,200mV", "FREQ,1KHz", "ACA,20mA",
                                             "DCV,2V",       "CAP,2uF"};
        const qint64 start = QDateTime(QDate(2026, 10, 25), QTime(0, 30)).toMSecsSinceEpoch();
        for (int i = 0; i < 4 * 3600; i += 2) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch(start + i * 1000LL);
            const int k = i / 2 % 10;
            const double wave = std::sin(i / 900.0 + k);
            const QString value = k == 2   ? QString::number(50 + 40 * wave, 'f', 1)
                                  : k == 3 ? QString::number(1.2 + 0.05 * wave, 'f', 3)
                                           : QString::number(1.5 + wave, 'f', 3);
            file.write(QStringLiteral("%1,%2,%3,%4\r\n")
                           .arg(i / 2 + 1)
                           .arg(at.toString(QStringLiteral("yy/MM/dd,HH:mm:ss.0")),
                                QString::fromLatin1(Ranges[k]), value)
                           .toLatin1());
        }
        file.close();
        ui::TrendWindow window({file.fileName()}, m_dialogs, m_printer, m_clock);
        window.resize(1000, 720);
        window.show();
        window.load();
        save(&window, "trend-lanes");
        ui::TrendCanvas* canvas = window.canvas();
        const auto send = [&](QEvent::Type type, QPointF at) {
            QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(canvas, &event);
        };
        for (int n = 0; n < 9; ++n) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier);
            QApplication::sendEvent(canvas, &press);
        }
        const QRect lane = ui::TrendLayout(canvas->size(), 10).lanes[2];
        for (const double x : {0.3, 0.7}) {
            const QPointF at(lane.left() + lane.width() * x, lane.center().y());
            send(QEvent::MouseButtonPress, at);
            send(QEvent::MouseButtonRelease, at);
        }
        save(&window, "trend-lanes-measured");
        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        QApplication::sendEvent(canvas, &home);
        save(&window, "trend-lanes-home");
    }

    // The port window on two adapters and a built-in port, and its open list.
    void portWindow() {
        ui::PortWindow port({{.path = QStringLiteral("/dev/ttyUSB0"),
                                .description = QStringLiteral("FT232R USB UART"),
                                .manufacturer = QStringLiteral("FTDI")},
                               {.path = QStringLiteral("/dev/ttyUSB1"),
                                .description = QStringLiteral("CP2102 USB to UART Bridge Controller"),
                                .manufacturer = QStringLiteral("Silicon Labs")},
                               {.path = QStringLiteral("/dev/ttyS0")}});
        port.show();
        save(&port, "port");
        auto* ports = port.findChild<QComboBox*>(QStringLiteral("Ports"));
        ports->showPopup();
        save(ports->view()->window(), "port-list");
        ports->hidePopup();
    }

    // The live views on a few readings and window sizes.
    void views() {
        ui::LiveViews& v = m_panel.views();
        m_panel.sampling().setInterval(1);
        reading(0, "-123.4"); // DCV 200mV
        v.openDigital();
        v.openAnalog();
        v.showRangeChart();
        for (int i = 0; i < 8; ++i) {
            reading(0, QString::number(-150 + 40 * i) + QStringLiteral(".0"));
            sample();
        }
        save(v.digital(), "digital");
        save(v.analog(), "analog-dcv-200mv");
        save(v.chart(), "chart-mv200");
        v.digital()->resize(v.digital()->size() * 2);
        sample();
        save(v.digital(), "digital-large");
        v.digital()->resize(v.digital()->size() / 3);
        sample();
        save(v.digital(), "digital-small");

        reading(68, "0685"); // TEMP 1370'C
        sample();            // the dial is rebuilt for the new range
        sample();
        save(v.analog(), "analog-temp-1370c");
        v.analog()->resize(v.analog()->size() * 3 / 2);
        sample(); // redrawn for the new size
        sample();
        save(v.analog(), "analog-temp-1370c-large");

        reading(131, "119.7"); // ACV 200V
        v.showRangeChart();
        for (int i = 0; i < 20; ++i) {
            reading(131, QString::number(115 + 8 * std::sin(i / 3.0), 'f', 1));
            sample();
        }
        sample();
        save(v.analog(), "analog-acv-200v");
        save(v.chart(), "chart-v200");
    }

    // The meter answers with this reading from now on.
    void reading(int code, const QString& value) {
        if (auto r = sim::ScriptedReading::fromValue(sim::Model::Short, code, value))
            m_meter.setScript({*r}, true);
        m_panel.cycle().tick();
    }

    // A sample tick, and a point on the open chart.
    void sample() {
        m_panel.sampling().restart();
        m_panel.sampling().tick();
        if (auto* chart = m_panel.views().chart())
            chart->tick();
        m_clock.advance(1.0);
        QApplication::processEvents();
    }

    // Polls the meter and takes samples as the timers would.
    void poll(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            m_panel.cycle().tick();
            m_panel.sampling().tick();
            QApplication::processEvents();
        }
    }

    void plot(QWidget* list, const char* window, const char* name) {
        list->findChild<QPushButton*>(QStringLiteral("CmdDplot"))->click();
        QApplication::processEvents();
        if (auto* shown = m_panel.findChild<ui::PlotWindow*>(QString::fromLatin1(window)))
            save(shown, name);
        else
            ++m_failures;
    }

    void save(QWidget* window, const char* name) {
        QApplication::processEvents();
        const QString path =
            QDir(m_dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
        if (window->grab().save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::printf("cannot write %s\n", qPrintable(path));
            ++m_failures;
        }
    }

    QString m_dir;
    int m_failures = 0;
    platform::VirtualClock m_clock;
    sim::SimMeter m_meter{sim::Model::Short, 9600};
    platform::MemorySerialPort m_port{m_meter, m_clock};
    platform::ScriptedDialogs m_dialogs;
    platform::RecordingPrinter m_printer;
    link::Rs232 m_link{m_port, m_clock, m_dialogs};
    core::MeterSession m_session{m_link, m_dialogs};
    ui::Panel m_panel{m_session, m_dialogs, m_printer};
};

} // namespace

// A dark desktop theme, as Fusion draws one.
void useDarkTheme() {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(130, 130, 130));
    dark.setColor(QPalette::Mid, QColor(90, 90, 95));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(dark);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool dark = argc == 3 && qstrcmp(argv[1], "--dark") == 0;
    if (argc != 2 && !dark) {
        std::fprintf(stderr, "usage: tarnix-shots [--dark] DIR\n");
        return 2;
    }
    if (dark)
        useDarkTheme();
    const QString dir = QString::fromLocal8Bit(argv[argc - 1]);
    QDir().mkpath(dir);
    Shots shots(dir);
    return shots.run() ? 0 : 1;
}
