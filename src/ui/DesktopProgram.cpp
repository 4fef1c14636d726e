#include "ui/DesktopProgram.h"

#include "core/MeterSession.h"
#include "link/Rs232.h"
#include "platform/SerialPort.h"
#include "platform/RealClock.h"
#include "platform/SerialDevices.h"
#include "platform/StopSignals.h"
#include "ui/AboutText.h"
#include "ui/PortWindow.h"
#include "ui/lists/FileList.h"
#include "ui/lists/PlotBoard.h"
#include "ui/panel/Panel.h"
#include "ui/platform/QtPrinter.h"
#include "ui/platform/WidgetDialogs.h"
#include "ui/platform/WindowPlacement.h"
#include "ui/trend/TrendOpening.h"
#include "ui/trend/TrendWindow.h"

#include <QApplication>
#include <QFileInfo>

namespace tarnix::ui {

DesktopProgram::DesktopProgram(DesktopOptions options)
    : m_options(std::move(options)), m_clock(std::make_unique<platform::RealClock>()),
      m_dialogs(std::make_unique<WidgetDialogs>(*m_clock)),
      m_printer(std::make_unique<QtPrinter>(*m_dialogs)) {
    // The menu entry's name (org.tarnix.tarnix.desktop), so that a dock or a
    // Wayland compositor shows the windows with the entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnix.tarnix"));
}

DesktopProgram::~DesktopProgram() {
    delete m_portWindow;
    delete m_fileList;
    for (const QPointer<QWidget>& trend : m_trends)
        delete trend;
}

namespace {

// What the port label shows for the simulated meter.
const QString SimulatedLabel = QStringLiteral("SIM");

// The port label names the device itself, also for a stable link to it
// (/dev/serial/by-id/usb-FTDI_...: "ttyUSB0").
QString portLabel(const QString& device) {
    const QFileInfo link(device);
    const QString target = link.isSymLink() ? link.canonicalFilePath() : QString();
    return platform::shortDeviceName(target.isEmpty() ? device : target);
}

} // namespace

bool DesktopProgram::start() {
    // SIGTERM (a logout, a service manager, kill) and SIGINT end the program
    // as closing its windows does: every wait ends, a recording stops with
    // its lines written, and the port closes, taking its lock file along.
    auto* stops = new platform::StopSignals(this);
    if (stops->watch())
        connect(stops, &platform::StopSignals::stopAsked, this, [] {
            QApplication::closeAllWindows();
            QCoreApplication::quit();
        });
    bool opened = true;
    switch (m_options.start) {
    case DesktopOptions::Start::Device:
        opened = openPanel(m_options.device, portLabel(m_options.device));
        break;
    case DesktopOptions::Start::Simulated:
        opened = openPanel({}, SimulatedLabel);
        break;
    case DesktopOptions::Start::PortWindow:
        if (!m_options.trendFiles.isEmpty())
            return openTrends(); // with none open, the program ends
        else if (m_options.dataFile.isEmpty())
            showPortWindow();
        else
            listDataFileAlone();
        return true;
    }
    if (opened && !m_options.dataFile.isEmpty())
        m_panel->openDataFile(m_options.dataFile);
    if (opened)
        openTrends();
    return opened;
}

FileList* DesktopProgram::fileList() const {
    return m_fileList;
}

void DesktopProgram::listDataFileAlone() {
    m_plots = std::make_unique<PlotBoard>(*m_dialogs, *m_printer, nullptr);
    m_fileList = new FileList({m_data, *m_dialogs, *m_printer, *m_clock, nullptr,
                                      m_plots.get()});
    m_dialogs->setMainWindow(m_fileList);
    m_fileList->show();
    m_fileList->load(m_options.dataFile);
}

bool DesktopProgram::openTrends() {
    std::vector<QStringList> windows;
    if (m_options.trendTogether)
        windows.push_back(m_options.trendFiles);
    else
        for (const QString& file : m_options.trendFiles)
            windows.push_back({file});
    for (const QStringList& files : windows) {
        if (QWidget* trend = openTrend(files, *m_dialogs, *m_printer, *m_clock, nullptr)) {
            m_trends.emplace_back(trend);
            if (!m_panel && m_trends.size() == 1)
                m_dialogs->setMainWindow(trend);
        }
    }
    return !m_trends.empty();
}

void DesktopProgram::showPortWindow() {
    if (m_portWindow) {
        m_portWindow->show();
        m_portWindow->raise();
        return;
    }
    m_portWindow =
        new PortWindow(m_options.serialDevices.value_or(platform::describedSerialDevices()));
    m_portWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_portWindow, &PortWindow::accepted, this,
            [this](int n, const QString& typed) { portChosen(n, typed, true); });
    connect(m_portWindow, &PortWindow::simulatedChosen, this, &DesktopProgram::simulatedChosen);
    connect(m_portWindow, &PortWindow::quickChoice, this,
            [this](int n) { portChosen(n, {}, false); });
    connect(m_portWindow, &PortWindow::aboutAsked, this,
            [this] { showAbout(*m_dialogs, m_portWindow); });
    m_portWindow->show();
}

