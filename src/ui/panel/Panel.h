#pragma once

#include "core/MeterSession.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QGroupBox;

namespace tarnix::link {
class Rs232;
}
namespace tarnix::platform {
class Dialogs;
class Printer;
} // namespace tarnix::platform
namespace tarnix::ui {

class AlarmSetUp;
class FileList;
class PlotBoard;
struct ListContext;
class LiveViews;
class RealTimeList;
class Memory;

class ClickableLabel;

// The main window: the live reading, maximum and minimum, alarm limits, the
// port and sampling labels, and the buttons that open every other window.
// It owns the shared state and the polling cycle; closing it ends the program.
class Panel : public QWidget {
    Q_OBJECT

public:
    // `session` outlives the panel and every window it opens.
    Panel(core::MeterSession& session, platform::Dialogs& dialogs, platform::Printer& printer,
          QWidget* parent = nullptr);

    core::SharedState& state() { return m_state; }
    core::PollingCycle& cycle() { return m_cycle; }
    core::SamplingClock& sampling() { return m_sampling; }
    Memory* memoryWindow() const;
    LiveViews& views() { return *m_views; }

    // Opens the port at 1200 baud and starts both timers. On failure shows
    // "No device found, try again!" with the reason and returns false: the
    // program then ends.
    bool load();

    // Lists the data file `path` in a new file list, as OPEN FILE does once
    // a file is chosen.
    void openDataFile(const QString& path);

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    QLabel* addLabel(QWidget* parent, const char* name, int left, int top, int width, int height);
    QGroupBox* addFrame(const char* name, const char* caption, int left, int top, int width,
                        int height);
    QPushButton* addButton(const char* name, const char* caption, int left, int top, int width,
                           int height);
    void fitFileNameRow();
    QFont fittingFont(QLabel* label, const QStringList& texts) const;
    void showState();
    void showCom(const QString& text, bool progress);
    void showAlarmColour(core::AlarmColour colour);

    void resetMaxMin();
    void openAlarmSetUp();
    void askSamplingInterval();
    void saveOrStop();
    void openFile();
    void addShortcuts();
    void openLiveList();
    void readLogger();
    ListContext listContext();

    link::Rs232& m_link;
    platform::Dialogs& m_dialogs;
    platform::Printer& m_printer;
    core::SharedState& m_state;
    core::PollingCycle& m_cycle;
    core::SamplingClock& m_sampling;
    core::MeterActions& m_actions;
    // The read-outs and buttons, by what they show and do.
    struct Labels {
        QLabel *function, *range, *max, *min, *highAlarm, *lowAlarm, *sampling, *time, *com, *rec,
            *fileName, *recording, *count;
    };
    struct Buttons {
        QPushButton *reset, *digital, *analog, *list, *graph, *pc, *saveStop, *open, *alarm,
            *memory, *system, *meter, *baudRate, *update;
    };
    Labels m_labels{};
    Buttons m_buttons{};
    ClickableLabel* m_value = nullptr;
    QFont m_progressFont; // the port label's while the logger header is read
    QGroupBox* m_highPanel = nullptr;
    QGroupBox* m_lowPanel = nullptr;
    core::AlarmColour m_shownAlarmColour = core::AlarmColour::Unset;
    QPointer<AlarmSetUp> m_alarmSetUp;
    QPointer<FileList> m_fileList;
    PlotBoard* m_plots = nullptr; // made with the first list, a child of the panel
    QPointer<RealTimeList> m_liveList;
    QPointer<Memory> m_memory;
    LiveViews* m_views = nullptr; // a child: deleted with the panel
};

} // namespace tarnix::ui
