#pragma once

#include "core/MeterActions.h"
#include "core/PollingCycle.h"
#include "core/SamplingClock.h"
#include "core/SharedState.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QGroupBox;

namespace tarnix::alarm {
class AlarmSetUp;
}
namespace tarnix::link {
class Rs232;
}
namespace tarnix::platform {
class Dialogs;
class Printer;
} // namespace tarnix::platform
namespace tarnix::files {
class FileList;
class PlotBoard;
struct ListContext;
} // namespace tarnix::files
namespace tarnix::views {
class LiveViews;
class RealTimeList;
} // namespace tarnix::views
namespace tarnix::logger {
class Memory;
}

namespace tarnix::panel {

class ClickableLabel;

// The main window: the live reading, maximum and minimum, alarm limits, the
// port and sampling labels, and the buttons that open every other window.
// It owns the shared state and the polling cycle; closing it ends the program.
class Panel : public QWidget {
    Q_OBJECT

public:
    Panel(link::Rs232& link, platform::Dialogs& dialogs, platform::Printer& printer,
          QWidget* parent = nullptr);
    ~Panel() override;

    core::SharedState& state() { return m_state; }
    core::PollingCycle& cycle() { return m_cycle; }
    core::SamplingClock& sampling() { return m_sampling; }
    logger::Memory* memoryWindow() const;
    views::LiveViews& views() { return *m_views; }

    // Opens the port at 1200 baud and starts both timers. On failure shows
    // "No device found, try again!" with the reason and returns false: the
    // program then ends.
    bool load();

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    QLabel* addLabel(QWidget* parent, const char* name, int left, int top, int width,
                     int height);
    QGroupBox* addFrame(const char* name, const char* caption, int left, int top, int width,
                        int height);
    QPushButton* addButton(const char* name, const char* caption, int left, int top, int width,
                           int height);
    void showState();
    void showAlarmColour(core::AlarmColour colour);

    void resetMaxMin();
    void valueClicked();
    void recMode();
    void modelClicked();
    void changeBaudRate();
    void openAlarmSetUp();
    void askSamplingInterval();
    void saveOrStop();
    void openFile();
    void openLiveList();
    void setLoggerClock();
    void readLogger();
    files::ListContext listContext();

    link::Rs232& m_link;
    platform::Dialogs& m_dialogs;
    platform::Printer& m_printer;
    core::SharedState m_state;
    core::PollingCycle m_cycle;
    core::SamplingClock m_sampling;
    core::MeterActions m_actions;
    QHash<QString, QLabel*> m_labels;
    QHash<QString, QPushButton*> m_buttons;
    ClickableLabel* m_value = nullptr;
    core::AlarmColour m_shownAlarmColour = core::AlarmColour::Unset;
    QPointer<alarm::AlarmSetUp> m_alarmSetUp;
    QPointer<files::FileList> m_fileList;
    files::PlotBoard* m_plots = nullptr; // made with the first list, a child of the panel
    QPointer<views::RealTimeList> m_liveList;
    QPointer<logger::Memory> m_memory;
    views::LiveViews* m_views = nullptr; // a child: deleted with the panel
};

} // namespace tarnix::panel
