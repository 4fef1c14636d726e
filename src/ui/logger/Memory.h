#pragma once

#include "ui/lists/ListWindow.h"
#include "ui/logger/DataList.h"
#include "logger/LoggerHeader.h"
#include "logger/SettingsWrites.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tarnix::link {
class Rs232;
}
namespace tarnix::core {
class PollingCycle;
class SharedState;
} // namespace tarnix::core

namespace tarnix::logger {

class DataList;

// The logger's status after a header read: its counters, clock and settings,
// the four settings the user can write, and the record sets; a click on a set
// downloads it into a DataList window.
class Memory : public QWidget {
    Q_OBJECT

public:
    Memory(const LoggerHeader& header, int pcYear, core::SharedState& state,
           core::PollingCycle& cycle, link::Rs232& link, const files::ListContext& lists,
           QWidget* parent = nullptr);
    ~Memory() override;

    DataList* dataList() const;
    // Downloads set `number` (1..5) as a click on its row does.
    void downloadSet(int number);

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void fill();
    void preselectLists();
    bool refusedWhileRecording();
    void writeSettings(const std::optional<ByteWrites>& writes, bool flushFirst);
    void setControlsEnabled(bool enabled);

    LoggerHeader m_header;
    int m_year;
    core::SharedState& m_state;
    core::PollingCycle& m_cycle;
    link::Rs232& m_link;
    files::ListContext m_lists;
    QTableWidget* m_grid = nullptr;
    QLineEdit* m_idCode = nullptr;
    QLineEdit* m_sampleRate = nullptr;
    QComboBox* m_recordingMode = nullptr;
    QComboBox* m_baudRate = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_cancel = nullptr;
    QPointer<DataList> m_dataList;
    bool m_downloading = false;
    bool m_cancelRequested = false;
};

} // namespace tarnix::logger
