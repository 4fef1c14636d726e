#include "ui/DesktopProgram.h"

#include "core/MeterSession.h"
#include "link/Rs232.h"
#include "platform/MemorySerialPort.h"
#include "platform/QtSerialPort.h"
#include "platform/RealClock.h"
#include "platform/SerialDevices.h"
#include "sim/DemoLogger.h"
#include "sim/SimMeter.h"
#include "ui/PortWindow.h"
#include "ui/panel/Panel.h"
#include "ui/platform/QtPrinter.h"
#include "ui/platform/WidgetDialogs.h"

#include <QApplication>

namespace tarnix::app {

DesktopProgram::DesktopProgram(DesktopOptions options)
    : m_options(std::move(options)), m_clock(std::make_unique<platform::RealClock>()),
      m_dialogs(std::make_unique<platform::WidgetDialogs>()),
      m_printer(std::make_unique<platform::QtPrinter>(*m_dialogs)) {}

DesktopProgram::~DesktopProgram() {
    delete m_portWindow;
}

bool DesktopProgram::start() {
    switch (m_options.start) {
    case DesktopOptions::Start::Device:
        return openPanel(m_options.device, platform::shortDeviceName(m_options.device));
    case DesktopOptions::Start::Simulated:
        return openPanel({}, QStringLiteral("SIM"));
    case DesktopOptions::Start::PortWindow:
        break;
    }
    m_portWindow = new link::PortWindow(platform::serialDevices());
    m_portWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_portWindow, &link::PortWindow::accepted, this,
            [this](int n, const QString& typed) { portChosen(n, typed, true); });
    connect(m_portWindow, &link::PortWindow::quickChoice, this,
            [this](int n) { portChosen(n, {}, false); });
    m_portWindow->show();
    return true;
}

void DesktopProgram::portChosen(int comNumber, const QString& typedDevice, bool closePortWindow) {
    if (m_panel) { // already running: only show it
        m_panel->raise();
        return;
    }
    if (comNumber > 0)
        m_comPortNumber = comNumber;
    const bool typed = comNumber == 0 && !typedDevice.isEmpty();
    const QString device =
        typed ? typedDevice : (m_portWindow ? m_portWindow->deviceFor(m_comPortNumber) : QString());
    const QString label = typed ? platform::shortDeviceName(typedDevice)
                                : QStringLiteral("COM%1").arg(m_comPortNumber);
    const bool opened = openPanel(device, label);
    if (closePortWindow && m_portWindow)
        m_portWindow->close();
    if (!opened)
        QCoreApplication::exit(1);
}

bool DesktopProgram::openPanel(const QString& device, const QString& portLabel) {
    if (m_options.start == DesktopOptions::Start::Simulated) {
        m_meter = std::make_unique<sim::SimMeter>(
            m_options.longFrames ? sim::Model::Long : sim::Model::Short, 9600);
        m_meter->loadMemory(sim::demoLoggerMemory(QDateTime::currentDateTime().addSecs(-3600)));
        m_port = std::make_unique<platform::MemorySerialPort>(*m_meter, *m_clock);
    } else {
        auto port = std::make_unique<platform::QtSerialPort>();
        port->setPortName(device);
        m_port = std::move(port);
    }
    m_link = std::make_unique<link::Rs232>(*m_port, *m_clock, *m_dialogs);
    m_session = std::make_unique<core::MeterSession>(*m_link, *m_dialogs);
    m_panel = std::make_unique<panel::Panel>(*m_session, *m_dialogs, *m_printer);
    m_dialogs->setMainWindow(m_panel.get());
    m_panel->state().link.comPortNumber = m_comPortNumber;
    m_panel->state().link.portLabel = portLabel;
    connect(m_panel.get(), &panel::Panel::closed, qApp, [] {
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

} // namespace tarnix::app
