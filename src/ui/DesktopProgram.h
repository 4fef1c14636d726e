#pragma once

#include "platform/MeterPorts.h"
#include "records/DataChannel.h"
#include "ui/PortWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace tarnix::link {
class Rs232;
}
namespace tarnix::core {
struct MeterSession;
}
namespace tarnix::platform {
class Printer;
class RealClock;
class SerialPort;
} // namespace tarnix::platform
namespace tarnix::ui {

class Panel;
class FileList;
class PlotBoard;
class WidgetDialogs;

// How the desktop program reaches its meter.
struct DesktopOptions {
    enum class Start { PortWindow, Device, Simulated };
    Start start = Start::PortWindow;
    QString device = {};     // Device: a path such as /dev/ttyUSB0
    QString dataFile = {};   // a data file to list at start; empty: none
    QStringList trendFiles = {}; // data files (or folders) to show as trends at start
    bool trendTogether = false;  // all in one trend window, in time order
    // The devices COM1..COM8 stand for; none: this computer's serial devices.
    std::optional<QList<platform::SerialDevice>> serialDevices = {};
    // Ports to the built-in simulated meter (Simulated, and the port window's
    // entry after COM8): the program that links the simulator makes it, and
    // it outlives the program object. None: that entry finds no device.
    platform::PortMaker simulatedPorts = {};
};

// The desktop program: the port window (unless a device or the simulated
// meter was given), then the main panel over the chosen port. A data file
// given alone opens in a file list without asking for a port; given with a
// device or the simulated meter, it opens from the panel.
class DesktopProgram : public QObject {
    Q_OBJECT

public:
    explicit DesktopProgram(DesktopOptions options);
    ~DesktopProgram() override;

    // Shows the first window. False when the panel could not open its port:
    // the program ends.
    bool start();

    PortWindow* portWindow() const { return m_portWindow; }
    Panel* panel() const { return m_panel.get(); }
    // The list of a data file given alone; null otherwise.
    FileList* fileList() const;

private:
    bool openPanel(const QString& device, const QString& portLabel);
    // Undoes a panel whose port did not open, back to before openPanel().
    void closeFailedPanel();
    void showPortWindow();
    void listDataFileAlone();
    // The trend windows asked for; false when none could open.
    bool openTrends();
    void portChosen(int comNumber, const QString& typedDevice, bool closePortWindow);
    // The panel that runs already, in front; the link turns to a port chosen
    // meanwhile at its next restart (or now, while it waits as "No COM").
    void showRunningPanel(const QString& device, const QString& label, bool closePortWindow);
    void turnToChosenPort();
    void simulatedChosen();
    // The panel on a port chosen in the port window; back to it when the port does not open.
    void openChosenPanel(const QString& device, const QString& label, bool closePortWindow);

    DesktopOptions m_options;
    std::unique_ptr<platform::RealClock> m_clock;
    std::unique_ptr<WidgetDialogs> m_dialogs;
    std::unique_ptr<platform::Printer> m_printer;
    bool m_simulated = false; // the panel's port is the wire to the built-in meter
    std::unique_ptr<platform::SerialPort> m_port;
    std::unique_ptr<link::Rs232> m_link;
    // Declared in the order they depend on each other: each outlives what
    // is declared after it.
    std::unique_ptr<core::MeterSession> m_session;
    std::unique_ptr<Panel> m_panel;
    QPointer<PortWindow> m_portWindow;
    // A data file listed without a panel: its channel and plots.
    records::DataChannel m_data;
    std::unique_ptr<PlotBoard> m_plots;
    QPointer<FileList> m_fileList;
    std::vector<QPointer<QWidget>> m_trends; // trend windows of the command line
    int m_comPortNumber = 0;
    // A port chosen while the panel runs, and what the port label calls it.
    struct NextPort {
        QString device, label;
    };
    std::optional<NextPort> m_nextPort;
    bool m_linkDown = false; // "No COM": the link waits for the meter
};

} // namespace tarnix::ui
