#pragma once

#include "logger/LoggerHeader.h"
#include "logger/LoggerSession.h"
#include "logger/SettingsWrites.h"
#include "ui/lists/ListWindow.h"
#include "ui/logger/DataList.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tarnix::core {
class MeterActions;
class SharedState;
} // namespace tarnix::core

namespace tarnix::ui {

class DataList;

// The logger's status after a header read: its counters, clock and settings,
// the four settings the user can write, and the record sets; a click on a set
// downloads it into a DataList window.
class Memory : public QWidget {
    Q_OBJECT

public:
    Memory(const logger::LoggerHeader& header, int pcYear, core::SharedState& state,
           core::MeterActions& actions, const ListContext& lists, QWidget* parent = nullptr);
    ~Memory() override;

    DataList* dataList() const;
    // Downloads set `number` (1..5) as a click on its row does.
    void downloadSet(int number);

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void fill();
    void preselectLists();
    void writeSettings(const std::optional<logger::ByteWrites>& writes, bool flushFirst);
    void setControlsEnabled(bool enabled);
    void setSettingsEnabled(bool enabled);
    void listDownload(const logger::DumpResult& result, const logger::RecordSet& set, int number);

    logger::LoggerHeader m_header;
    int m_year;
    core::SharedState& m_state;
    core::MeterActions& m_actions;
    ListContext m_lists;
    QTableWidget* m_grid = nullptr;
    QLineEdit* m_idCode = nullptr;
    QLineEdit* m_sampleRate = nullptr;
    QComboBox* m_recordingMode = nullptr;
    QComboBox* m_baudRate = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_writeCounts = nullptr;
    QLabel* m_memorySize = nullptr;
    QLabel* m_failCounts = nullptr;
    QLabel* m_rangeChanges = nullptr;
    QLabel* m_clock = nullptr;
    QPushButton* m_idButton = nullptr;
    QPushButton* m_rateButton = nullptr;
    QPushButton* m_cancel = nullptr;
    QPointer<DataList> m_dataList;
    bool m_downloading = false;
    bool m_preselected = false;
    bool m_cancelRequested = false;
};

} // namespace tarnix::ui
