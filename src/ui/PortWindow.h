#pragma once

#include "platform/SerialDevices.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;

namespace tarnix::ui {

// The first window: the user picks the serial port as COM1..COM8. Each name
// stands for a serial device of this computer (see serialDevices()); the
// window shows which, with the adapter's own name and maker, in the list and
// beside it. A device path typed in (/dev/pts/7) is taken as it is. The last
// entry, "Simulated meter", lets someone without a meter try the program.
class PortWindow : public QWidget {
    Q_OBJECT

public:
    explicit PortWindow(QList<platform::SerialDevice> devices, QWidget* parent = nullptr);

    // The list's entry after COM8.
    static inline const QString SimulatedEntry = QStringLiteral("Simulated meter");

    // The device COM`number` stands for on this computer; empty when none.
    QString deviceFor(int number) const;

Q_SIGNALS:
    // OK: `comNumber` is 1..8 for a COM name, unchanged (`previous`) for any
    // other text; `typedDevice` holds a typed device path.
    void accepted(int comNumber, const QString& typedDevice);
    // OK on the simulated meter's entry.
    void simulatedChosen();
    // Com1 / Com2: the port window stays open.
    void quickChoice(int comNumber);
    // F1: the About box, which the program shows.
    void aboutAsked();

private:
    void accept();
    void showDevice();
    // The device label, widened (and the window with it) to show its whole text.
    void setDeviceText(const QString& text);
    // What COM`number` stands for, as the list and the label show it.
    QString summaryFor(int number) const;

    QList<platform::SerialDevice> m_devices;
    QStringList m_paths;
    QComboBox* m_ports = nullptr;
    QLabel* m_device = nullptr;
};

} // namespace tarnix::ui
