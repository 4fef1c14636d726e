#pragma once

#include "core/AlarmLimits.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace tarnix::core {
class MeterActions;
class SharedState;
} // namespace tarnix::core
namespace tarnix::platform {
class Dialogs;
}

namespace tarnix::ui {

class CharBox;

// The alarm dialog: the user types a high and a low limit digit by digit;
// ENABLE writes them into the meter and arms its alarm, DISABLE writes them
// and disarms it. The limits are encoded with the resolution of the range
// shown when the dialog was laid out.
class AlarmSetUp : public QWidget {
    Q_OBJECT

public:
    AlarmSetUp(core::SharedState& state, core::MeterActions& actions, platform::Dialogs& dialogs,
               QWidget* parent = nullptr);

    double resolution() const { return m_step; }
    int pointPosition() const { return m_point; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Row {
        CharBox* sign = nullptr;
        std::array<CharBox*, 4> digits{};
    };
    Row makeRow(const char* signName, const char* digitName, int top, const QString& completed);
    void layOut();
    core::LimitBoxes boxes(const Row& row) const;
    void write(bool arm);

    core::SharedState& m_state;
    core::MeterActions& m_actions;
    platform::Dialogs& m_dialogs;
    Row m_high;
    Row m_low;
    QLabel* m_times = nullptr;
    double m_step = 0;
    int m_point = 0;
};

} // namespace tarnix::ui