void DesktopProgram::portChosen(int comNumber, const QString& typedDevice, bool closePortWindow) {
    if (comNumber > 0)
        m_comPortNumber = comNumber;
    const bool typed = comNumber == 0 && !typedDevice.isEmpty();
    const QString device =
        typed ? typedDevice : (m_portWindow ? m_portWindow->deviceFor(m_comPortNumber) : QString());
    const QString label =
        typed ? portLabel(typedDevice) : QStringLiteral("COM%1").arg(m_comPortNumber);
    if (m_panel)
        showRunningPanel(device, label, closePortWindow);
    else
        openChosenPanel(device, label, closePortWindow);
}

void DesktopProgram::showRunningPanel(const QString& device, const QString& label,
                                      bool closePortWindow) {
    m_panel->state().link.comPortNumber = m_comPortNumber;
    // The built-in meter has no device to turn from.
    if (!m_simulated && !device.isEmpty() && device != m_port->portName()) {
        m_nextPort = NextPort{device, label};
        if (m_linkDown)
            turnToChosenPort();
    }
    bringForward(m_panel.get());
    if (closePortWindow && m_portWindow)
        m_portWindow->close();
}

// The wake-up loop finds the port closed and opens the new device.
void DesktopProgram::turnToChosenPort() {
    if (!m_nextPort)
        return;
    m_port->setPortName(m_nextPort->device);
    m_panel->state().link.portLabel = m_nextPort->label;
    m_nextPort.reset();
}

void DesktopProgram::simulatedChosen() {
    if (m_panel) {
        showRunningPanel({}, {}, true);
        return;
    }
    // As --simulate: the panel on the built-in meter, reached over the in-memory wire.
    m_options.start = DesktopOptions::Start::Simulated;
    openChosenPanel({}, SimulatedLabel, true);
}

void DesktopProgram::openChosenPanel(const QString& device, const QString& label,
                                     bool closePortWindow) {
    if (!openPanel(device, label)) {
        // "No device found, try again!" has been said: the user tries again.
        closeFailedPanel();
        showPortWindow();
        return;
    }
    if (closePortWindow && m_portWindow)
        m_portWindow->close();
}

void DesktopProgram::closeFailedPanel() {
    m_dialogs->setMainWindow(m_portWindow);
    m_panel.reset();
    m_session.reset();
    m_link.reset();
    m_port.reset();
    m_simulated = false;
    if (m_options.start == DesktopOptions::Start::Simulated)
        m_options.start = DesktopOptions::Start::PortWindow;
}

bool DesktopProgram::openPanel(const QString& device, const QString& portLabel) {
    m_simulated = m_options.start == DesktopOptions::Start::Simulated;
    m_port = m_simulated && m_options.simulatedPorts ? m_options.simulatedPorts(*m_clock)
                                                      : platform::devicePort(device)(*m_clock);
    m_link = std::make_unique<link::Rs232>(*m_port, *m_clock, *m_dialogs);
    m_session = std::make_unique<core::MeterSession>(*m_link, *m_dialogs);
    m_panel = std::make_unique<Panel>(*m_session, *m_dialogs, *m_printer);
    m_dialogs->setMainWindow(m_panel.get());
    m_panel->state().link.comPortNumber = m_comPortNumber;
    m_panel->state().link.portLabel = portLabel;
    m_linkDown = false;
    m_nextPort.reset();
    connect(&m_panel->cycle(), &core::PollingCycle::linkLost, this, [this] {
        m_linkDown = true;
        turnToChosenPort();
    });
    connect(&m_panel->cycle(), &core::PollingCycle::linkBack, this, [this] { m_linkDown = false; });
    connect(m_panel.get(), &Panel::closed, qApp, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    m_panel->show();
    if (!m_panel->load()) {
        m_panel->hide();
        return false;
    }
    return true;
}

} // namespace tarnix::ui
